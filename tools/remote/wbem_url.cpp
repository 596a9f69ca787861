// wbem_url.cpp - reading WBEM URLs.
#include "wbem_url.h"

#include <cctype>
#include <charconv>

#include <cimom/object_path_text.h>

#include "client_error.h"

namespace remote {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

bool startsWithCaseless(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    return true;
}

[[noreturn]] void fail(std::string_view url, const std::string &why) {
    throw ClientError(exitUsage, "URL " + std::string(url) + ": " + why);
}

// host and port of "host[:port]" or "[v6]:port" into url.
void readHostPort(std::string_view url, std::string_view hostPort, WbemUrl &result) {
    std::string_view portText;
    if (!hostPort.empty() && hostPort.front() == '[') {
        size_t close = hostPort.find(']');
        if (close == std::string_view::npos) fail(url, "no ']' after the IPv6 address");
        result.host = hostPort.substr(1, close - 1);
        std::string_view rest = hostPort.substr(close + 1);
        if (!rest.empty() && rest.front() != ':') fail(url, "unexpected text after the IPv6 address");
        if (!rest.empty()) portText = rest.substr(1);
    } else {
        size_t colon = hostPort.rfind(':');
        result.host = hostPort.substr(0, colon);
        if (colon != std::string_view::npos) portText = hostPort.substr(colon + 1);
    }
    if (result.host.empty()) fail(url, "no host");
    if (portText.empty()) return;
    int port = 0;
    auto [end, error] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (error != std::errc() || end != portText.data() + portText.size() || port < 1 || port > 65535)
        fail(url, "port " + std::string(portText) + " is not in 1..65535");
    result.port = port;
}

}  // namespace

std::string percentDecoded(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        int high = i + 2 < text.size() && text[i] == '%' ? hexDigit(text[i + 1]) : -1;
        int low = high >= 0 ? hexDigit(text[i + 2]) : -1;
        if (low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string WbemUrl::authority() const {
    std::string name = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    return name + ":" + std::to_string(port);
}

bool WbemUrl::namesClass() const { return !isEmptyCIMString(getObjectPathName(path.get())); }

bool WbemUrl::namesInstance() const { return namesClass() && !isEmptyCIMPropertyList(getObjectPathKeys(path.get())); }

WbemUrl parseWbemUrl(std::string_view text) {
    WbemUrl result;
    std::string_view rest;
    if (startsWithCaseless(text, "https://")) {
        result.https = true;
        result.port = 5989;
        rest = text.substr(8);
    } else if (startsWithCaseless(text, "http://")) {
        rest = text.substr(7);
    } else {
        fail(text, "expected http:// or https:// at its start");
    }
    size_t slash = rest.find('/');
    std::string_view authority = rest.substr(0, slash);
    std::string_view object = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);

    size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
        std::string_view userInfo = authority.substr(0, at);
        size_t colon = userInfo.find(':');
        result.user = percentDecoded(userInfo.substr(0, colon));
        if (colon != std::string_view::npos) result.password = percentDecoded(userInfo.substr(colon + 1));
        if (result.user.empty()) fail(text, "a password without a user");
        authority = authority.substr(at + 1);
    }
    readHostPort(text, authority, result);

    // The namespace ends at the first ':'; namespaces never hold one.
    size_t colon = object.find(':');
    std::string_view nameSpace = object.substr(0, colon);
    while (!nameSpace.empty() && nameSpace.back() == '/')
        nameSpace.remove_suffix(1);
    result.nameSpaceGiven = !nameSpace.empty();
    result.nameSpace = result.nameSpaceGiven ? std::string(nameSpace) : "root/cimv2";
    if (colon == std::string_view::npos) {
        result.path.reset(newObjectPathWithName(nullptr));
    } else {
        std::string error;
        std::string_view objectPath = object.substr(colon + 1);
        result.path = cimom::parseObjectPathText(cimobj::fromUtf8(objectPath), &error);
        if (!result.path) fail(text, error + " in " + std::string(objectPath));
    }
    if (!result.path) throw std::bad_alloc();
    setObjectPathNameSpace(result.path.get(), cimobj::makeString(cimobj::fromUtf8(result.nameSpace)).release());
    return result;
}

}  // namespace remote
