// xml_checks.h - well-formedness and DTD checks of produced CIM-XML.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// Empty when text is a well-formed XML document (Expat), else Expat's error
// with its line.
std::string wellFormednessError(const std::string &text);

// Folder of the shared conformance data, or empty when it is absent.
std::string conformanceDir();

// Path of the DTD our own output is validated against, or empty when absent.
std::string ownOutputDtd();

// True when xmllint is on the machine.
bool haveXmllint();

// xmllint's complaints about the documents (name, text) that do not
// validate against the DTD of our own output, in one xmllint run that names
// each document it rejects; empty when all validate. No value when the
// conformance data or xmllint is absent.
std::optional<std::string> ownDtdComplaints(const std::vector<std::pair<std::string, std::string>> &documents);

// The part of an HTTP-style text after the first empty line ("\r\n\r\n");
// the whole text when there is none.
std::string bodyAfterHeader(const std::string &text);

}  // namespace testsupport
