#include "drivers/Thf6aSettings.h"

#include <optional>

#include "core/Text.h"
#include "drivers/Thf6a.h"

namespace rigvane {

const std::array<const char*, Thf6aMenu::CheckCount> Thf6aCheckCommands = {
    "MRM", "ARO", "ELK", "NSFT", "ANT", "BEP", "NAR 2", "TXH", "DLK", "VXB", "TXS", "CKEY", "TH"};

const std::array<Thf6aList, Thf6aMenu::ListCount> Thf6aLists = {{
    {"DATP", {"Packet 1200bps", "Packet 9600bps"}},
    {"SCR", {"Scan Resume =Time", "Scan Resume =Carrier", "Scan Resume =Seek"}},
    {"SV", {"OFF", "0.2", "0.4", "0.6", "0.8", "1.0", "2.0", "3.0", "4.0", "5.0"}},
    {"APO", {"Off", "30 Min", "60 Min"}},
    {"BAT", {"Lithium", "Alkaline"}},
    {"TSP", {"Fast", "Slow"}},
    {"PT", {"100ms", "250ms", "500ms", "750ms", "1000ms", "1500ms", "2000ms"}},
    {"VXG", {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}},
    {"VXD", {"250ms", "500ms", "750ms", "1000ms", "1500ms", "2000ms", "3000ms"}},
}};

namespace {

// One exchange of the dialog's walk: the answer, or nothing when the walk must
// stop (cancelled before it, or the radio did not answer).
class Walk {
  public:
    Walk(DriverContext& ctx, Progress& progress) : ctx_(ctx), progress_(progress) {
        progress_.Cancel = false;
    }

    std::optional<std::string> Ask(const std::string& command, int step) {
        if (progress_.Cancel || stopped_) return std::nullopt;
        std::optional<std::string> reply = Thf6aRawCommand(ctx_, command);
        if (!reply) {
            stopped_ = true;
            return std::nullopt;
        }
        percent_ += step;
        progress_.Update(percent_ > 100 ? 100 : percent_, command);
        return reply;
    }
    bool Complete() const { return !stopped_ && !progress_.Cancel; }

  private:
    DriverContext& ctx_;
    Progress& progress_;
    int percent_ = 0;
    bool stopped_ = false;
};

bool Refusal(const std::string& reply) {
    return reply == "N" || reply == "?";
}

// The text from 1-based position `at` on ("" when the reply is shorter).
std::string From(const std::string& reply, size_t at) {
    return reply.size() >= at ? reply.substr(at - 1) : "";
}

} // namespace

std::string Thf6aGroupLinkCommand(const std::array<bool, 8>& links) {
    std::string text = "MGL ";
    for (size_t k = 0; k < links.size(); ++k)
        text += links[k] ? char('0' + k) : ' ';
    return text;
}

bool ReadThf6aMenu(DriverContext& ctx, Thf6aMenu& menu, Progress& progress) {
    Walk walk(ctx, progress);
    for (size_t i = 0; i < Thf6aCheckCommands.size(); ++i) {
        const std::string w = Thf6aCheckCommands[i];
        const auto reply = walk.Ask(w, 3);
        if (!reply) return false;
        // The value follows the command word and one separator.
        menu.Checks[i] = From(*reply, w.size() + 2).substr(0, 1) == "1";
    }
    for (size_t i = 0; i < Thf6aLists.size(); ++i) {
        const std::string w = Thf6aLists[i].Command;
        const auto reply = walk.Ask(w, 2);
        if (!reply) return false;
        const int64_t v = ValInt(From(*reply, w.size() + 2));
        menu.Lists[i] = v >= 0 && v < int64_t(Thf6aLists[i].Entries.size()) ? int(v) : 0;
    }
    for (size_t n = 0; n < 10; ++n) {
        const std::string nn = ZeroPadded(static_cast<long long>(n), 2);
        auto reply = walk.Ask("DM " + nn, 2);
        if (!reply) return false;
        if (!Refusal(*reply)) menu.DtmfNumbers[n] = From(*reply, 7);
        reply = walk.Ask("DMN " + nn, 1);
        if (!reply) return false;
        if (!Refusal(*reply)) menu.DtmfNames[n] = From(*reply, 8);
    }
    if (const auto reply = walk.Ask("MGL", 1)) {
        for (size_t k = 0; k < menu.GroupLinks.size(); ++k) {
            const std::string c = From(*reply, k + 5).substr(0, 1);
            menu.GroupLinks[k] = !c.empty() && c != " ";
        }
    }
    if (const auto reply = walk.Ask("BAL", 1); reply && !Refusal(*reply))
        menu.Balance = int(ValInt(From(*reply, 5)));
    if (const auto reply = walk.Ask("CNT", 1); reply && !Refusal(*reply))
        menu.Contrast = int(ValInt(From(*reply, 5)));
    // The message starts after "MES" and its blank.
    if (const auto reply = walk.Ask("MES", 1); reply && !Refusal(*reply))
        menu.PowerOnMessage = From(*reply, 5);
    return walk.Complete();
}

bool WriteThf6aMenu(DriverContext& ctx, const Thf6aMenu& menu, Progress& progress) {
    Walk walk(ctx, progress);
    for (size_t i = 0; i < Thf6aCheckCommands.size(); ++i) {
        const std::string w = Thf6aCheckCommands[i];
        const char* separator = w == "NAR 2" ? "," : " ";
        if (!walk.Ask(w + separator + (menu.Checks[i] ? "1" : "0"), 3)) return false;
    }
    for (size_t i = 0; i < Thf6aLists.size(); ++i)
        if (!walk.Ask(std::string(Thf6aLists[i].Command) + " " + std::to_string(menu.Lists[i]), 2))
            return false;
    for (size_t n = 0; n < 10; ++n) {
        const std::string nn = ZeroPadded(static_cast<long long>(n), 2);
        if (!walk.Ask("DM " + nn + "," + menu.DtmfNumbers[n], 2)) return false;
        if (!walk.Ask("DMN " + nn + "," + menu.DtmfNames[n], 1)) return false;
    }
    walk.Ask(Thf6aGroupLinkCommand(menu.GroupLinks), 1);
    walk.Ask("BAL " + std::to_string(menu.Balance), 1);
    walk.Ask("CNT " + std::to_string(menu.Contrast), 1);
    walk.Ask("MES " + menu.PowerOnMessage, 1);
    return walk.Complete();
}

} // namespace rigvane
