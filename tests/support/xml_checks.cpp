// xml_checks.cpp - well-formedness and DTD checks of produced CIM-XML.
#include "support/xml_checks.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include <expat.h>

namespace testsupport {

std::string wellFormednessError(const std::string &text) {
    XML_Parser parser = XML_ParserCreate(nullptr);
    std::string error;
    if (XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_ERROR) {
        error = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
                std::to_string(XML_GetCurrentLineNumber(parser));
    }
    XML_ParserFree(parser);
    return error;
}

std::string conformanceDir() {
    const char *overridden = std::getenv("CIMXML_CONFORMANCE_DIR");
    std::filesystem::path dir = overridden ? overridden
                                           : std::filesystem::path(CIMXML_SOURCE_DIR) / ".." / "shared" / "conformance";
    std::error_code ec;
    if (std::filesystem::is_directory(dir, ec)) return std::filesystem::canonical(dir, ec).string();
    return {};
}

std::string ownOutputDtd(bool strict) {
    std::string dir = conformanceDir();
    if (dir.empty()) return {};
    std::filesystem::path dtd =
        std::filesystem::path(dir) / "dtd" / (strict ? "DSP0203_2.4.0.dtd" : "DSP0203_2.4.0-reftype.dtd");
    return std::filesystem::exists(dtd) ? dtd.string() : std::string();
}

bool haveXmllint() {
    return std::system("command -v xmllint >/dev/null 2>&1") == 0;
}

std::string dtdValidationError(const std::string &document, const std::string &dtdPath) {
    char docName[] = "/tmp/cimxml-dtd-XXXXXX";
    int fd = mkstemp(docName);
    if (fd < 0) return "cannot create a temporary file";
    bool written = write(fd, document.data(), document.size()) == static_cast<ssize_t>(document.size());
    close(fd);
    FILE *pipe = written ? popen(("xmllint --noout --dtdvalid '" + dtdPath + "' '" + docName + "' 2>&1").c_str(), "r")
                         : nullptr;
    std::string report;
    char buffer[1024];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) report += buffer;
    int status = pipe != nullptr ? pclose(pipe) : -1;
    std::remove(docName);
    return status == 0 ? "" : report.empty() ? "xmllint failed" : report;
}

std::string bodyAfterHeader(const std::string &text) {
    auto at = text.find("\r\n\r\n");
    return at == std::string::npos ? text : text.substr(at + 4);
}

}  // namespace testsupport
