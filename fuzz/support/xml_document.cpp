// xml_document.cpp - the document and header checks, on Expat.
#include "support/xml_document.h"

#include <expat.h>

#include <charconv>

#include "support/fuzz_check.h"

namespace fuzzsupport {

namespace {

struct RootCapture {
    std::string name;
    bool seen = false;
};

void XMLCALL onStart(void *data, const XML_Char *name, const XML_Char **) {
    auto *capture = static_cast<RootCapture *>(data);
    if (!capture->seen) capture->name = name;
    capture->seen = true;
}

bool isTokenChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

}  // namespace

std::string xmlProblem(std::string_view text, std::string_view root) {
    XML_Parser parser = XML_ParserCreate("UTF-8");
    RootCapture capture;
    XML_SetUserData(parser, &capture);
    XML_SetStartElementHandler(parser, onStart);
    std::string problem;
    if (XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_ERROR) {
        problem = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
                  std::to_string(XML_GetCurrentLineNumber(parser));
    } else if (!root.empty() && capture.name != root) {
        problem = "root element " + capture.name;
    }
    XML_ParserFree(parser);
    return problem;
}

std::string_view checkHeaderLines(std::string_view text, std::string_view what) {
    for (;;) {
        std::size_t end = text.find("\r\n");
        check(end != std::string_view::npos, what, "a header line without CR LF");
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 2);
        if (line.empty()) return text;
        check(line.find_first_of("\r\n") == std::string_view::npos, what, "CR or LF inside a header line");
        std::size_t colon = line.find(':');
        check(colon != std::string_view::npos && colon > 0, what, line);
        for (char c : line.substr(0, colon)) check(isTokenChar(c), what, line);
    }
}

void checkModuleResponse(std::string_view text) {
    check(text.starts_with("CIMOperation: MethodResponse\r\n") || text.starts_with("CIMExport: MethodResponse\r\n"),
          "response begins with its CIM header line", text.substr(0, 200));
    std::string_view message = checkHeaderLines(text, "response header lines");
    std::string problem = xmlProblem(message, "CIM");
    check(problem.empty(), "response message is a well-formed CIM document", problem + "\n" + std::string(message));
}

void checkEncodedRequest(std::string_view text, bool withHead) {
    std::string_view message = text;
    if (withHead) {
        std::size_t lineEnd = text.find("\r\n");
        check(text.starts_with("POST ") && lineEnd != std::string_view::npos, "request line", text.substr(0, 200));
        message = checkHeaderLines(text.substr(lineEnd + 2), "request header lines");
        std::size_t at = text.find("\r\nContent-Length: ");
        check(at != std::string_view::npos, "request has a Content-Length", text.substr(0, 400));
        std::size_t length = 0;
        const char *digits = text.data() + at + 18;
        std::from_chars(digits, text.data() + text.size(), length);
        check(length == message.size(), "Content-Length counts the message", text.substr(0, 400));
    }
    std::string problem = xmlProblem(message, "CIM");
    check(problem.empty(), "encoded request is a well-formed CIM document", problem + "\n" + std::string(message));
}

}  // namespace fuzzsupport
