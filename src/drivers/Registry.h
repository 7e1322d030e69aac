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
// The capabilities of a protocol in the registry: its driver's, or the
// neutral ones. (The windows and the engine ask SerialLink::CapsFor, which
// sees the drivers installed in the link, a test's own included.)
const FamilyCaps& CapsFor(int protocol);
const ModelCaps& ModelCapsFor(const RadioProfile& profile);

// Makes the radio operations (and the link under them) use the registry.
void InstallDrivers(Radio& radio);

} // namespace rigvane
