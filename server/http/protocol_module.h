// protocol_module.h - the CIM-XML protocol module (libcimxml.so), loaded with
// dlopen and called as include/cimxml/cimxml.h tells a host to.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <cimxml/cimxml.h>
#include <cimxml/cimxml_client.h>
#include <cimxml/cimxml_host.h>

namespace cimxmld {

// The module's answer to one request: its header lines ("CIMOperation",
// "MethodResponse"), the CIM-XML message after the empty line, and the CIM
// status it carries when the module tells it (unknownStatus otherwise).
struct ModuleAnswer {
    static constexpr int unknownStatus = -2;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    int cimStatus = unknownStatus;
};

class ProtocolModule {
public:
    // Loads the module at path, or the first one found among
    // candidatePaths() when path is empty, with CIMXML_PROFILE set to
    // profile beforehand (the module reads it at load). Resolves the request
    // entry points. On failure returns null and says why in error (every
    // path tried, with the loader's message).
    static std::unique_ptr<ProtocolModule> load(const std::string &path, const std::string &profile,
                                                std::string &error);
    // Where the module is looked for: where the installed tree keeps it
    // seen from the running program, next to the program, in ../lib from
    // it, then where the build put it.
    static std::vector<std::string> candidatePaths();

    // Hands the request body to the module with the object manager's handle
    // and returns the answer, copied out of the module's record (which is
    // released before returning). Safe from any number of threads. Throws
    // std::bad_alloc when the module cannot allocate its record.
    ModuleAnswer handle(const std::string &body, CIMOMHandle *objectManager) const;

    // Hands the request to the module to answer through sink (the strict
    // profile's answers in pieces). false when the module does not stream:
    // nothing was called, use handle(). Safe from any number of threads.
    bool answerInPieces(const std::string &body, CIMOMHandle *objectManager, const CIMXMLAnswerSink &sink,
                        CIMXMLAnswerEnd &end) const {
        return answerInPieces_ != nullptr && answerInPieces_(body.c_str(), objectManager, &sink, &end) == 1;
    }
    // Gives the module the host's extensions; false when it does not use them.
    bool setHostExtensions(const CIMXMLHostExtensions &extensions) const {
        return setHostExtensions_ != nullptr && setHostExtensions_(&extensions) == 1;
    }

    // The module's export request for indication (the whole HTTP text: CIM
    // export header lines, an empty line, the message); empty when the
    // module has no export encoder or it failed. Safe from any thread.
    std::string exportRequest(const CIMInstance &indication) const;
    // What is wrong with a listener's answer (the message) to an export
    // request, read by the module's decoder: empty when it is a success,
    // otherwise its status and description. Safe from any thread.
    std::string exportAnswerProblem(const std::string &answer) const;
    const std::string &path() const { return path_; }

    // The library stays loaded for the life of the process: threads the
    // module registered with its collector may still be ending.
    ~ProtocolModule() = default;

private:
    using RequestHandler = decltype(&CIMXML_RequestMessage_Handler);
    using ResponseText = decltype(&CIMXML_getResponseFromMessageHandler);
    using Release = decltype(&CIMXML_releaseMessageHandler);
    using AnswerParts = decltype(&CIMXML_getAnswerParts);

    ProtocolModule() = default;

    std::string path_;
    RequestHandler requestHandler_ = nullptr;
    ResponseText responseText_ = nullptr;
    Release release_ = nullptr;
    AnswerParts answerParts_ = nullptr;  // optional: the strict profile's extensions
    decltype(&CIMXML_answerInPieces) answerInPieces_ = nullptr;
    decltype(&CIMXML_setHostExtensions) setHostExtensions_ = nullptr;
    decltype(&CIMXMLencode_exportIndication) exportIndication_ = nullptr;
    decltype(&CIMXMLdecode_exportIndication) exportAnswer_ = nullptr;
};

// Splits a module response text at its empty line into header lines and
// message. A text without an empty line is all message.
ModuleAnswer splitModuleResponse(const char *text);
// The answer from the parts the module gave: "Name: value" lines and body.
ModuleAnswer answerFromParts(const CIMXMLAnswerParts &parts);

}  // namespace cimxmld
