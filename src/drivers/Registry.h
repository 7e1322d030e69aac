#pragma once
// Which family driver serves which protocol number. Adding a family is one
// line in Registry.cpp (beside its driver file, its simulated radio and its
// row in the conformance suite).
#include <vector>

#include "link/Radio.h"
#include "link/RadioDriver.h"

namespace rigvane {

// The driver of a protocol; nullptr when no driver serves it yet.
RadioDriver* DriverFor(int protocol);
// Every supported family, in protocol order.
const std::vector<RadioDriver*>& SupportedFamilies();
// The capabilities of a protocol: its driver's, or neutral ones (no
// operations, plain serial defaults, no model choice) when it has none.
const FamilyCaps& CapsFor(int protocol);
// The model row of a profile's protocol and model.
const ModelCaps& ModelCapsFor(const RadioProfile& profile);

// Makes the radio operations (and the link under them) use the registry.
void InstallDrivers(Radio& radio);

} // namespace rigvane
