// profile.h - the module's behaviour profile, chosen once when it is loaded.
//
// "classic" (the default) behaves as the module always has; "strict" changes
// a listed set of behaviours to what the DMTF DTD, DSP0200 and real clients
// need (README, "Profiles"). Each behaviour that differs asks strict_profile()
// at the one place where it differs; there is no second copy of any encoder
// or handler.
#pragma once

#include <atomic>

namespace profile_detail {
extern std::atomic<bool> strict;
}  // namespace profile_detail

// True while the strict profile is in force. A plain flag read, cheap enough
// for every value.
inline bool strict_profile() { return profile_detail::strict.load(std::memory_order_relaxed); }

// Sets the profile from the environment variable CIMXML_PROFILE: "strict"
// (any case) selects strict; unset, empty or "classic" selects classic; any
// other text logs a warning and selects classic. Run when the module is
// loaded; cannot fail.
void load_profile();

// Switches the profile in-process, for programs (tests) that link the module
// statically. Only between requests: a request that runs meanwhile may see
// either profile.
void set_strict_profile(bool strict);
