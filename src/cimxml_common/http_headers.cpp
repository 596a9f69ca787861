// http_headers.cpp - header lines of responses and requests, message ids,
// dates and the split of received messages.
#include "cimxml_common/http_headers.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <cimobj/cimobj.h>
#include <cimxml/cimxml.h>
#include <utils/system_ip.h>

#include "cimxml_common/memory.h"
#include "cimxml_common/profile.h"
#include "cimxml_common/xml_sink.h"

namespace {

constexpr const char *request_line = "POST /CIMOM2 HTTP/1.1\r\n";
constexpr const char *connection_line = "Connection: Keep-Alive\r\n";
constexpr const char *user_agent_line = "User-Agent: ZEL_CLIENT_ADAPTER\r\n";
constexpr const char *protocol_line = "CIMProtocolVersion: " CIMXML_PROTOCOL_VERSION "\r\n";
constexpr const char *content_type_line = "Content-Type: text/xml;charset=UTF-8\r\n";
constexpr const char *accept_line = "Accept: text/xml, application/xml\r\n";

// Variable lines are cut at 100 bytes, as the fixed line buffers hold.
constexpr std::size_t line_buffer_size = 100;

// Formats the local time with format into a buffer of size bytes and copies
// it out; NULL when the time cannot be read.
char *local_time_text(const char *format, std::size_t size) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) return nullptr;
    char buffer[64];
    if (size > sizeof buffer) size = sizeof buffer;
    if (std::strftime(buffer, size, format, &local) == 0) return nullptr;
    return real_dupChar(buffer, __FILE_NAME__, __LINE__);
}

// "Host: <address>\r\n" into line, or an empty line when the address is unknown.
void format_host_line(char (&line)[line_buffer_size]) {
    line[0] = '\0';
    char *address = get_system_ip();
    if (address != nullptr) {
        std::snprintf(line, sizeof line, "Host: %s\r\n", address);
        cimxml_free(address, CIMXML_ATOMIC);
    }
}

}  // namespace

char *build_cimRequest_header(const char *methodName, const char *objectText, std::size_t bodyLength,
                              int batch) {
    if (methodName == nullptr) return nullptr;
    char lengthLine[line_buffer_size];
    std::snprintf(lengthLine, sizeof lengthLine, "Content-Length: %zu\r\n", bodyLength);
    char hostLine[line_buffer_size];
    format_host_line(hostLine);

    return written_fragment([&](xml_sink &header) {
        header.put(request_line);
        header.put(lengthLine);
        if (batch) {
            header.put("CIMBatch: \r\n");
        } else if (objectText != nullptr) {
            header.put("CIMObject: ");
            header.put(objectText);
            header.put("\r\n");
        }
        header.put(connection_line);
        header.put(hostLine);
        header.put(user_agent_line);
        header.put("CIMOperation: MethodCall\r\n");
        header.put(protocol_line);
        header.put("CIMMethod: ");
        header.put(methodName);
        header.put("\r\n");
        header.put(content_type_line);
        header.put(accept_line);
        return true;
    });
}

char *build_cimexpRequest_header(const char *exportMethodName, std::size_t bodyLength, int batch) {
    if (exportMethodName == nullptr) return nullptr;
    char lengthLine[line_buffer_size];
    std::snprintf(lengthLine, sizeof lengthLine, "Content-Length: %zu\r\n", bodyLength);
    char hostLine[line_buffer_size];
    format_host_line(hostLine);
    char dateLine[line_buffer_size] = "";
    char *date = get_date_text();
    if (date != nullptr) {
        std::snprintf(dateLine, sizeof dateLine, "Date: %s\r\n", date);
        cimxml_free(date, CIMXML_ATOMIC);
    }

    return written_fragment([&](xml_sink &header) {
        header.put(request_line);
        header.put(lengthLine);
        if (batch) header.put("CIMExportBatch: \r\n");
        header.put(connection_line);
        header.put(hostLine);
        header.put(user_agent_line);
        header.put("CIMExport: MethodRequest\r\n");
        header.put(protocol_line);
        header.put("CIMExportMethod: ");
        header.put(exportMethodName);
        header.put("\r\n");
        header.put(content_type_line);
        header.put(dateLine);
        header.put(accept_line);
        return true;
    });
}

char *get_date_text() { return local_time_text("%a %b %d %H:%M:%S %Y", 60); }

char *get_message_id() {
    char *id = local_time_text("%Y:%m:%d:%H:%M:%S:%U%m%d%S", 40);
    if (id == nullptr || !strict_profile()) return id;
    // Ids made within the same second differ by the count.
    static std::atomic<unsigned long long> made{0};
    // (snprintf, not to_chars: the latter's digit table would be exported
    // from the module as a unique symbol.)
    char count[24];
    std::snprintf(count, sizeof count, ":%llu", ++made);
    char *unique = joined_fragment({id, count});
    cimxml_free(id, CIMXML_ATOMIC);
    return unique;
}

int split_received_message(const char *message, received_message_parts *parts) {
    if (parts == nullptr) return 0;
    *parts = received_message_parts{nullptr, 0, nullptr};
    if (message == nullptr) return 0;
    const char *separator = std::strstr(message, "\r\n\r\n");
    if (separator == nullptr) {
        parts->body = message;
        return 0;
    }
    parts->header = message;
    parts->headerLength = static_cast<std::size_t>(separator - message);
    parts->body = separator + 4;
    return 1;
}
