#include "sim/BearcatRadio.h"

namespace rigvane {

namespace {

bool Digits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

std::string Pad(long long v, size_t width) {
    std::string s = std::to_string(v);
    return s.size() < width ? std::string(width - s.size(), '0') + s : s;
}

const char* const TypeTexts[] = {"NONE", "TYPE1", "E2-800", "E2-900", "E2-UHF", "E2-VHI", "EDACS"};

// A bank letter A..J to its bank number (J is 0); -1 for anything else.
int BankFromLetter(char c) {
    return c >= 'A' && c <= 'J' ? (c - 'A' + 1) % 10 : -1;
}
char LetterOf(int bank) {
    return bank == 0 ? 'J' : char('A' + bank - 1);
}

} // namespace

BearcatRadio::BearcatRadio(Model model) : model_(model) {
    Memories.resize(size_t(Channels()) + 1);
    ScanBanks.fill(true);
}

const char* BearcatRadio::ModelName(Model model) {
    switch (model) {
    case Model::Bc245:
        return "bearcat-bc245";
    case Model::Bc780:
        return "bearcat-bc780";
    case Model::Bc895:
        return "bearcat-bc895";
    }
    return "";
}

bool BearcatRadio::InBand(int32_t f) const {
    if (f == 0) return true; // an empty channel
    struct Band {
        int32_t Low, High; // MHz
    };
    static const Band Bc245[] = {{29, 54}, {108, 174}, {406, 512}, {806, 956}};
    static const Band Bc780[] = {{25, 512}, {806, 956}};
    static const Band Bc895[] = {{29, 54}, {108, 174}, {216, 512}, {806, 956}};
    auto in = [f](const auto& bands) {
        for (const Band& b : bands)
            if (f >= b.Low * 10000 && f <= b.High * 10000) return true;
        return false;
    };
    return model_ == Model::Bc245 ? in(Bc245) : model_ == Model::Bc780 ? in(Bc780) : in(Bc895);
}

bool BearcatRadio::IsTrunkBank(int bank) const {
    for (int ch = 1; ch <= Channels(); ++ch)
        if (BankOf(ch) == bank && Memories[size_t(ch)].Trunked && Memories[size_t(ch)].Frequency)
            return true;
    return false;
}

void BearcatRadio::Select(int ch) {
    Channel = ch;
    FrequencyHz = int64_t(Memories[size_t(ch)].Frequency) * 100;
}

std::string BearcatRadio::ChannelLine(int ch) const {
    const Memory& m = Memories[size_t(ch)];
    auto nf = [](bool b) { return b ? "N" : "F"; };
    return "C" + Pad(ch, 3) + " F" + Pad(m.Frequency, 8) + " T" + nf(m.Trunked) + " D" +
           nf(m.Delay) + " L" + nf(m.Lockout) + " A" + nf(m.Atten) + " R" + nf(m.Ar) + " N" +
           Pad(m.Tone, model_ == Model::Bc895 ? 2 : 3) + "\r";
}

std::string BearcatRadio::Flag(const std::string& cmd, bool& value, bool modelHasIt) {
    if (!modelHasIt) return "ERR\r";
    if (cmd.size() == 2) return cmd + (value ? "N" : "F") + "\r";
    if (cmd.size() != 3 || (cmd[2] != 'N' && cmd[2] != 'F')) return "NG\r";
    value = cmd[2] == 'N';
    return "OK\r";
}

std::string BearcatRadio::Key(const std::string& key) {
    const bool bc895 = model_ == Model::Bc895;
    if (key == "KEY13") {
        if (Screen == 1) {
            if (Channel > 0 && IsTrunkBank(BankOf(Channel))) Screen = 6;
        } else {
            Screen = 1;
        }
    } else if (key == "KEY07") {
        if (Screen == 6) Screen = ListScreen();
    } else if (key == "KEY13H") {
        if (Screen == 1) Screen = 20;
    } else if (key.compare(0, 6, "KEY02 ") == 0 || key.compare(0, 6, "KEY21 ") == 0) {
        const bool lettered = key[4] == '1';
        if (lettered != bc895) return "ERR\r";
        const std::string arg = key.substr(6);
        int bank = -1;
        if (lettered && arg.size() == 1) bank = BankFromLetter(arg[0]);
        if (!lettered && arg.size() == 1 && Digits(arg)) bank = arg[0] - '0';
        if (bank < 0) return "NG\r";
        if (Screen == 20) {
            programBank_ = bank;
            Screen = 19;
        }
    } else if (key == "KEY04") {
        if (Screen == 19) Screen = 7;
    } else if (key == "KEY01") {
        const bool trunkKeys = Screen == 13 || Screen == 15 || Screen == 16;
        if (Screen == 9)
            Screen = 6;
        else if (Screen <= 5 || Screen == 14 || Screen > 20 || (bc895 && trunkKeys))
            Screen = 1;
    } else if (key == "KEY22") {
        if (Screen == 8 || Screen == 17) Screen = 1;
    } else if (key != "KEY00" && key != "KEY03") {
        return "NG\r";
    }
    return "OK\r";
}

std::string BearcatRadio::Command(const std::string& command, int64_t nowMs) {
    const std::string& cmd = command;
    const bool bc245 = model_ == Model::Bc245, bc780 = model_ == Model::Bc780,
               bc895 = model_ == Model::Bc895;
    const std::string word = cmd.substr(0, 2);
    Memory& here = Memories[size_t(Channel > 0 ? Channel : 0)];
    const bool onChannel = Channel > 0;

    if (word == "MA") {
        if (Screen != 1 && Screen != 7) return "NG\r";
        if (cmd.size() == 2) return onChannel ? ChannelLine(Channel) : "NG\r";
        const std::string n = cmd.substr(2);
        if (!Digits(n) || n.size() > 3) return "NG\r";
        const int ch = std::stoi(n);
        if (ch < 1 || ch > Channels()) return "NG\r";
        Select(ch);
        return ChannelLine(ch);
    }
    if (word == "PM") {
        if (Screen != 1 && Screen != 7) return "NG\r";
        const std::string n = cmd.substr(2, 3);
        if (!Digits(n) || n.size() != 3) return "NG\r";
        const int ch = std::stoi(n);
        if (ch < 1 || ch > Channels()) return "NG\r";
        if (cmd.size() == 5) return ChannelLine(ch); // read only
        const std::string f = cmd.size() > 6 && cmd[5] == ' ' ? cmd.substr(6) : "";
        if (!Digits(f) || f.size() != 8 || !InBand(std::stoi(f))) return "NG\r";
        Memory& m = Memories[size_t(ch)];
        m.Frequency = std::stoi(f);
        m.Tone = 0;
        m.Ctcss = false;
        m.Trunked = Screen == 7 && BankOf(ch) == programBank_ && m.Frequency > 0;
        Select(ch);
        return ChannelLine(ch);
    }
    if (word == "RF") {
        std::string f = cmd.substr(2);
        if (!f.empty() && f[0] == ' ') f.erase(0, 1);
        if (!Digits(f) || f.size() != 8 || !InBand(std::stoi(f))) return "NG\r";
        Channel = 0;
        FrequencyHz = int64_t(std::stoll(f)) * 100;
        return "OK\r";
    }
    if (word == "AT") return onChannel ? Flag(cmd, here.Atten, !bc895) : "NG\r";
    if (word == "DL") return onChannel ? Flag(cmd, here.Delay, true) : "NG\r";
    if (word == "LO") return onChannel ? Flag(cmd, here.Lockout, true) : "NG\r";
    if (word == "AR") return onChannel ? Flag(cmd, here.Ar, !bc245) : "NG\r";
    if (word == "CT") return onChannel ? Flag(cmd, here.Ctcss, !bc245) : "NG\r";
    if (word == "LT") return Flag(cmd, Light, !bc895);
    if (word == "RM") {
        if (!bc780) return "ERR\r";
        if (!onChannel) return "NG\r";
        if (cmd.size() == 2) return "RM " + here.Mode + "\r";
        const std::string m = cmd.size() > 3 && cmd[2] == ' ' ? cmd.substr(3) : "";
        if (m != "FM" && m != "NFM" && m != "WFM" && m != "AM") return "NG\r";
        here.Mode = m;
        return "OK\r";
    }
    if (word == "CS") {
        if (bc245) return "ERR\r";
        const std::string n = cmd.substr(2);
        if (!Digits(n) || n.size() != (bc895 ? 2u : 3u) || std::stoi(n) > 38 || !onChannel)
            return "NG\r";
        here.Tone = std::stoi(n);
        return "OK\r";
    }
    if (cmd == "CC") return bc245 ? "ERR\r" : "CCF\r";
    if (cmd == "SQ") return SignalAt(nowMs) > 0 ? "+\r" : "-\r";
    if (cmd == "SG") {
        if (bc245) return "ERR\r";
        const int level = SignalAt(nowMs);
        // The inverse of the set's scale: the BC895XLT counts from 13, the
        // BC780XLT in steps of 19.
        const int v = level <= 0 ? 0 : bc895 ? level + 12 : (level - 1) * 19 + 9;
        return "S" + Pad(v > 255 ? 255 : v, 3) + "\r";
    }
    if (cmd == "MD") return "MD" + Pad(Screen, 3) + "\r";
    if (cmd.compare(0, 3, "KEY") == 0) return Key(cmd);
    if (word == "SB") {
        if (cmd.size() == 2) {
            std::string letters;
            for (int b : {1, 2, 3, 4, 5, 6, 7, 8, 9, 0})
                if (ScanBanks[size_t(b)]) letters += LetterOf(b);
            return "SB " + letters + "\r";
        }
        std::array<bool, 10> banks{};
        for (size_t i = 3; i < cmd.size(); ++i) {
            const int b = BankFromLetter(cmd[i]);
            if (cmd[2] != ' ' || b < 0) return "NG\r";
            banks[size_t(b)] = true;
        }
        ScanBanks = banks;
        return "OK\r";
    }
    const int bank = BankOf(Channel);
    if (cmd == "TB")
        return "TB " + std::string(1, LetterOf(bank)) + " " +
               TypeTexts[TrunkBanks[size_t(bank)].Type] + "\r";
    if (word == "TR") {
        const int b = cmd.size() == 5 && cmd[2] == ' ' ? BankFromLetter(cmd[3]) : -1;
        if (b < 0 || cmd[4] < '0' || cmd[4] > '6') return "NG\r";
        TrunkBanks[size_t(b)].Type = cmd[4] - '0';
        return "OK\r";
    }
    if (cmd == "AFF") return "OK\r";
    if (word == "IS" || word == "IC") {
        if (Screen != ListScreen()) return "NG\r";
        TrunkBankData& tb = TrunkBanks[size_t(bank)];
        if (cmd == "IS") {
            std::string letters;
            for (int b : {1, 2, 3, 4, 5, 6, 7, 8, 9, 0})
                if (tb.IdBankEnabled[size_t(b)]) letters += LetterOf(b);
            return "IS " + letters + "\r";
        }
        if (word == "IS") {
            std::array<bool, 10> on{};
            for (size_t i = 3; i < cmd.size(); ++i) {
                const int b = BankFromLetter(cmd[i]);
                if (cmd[2] != ' ' || b < 0) return "NG\r";
                on[size_t(b)] = true;
            }
            tb.IdBankEnabled = on;
            return "OK\r";
        }
        const int idBank = cmd.size() >= 5 && cmd[2] == ' ' ? BankFromLetter(cmd[3]) : -1;
        if (idBank < 0 || cmd[4] < '0' || cmd[4] > '9') return "NG\r";
        std::string& id = tb.Ids[size_t(idBank) * 10 + size_t(cmd[4] - '0')];
        if (cmd.size() > 5) {
            const std::string value = cmd[5] == ' ' ? cmd.substr(6) : "";
            if (value.empty() || value.size() > 8) return "NG\r";
            for (char c : value)
                if (!((c >= '0' && c <= '9') || c == ',' || c == '-' || c == '.' || c == '/' ||
                      c == '_'))
                    return "NG\r";
            id = value == "0" ? "" : value;
        }
        return "IC " + cmd.substr(3, 2) + (id.empty() ? "" : " " + id) + "\r";
    }
    if (cmd == "SI")
        return std::string("SI ") +
               (bc245   ? "BC245XLT"
                : bc780 ? "BC780XLT"
                        : "BC895XLT") +
               ",V1.00\r";
    if (cmd == "VR") return "VR 1.00\r";
    return Unknown(cmd);
}

std::vector<SimModel> BearcatSimModels() {
    using M = BearcatRadio::Model;
    static const struct {
        M Model;
        const char* Description;
    } rows[] = {{M::Bc245, "Uniden BC245XLT"},
                {M::Bc780, "Uniden BC780XLT"},
                {M::Bc895, "Uniden BC895XLT"}};
    std::vector<SimModel> models;
    for (const auto& row : rows) {
        SimModel m;
        m.Name = BearcatRadio::ModelName(row.Model);
        m.Family = "BEARCAT";
        m.Description = row.Description;
        m.Make = [model = row.Model](const SimOptions&) {
            return std::unique_ptr<SimRadio>(std::make_unique<BearcatRadio>(model));
        };
        models.push_back(std::move(m));
    }
    return models;
}

} // namespace rigvane
