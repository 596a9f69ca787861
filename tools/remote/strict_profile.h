// strict_profile.h - running the client tools in the client library's
// strict profile.
#pragma once

namespace remote {

// The client library reads CIMXML_PROFILE once, when it is loaded, which is
// before main() runs; the class-name elements and CIMMethod lines that real
// servers expect come only in its strict profile. So when the variable is
// unset the program starts itself again (same arguments, same process id)
// with CIMXML_PROFILE=strict. A value the caller set, even classic or empty,
// is respected. Returns only when no restart happens or exec fails (the
// program then runs in classic).
void restartInStrictProfile(char **argv);

}  // namespace remote
