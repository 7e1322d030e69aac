#include "sim/Thf6aRadio.h"

#include <cctype>
#include <cstdio>

namespace rigvane {

namespace {

bool IsDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!std::isdigit(uint8_t(c))) return false;
    return true;
}

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> out;
    if (text.empty()) return out;
    size_t at = 0;
    for (;;) {
        const size_t comma = text.find(',', at);
        out.push_back(text.substr(at, comma - at));
        if (comma == std::string::npos) return out;
        at = comma + 1;
    }
}

std::string Join(const std::vector<std::string>& fields, size_t from = 0) {
    std::string out;
    for (size_t i = from; i < fields.size(); ++i)
        out += (i > from ? "," : "") + fields[i];
    return out;
}

// Menu settings that hold one number, with their largest value.
const std::map<std::string, int> MenuNumbers = {
    {"MRM", 1},  {"ARO", 1}, {"ELK", 1}, {"NSFT", 1}, {"ANT", 1},  {"BEP", 1},
    {"TXH", 1},  {"DLK", 1}, {"VXB", 1}, {"TXS", 1},  {"CKEY", 1}, {"TH", 1},
    {"DATP", 1}, {"SCR", 2}, {"SV", 9},  {"APO", 2},  {"BAT", 1},  {"TSP", 1},
    {"PT", 6},   {"VXG", 9}, {"VXD", 6}, {"BAL", 4},  {"CNT", 16}};

} // namespace

Thf6aRadio::Thf6aRadio(Model model) : model_(model) {
    const std::vector<std::string> vfo =
        model == Model::F6a
            ? std::vector<std::string>{"00145000000", "0",  "0",  "0",   "0",         "0",
                                       "0",           "08", "08", "000", "000600000", "0"}
            : std::vector<std::string>{"00145000000", "0", "0",  "0",        "0", "0", "",
                                       "08",          "",  "08", "000600000"};
    Bands[0].Vfo = vfo;
    Bands[1].Vfo = vfo;
    Bands[1].Vfo[0] = "00446000000";
    if (model == Model::F6a) {
        for (const auto& [word, max] : MenuNumbers)
            Menu[word] = "0";
        Menu["CNT"] = "8";
        Menu["BAL"] = "2";
        Menu["NAR 0"] = Menu["NAR 1"] = Menu["NAR 2"] = "0";
        for (int n = 0; n < 10; ++n) {
            char nn[3];
            std::snprintf(nn, sizeof nn, "%02d", n);
            Menu[std::string("DM ") + nn] = "";
            Menu[std::string("DMN ") + nn] = "";
        }
        Menu["MGL"] = "        ";
        Menu["MES"] = "Hello!!";
    }
    Retune();
}

bool Thf6aRadio::ValidChannel(const std::string& ch) const {
    if (ch.size() == 2 && (ch[0] == 'L' || ch[0] == 'U') && std::isdigit(uint8_t(ch[1])))
        return true;
    if (ch.size() != 3) return false;
    if (IsDigits(ch)) return std::stoi(ch) < (model_ == Model::F6a ? 400 : 200);
    if (model_ != Model::F6a) return false;
    if (ch.compare(0, 2, "I-") == 0) return std::isdigit(uint8_t(ch[2])) != 0;
    return ch == "PR1" || ch == "PR2";
}

bool Thf6aRadio::InRange(const std::string& hertz) const {
    const int64_t hz = std::stoll(hertz);
    if (model_ == Model::F6a) return hz >= 100000 && hz <= 1300000000;
    return (hz >= 118000000 && hz <= 174000000) || (hz >= 400000000 && hz <= 470000000);
}

void Thf6aRadio::Retune() {
    const Band& b = Bands[size_t(Control)];
    const std::vector<std::string>* fields = &b.Vfo;
    if (b.MemoryMode) {
        auto m = Memories.find(b.Channel);
        fields = m == Memories.end() ? nullptr : &m->second.Fields;
    }
    FrequencyHz = fields && IsDigits((*fields)[0]) ? std::stoll((*fields)[0]) : 0;
}

std::string Thf6aRadio::Command(const std::string& line, int64_t nowMs) {
    const size_t blank = line.find(' ');
    const std::string word = line.substr(0, blank);
    const std::string argText = blank == std::string::npos ? "" : line.substr(blank + 1);
    const std::vector<std::string> args = Split(argText);
    if (auto f = ForcedAnswers.find(word); f != ForcedAnswers.end()) return f->second;
    const bool f6a = model_ == Model::F6a;
    std::string refused = "N\r";
    const std::string echo = line + "\r";
    auto band = [&](const std::string& b) { return b == "0" || b == "1" ? std::stoi(b) : -1; };
    std::string answer;

    if (word == "ID" && args.empty()) {
        answer = f6a ? "ID TH-F6\r" : "ID TH-G71\r";
    } else if (word == "MW" || word == "MR" || word == "MNA") {
        answer = MemoryCommand(word, args, line);
    } else if (word == "BC") {
        if (args.empty()) return "BC " + std::to_string(Control) + "\r";
        if (args.size() != 1 || band(args[0]) < 0) return Unknown(line);
        Control = band(args[0]);
        answer = echo;
    } else if (word == "VMC") {
        if (args.empty() || band(args[0]) < 0) return Unknown(line);
        Band& b = Bands[size_t(band(args[0]))];
        const std::string memoryValue = f6a ? "1" : "2";
        if (args.size() == 1)
            return "VMC " + args[0] + "," + (b.MemoryMode ? memoryValue : "0") + "\r";
        if (args.size() != 2) return Unknown(line);
        if (args[1] != "0" && args[1] != memoryValue) return refused;
        b.MemoryMode = args[1] != "0";
        answer = echo;
    } else if (word == "MC") {
        if (args.empty() || band(args[0]) < 0) return Unknown(line);
        Band& b = Bands[size_t(band(args[0]))];
        if (args.size() == 1) return "MC " + args[0] + "," + b.Channel + "\r";
        if (args.size() != 2) return Unknown(line);
        if (!b.MemoryMode || !Memories.count(args[1])) return refused;
        b.Channel = args[1];
        answer = echo;
    } else if (word == "VW") {
        if (args.size() != 1 + BodyFields() || !IsDigits(args[1]) || args[1].size() != 11)
            return Unknown(line);
        Band& b = Bands[size_t(Control)];
        if (b.MemoryMode || !InRange(args[1])) return refused;
        b.Vfo.assign(args.begin() + 1, args.end());
        answer = echo;
    } else if (word == "RBN") {
        if (args.size() != 1 || args[0].size() != 1 || !std::isxdigit(uint8_t(args[0][0])))
            return Unknown(line);
        if (Bands[size_t(Control)].MemoryMode) return refused;
        answer = echo;
    } else if (word == "VR") {
        if (args.size() != 1) return Unknown(line);
        const std::string body = Join(Bands[size_t(Control)].Vfo);
        return (f6a ? "VR " + args[0] + "," : "VR 0," + args[0] + ",") + body + "\r";
    } else if (word == "FQ") {
        Band& b = Bands[size_t(Control)];
        if (args.empty()) return "FQ " + b.Vfo[0] + "," + b.Vfo[1] + "\r";
        if (args.size() != 2 || !IsDigits(args[0]) || args[0].size() != 11) return Unknown(line);
        if (b.MemoryMode || !InRange(args[0])) return refused;
        b.Vfo[0] = args[0];
        b.Vfo[1] = args[1];
        answer = echo;
    } else if (word == "MD" && f6a) {
        std::string& mode = Bands[size_t(Control)].Vfo[11];
        if (args.empty()) return "MD " + mode + "\r";
        if (args.size() != 1 || !IsDigits(args[0]) || std::stoi(args[0]) > 5) return refused;
        mode = args[0];
        answer = echo;
    } else if (word == "BY" || word == "SM") {
        if (args.size() != 1 || band(args[0]) < 0) return Unknown(line);
        const int level = band(args[0]) == Control ? SignalAt(nowMs) : 0;
        const int value = word == "BY" ? (level > 0 ? 1 : 0) : level / 3;
        return word + " " + args[0] + "," + std::to_string(value) + "\r";
    } else if ((word == "ATT" || word == "LMP") && f6a) {
        bool& on = word == "ATT" ? Attenuator : Lamp;
        if (args.empty()) return word + (on ? " 1\r" : " 0\r");
        if (args.size() != 1 || (args[0] != "0" && args[0] != "1")) return Unknown(line);
        on = args[0] == "1";
        answer = echo;
    } else if (f6a) {
        answer = MenuCommand(word, args, argText, line);
    } else {
        answer = Unknown(line);
    }
    Retune();
    return answer;
}

std::string Thf6aRadio::MemoryCommand(const std::string& word, std::vector<std::string> args,
                                      const std::string& line) {
    const std::string prefix = model_ == Model::F6a ? "" : "0,";
    if (!prefix.empty()) {
        if (args.empty() || args[0] != "0") return Unknown(line);
        args.erase(args.begin());
    }
    if (word == "MNA") {
        if (args.empty() || !ValidChannel(args[0])) return Unknown(line);
        auto m = Memories.find(args[0]);
        if (m == Memories.end()) return "N\r";
        if (args.size() == 1) return "MNA " + prefix + args[0] + "," + m->second.Name + "\r";
        const std::string name = Join(args, 1);
        if (name.size() > 8) return "N\r";
        m->second.Name = name;
        return line + "\r";
    }
    // MW and MR: "0", the channel, [the memory body and the lockout].
    if (args.size() < 2 || args[0] != "0" || !ValidChannel(args[1])) return Unknown(line);
    const std::string& ch = args[1];
    if (word == "MR") {
        if (args.size() != 2) return Unknown(line);
        auto m = Memories.find(ch);
        if (m == Memories.end()) return "N\r";
        return "MR " + prefix + "0," + ch + "," + Join(m->second.Fields) +
               (m->second.Lockout ? ",1" : ",0") + "\r";
    }
    if (args.size() == 2) {
        Memories.erase(ch);
        return line + "\r";
    }
    if (args.size() != 2 + BodyFields() + 1 || !IsDigits(args[2]) || args[2].size() != 11 ||
        (args.back() != "0" && args.back() != "1"))
        return Unknown(line);
    if (!InRange(args[2])) return "N\r";
    Memory& m = Memories[ch];
    m.Fields.assign(args.begin() + 2, args.end() - 1);
    m.Lockout = args.back() == "1";
    return line + "\r";
}

std::string Thf6aRadio::MenuCommand(const std::string& word, const std::vector<std::string>& args,
                                    const std::string& argText, const std::string& line) {
    std::string echo = line + "\r";
    if (auto n = MenuNumbers.find(word); n != MenuNumbers.end()) {
        std::string& value = Menu[word];
        if (args.empty()) return word + " " + value + "\r";
        if (args.size() != 1 || !IsDigits(args[0])) return Unknown(line);
        if (std::stoi(args[0]) > n->second) return "N\r";
        value = std::to_string(std::stoi(args[0]));
        return echo;
    }
    if (word == "NAR" || word == "DM" || word == "DMN") {
        // Keyed by a band (NAR) or a memory number 00..09 (DM, DMN).
        if (args.empty()) return Unknown(line);
        const std::string key = word + " " + args[0];
        auto it = Menu.find(key);
        if (it == Menu.end()) return Unknown(line);
        if (args.size() == 1) return key + "," + it->second + "\r";
        const std::string value = Join(args, 1);
        if (word == "NAR" && value != "0" && value != "1") return "N\r";
        if (value.size() > (word == "DM" ? 16u : 8u)) return "N\r";
        it->second = value;
        return echo;
    }
    if (word == "MGL") {
        // One character per group link: its digit when linked, else a blank.
        if (argText.empty()) return "MGL " + Menu["MGL"] + "\r";
        if (argText.size() > 8) return "N\r";
        for (size_t k = 0; k < argText.size(); ++k)
            if (argText[k] != ' ' && argText[k] != char('0' + k)) return "N\r";
        Menu["MGL"] = argText + std::string(8 - argText.size(), ' ');
        return echo;
    }
    if (word == "MES") {
        if (argText.empty()) return "MES " + Menu["MES"] + "\r";
        if (argText.size() > 8) return "N\r";
        Menu["MES"] = argText;
        return echo;
    }
    return Unknown(line);
}

std::vector<SimModel> Thf6aSimModels() {
    std::vector<SimModel> models;
    for (const auto model : {Thf6aRadio::Model::F6a, Thf6aRadio::Model::G71}) {
        SimModel m;
        const bool f6a = model == Thf6aRadio::Model::F6a;
        m.Name = f6a ? "thf6a" : "thg71";
        m.Family = "TH-F6A";
        m.Description = f6a ? "Kenwood TH-F6A" : "Kenwood TH-G71";
        m.Make = [model](const SimOptions&) {
            return std::unique_ptr<SimRadio>(new Thf6aRadio(model));
        };
        models.push_back(std::move(m));
    }
    return models;
}

} // namespace rigvane
