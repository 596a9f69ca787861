// xml_checks.h - well-formedness and DTD checks of produced CIM-XML.
#pragma once

#include <string>

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

// Empty when the document validates against dtdPath with
// xmllint --noout --dtdvalid, else xmllint's complaint.
std::string dtdValidationError(const std::string &document, const std::string &dtdPath);

// The part of an HTTP-style text after the first empty line ("\r\n\r\n");
// the whole text when there is none.
std::string bodyAfterHeader(const std::string &text);

}  // namespace testsupport
