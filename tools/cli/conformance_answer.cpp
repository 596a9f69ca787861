// conformance_answer.cpp - judging one answer: headers, envelope, response
// element, then status or results.
#include "conformance_answer.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>

#include "client_error.h"

namespace conformance {

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string trim(const std::string &text) {
    size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) return {};
    size_t end = text.find_last_not_of(" \t");
    return text.substr(start, end - start + 1);
}

bool sameName(const std::string &a, const std::string &b) { return lower(a) == lower(b); }

// At most 160 characters of text on one line, for a report line.
std::string shortened(const std::string &text) {
    std::string line = remote::oneLine(text);
    return line.size() > 160 ? line.substr(0, 157) + "..." : line;
}

std::string quoted(const std::string &text) { return "\"" + shortened(text) + "\""; }

std::string statusText(int code) { return remote::cimStatusName(code) + " (" + std::to_string(code) + ")"; }

std::string statusList(const std::vector<int> &codes) {
    std::string text;
    for (size_t i = 0; i < codes.size(); ++i)
        text += (i == 0 ? "" : i + 1 == codes.size() ? " or " : ", ") + statusText(codes[i]);
    return text;
}

std::string wordList(const std::vector<std::string> &words) {
    std::string text;
    for (size_t i = 0; i < words.size(); ++i) text += (i == 0 ? "" : " or ") + words[i];
    return text;
}

// "application/xml; charset=\"utf-8\"" and its variants: the media type and
// the charset, both lower case, quotes taken off.
struct ContentType {
    std::string media, charset;
};

ContentType readContentType(const std::string &value) {
    ContentType result;
    size_t semicolon = value.find(';');
    result.media = lower(trim(value.substr(0, semicolon)));
    while (semicolon != std::string::npos) {
        size_t next = value.find(';', semicolon + 1);
        std::string parameter = trim(value.substr(semicolon + 1, next - semicolon - 1));
        size_t equals = parameter.find('=');
        if (equals != std::string::npos && lower(trim(parameter.substr(0, equals))) == "charset") {
            std::string charset = trim(parameter.substr(equals + 1));
            if (charset.size() >= 2 && charset.front() == '"' && charset.back() == '"')
                charset = charset.substr(1, charset.size() - 2);
            result.charset = lower(charset);
        }
        semicolon = next;
    }
    return result;
}

bool isProtocolVersion(const std::string &text) {
    size_t dot = text.find('.');
    auto digits = [](std::string_view part) {
        return !part.empty() && std::all_of(part.begin(), part.end(), [](unsigned char c) { return std::isdigit(c); });
    };
    return dot != std::string::npos && digits(std::string_view(text).substr(0, dot)) &&
           digits(std::string_view(text).substr(dot + 1));
}

void checkHeaders(const remote::HttpAnswer &http, std::vector<std::string> &problems) {
    std::string operation = trim(http.header("CIMOperation"));
    if (!sameName(operation, "MethodResponse"))
        problems.push_back(operation.empty() ? "no CIMOperation header (MethodResponse expected)"
                                             : "CIMOperation header " + quoted(operation) + ", expected MethodResponse");
    std::string version = trim(http.header("CIMProtocolVersion"));
    if (!isProtocolVersion(version))
        problems.push_back(version.empty() ? "no CIMProtocolVersion header"
                                           : "CIMProtocolVersion header " + quoted(version) + " is no version (1.x)");
    std::string contentType = http.header("Content-Type");
    ContentType type = readContentType(contentType);
    if (type.media != "application/xml" && type.media != "text/xml")
        problems.push_back("Content-Type " + quoted(contentType) + ", expected application/xml or text/xml");
    else if (type.charset != "utf-8")
        problems.push_back("Content-Type " + quoted(contentType) + " does not say charset utf-8");
}

// The element names of children, "IRETURNVALUE, PARAMVALUE".
std::string childNames(const XmlElement &element) {
    std::string text;
    for (const auto &child : element.children) text += (text.empty() ? "" : ", ") + child->name;
    return text.empty() ? "nothing" : text;
}

// "IRETURNVALUE with 2 CLASSNAME", "empty IRETURNVALUE".
std::string describeResult(const XmlElement *value) {
    if (!value) return "no " + std::string("IRETURNVALUE");
    if (value->children.empty()) return "empty " + value->name;
    std::map<std::string, int> counts;
    for (const auto &child : value->children) ++counts[child->name];
    std::string text = value->name + " with ";
    bool first = true;
    for (const auto &[name, count] : counts) {
        text += (first ? "" : ", ") + std::to_string(count) + " " + name;
        first = false;
    }
    return text;
}

void checkResults(const XmlElement *value, const ResultShape &shape, std::vector<std::string> &problems) {
    if (!shape.returnsValue) {
        if (value)
            problems.push_back(describeResult(value) + " where the operation returns nothing (no IRETURNVALUE)");
        return;
    }
    int count = 0;
    std::string kind;
    if (value) {
        for (const auto &child : value->children) {
            if (std::find(shape.elements.begin(), shape.elements.end(), child->name) == shape.elements.end()) {
                problems.push_back(child->name + " in " + value->name + ", expected " +
                                   (shape.elements.empty() ? std::string("nothing") : wordList(shape.elements)));
                return;
            }
            if (!kind.empty() && kind != child->name) {
                problems.push_back(value->name + " mixes " + kind + " and " + child->name);
                return;
            }
            kind = child->name;
            ++count;
        }
    }
    std::string what = shape.elements.empty() ? "elements" : wordList(shape.elements);
    if (count < shape.min)
        problems.push_back(describeResult(value) + ", expected " +
                           (shape.max == shape.min ? "exactly " : "at least ") + std::to_string(shape.min) + " " +
                           what);
    else if (shape.max >= 0 && count > shape.max)
        problems.push_back(describeResult(value) + ", expected " + (shape.max == 0 ? "none" : "at most " +
                                                                        std::to_string(shape.max) + " " + what));
}

// The response element's children: ERROR alone, or the result element
// (IRETURNVALUE or RETURNVALUE) at most once and first, then PARAMVALUE*.
void checkResponseChildren(const XmlElement &response, const char *resultName, std::vector<std::string> &problems) {
    const XmlElement *error = response.child("ERROR");
    if (error && response.children.size() > 1) {
        problems.push_back(response.name + " holds ERROR beside " + childNames(response));
        return;
    }
    for (size_t i = 0; i < response.children.size(); ++i) {
        const std::string &name = response.children[i]->name;
        bool allowed = name == "ERROR" || name == "PARAMVALUE" || (name == resultName && i == 0);
        if (!allowed) {
            problems.push_back(response.name + " holds " + childNames(response) + " (expected ERROR, or " +
                               resultName + "? then PARAMVALUE*)");
            return;
        }
    }
}

}  // namespace

InspectedAnswer inspectAnswer(remote::HttpAnswer answer) {
    InspectedAnswer result;
    result.http = std::move(answer);
    result.body = parseXml(result.http.body);
    return result;
}

std::string requestMessageId(const std::string &request) {
    size_t message = request.find("<MESSAGE");
    if (message == std::string::npos) return {};
    size_t id = request.find("ID=\"", message);
    if (id == std::string::npos) return {};
    size_t end = request.find('"', id + 4);
    return end == std::string::npos ? std::string() : request.substr(id + 4, end - id - 4);
}

Judgement judgeAnswer(const InspectedAnswer &answer, const Expectation &expected, const std::string &operation,
                      const std::string &messageId) {
    Judgement j;
    const remote::HttpAnswer &http = answer.http;
    std::string cimError = trim(http.header("CIMError"));
    if (http.status != 200) {
        j.seen = "HTTP " + std::to_string(http.status) + (http.reason.empty() ? "" : " " + http.reason) +
                 (cimError.empty() ? ", no CIMError header" : ", CIMError: " + cimError);
        if (http.status != expected.httpStatus)
            j.problems.push_back("HTTP " + std::to_string(http.status) + ", expected " +
                                 std::to_string(expected.httpStatus));
        if (expected.httpStatus != 200 && !expected.cimErrors.empty() &&
            std::none_of(expected.cimErrors.begin(), expected.cimErrors.end(),
                         [&](const std::string &allowed) { return sameName(allowed, cimError); }))
            j.problems.push_back((cimError.empty() ? std::string("no CIMError header")
                                                   : "CIMError header " + quoted(cimError)) +
                                 ", expected " + wordList(expected.cimErrors));
        return j;
    }
    if (expected.httpStatus != 200) {
        j.seen = "HTTP 200";
        j.problems.push_back("HTTP 200, expected " + std::to_string(expected.httpStatus) + " with CIMError " +
                             wordList(expected.cimErrors));
        return j;
    }

    checkHeaders(http, j.problems);
    if (!cimError.empty()) j.problems.push_back("a CIMError header (" + quoted(cimError) + ") on a 200 answer");
    if (!answer.body.root) {
        j.seen = "a body that is not well-formed XML";
        j.problems.push_back("body is not well-formed XML: " + answer.body.error);
        return j;
    }
    const XmlElement &cim = *answer.body.root;
    if (cim.name != "CIM" || !cim.attribute("CIMVERSION") || !cim.attribute("DTDVERSION")) {
        j.seen = "a document whose root is " + cim.name;
        j.problems.push_back("root element " + cim.name + " is not CIM with CIMVERSION and DTDVERSION");
        return j;
    }
    const XmlElement *message = cim.child("MESSAGE");
    if (!message || cim.children.size() != 1 || !message->attribute("ID") || !message->attribute("PROTOCOLVERSION")) {
        j.seen = "CIM holding " + childNames(cim);
        j.problems.push_back("CIM does not hold one MESSAGE with ID and PROTOCOLVERSION");
        return j;
    }
    if (!messageId.empty() && *message->attribute("ID") != messageId)
        j.problems.push_back("MESSAGE ID " + quoted(*message->attribute("ID")) + ", expected the request's " +
                             quoted(messageId));
    const XmlElement *simple = message->child("SIMPLERSP");
    if (!simple || message->children.size() != 1) {
        j.seen = "MESSAGE holding " + childNames(*message);
        j.problems.push_back("MESSAGE does not hold one SIMPLERSP");
        return j;
    }
    const char *responseKind = expected.extrinsic ? "METHODRESPONSE" : "IMETHODRESPONSE";
    const char *resultKind = expected.extrinsic ? "RETURNVALUE" : "IRETURNVALUE";
    const XmlElement *response = simple->children.size() == 1 ? simple->children[0].get() : nullptr;
    if (!response || response->name != responseKind) {
        j.seen = "SIMPLERSP holding " + childNames(*simple);
        j.problems.push_back("SIMPLERSP holds " + childNames(*simple) + ", expected one " + responseKind);
        return j;
    }
    const std::string wantedName = expected.responseName.empty() ? operation : expected.responseName;
    const std::string *name = response->attribute("NAME");
    if (!name || !sameName(*name, wantedName))
        j.problems.push_back(std::string(responseKind) + " NAME " + (name ? quoted(*name) : "absent") +
                             ", expected " + quoted(wantedName));
    checkResponseChildren(*response, resultKind, j.problems);

    if (const XmlElement *error = response->child("ERROR")) {
        const std::string *code = error->attribute("CODE");
        const std::string *description = error->attribute("DESCRIPTION");
        int status = 0;
        bool numeric = code && !code->empty() &&
                       std::from_chars(code->data(), code->data() + code->size(), status).ptr ==
                           code->data() + code->size();
        j.seen = (numeric ? statusText(status) : "ERROR CODE " + (code ? quoted(*code) : "absent")) +
                 (description && !description->empty() ? ": " + shortened(*description) : "");
        if (!numeric) {
            j.problems.push_back(code ? "ERROR CODE " + quoted(*code) + " is no number" : "ERROR without CODE");
        } else if (!expected.anyStatus &&
                   std::find(expected.statuses.begin(), expected.statuses.end(), status) == expected.statuses.end()) {
            if (expected.statuses.empty())
                j.problems.push_back(statusText(status) + ", expected success");
            else
                j.problems.push_back(statusText(status) + ", expected " + statusList(expected.statuses) +
                                     (expected.success ? " or success" : ""));
        }
        return j;
    }
    const XmlElement *value = response->child(resultKind);
    j.seen = expected.extrinsic ? (value ? describeResult(value) : "no RETURNVALUE") : describeResult(value);
    if (!expected.success) {
        j.problems.push_back("success (" + j.seen + "), expected " +
                             (expected.anyStatus ? std::string("an ERROR") : statusList(expected.statuses)));
        return j;
    }
    if (!expected.extrinsic) checkResults(value, *expected.success, j.problems);
    return j;
}

}  // namespace conformance
