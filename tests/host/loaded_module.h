// loaded_module.h - the built libcimxml.so, loaded as a host loads it.
#pragma once

#include <string>

#include <cimxml/cimxml.h>

namespace hosttest {

// The three request-side entry points, found with dlsym. Loaded once per
// process and never unloaded; every pointer is NULL when loading failed
// (error() then says why).
struct LoadedModule {
    MessageHandler *(*handle)(const char *, void *, CIMOMHandle *) = nullptr;
    char *(*response)(MessageHandler *) = nullptr;
    void (*release)(MessageHandler *) = nullptr;
    std::string error;

    bool loaded() const { return handle != nullptr && response != nullptr && release != nullptr; }
    // Sends request through the handler and returns the response text
    // ("(no handler)" when the handler returned NULL); the record is released.
    std::string roundTrip(const char *request, CIMOMHandle *cimom) const;
};

const LoadedModule &module();

// The two extension header lines and the empty line every response starts with.
inline constexpr const char *response_header =
    "CIMOperation: MethodResponse\r\nCIMProtocolVersion: 1.2\r\n\r\n";

}  // namespace hosttest
