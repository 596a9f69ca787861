// protocol_module.cpp - finding, loading and calling the protocol module.
#include "protocol_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cimobj/cimobj.hpp>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>

#include "program_folder.h"

namespace cimxmld {

namespace {

namespace fs = std::filesystem;

template <class Function>
bool resolve(void *library, const char *name, Function &out, std::string &error) {
    out = reinterpret_cast<Function>(dlsym(library, name));
    if (out == nullptr) error = std::string("does not export ") + name;
    return out != nullptr;
}

}  // namespace

std::vector<std::string> ProtocolModule::candidatePaths() {
    std::vector<std::string> paths;
    std::string folder = programFolder();
    if (!folder.empty()) {
#ifdef CIMXMLD_MODULE_FROM_PROGRAM
        // Installed: sbin/../lib/libcimxml.so.N, wherever the tree was put.
        paths.push_back((fs::path(folder) / CIMXMLD_MODULE_FROM_PROGRAM).lexically_normal().string());
#endif
        paths.push_back(folder + "/libcimxml.so");
        paths.push_back((fs::path(folder).parent_path() / "lib" / "libcimxml.so").string());
    }
#ifdef CIMXMLD_BUILD_MODULE_PATH
    paths.push_back(CIMXMLD_BUILD_MODULE_PATH);
#endif
    return paths;
}

std::unique_ptr<ProtocolModule> ProtocolModule::load(const std::string &path, const std::string &profile,
                                                     std::string &error) {
    setenv("CIMXML_PROFILE", profile.c_str(), 1);
    std::vector<std::string> tried = path.empty() ? candidatePaths() : std::vector<std::string>{path};
    error.clear();
    for (const std::string &candidate : tried) {
        // An explicit path is tried even when it does not look like a file,
        // so that the loader's own message reaches the user.
        if (path.empty() && !fs::exists(candidate)) {
            error += "\n  " + candidate + ": not found";
            continue;
        }
        void *library = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            error += "\n  " + candidate + ": " + dlerror();
            continue;
        }
        std::unique_ptr<ProtocolModule> module(new ProtocolModule());
        std::string missing;
        if (!resolve(library, "CIMXML_RequestMessage_Handler", module->requestHandler_, missing) ||
            !resolve(library, "CIMXML_getResponseFromMessageHandler", module->responseText_, missing) ||
            !resolve(library, "CIMXML_releaseMessageHandler", module->release_, missing)) {
            error += "\n  " + candidate + ": " + missing;
            dlclose(library);
            continue;
        }
        // Present when the module offers it (the strict profile answers 1).
        module->answerParts_ = reinterpret_cast<AnswerParts>(dlsym(library, "CIMXML_getAnswerParts"));
        module->answerInPieces_ =
            reinterpret_cast<decltype(&CIMXML_answerInPieces)>(dlsym(library, "CIMXML_answerInPieces"));
        module->setHostExtensions_ =
            reinterpret_cast<decltype(&CIMXML_setHostExtensions)>(dlsym(library, "CIMXML_setHostExtensions"));
        module->exportIndication_ = reinterpret_cast<decltype(&CIMXMLencode_exportIndication)>(
            dlsym(library, "CIMXMLencode_exportIndication"));
        module->exportAnswer_ = reinterpret_cast<decltype(&CIMXMLdecode_exportIndication)>(
            dlsym(library, "CIMXMLdecode_exportIndication"));
        module->path_ = candidate;
        error.clear();
        return module;
    }
    error = "cannot load the protocol module:" + error;
    return nullptr;
}

std::string ProtocolModule::exportRequest(const CIMInstance &indication) const {
    if (!exportIndication_) return {};
    // The text lies in the module's collected heap: copied out at once and
    // left to the collector.
    const char *text = exportIndication_(&indication, 0);
    return text ? std::string(text) : std::string();
}

std::string ProtocolModule::exportAnswerProblem(const std::string &answer) const {
    if (!exportAnswer_) return {};
    cimobj::ReturnCodePtr status(exportAnswer_(answer.c_str()));
    if (!status || status->rc == 0) return {};
    std::string problem = "status " + std::to_string(status->rc);
    if (status->description && status->description->buffer) {
        // Collected text, left to the collector.
        const char *text = createCharFromWide(status->description->buffer);
        if (text) problem += std::string(": ") + text;
    }
    return problem;
}

ModuleAnswer ProtocolModule::handle(const std::string &body, CIMOMHandle *objectManager) const {
    // The record is collected memory: it stays in this local variable, where
    // the collector sees it, until it is released.
    MessageHandler *response = requestHandler_(body.c_str(), nullptr, objectManager);
    if (response == nullptr) throw std::bad_alloc();
    ModuleAnswer answer;
    try {
        CIMXMLAnswerParts parts;
        if (answerParts_ != nullptr && answerParts_(response, &parts) == 1)
            answer = answerFromParts(parts);
        else
            answer = splitModuleResponse(responseText_(response));
    } catch (...) {
        release_(response);
        throw;
    }
    release_(response);
    return answer;
}

namespace {

// The "Name: value" lines of header (each ended by CRLF) into answer.
void readHeaderLines(std::string_view header, ModuleAnswer &answer) {
    while (!header.empty()) {
        std::size_t end = header.find("\r\n");
        std::string_view content = header.substr(0, end);
        std::size_t colon = content.find(':');
        if (colon != std::string_view::npos) {
            std::string_view value = content.substr(colon + 1);
            while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
            answer.headers.emplace_back(content.substr(0, colon), value);
        }
        header.remove_prefix(end == std::string_view::npos ? header.size() : end + 2);
    }
}

}  // namespace

ModuleAnswer splitModuleResponse(const char *text) {
    ModuleAnswer answer;
    if (text == nullptr) return answer;
    const char *separator = std::strstr(text, "\r\n\r\n");
    if (separator == nullptr) {
        answer.body = text;
        return answer;
    }
    readHeaderLines(std::string_view(text, separator + 2 - text), answer);
    answer.body = separator + 4;
    return answer;
}

ModuleAnswer answerFromParts(const CIMXMLAnswerParts &parts) {
    ModuleAnswer answer;
    if (parts.header != nullptr) readHeaderLines(std::string_view(parts.header, parts.headerLength), answer);
    if (parts.body != nullptr) answer.body.assign(parts.body, parts.bodyLength);
    answer.cimStatus = parts.status;
    return answer;
}

}  // namespace cimxmld
