// conformance_answer.h - one answer as the checker sees it: the HTTP status,
// the CIM header lines and the XML body read into a tree, judged against an
// expectation.
#pragma once

#include <string>
#include <vector>

#include "conformance_expectation.h"
#include "conformance_xml_tree.h"
#include "http_transport.h"

namespace conformance {

struct InspectedAnswer {
    remote::HttpAnswer http;
    XmlParse body;  // the body read as XML (its error when not well-formed)
};

// Reads answer's body. Never throws on any content (std::bad_alloc aside).
InspectedAnswer inspectAnswer(remote::HttpAnswer answer);

struct Judgement {
    std::vector<std::string> problems;  // empty: the answer is what expected asks for
    std::string seen;                   // the answer in short ("CIM_ERR_NOT_FOUND (6): no class X")
};

// Judges answer to a request for operation (the IMETHODCALL or METHODCALL
// name) whose MESSAGE had messageId: an HTTP refusal by its status and
// CIMError header; any other answer by its status 200, its CIMOperation,
// CIMProtocolVersion and Content-Type header lines, its CIM, MESSAGE (the
// request's ID) and SIMPLERSP elements, the response element's name and
// children (ERROR alone with a CODE, or IRETURNVALUE? PARAMVALUE*) and then
// by what expected allows: the status, or the result elements.
Judgement judgeAnswer(const InspectedAnswer &answer, const Expectation &expected, const std::string &operation,
                      const std::string &messageId);

// The value of the ID attribute of the first MESSAGE element in a request's
// text; empty when there is none.
std::string requestMessageId(const std::string &request);

}  // namespace conformance
