#pragma once
// The catalogue of simulated radios: one table of every family's models, with
// the options each radio takes, and the "sim:" device strings that ask for
// one: "sim:NAME?activity=PATH&echo=1&addr=4A" (every option is optional;
// echo=1 makes a radio on a bus echo it, addr sets its bus address in
// hexadecimal; a radio refuses an option its row does not take).
#include <memory>
#include <string>
#include <vector>

#include "sim/SimRadio.h"

namespace rigvane {

// Every simulated radio, family by family.
const std::vector<SimModel>& SimCatalog();
// The row of that name; nullptr when there is none.
const SimModel* FindSimModel(const std::string& name);
// The names MakeSimRadio knows, in catalogue order.
std::vector<std::string> SimRadioNames();

// A fresh radio of that name with the default options; nullptr with `error`
// filled for an unknown name.
std::unique_ptr<SimRadio> MakeSimRadio(const std::string& name, std::string* error);
// The same with options; nullptr with `error` for an unknown name or an
// option the radio does not take.
std::unique_ptr<SimRadio> MakeSimRadio(const std::string& name, const SimOptions& options,
                                       std::string* error);

struct SimDevice {
    std::string Name;
    std::string ActivityPath; // "" = no activity
    bool Echo = false;
    int Address = -1; // -1 = the model's default
};

// True when `device` starts with "sim:".
bool IsSimDevice(const std::string& device);
// Splits a "sim:" device string; false with `error` for anything malformed
// (unknown option, bad address, missing name).
bool ParseSimDevice(const std::string& device, SimDevice* out, std::string* error);

// Builds the radio a device string asks for, with its options applied and its
// activity file loaded. Bad activity lines are reported in `warnings` (the
// good lines still count); nullptr with `error` when the radio cannot be made.
std::unique_ptr<SimRadio> MakeSimRadioForDevice(const std::string& device, std::string* error,
                                                std::vector<std::string>* warnings = nullptr);

} // namespace rigvane
