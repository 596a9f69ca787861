// conformance_request_edits.h - the invalid requests of the conformance
// checker, made by editing a valid request the client library encoded: a
// header line changed, a parameter taken out or added, the call renamed,
// the body replaced.
#pragma once

#include <string>
#include <string_view>

namespace conformance {

// request (header lines, empty line, body) with the header line name set
// to value: replaced when present (name compared without regard to case),
// added after the request line otherwise.
std::string withHeader(std::string request, std::string_view name, std::string_view value);
// request without the header line name.
std::string withoutHeader(std::string request, std::string_view name);
// request with its body replaced by body.
std::string withBody(std::string request, std::string_view body);
// request calling the intrinsic method to instead: the IMETHODCALL NAME
// and the CIMMethod header line.
std::string renamedCall(std::string request, std::string_view to);
// request with the IPARAMVALUE (or PARAMVALUE) named name taken out;
// unchanged when it has none.
std::string withoutParameter(std::string request, std::string_view name);
// request with element (an IPARAMVALUE's text) added as the last parameter
// of its IMETHODCALL.
std::string withParameter(std::string request, std::string_view element);
// request with the first "from" in its body replaced by "to".
std::string withBodyText(std::string request, std::string_view from, std::string_view to);

}  // namespace conformance
