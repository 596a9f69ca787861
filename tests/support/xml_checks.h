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

// Path of the DTD our own output is validated against, or empty when
// absent: in the strict profile the DMTF DTD itself, in classic its variant
// that declares TYPE on PROPERTY.REFERENCE.
std::string ownOutputDtd(bool strict);

// True when xmllint is on the machine.
bool haveXmllint();

// xmllint's complaints about the documents (name, text) that do not
// validate against the DTD of our own output in the profile, in one xmllint
// run that names each document it rejects; empty when all validate. No value
// when the conformance data or xmllint is absent.
std::optional<std::string> ownDtdComplaints(const std::vector<std::pair<std::string, std::string>> &documents,
                                            bool strict);

// The part of an HTTP-style text after the first empty line ("\r\n\r\n");
// the whole text when there is none.
std::string bodyAfterHeader(const std::string &text);

}  // namespace testsupport
