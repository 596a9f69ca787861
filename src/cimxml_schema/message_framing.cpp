// message_framing.cpp - the response header with the message head, and a
// request's header joined with its message.
#include "cimxml_schema/message_framing.h"

#include <cstdio>

#include <cimxml/cimxml.h>

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
    xml_sink out(pool);
    // An export listener's client recognises the answer by this line.
    out.put(lines.exportResponse && strict_profile() ? "CIMExport: MethodResponse\r\n"
                                                     : "CIMOperation: MethodResponse\r\n");
    out.put(protocol_line);
    if (lines.cimError != nullptr) {
        char errorLine[line_buffer_size];
        std::snprintf(errorLine, sizeof errorLine, "CIMError: %s\r\n", lines.cimError);
        out.put(errorLine);
    }
    out.put("\r\n");
    if (!out.flush()) return 0;
    if (headerLength) *headerLength = pool->length;
    if (messageId == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"No Message ID!");
        return 0;
    }
    if (write_message_head(out, messageId) && out.flush()) return 1;
    cimPrintMessage(CIM_LOG_ERROR, L"unable to get open tag!");
    return 0;
}

char *join_header_and_message(const char *header, const char *fragment, const char *messageId) {
    if (fragment == nullptr) return nullptr;
    return written_fragment([&](xml_sink &out) {
        if (header != nullptr) {
            out.put(header);
            out.put("\r\n");
        }
        if (!write_message_head(out, messageId)) return false;
        out.put(fragment);
        out.put(message_tail_text);
        return true;
    });
}
