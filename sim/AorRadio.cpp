#include "sim/AorRadio.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <tuple>
#include <vector>

#include "core/Text.h"

namespace rigvane {

namespace {

const char ChannelBanks[] = "AaBbCcDdEeFfGgHhIiJj";

bool Digits(const std::string& s, size_t minLen, size_t maxLen) {
    if (s.size() < minLen || s.size() > maxLen) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// A whole number within [low, high] written with 1..width digits.
bool Number(const std::string& s, size_t width, long long low, long long high, long long* out) {
    if (!Digits(s, 1, width)) return false;
    const long long v = std::stoll(s);
    if (v < low || v > high) return false;
    *out = v;
    return true;
}

bool Switch(const std::string& s, bool* out) {
    if (s != "0" && s != "1") return false;
    *out = s == "1";
    return true;
}

// Tenths of a second from "2.5", "3" or "03"; false beyond 9.9.
bool Tenths(const std::string& s, int* out) {
    const size_t dot = s.find('.');
    const std::string whole = s.substr(0, dot);
    const std::string frac = dot == std::string::npos ? "0" : s.substr(dot + 1);
    if (!Digits(whole, 1, 2) || !Digits(frac, 1, 1)) return false;
    const int v = std::stoi(whole) * 10 + (frac[0] - '0');
    if (v > 99) return false;
    *out = v;
    return true;
}

std::string Hex2(int v) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02X", v & 0xFF);
    return buf;
}

// Splits a blank-separated token where a letter follows a digit: some
// controllers run tokens together ("MP0RF0145125000").
std::vector<std::string> SplitRunTogether(const std::string& token) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t i = 1; i < token.size(); ++i) {
        if (std::isalpha(static_cast<unsigned char>(token[i])) &&
            std::isdigit(static_cast<unsigned char>(token[i - 1])) && i + 1 < token.size() &&
            std::isupper(static_cast<unsigned char>(token[i])) &&
            std::isupper(static_cast<unsigned char>(token[i + 1]))) {
            parts.push_back(token.substr(start, i - start));
            start = i;
        }
    }
    parts.push_back(token.substr(start));
    return parts;
}

} // namespace

AorRadio::AorRadio(Model model) : model_(model) {
    Vfos[1].FrequencyHz = 433000000;
    if (model_ == Model::Ar5000) {
        for (Vfo& v : Vfos)
            v.Mode = 0; // FM
    }
    Retune();
}

const char* AorRadio::ModelName(Model model) {
    return model == Model::Ar8000 ? "aor-ar8000" : "aor-ar5000";
}

std::string AorRadio::ChannelText(int channel) const {
    if (channel < 0 || channel > 999) return "";
    if (model_ == Model::Ar5000) return ZeroPadded(channel, 3);
    return std::string(1, ChannelBanks[channel / 50]) + ZeroPadded(channel % 50, 2);
}

int AorRadio::ParseChannel(const std::string& text) const {
    if (model_ == Model::Ar5000) return Digits(text, 3, 3) ? std::stoi(text) : -1;
    if (text.size() != 3 || !Digits(text.substr(1), 2, 2)) return -1;
    const char* bank = text[0] == '\0' ? nullptr : std::strchr(ChannelBanks, text[0]);
    const int n = std::stoi(text.substr(1));
    if (!bank || n > 49) return -1;
    return int(bank - ChannelBanks) * 50 + n;
}

std::string AorRadio::BankText(int bank) const {
    if (model_ == Model::Ar5000) return ZeroPadded(bank, 2);
    return std::string(1, char(bank < 10 ? 'A' + bank : 'a' + bank - 10));
}

int AorRadio::ParseBank(const std::string& text) const {
    if (model_ == Model::Ar5000) {
        if (!Digits(text, 2, 2)) return -1;
        const int b = std::stoi(text);
        return b < 20 ? b : -1;
    }
    if (text.size() != 1) return -1;
    const char c = text[0];
    if (c >= 'A' && c <= 'J') return c - 'A';
    if (c >= 'a' && c <= 'j') return c - 'a' + 10;
    return -1;
}

void AorRadio::Retune() {
    const Memory& m = Memories[size_t(MemoryChannel)];
    FrequencyHz =
        MemoryMode && m.FrequencyHz > 0 ? m.FrequencyHz : Vfos[size_t(ActiveVfo)].FrequencyHz;
}

std::string AorRadio::ReceiveLine(const std::string& key) const {
    const Vfo& v = Vfos[size_t(ActiveVfo)];
    const Memory& m = Memories[size_t(MemoryChannel)];
    const bool memory = MemoryMode && m.FrequencyHz > 0;
    std::string s = key + ZeroPadded(FrequencyHz, 10) + " ST" +
                    ZeroPadded(memory ? m.StepHz : v.StepHz, 6) + " AU" + (v.Auto ? "1" : "0") +
                    " MD" + std::to_string(memory ? m.Mode : v.Mode) + " AT" +
                    ((memory ? m.Atten : v.Atten) ? "1" : "0");
    if (model_ == Model::Ar5000)
        s += std::string(" AC") + Agc + " AN" + std::to_string(memory ? m.Antenna : Antenna) +
             " BW" + std::to_string(memory ? m.Bandwidth : Bandwidth);
    return s;
}

std::string AorRadio::MemoryLine(int channel) const {
    const Memory& m = Memories[size_t(channel)];
    if (m.FrequencyHz <= 0) return "--";
    std::string s = "MX" + ChannelText(channel) + " MP" + (m.Pass ? "1" : "0") + " RF" +
                    ZeroPadded(m.FrequencyHz, 10) + " ST" + ZeroPadded(m.StepHz, 6) + " AU0 MD" +
                    std::to_string(m.Mode) + " AT" + (m.Atten ? "1" : "0");
    if (model_ == Model::Ar5000)
        s += " AN" + std::to_string(m.Antenna) + " BW" + std::to_string(m.Bandwidth);
    return s + " TM" + FixedWidth(m.Text, 7);
}

std::string AorRadio::BankLine(int bank) const {
    const SearchBank& b = SearchBanks[size_t(bank)];
    if (!b.Used) return "--";
    std::string s = "SR" + BankText(bank) + " SL" + ZeroPadded(b.LowerHz, 10) + " SU" +
                    ZeroPadded(b.UpperHz, 10) + " ST" + ZeroPadded(b.StepHz, 6) + " AU" +
                    (b.Auto ? "1" : "0") + " MD" + std::to_string(b.Mode);
    if (model_ == Model::Ar8000) s += std::string(" AT") + (b.Atten ? "1" : "0");
    return s + " TT" + FixedWidth(b.Text, 7);
}

std::string AorRadio::Command(const std::string& line, int64_t nowMs) {
    if (!CannedAnswers.empty()) {
        std::string canned = CannedAnswers.front();
        CannedAnswers.pop_front();
        return canned + "\r\n";
    }
    // MX and SE reach to the end of their line; MQ on a later line still
    // clears the channel MX chose.
    target_ = Target::Vfo;
    std::string answer;
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ') {
            ++i;
            continue;
        }
        std::vector<std::string> tokens;
        if (line.compare(i, 2, "TM") == 0 || line.compare(i, 2, "TT") == 0) {
            // A text field: the next seven characters, blanks included.
            tokens.push_back(line.substr(i, 9));
            i += tokens.back().size();
        } else {
            size_t end = line.find(' ', i);
            if (end == std::string::npos) end = line.size();
            tokens = SplitRunTogether(line.substr(i, end - i));
            i = end;
        }
        for (const std::string& t : tokens) {
            const bool key = t.size() >= 2 && std::isupper(static_cast<unsigned char>(t[0])) &&
                             std::isupper(static_cast<unsigned char>(t[1]));
            if (!key || !Token(t.substr(0, 2), t.substr(2), nowMs, answer)) {
                Retune();
                return Unknown(line);
            }
        }
    }
    Retune();
    return answer + "\r\n";
}

bool AorRadio::Token(const std::string& key, const std::string& value, int64_t nowMs,
                     std::string& answer) {
    const bool ar8000 = model_ == Model::Ar8000;
    const bool ask = value.empty();
    auto reply = [&answer](const std::string& text) {
        answer += (answer.empty() ? "" : " ") + text;
        return true;
    };
    long long n = 0;
    Vfo& vfo = Vfos[size_t(ActiveVfo)];
    Memory* mem = target_ == Target::Memory ? &Memories[size_t(selectedMemory_)] : nullptr;
    SearchBank* bank = target_ == Target::Bank ? &SearchBanks[size_t(selectedBank_)] : nullptr;
    const long long maxHz = ar8000 ? 1999999999LL : 2599999999LL;
    const int maxMode = ar8000 ? 5 : 7;

    if (key == "VA" || key == "VB") {
        const int v = key == "VA" ? 0 : 1;
        // Asked, it reports what the radio receives (a recalled channel
        // too) and switches nothing; with a frequency it tunes that VFO.
        if (ask) return reply(ReceiveLine(key));
        if (!Number(value, 10, 10000, maxHz, &n)) return false;
        Vfos[size_t(v)].FrequencyHz = n;
        ActiveVfo = v;
        MemoryMode = false;
        target_ = Target::Vfo;
        return true;
    }
    if (key == "RF") {
        if (ask) return reply("RF" + ZeroPadded(FrequencyHz, 10));
        if (mem) {
            if (!Number(value, 10, 0, maxHz, &n)) return false;
            mem->FrequencyHz = n;
            return true;
        }
        if (!Number(value, 10, 10000, maxHz, &n)) return false;
        vfo.FrequencyHz = n;
        MemoryMode = false;
        return true;
    }
    if (key == "ST") {
        int& step = mem ? mem->StepHz : bank ? bank->StepHz : vfo.StepHz;
        if (ask) return reply("ST" + ZeroPadded(step, 6));
        if (!Number(value, 6, 0, 999999, &n)) return false;
        step = int(n);
        return true;
    }
    if (key == "AU") {
        bool& on = bank ? bank->Auto : vfo.Auto;
        if (ask) return reply(std::string("AU") + (on ? "1" : "0"));
        return mem ? value == "0" || value == "1" : Switch(value, &on);
    }
    if (key == "MD") {
        int& mode = mem ? mem->Mode : bank ? bank->Mode : vfo.Mode;
        if (ask) return reply("MD" + std::to_string(mode));
        if (!Number(value, 1, 0, maxMode, &n)) return false;
        mode = int(n);
        return true;
    }
    if (key == "AT") {
        bool& on = mem ? mem->Atten : bank ? bank->Atten : vfo.Atten;
        if (ask) return reply(std::string("AT") + (on ? "1" : "0"));
        return Switch(value, &on);
    }
    if (!ar8000 && key == "AC") {
        if (ask) return reply(std::string("AC") + Agc);
        if (value != "0" && value != "2" && value != "F") return false;
        Agc = value[0];
        return true;
    }
    if (!ar8000 && (key == "AN" || key == "BW")) {
        const bool an = key == "AN";
        int& field = an ? (mem ? mem->Antenna : Antenna) : (mem ? mem->Bandwidth : Bandwidth);
        if (ask) return reply(key + std::to_string(field));
        if (!Number(value, 1, an ? 1 : 0, an ? 2 : 6, &n)) return false;
        field = int(n);
        return true;
    }
    if (key == "MX") {
        const int ch = ParseChannel(value);
        if (ch < 0) return false;
        selectedMemory_ = ch;
        target_ = Target::Memory;
        return true;
    }
    if (key == "MP") {
        return mem && Switch(value, &mem->Pass);
    }
    if (key == "TM") {
        if (!mem) return false;
        mem->Text = RightTrim(value);
        return true;
    }
    if (key == "MQ") {
        if (selectedMemory_ < 0 || !ask) return false;
        Memories[size_t(selectedMemory_)] = Memory{};
        return true;
    }
    if (key == "MR") {
        const int ch = ParseChannel(value);
        if (ch < 0) return false;
        if (Memories[size_t(ch)].FrequencyHz > 0) {
            MemoryMode = true;
            MemoryChannel = ch;
        }
        return reply(MemoryLine(ch));
    }
    if (key == "SE") {
        const int b = ParseBank(value);
        if (b < 0) return false;
        selectedBank_ = b;
        target_ = Target::Bank;
        SearchBanks[size_t(b)] = SearchBank{}; // what follows fills it; nothing clears it
        return true;
    }
    if (key == "SL" || key == "SU") {
        if (!bank || !Number(value, 10, 0, maxHz, &n)) return false;
        (key == "SL" ? bank->LowerHz : bank->UpperHz) = n;
        bank->Used = true;
        return true;
    }
    if (key == "TT") {
        if (!bank) return false;
        bank->Text = RightTrim(value);
        return true;
    }
    if (key == "SR") {
        const int b = ParseBank(value);
        if (b < 0) return false;
        return reply(BankLine(b));
    }
    if (key == "LM") {
        if (!ask) return false;
        const int level = SignalAt(nowMs);
        return reply("LM" + Hex2(level > 0 ? (level - 1) * 3 : 0x80));
    }
    if (key == "BM" || key == "BS") {
        std::array<bool, 20>& links = key == "BM" ? ScanLinks : SearchLinks;
        if (ask) {
            // One place per bank: its letter when linked, else "-".
            std::string s = key;
            for (int b = 0; b < 20; ++b)
                s += links[size_t(b)] ? char(b < 10 ? 'A' + b : 'a' + b - 10) : '-';
            // The search links come with their switch, which has no command.
            if (key == "BS") s += std::string(" BQ") + (Bq ? "1" : "0");
            return reply(s);
        }
        std::array<bool, 20> next{};
        for (char c : value) {
            const int b = c >= 'A' && c <= 'J' ? c - 'A' : c >= 'a' && c <= 'j' ? c - 'a' + 10 : -1;
            if (b < 0) return false;
            next[size_t(b)] = true;
        }
        links = next;
        return true;
    }
    if (key == "SC") {
        if (!Number(value, 2, 0, 15, &n)) return false;
        ToneCode = int(n);
        return true;
    }
    if (key == "SI") {
        if (ask) return reply(std::string("SI") + (ToneOn ? "1" : "0"));
        return Switch(value, &ToneOn);
    }
    if (key == "RX") return reply(ReceiveLine("RF"));
    if (key == "EX") {
        Remote = false;
        return true;
    }

    // The settings block.
    struct Flag {
        const char* Key;
        bool* Value;
        bool ReadOnly;
        bool Ar8000Only;
    };
    const Flag flags[] = {{"ML", &Ml, false, false},
                          {"BQ", &Bq, true, false},
                          {"SA", &Sa, false, false},
                          {"XA", &Xa, false, true}};
    for (const Flag& f : flags) {
        if (key != f.Key || (f.Ar8000Only && !ar8000)) continue;
        if (ask) return reply(key + (*f.Value ? "1" : "0"));
        return !f.ReadOnly && Switch(value, f.Value);
    }
    struct Value {
        const char* Key;
        int* Field;
        int Low, High, Width;
        bool Ar8000Only;
    };
    const Value values[] = {{"PA", &Pa, 0, 99, 2, true},  {"PI", &Pi, 2, 9, 1, true},
                            {"SB", &Sb, 0, 7, 1, false},  {"SP", &Sp, 0, 99, 2, false},
                            {"TI", &Ti, 0, 19, 2, false}, {"XB", &Xb, 0, 7, 1, true},
                            {"XP", &Xp, 0, 99, 2, false}};
    for (const Value& v : values) {
        if (key != v.Key || (v.Ar8000Only && !ar8000)) continue;
        if (ask) return reply(key + ZeroPadded(*v.Field, v.Width));
        if (!Number(value, 2, v.Low, v.High, &n)) return false;
        *v.Field = int(n);
        return true;
    }
    if (key == "XM") {
        if (ask) return reply(Xm == 6 ? std::string("XMF") : "XM" + std::to_string(Xm));
        if (value == "F") {
            Xm = 6;
            return true;
        }
        if (!Number(value, 1, 0, 5, &n)) return false;
        Xm = int(n);
        return true;
    }
    if (key == "SD" || key == "XD") {
        int& tenths = key == "SD" ? SdTenths : XdTenths;
        if (ask) {
            if (ar8000)
                return reply(key + std::to_string(tenths / 10) + "." + std::to_string(tenths % 10));
            return reply(key + ZeroPadded(tenths / 10, 2));
        }
        int t = 0;
        if (!Tenths(value, &t)) return false;
        tenths = t;
        return true;
    }
    return false;
}

std::vector<SimModel> AorSimModels() {
    std::vector<SimModel> models;
    for (auto [model, family, description] :
         {std::tuple{AorRadio::Model::Ar8000, "AOR8000", "AOR AR8000"},
          std::tuple{AorRadio::Model::Ar5000, "AOR5000", "AOR AR5000"}}) {
        SimModel m;
        m.Name = AorRadio::ModelName(model);
        m.Family = family;
        m.Description = description;
        m.Make = [model = model](const SimOptions&) {
            return std::unique_ptr<SimRadio>(std::make_unique<AorRadio>(model));
        };
        models.push_back(std::move(m));
    }
    return models;
}

} // namespace rigvane
