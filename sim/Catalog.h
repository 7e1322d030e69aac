#pragma once
// The catalogue of simulated radios by name, and the "sim:" device strings
// that ask for one: "sim:NAME?activity=PATH&echo=1&addr=4A" (every option is
// optional; echo=1 makes a CI-V radio echo the bus, addr sets its address in
// hexadecimal).
#include <memory>
#include <string>
#include <vector>

#include "sim/SimRadio.h"

namespace rigvane {

// The names MakeSimRadio knows, in catalogue order.
std::vector<std::string> SimRadioNames();

// A fresh radio of that name; nullptr with `error` filled for an unknown name.
std::unique_ptr<SimRadio> MakeSimRadio(const std::string& name, std::string* error);

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
