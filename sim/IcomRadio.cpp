#include "sim/IcomRadio.h"

#include <algorithm>

namespace rigvane {

namespace {

constexpr uint8_t Pre = 0xFE;
constexpr uint8_t Eom = 0xFD;
constexpr uint8_t Fb = 0xFB;
constexpr uint8_t Fa = 0xFA;

std::string Byte(int b) {
    return std::string(1, char(uint8_t(b)));
}

int BcdByte(uint8_t b) {
    if ((b >> 4) > 9 || (b & 15) > 9) return -1;
    return (b >> 4) * 10 + (b & 15);
}

std::string ToBcd(int v) {
    return Byte(((v / 10) % 10) * 16 + v % 10);
}

} // namespace

std::string IcomBcdFrequency(int64_t hz) {
    std::string out;
    for (int i = 0; i < 5; ++i) {
        out += ToBcd(int(hz % 100));
        hz /= 100;
    }
    return out;
}

int64_t IcomBcdValue(const std::string& bytes) {
    int64_t v = 0;
    for (size_t i = bytes.size(); i-- > 0;) {
        const int b = BcdByte(uint8_t(bytes[i]));
        if (b < 0) return -1;
        v = v * 100 + b;
    }
    return v;
}

IcomRadio::IcomRadio(Model model) : Address(DefaultAddress(model)), model_(model) {
    FrequencyHz = 145500000;
    if (model == Model::R7000 || model == Model::Opto) FilterByte = 0x02;
}

uint8_t IcomRadio::DefaultAddress(Model model) {
    switch (model) {
    case Model::R8500:
        return 0x4A;
    case Model::R9000:
        return 0x2A;
    case Model::R746:
        return 0x56;
    default:
        return 0x08;
    }
}

const char* IcomRadio::ModelName(Model model) {
    switch (model) {
    case Model::R7000:
        return "icom-r7000";
    case Model::Generic:
        return "icom-generic";
    case Model::R8500:
        return "icom-r8500";
    case Model::R9000:
        return "icom-r9000";
    case Model::R746:
        return "icom-r746";
    case Model::Opto:
        return "opto";
    }
    return "";
}

bool IcomRadio::Received(uint8_t command) const {
    return std::any_of(Commands.begin(), Commands.end(), [&](const std::string& c) {
        return !c.empty() && uint8_t(c[0]) == command;
    });
}

std::string IcomRadio::Handle(const std::string& bytes, int64_t nowMs) {
    std::string out;
    if (Echo) out += bytes;
    pending_ += bytes;
    const std::string preamble = Byte(Pre) + Byte(Pre);
    for (;;) {
        const size_t start = pending_.find(preamble);
        if (start == std::string::npos) {
            // Keep a lone FE: it may be the first half of the next preamble.
            if (!pending_.empty() && uint8_t(pending_.back()) == Pre)
                pending_ = Byte(Pre);
            else
                pending_.clear();
            break;
        }
        const size_t end = pending_.find(char(Eom), start);
        if (end == std::string::npos) {
            pending_.erase(0, start);
            if (pending_.size() > 1024) pending_.clear(); // no frame is that long
            break;
        }
        std::string frame = pending_.substr(start, end - start + 1);
        pending_.erase(0, end + 1);
        size_t p = 2;
        while (p < frame.size() && uint8_t(frame[p]) == Pre)
            ++p;
        if (frame.size() < p + 4) continue; // to, from, command, FD
        const uint8_t to = uint8_t(frame[p]);
        const uint8_t from = uint8_t(frame[p + 1]);
        const std::string body = frame.substr(p + 2, frame.size() - p - 3);
        if (to != Address) {
            ++ForeignFrames;
            continue;
        }
        Commands.push_back(body);
        out += Answer(from, body, nowMs);
    }
    return out;
}

std::string IcomRadio::Frame(uint8_t to, const std::string& body) const {
    return Byte(Pre) + Byte(Pre) + Byte(to) + Byte(Address) + body + Byte(Eom);
}

std::string IcomRadio::Answer(uint8_t to, const std::string& body, int64_t nowMs) {
    std::string reply = Apply(to, body, nowMs);
    switch (Faults) {
    case Fault::None:
        break;
    case Fault::Garbage: {
        static const char garbage[] = "\x01\x02ZZ\xFD\x55\xFE\x00\xFDgarbage";
        reply.assign(garbage, sizeof garbage - 1); // the NUL is one of the bytes
        break;
    }
    case Fault::Truncated: {
        const size_t firstEnd = reply.find(char(Eom));
        const std::string first = reply.substr(0, firstEnd);
        std::string cuts;
        for (size_t k = 3; k < first.size(); ++k)
            cuts += first.substr(0, k) + Byte(Eom);
        reply = cuts;
        break;
    }
    case Fault::ForeignFrames: {
        const uint8_t otherController = to == 0xE0 ? 0xE1 : 0xE0;
        const std::string other = Byte(0x03) + IcomBcdFrequency(1234567890);
        std::string fromOtherRadio =
            Byte(Pre) + Byte(Pre) + Byte(to) + Byte(uint8_t(Address + 1)) + other + Byte(Eom);
        reply = Frame(otherController, other) + fromOtherRadio + reply;
        break;
    }
    case Fault::BadBcd: {
        // Spoil the data of frequency and S-meter answers.
        const std::string head = Byte(Pre) + Byte(Pre) + Byte(to) + Byte(Address);
        for (size_t at = reply.find(head); at != std::string::npos; at = reply.find(head, at + 1)) {
            const size_t cmd = at + head.size();
            if (cmd + 6 < reply.size() && uint8_t(reply[cmd]) == 0x03) reply[cmd + 3] = char(0xC7);
            if (cmd + 3 < reply.size() && uint8_t(reply[cmd]) == 0x15 &&
                uint8_t(reply[cmd + 1]) == 0x02) {
                reply[cmd + 2] = char(0xFF);
                reply[cmd + 3] = char(0xFF);
            }
        }
        break;
    }
    }
    return reply;
}

bool IcomRadio::FrequencyAllowed(int64_t hz) const {
    switch (model_) {
    case Model::R7000:
        return hz >= 25000000 && hz <= 2000000000;
    case Model::Generic:
        return hz >= 10000 && hz <= 3000000000LL;
    case Model::R8500:
        return hz >= 100000 && hz <= 2000000000;
    case Model::R9000:
        return hz >= 100000 && hz <= 1999800000;
    case Model::R746:
        return (hz >= 30000 && hz <= 60000000) || (hz >= 108000000 && hz <= 174000000);
    case Model::Opto:
        return hz >= 25000000 && hz <= 2000000000;
    }
    return false;
}

bool IcomRadio::ModeAllowed(uint8_t mode, int filter) const {
    const bool filterOk = filter == -1 || (filter >= 1 && filter <= 3);
    switch (model_) {
    case Model::R7000:
    case Model::Opto: // the OptoScan boards sit in R7000-class sets
        if (mode == 0x02) return filter == -1 || filter == 1;
        if (mode == 0x05) return filter == -1 || filter <= 2;
        return false;
    case Model::R8500:
        if (mode == 0x05) return filter == -1 || (filter >= 1 && filter <= 3);
        if (mode == 0x06) return filter == -1 || filter == 1;
        return mode <= 0x04 && filterOk;
    case Model::R9000:
        return mode <= 0x05 && filterOk;
    case Model::Generic:
        return mode <= 0x08 && filterOk;
    case Model::R746:
        return (mode <= 0x05 || mode == 0x07 || mode == 0x08) && filterOk;
    }
    return false;
}

bool IcomRadio::ChannelAllowed(int channel) const {
    switch (model_) {
    case Model::R7000:
    case Model::R746:
        return channel >= 1 && channel <= 99;
    case Model::Opto:
        return false;
    default:
        return channel >= 0 && channel <= 999;
    }
}

std::string IcomRadio::FrequencyData() const {
    if (MemoryMode) {
        auto it = Memories.find(SelectedChannel);
        if (it == Memories.end() || it->second.FrequencyHz == 0) return Byte(0xFF);
    }
    return IcomBcdFrequency(FrequencyHz);
}

std::string IcomRadio::Apply(uint8_t to, const std::string& body, int64_t nowMs) {
    std::string ok = Frame(to, Byte(Fb));
    std::string no = Frame(to, Byte(Fa));
    if (body.empty()) {
        ++Rejected;
        return no;
    }
    const uint8_t cmd = uint8_t(body[0]);
    const std::string data = body.substr(1);
    const bool oldSet = model_ == Model::R7000 || model_ == Model::Opto;
    auto reject = [&] {
        ++Rejected;
        return no;
    };
    if (Refuse.count(cmd)) return reject();
    auto read = [&](const std::string& answer) {
        return (FbBeforeData && (cmd == 0x03 || cmd == 0x04) ? ok : "") + Frame(to, answer);
    };
    switch (cmd) {
    case 0x03:
        if (!data.empty()) return reject();
        return read(Byte(0x03) + FrequencyData());
    case 0x04: {
        if (!data.empty()) return reject();
        int filter = FilterByte;
        if (filter < 0) filter = ModeByte == 0x05 ? 0x01 : 0x02;
        return read(Byte(0x04) + Byte(ModeByte) + Byte(filter));
    }
    case 0x05: {
        if (data.size() != 5) return reject();
        const int64_t hz = IcomBcdValue(data);
        if (hz < 0 || !FrequencyAllowed(hz)) return reject();
        FrequencyHz = hz;
        MemoryMode = false;
        return ok;
    }
    case 0x06: {
        if (data.empty() || data.size() > 2) return reject();
        const uint8_t mode = uint8_t(data[0]);
        const int filter = data.size() == 2 ? uint8_t(data[1]) : -1;
        if (!ModeAllowed(mode, filter)) return reject();
        ModeByte = mode;
        FilterByte = filter;
        MemoryMode = false;
        return ok;
    }
    case 0x07: {
        // VFO mode, or one of the VFO codes; anything else is not a VFO.
        static const std::string vfoCodes("\x00\x01\xA0\xB0\xC0\xC1\xD0\xD1", 8);
        if (data.size() > 1 || (data.size() == 1 && vfoCodes.find(data[0]) == std::string::npos))
            return reject();
        MemoryMode = false;
        return ok;
    }
    case 0x08: {
        if (!HasMemories()) return reject();
        if (data.empty()) {
            MemoryMode = true;
            return ok;
        }
        if (data.size() > 2) return reject();
        // The channel number is written most significant byte first.
        const int64_t channel = IcomBcdValue(std::string(data.rbegin(), data.rend()));
        if (channel < 0 || !ChannelAllowed(int(channel))) return reject();
        SelectedChannel = int(channel);
        MemoryMode = true;
        auto it = Memories.find(SelectedChannel);
        if (it != Memories.end() && it->second.FrequencyHz != 0) {
            FrequencyHz = it->second.FrequencyHz;
            ModeByte = it->second.ModeByte;
            FilterByte = it->second.FilterByte;
        }
        return ok;
    }
    case 0x09:
        if (!HasMemories() || !data.empty()) return reject();
        Memories[SelectedChannel] = {FrequencyHz, ModeByte, FilterByte};
        return ok;
    case 0x0A: {
        if (!HasMemories() || !data.empty()) return reject();
        auto it = Memories.find(SelectedChannel);
        if (it == Memories.end() || it->second.FrequencyHz == 0) return reject();
        FrequencyHz = it->second.FrequencyHz;
        ModeByte = it->second.ModeByte;
        FilterByte = it->second.FilterByte;
        MemoryMode = false;
        return ok;
    }
    case 0x0B:
        if (!HasMemories() || !data.empty()) return reject();
        Memories.erase(SelectedChannel);
        return ok;
    case 0x11:
        if (oldSet || data.size() > 1) return reject();
        if (data.empty()) return read(Byte(0x11) + Byte(Attenuator));
        if (data[0] != 0x00 && data[0] != 0x10 && data[0] != 0x20 && data[0] != 0x30)
            return reject();
        Attenuator = uint8_t(data[0]);
        return ok;
    case 0x12:
        if (oldSet || data.size() > 2) return reject();
        if (data.empty()) return read(Byte(0x12) + Byte(Antenna));
        Antenna = uint8_t(data[0]);
        return ok;
    case 0x15: {
        if (model_ == Model::R7000 || data.size() != 1) return reject();
        const int level = SignalAt(nowMs);
        if (data[0] == 0x01) return read(Byte(0x15) + Byte(0x01) + Byte(level > 0 ? 1 : 0));
        if (data[0] == 0x02) {
            const int n = (256 * level + 12) / 13; // lowest N with N*13/256 >= level
            return read(Byte(0x15) + Byte(0x02) + ToBcd(n / 100) + ToBcd(n % 100));
        }
        return reject();
    }
    case 0x16:
        if (oldSet || data.empty()) return reject();
        if (model_ == Model::R8500) {
            if (data.size() != 1 || (data[0] != 0x10 && data[0] != 0x11)) return reject();
            Agc = uint8_t(data[0]);
            return ok;
        }
        if (data.size() != 2 || data[0] != 0x12 || uint8_t(data[1]) > 3) return reject();
        Agc = uint8_t(data[1]);
        return ok;
    case 0x7F: // computer control (02) and back to local (01)
        if (model_ != Model::Opto || (data != Byte(0x02) && data != Byte(0x01))) return reject();
        OptoInitialised = data == Byte(0x02);
        return ok;
    default:
        return reject();
    }
}

std::vector<SimModel> IcomSimModels() {
    using M = IcomRadio::Model;
    static const struct {
        M Model;
        const char* Family;
        const char* Description;
    } rows[] = {
        {M::R7000, "ICOM", "ICOM R7000"}, {M::Generic, "ICOM", "ICOM generic"},
        {M::R8500, "ICOM", "ICOM R8500"}, {M::R9000, "ICOM", "ICOM R9000"},
        {M::R746, "ICOM", "ICOM R746"},   {M::Opto, "OPTO", "OPTO (CI-V)"},
    };
    std::vector<SimModel> models;
    for (const auto& row : rows) {
        SimModel m;
        m.Name = IcomRadio::ModelName(row.Model);
        m.Family = row.Family;
        m.Description = row.Description;
        m.TakesEcho = m.TakesAddress = true; // every CI-V set sits on a bus
        m.Make = [model = row.Model](const SimOptions& o) {
            auto radio = std::make_unique<IcomRadio>(model);
            radio->Echo = o.Echo;
            if (o.Address >= 0) radio->Address = uint8_t(o.Address);
            return std::unique_ptr<SimRadio>(std::move(radio));
        };
        models.push_back(std::move(m));
    }
    return models;
}

} // namespace rigvane
