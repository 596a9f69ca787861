// registered_profile_provider.h - the management profiles the server
// implements as CIM_RegisteredProfile instances.
#pragma once

#include <memory>
#include <string_view>

#include "providers/live_provider.h"

namespace cimom::live {

inline constexpr std::wstring_view wbemServerProfile = L"WBEM Server";
inline constexpr std::wstring_view profileRegistrationProfile = L"Profile Registration";

// The provider of CIM_RegisteredProfile: one instance per implemented
// profile; with only given (a RegisteredName), the one profile of that
// name, as an end of CIM_ReferencedProfile sees it.
std::shared_ptr<LiveInstanceProvider> makeRegisteredProfileProvider(std::wstring_view only = {});

}  // namespace cimom::live
