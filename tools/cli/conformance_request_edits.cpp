// conformance_request_edits.cpp - text edits of encoded requests.
#include "conformance_request_edits.h"

#include <strings.h>

#include <utility>

namespace conformance {

namespace {

size_t bodyStart(const std::string &request) {
    size_t end = request.find("\r\n\r\n");
    return end == std::string::npos ? 0 : end + 4;
}

// Where the header line name starts and its length with CRLF; npos when absent.
std::pair<size_t, size_t> headerLine(const std::string &request, std::string_view name) {
    size_t end = bodyStart(request);
    size_t at = request.find("\r\n");
    for (size_t start = at == std::string::npos ? end : at + 2; end > 0 && start < end - 2;) {
        size_t next = request.find("\r\n", start);
        if (next - start > name.size() && request[start + name.size()] == ':' &&
            strncasecmp(request.c_str() + start, std::string(name).c_str(), name.size()) == 0)
            return {start, next + 2 - start};
        start = next + 2;
    }
    return {std::string::npos, 0};
}

}  // namespace

std::string withHeader(std::string request, std::string_view name, std::string_view value) {
    std::string line = std::string(name) + ": " + std::string(value) + "\r\n";
    auto [start, length] = headerLine(request, name);
    if (start != std::string::npos) return request.replace(start, length, line);
    size_t at = request.find("\r\n");
    return at == std::string::npos || bodyStart(request) == 0 ? request : request.insert(at + 2, line);
}

std::string withoutHeader(std::string request, std::string_view name) {
    auto [start, length] = headerLine(request, name);
    return start == std::string::npos ? request : request.erase(start, length);
}

std::string withBody(std::string request, std::string_view body) {
    return request.replace(bodyStart(request), std::string::npos, body);
}

std::string renamedCall(std::string request, std::string_view to) {
    size_t call = request.find("<IMETHODCALL NAME=\"", bodyStart(request));
    if (call != std::string::npos) {
        size_t start = call + 19;
        size_t end = request.find('"', start);
        request.replace(start, end - start, to);
    }
    return withHeader(std::move(request), "CIMMethod", to);
}

std::string withoutParameter(std::string request, std::string_view name) {
    for (const char *element : {"IPARAMVALUE", "PARAMVALUE"}) {
        std::string open = "<" + std::string(element) + " NAME=\"" + std::string(name) + "\"";
        size_t start = request.find(open, bodyStart(request));
        if (start == std::string::npos) continue;
        size_t tagEnd = request.find('>', start);
        if (tagEnd == std::string::npos) return request;
        size_t end = request[tagEnd - 1] == '/' ? tagEnd + 1 : request.find("</" + std::string(element) + ">", tagEnd);
        if (end == std::string::npos) return request;
        if (request[tagEnd - 1] != '/') end += std::string(element).size() + 3;
        return request.erase(start, end - start);
    }
    return request;
}

std::string withParameter(std::string request, std::string_view element) {
    size_t end = request.rfind("</IMETHODCALL>");
    return end == std::string::npos ? request : request.insert(end, element);
}

std::string withBodyText(std::string request, std::string_view from, std::string_view to) {
    size_t at = request.find(from, bodyStart(request));
    return at == std::string::npos ? request : request.replace(at, from.size(), to);
}

}  // namespace conformance
