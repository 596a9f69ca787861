// xml_checks.cpp - well-formedness and DTD checks of produced CIM-XML.
#include "support/xml_checks.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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

std::optional<std::string> ownDtdComplaints(const std::vector<std::pair<std::string, std::string>> &documents,
                                            bool strict) {
    const std::string dtd = ownOutputDtd(strict);
    if (dtd.empty() || !haveXmllint()) return std::nullopt;
    char folder[] = "/tmp/cimxml-dtd-XXXXXX";
    if (mkdtemp(folder) == nullptr) return "cannot create a temporary folder";
    std::string files;
    for (const auto &[name, text] : documents) {
        std::ofstream(std::string(folder) + "/" + name + ".xml", std::ios::binary) << text;
        files += " '" + name + ".xml'";
    }
    FILE *pipe = popen(("cd " + std::string(folder) + " && xmllint --noout --dtdvalid '" + dtd + "'" + files + " 2>&1")
                           .c_str(), "r");
    std::string report;
    char buffer[1024];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) report += buffer;
    int status = pipe != nullptr ? pclose(pipe) : -1;
    std::filesystem::remove_all(folder);
    return status == 0 ? "" : report.empty() ? "xmllint failed" : report;
}

std::string bodyAfterHeader(const std::string &text) {
    auto at = text.find("\r\n\r\n");
    return at == std::string::npos ? text : text.substr(at + 4);
}

}  // namespace testsupport
