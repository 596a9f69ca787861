// message_framing.cpp - the response header with the message head, and a
// request's header joined with its message.
#include "cimxml_schema/message_framing.h"

#include <cstdio>

#include <cimxml/cimxml.h>

#include "cimxml_common/fragment_builder.h"
#include "cimxml_common/memory.h"
#include "cimxml_common/profile.h"
#include "cimxml_schema/xml_primitives.h"

namespace {

constexpr const char *protocol_line = "CIMProtocolVersion: " CIMXML_PROTOCOL_VERSION "\r\n";
// The CIMError line is cut at 100 bytes, as the request headers' lines are.
constexpr std::size_t line_buffer_size = 100;

}  // namespace

int build_cimResponse_header(const char *messageId, PoolString *pool, const ResponseHeaderLines &lines,
                             std::size_t *headerLength) {
    if (pool == nullptr || pool->append == nullptr) return 0;
    // An export listener's client recognises the answer by this line.
    const char *first = lines.exportResponse && strict_profile() ? "CIMExport: MethodResponse\r\n"
                                                                 : "CIMOperation: MethodResponse\r\n";
    if (pool->append(pool, first, 0, 0) != 1) return 0;
    if (pool->append(pool, protocol_line, 0, 0) != 1) return 0;
    if (lines.cimError != nullptr) {
        char errorLine[line_buffer_size];
        std::snprintf(errorLine, sizeof errorLine, "CIMError: %s\r\n", lines.cimError);
        if (pool->append(pool, errorLine, 0, 0) != 1) return 0;
    }
    if (pool->append(pool, "\r\n", 0, 0) == 0)
        cimPrintMessage(CIM_LOG_ERROR, L"Unable to append body sep to pool");
    if (headerLength) *headerLength = pool->length;
    if (messageId == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"No Message ID!");
        return 0;
    }
    char *head = message_head_toxml(messageId);
    if (head == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"unable to get open tag!");
        return 0;
    }
    return pool->append(pool, head, 0, 1);
}

char *join_header_and_message(const char *header, const char *fragment, const char *messageId) {
    if (fragment == nullptr) return nullptr;
    char *head = message_head_toxml(messageId);
    if (head == nullptr) return nullptr;
    char *tail = message_tail_toxml();
    if (tail == nullptr) {
        cimxml_free(head, CIMXML_ATOMIC);
        return nullptr;
    }
    fragment_builder message;
    if (header != nullptr) {
        message.add(header);
        message.add("\r\n");
    }
    message.take(head);
    message.add(fragment);
    message.take(tail);
    return message.finish();
}
