// request_handler_fuzzer.cpp - any bytes as a request body through
// CIMXML_RequestMessage_Handler, answered by the echoing object manager.
//
// Input: one byte whose lowest bit chooses the profile (1 strict), then the
// body. Every answer must be a complete response: the CIM header lines, an
// empty line and a well-formed CIM document, which the client half decodes.
// Every 512th input forces a collection, so a collected block still in use
// shows up as a use of freed or reused memory.
#include <cstddef>
#include <cstdint>
#include <string>

#include <gc/gc.h>

#include <cimxml/cimxml.h>
#include <cimxml/cimxml_client.h>

#include "cimxml_common/profile.h"
#include "support/echo_object_manager.h"
#include "support/fuzz_check.h"
#include "support/xml_document.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzzsupport::silenceLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static unsigned long inputs = 0;
    if (size == 0) return 0;
    set_strict_profile((data[0] & 1) != 0);
    std::string body(reinterpret_cast<const char *>(data) + 1, size - 1);

    MessageHandler *response = CIMXML_RequestMessage_Handler(body.c_str(), nullptr, fuzzsupport::echoObjectManager());
    fuzzsupport::check(response != nullptr, "the handler returns a response record");
    const char *text = CIMXML_getResponseFromMessageHandler(response);
    fuzzsupport::check(text != nullptr, "the response record holds a text");
    fuzzsupport::checkModuleResponse(text);
    MessageData *decoded = cimxml_decode_message(text, nullptr);
    fuzzsupport::check(decoded != nullptr, "the client half decodes the response", text);
    CIMXMLdecode_releaseMessage(decoded);
    CIMXML_releaseMessageHandler(response);

    if (++inputs % 512 == 0) GC_gcollect();
    return 0;
}
