// loaded_module.h - the built server module (libcimxml.so) loaded with
// dlopen, as a host loads it. Needs CIMXML_MODULE_PATH from the build.
#pragma once

#include <cimxml/cimxml.h>
#include <dlfcn.h>

#include <string>

namespace testsupport {

class LoadedModule {
public:
    LoadedModule() : library_(dlopen(CIMXML_MODULE_PATH, RTLD_NOW | RTLD_LOCAL)) {
        if (!library_) return;
        handle_ = reinterpret_cast<decltype(handle_)>(dlsym(library_, "CIMXML_RequestMessage_Handler"));
        text_ = reinterpret_cast<decltype(text_)>(dlsym(library_, "CIMXML_getResponseFromMessageHandler"));
        release_ = reinterpret_cast<decltype(release_)>(dlsym(library_, "CIMXML_releaseMessageHandler"));
    }
    LoadedModule(const LoadedModule &) = delete;
    LoadedModule &operator=(const LoadedModule &) = delete;

    bool loaded() const { return handle_ && text_ && release_; }
    // The module's whole answer to request ("(no response)" when it gives
    // none). The second argument is the host's own; the module must not read it.
    std::string answer(const std::string &request, CIMOMHandle *cimom) const {
        MessageHandler *record = handle_(request.c_str(), reinterpret_cast<void *>(0x1), cimom);
        std::string answer = record && text_(record) ? text_(record) : "(no response)";
        release_(record);
        return answer;
    }

private:
    void *library_;
    decltype(&CIMXML_RequestMessage_Handler) handle_ = nullptr;
    decltype(&CIMXML_getResponseFromMessageHandler) text_ = nullptr;
    decltype(&CIMXML_releaseMessageHandler) release_ = nullptr;
};

}  // namespace testsupport
