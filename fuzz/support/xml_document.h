// xml_document.h - what the fuzz targets require of every document they see
// come out: well-formed XML (checked with Expat) with the expected root, and
// HTTP-style header lines that cannot be split or injected into.
#pragma once

#include <string>
#include <string_view>

namespace fuzzsupport {

// Expat's complaint about text read as one complete document, with the line;
// empty when it is well-formed and its root element is named root (any root
// when root is empty).
std::string xmlProblem(std::string_view text, std::string_view root = {});

// Header lines up to the first empty line: each "Name: value" ended by CR LF,
// the name a token, no other CR or LF anywhere. Returns the text after the
// empty line; fails when the head is malformed or no empty line ends it.
std::string_view checkHeaderLines(std::string_view text, std::string_view what);

// A module response: header lines (the first "CIMOperation: MethodResponse"
// or "CIMExport: MethodResponse"), an empty line, and a well-formed CIM
// document. Fails otherwise.
void checkModuleResponse(std::string_view text);

// A client request as an encoder returns it: with its HTTP head (request
// line, header lines with a Content-Length that counts the body) or without,
// and a well-formed CIM document. Fails otherwise.
void checkEncodedRequest(std::string_view text, bool withHead);

}  // namespace fuzzsupport
