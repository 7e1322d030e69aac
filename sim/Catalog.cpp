#include "sim/Catalog.h"

#include "sim/AorRadio.h"
#include "sim/Ar3000aRadio.h"
#include "sim/Bcd396tRadio.h"
#include "sim/BearcatRadio.h"
#include "sim/DrakeRadio.h"
#include "sim/IcomRadio.h"
#include "sim/KenwoodRadio.h"
#include "sim/Thf6aRadio.h"

namespace rigvane {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

const std::vector<SimModel>& SimCatalog() {
    static const std::vector<SimModel> catalogue = [] {
        std::vector<SimModel> all;
        // One entry per family's radio file.
        for (auto family : {IcomSimModels, AorSimModels, Ar3000aSimModels, DrakeSimModels,
                            BearcatSimModels, Bcd396tSimModels, KenwoodSimModels, Thf6aSimModels}) {
            for (SimModel& m : family())
                all.push_back(std::move(m));
        }
        return all;
    }();
    return catalogue;
}

const SimModel* FindSimModel(const std::string& name) {
    for (const SimModel& m : SimCatalog())
        if (m.Name == name) return &m;
    return nullptr;
}

std::vector<std::string> SimRadioNames() {
    std::vector<std::string> names;
    for (const SimModel& m : SimCatalog())
        names.push_back(m.Name);
    return names;
}

std::unique_ptr<SimRadio> MakeSimRadio(const std::string& name, const SimOptions& options,
                                       std::string* error) {
    auto fail = [error](const std::string& why) -> std::unique_ptr<SimRadio> {
        if (error) *error = why;
        return nullptr;
    };
    const SimModel* model = FindSimModel(name);
    if (!model) {
        std::string known;
        for (const std::string& n : SimRadioNames())
            known += (known.empty() ? "" : ", ") + n;
        return fail("unknown simulated radio \"" + name + "\" (known: " + known + ")");
    }
    if (options.Echo && !model->TakesEcho) return fail(name + " has no bus to echo");
    if (options.Address >= 0 && !model->TakesAddress) return fail(name + " has no bus address");
    return model->Make(options);
}

std::unique_ptr<SimRadio> MakeSimRadio(const std::string& name, std::string* error) {
    return MakeSimRadio(name, SimOptions{}, error);
}

bool IsSimDevice(const std::string& device) {
    return device.compare(0, 4, "sim:") == 0;
}

bool ParseSimDevice(const std::string& device, SimDevice* out, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    if (!IsSimDevice(device)) return fail("not a simulated device: " + device);
    SimDevice d;
    const std::string rest = device.substr(4);
    const size_t q = rest.find('?');
    d.Name = rest.substr(0, q);
    if (d.Name.empty()) return fail("no radio name in " + device);
    if (q != std::string::npos) {
        const std::string query = rest.substr(q + 1);
        size_t at = 0;
        while (at <= query.size()) {
            size_t amp = query.find('&', at);
            if (amp == std::string::npos) amp = query.size();
            const std::string item = query.substr(at, amp - at);
            at = amp + 1;
            if (item.empty()) continue;
            const size_t eq = item.find('=');
            const std::string key = item.substr(0, eq);
            const std::string value = eq == std::string::npos ? "" : item.substr(eq + 1);
            if (key == "activity") {
                d.ActivityPath = value;
            } else if (key == "echo") {
                if (value != "0" && value != "1" && !value.empty())
                    return fail("echo must be 0 or 1");
                d.Echo = value != "0";
            } else if (key == "addr") {
                if (value.empty() || value.size() > 2) return fail("bad address " + value);
                int v = 0;
                for (char c : value) {
                    const int h = HexDigit(c);
                    if (h < 0) return fail("bad address " + value);
                    v = v * 16 + h;
                }
                d.Address = v;
            } else {
                return fail("unknown option \"" + key + "\" in " + device);
            }
        }
    }
    *out = d;
    return true;
}

std::unique_ptr<SimRadio> MakeSimRadioForDevice(const std::string& device, std::string* error,
                                                std::vector<std::string>* warnings) {
    SimDevice d;
    if (!ParseSimDevice(device, &d, error)) return nullptr;
    SimOptions options;
    options.Echo = d.Echo;
    options.Address = d.Address;
    std::unique_ptr<SimRadio> radio = MakeSimRadio(d.Name, options, error);
    if (!radio) return nullptr;
    if (!d.ActivityPath.empty()) {
        std::vector<std::string> errors;
        radio->Schedule.Load(d.ActivityPath, &errors);
        if (warnings) warnings->insert(warnings->end(), errors.begin(), errors.end());
    }
    return radio;
}

} // namespace rigvane
