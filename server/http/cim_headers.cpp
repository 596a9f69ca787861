// cim_headers.cpp - the header checks, and matching CIMMethod and CIMObject
// against the body. Names and namespaces compare without regard to case, as
// CIM names do.
#include "cim_headers.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <vector>

namespace cimxmld {

namespace {

constexpr std::string_view mappingUri = "http://www.dmtf.org/cim/mapping/http/v1.0";

bool same(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string_view trim(std::string_view s, std::string_view chars = " \t") {
    std::size_t b = s.find_first_not_of(chars);
    if (b == std::string_view::npos) return {};
    return s.substr(b, s.find_last_not_of(chars) - b + 1);
}

std::string_view unquote(std::string_view s) {
    s = trim(s);
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
    return s;
}

Rejection reject(int status, std::string cimError, std::string reason) {
    return Rejection{status, std::move(cimError), std::move(reason)};
}

// Media type application/xml or text/xml, charset utf-8 or none.
std::optional<Rejection> checkContentType(const HeaderFields &fields) {
    const std::string *value = findField(fields, "Content-Type");
    if (value == nullptr) return reject(415, "", "no Content-Type");
    std::string_view rest(*value);
    std::size_t semicolon = rest.find(';');
    std::string_view type = trim(rest.substr(0, semicolon));
    if (!same(type, "application/xml") && !same(type, "text/xml"))
        return reject(415, "", "Content-Type " + std::string(type));
    while (semicolon != std::string_view::npos) {
        rest = rest.substr(semicolon + 1);
        semicolon = rest.find(';');
        std::string_view parameter = trim(rest.substr(0, semicolon));
        std::size_t eq = parameter.find('=');
        if (eq == std::string_view::npos || !same(trim(parameter.substr(0, eq)), "charset")) continue;
        std::string_view charset = unquote(parameter.substr(eq + 1));
        if (!same(charset, "utf-8")) return reject(415, "", "charset " + std::string(charset));
    }
    return std::nullopt;
}

bool supportedProtocolVersion(std::string_view version) {
    version = trim(version);
    if (version.size() < 3 || version.substr(0, 2) != "1.") return false;
    return std::all_of(version.begin() + 2, version.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

std::string_view trimSlashes(std::string_view s) { return trim(s, "/"); }

// "name=value,..." of a CIMObject header; values quoted ("x", with \" and
// \\ escapes) or bare up to the next comma.
bool parseKeys(std::string_view text, std::vector<ScannedKey> &keys) {
    while (!text.empty()) {
        std::size_t eq = text.find('=');
        if (eq == std::string_view::npos) return false;
        ScannedKey key{std::string(trim(text.substr(0, eq))), "", false};
        text.remove_prefix(eq + 1);
        if (!text.empty() && text.front() == '"') {
            std::size_t i = 1;
            for (; i < text.size() && text[i] != '"'; ++i) {
                if (text[i] == '\\' && i + 1 < text.size()) ++i;
                key.value += text[i];
            }
            if (i == text.size()) return false;
            text.remove_prefix(i + 1);
        } else {
            std::size_t comma = text.find(',');
            key.value = std::string(text.substr(0, comma));
            text.remove_prefix(comma == std::string_view::npos ? text.size() : comma);
        }
        keys.push_back(std::move(key));
        if (!text.empty()) {
            if (text.front() != ',') return false;
            text.remove_prefix(1);
        }
    }
    return true;
}

bool sameKeyValue(const std::string &a, const std::string &b) {
    bool boolean = same(a, "true") || same(a, "false");
    return boolean ? same(a, b) : a == b;
}

// CIMObject of an extrinsic call: "namespace:Class" or
// "namespace:Class.key=value,...", against the body's target. Reference key
// values have no single text form, so with one present only the namespace
// and the class are compared.
bool objectMatches(std::string_view object, const RequestSummary &summary) {
    if (object.substr(0, 2) == "//") {
        std::size_t slash = object.find('/', 2);
        object = slash == std::string_view::npos ? std::string_view() : object.substr(slash);
    }
    std::size_t colon = object.find(':');
    if (colon == std::string_view::npos) return false;
    if (!same(trimSlashes(object.substr(0, colon)), trimSlashes(summary.nameSpace))) return false;
    std::string_view rest = object.substr(colon + 1);
    std::size_t dot = rest.find('.');
    if (!same(rest.substr(0, dot), summary.className)) return false;
    std::vector<ScannedKey> keys;
    if (dot != std::string_view::npos && !parseKeys(rest.substr(dot + 1), keys)) return false;
    if (!summary.instanceTarget) return keys.empty();
    bool hasReference = std::any_of(summary.keys.begin(), summary.keys.end(), [](const ScannedKey &k) { return k.isReference; });
    if (hasReference) return true;
    if (keys.size() != summary.keys.size()) return false;
    for (const ScannedKey &key : summary.keys) {
        auto match = std::find_if(keys.begin(), keys.end(), [&](const ScannedKey &k) {
            return key.name.empty() || same(k.name, key.name);
        });
        if (match == keys.end() || !sameKeyValue(match->value, key.value)) return false;
    }
    return true;
}

}  // namespace

std::optional<std::string> CimHeaders::get(std::string_view name) const {
    std::string full = prefix_ + std::string(name);
    auto found = headers_.find(full);
    if (found == headers_.end()) return std::nullopt;
    return found->second;
}

std::optional<std::string> mappingPrefix(std::string_view man) {
    while (!man.empty()) {
        std::size_t comma = man.find(',');
        std::string_view declaration = man.substr(0, comma);
        man = comma == std::string_view::npos ? std::string_view() : man.substr(comma + 1);
        std::size_t semicolon = declaration.find(';');
        if (unquote(declaration.substr(0, semicolon)) != mappingUri) continue;
        std::string prefix;
        while (semicolon != std::string_view::npos) {
            declaration = declaration.substr(semicolon + 1);
            semicolon = declaration.find(';');
            std::string_view parameter = trim(declaration.substr(0, semicolon));
            if (parameter.substr(0, 3) != "ns=" || parameter.size() == 3) continue;
            // The prefix becomes part of the answer's header names: digits only.
            std::string_view ns = parameter.substr(3);
            if (!std::all_of(ns.begin(), ns.end(), [](char c) { return c >= '0' && c <= '9'; })) return std::nullopt;
            prefix = std::string(ns) + "-";
        }
        return prefix;
    }
    return std::nullopt;
}

std::optional<Rejection> checkRequestHeaders(const HeaderFields &fields, const CimHeaders &cim, bool &isExport) {
    if (auto rejected = checkContentType(fields)) return rejected;
    std::optional<std::string> operation = cim.get("CIMOperation");
    std::optional<std::string> exportRequest = cim.get("CIMExport");
    isExport = !operation && exportRequest;
    if (operation && !same(trim(*operation), "MethodCall"))
        return reject(400, "unsupported-operation", "CIMOperation: " + *operation);
    if (isExport && !same(trim(*exportRequest), "MethodRequest"))
        return reject(400, "unsupported-operation", "CIMExport: " + *exportRequest);
    if (!operation && !exportRequest)
        return reject(400, "unsupported-operation", "neither CIMOperation nor CIMExport");
    std::optional<std::string> version = cim.get("CIMProtocolVersion");
    if (version && !supportedProtocolVersion(*version))
        return reject(501, "unsupported-protocol-version", "CIMProtocolVersion: " + *version);
    if (cim.get(isExport ? "CIMExportBatch" : "CIMBatch"))
        return reject(501, "multiple-requests-unsupported", "batch header");
    return std::nullopt;
}

std::optional<Rejection> checkBody(const RequestSummary &summary, const CimHeaders &cim, bool isExport) {
    using Form = RequestSummary::Form;
    using Call = RequestSummary::Call;
    switch (summary.form) {
    case Form::NotWellFormed: return reject(400, "request-not-well-formed", summary.problem);
    case Form::MultipleRequests: return reject(501, "multiple-requests-unsupported", "multiple requests");
    case Form::NotCimRequest: return reject(400, "request-not-valid", summary.problem);
    case Form::SingleRequest: break;
    }
    if (isExport != (summary.call == Call::Export))
        return reject(400, "request-not-valid", isExport ? "export header on an operation" : "operation header on an export");
    std::optional<std::string> method = cim.get(isExport ? "CIMExportMethod" : "CIMMethod");
    if (!method || !same(trim(*method), summary.methodName))
        return reject(400, "header-mismatch", "method " + summary.methodName + " against header " + method.value_or("(none)"));
    if (isExport) return std::nullopt;
    std::optional<std::string> object = cim.get("CIMObject");
    std::string decoded = object ? percentDecode(trim(*object)) : std::string();
    bool matches = object && (summary.call == Call::Intrinsic
                                  ? same(trimSlashes(decoded), trimSlashes(summary.nameSpace))
                                  : objectMatches(decoded, summary));
    if (!matches) return reject(400, "header-mismatch", "object against header " + object.value_or("(none)"));
    return std::nullopt;
}

std::string percentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace cimxmld
