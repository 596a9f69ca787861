// loaded_module.cpp - dlopen of the built module and its three entry points.
#include "host/loaded_module.h"

#include <dlfcn.h>

namespace hosttest {

namespace {

LoadedModule load() {
    LoadedModule module;
    void *library = dlopen(CIMXML_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char *why = dlerror();
        module.error = why != nullptr ? why : "dlopen failed";
        return module;
    }
    module.handle = reinterpret_cast<decltype(module.handle)>(dlsym(library, "CIMXML_RequestMessage_Handler"));
    module.response =
        reinterpret_cast<decltype(module.response)>(dlsym(library, "CIMXML_getResponseFromMessageHandler"));
    module.release = reinterpret_cast<decltype(module.release)>(dlsym(library, "CIMXML_releaseMessageHandler"));
    if (!module.loaded()) module.error = "an entry point is missing from " CIMXML_MODULE_PATH;
    return module;
}

}  // namespace

std::string LoadedModule::roundTrip(const char *request, CIMOMHandle *cimom) const {
    // The record stays on this stack until it is released, as the module asks
    // of a host.
    MessageHandler *handler = handle(request, nullptr, cimom);
    if (handler == nullptr) return "(no handler)";
    const char *text = response(handler);
    std::string copy = text != nullptr ? text : "(no text)";
    release(handler);
    return copy;
}

const LoadedModule &module() {
    static const LoadedModule loaded = load();
    return loaded;
}

}  // namespace hosttest
