// destination_url.cpp - listener URLs and the hosts the server may send to.
#include "indications/destination_url.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>

namespace cimom {

namespace {

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

Status bad(std::string_view text, const std::string &why) {
    return Status::error(4, "Destination \"" + std::string(text) + "\": " + why);
}

// Hosts that answer with cloud credentials or that only a neighbour on the
// same link can be: a subscription must not make the server ask them.
bool refusedByDefault(const std::string &host) {
    static const char *const names[] = {"metadata", "metadata.google.internal", "metadata.azure.internal"};
    for (const char *name : names)
        if (host == name) return true;
    unsigned char v4[4];
    if (inet_pton(AF_INET, host.c_str(), v4) == 1) return v4[0] == 169 && v4[1] == 254;  // 169.254.0.0/16
    unsigned char v6[16];
    if (inet_pton(AF_INET6, host.c_str(), v6) == 1) {
        if (v6[0] == 0xfe && (v6[1] & 0xc0) == 0x80) return true;  // fe80::/10
        static const unsigned char ec2[16] = {0xfd, 0x00, 0x0e, 0xc2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x02, 0x54};
        if (std::memcmp(v6, ec2, 16) == 0) return true;
        // An IPv4 address mapped into IPv6 is judged as that address.
        static const unsigned char mapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
        if (std::memcmp(v6, mapped, 12) == 0) return v6[12] == 169 && v6[13] == 254;
    }
    return false;
}

}  // namespace

Status parseDestinationUrl(std::string_view text, DestinationUrl &url) {
    std::size_t schemeEnd = text.find("://");
    if (schemeEnd == std::string_view::npos) return bad(text, "not a URL (expected http://host[:port]/path)");
    std::string scheme = lowered(text.substr(0, schemeEnd));
    if (scheme != "http" && scheme != "https")
        return bad(text, "scheme " + scheme + " is not supported (only http and https)");
    url.https = scheme == "https";
    std::string_view rest = text.substr(schemeEnd + 3);
    std::size_t authorityEnd = rest.find_first_of("/?#");
    std::string_view authority = rest.substr(0, authorityEnd);
    url.target = authorityEnd == std::string_view::npos ? "/" : std::string(rest.substr(authorityEnd));
    if (!url.target.empty() && url.target.front() != '/') url.target.insert(0, "/");
    if (std::size_t fragment = url.target.find('#'); fragment != std::string::npos) url.target.erase(fragment);
    if (authority.find('@') != std::string_view::npos) return bad(text, "credentials in the URL are not accepted");
    std::string_view portText;
    if (!authority.empty() && authority.front() == '[') {
        std::size_t close = authority.find(']');
        if (close == std::string_view::npos) return bad(text, "unclosed [ in the host");
        url.host = std::string(authority.substr(1, close - 1));
        std::string_view after = authority.substr(close + 1);
        if (!after.empty() && after.front() != ':') return bad(text, "unexpected text after the host");
        if (!after.empty()) portText = after.substr(1);
        unsigned char v6[16];
        if (inet_pton(AF_INET6, url.host.c_str(), v6) != 1) return bad(text, "[" + url.host + "] is no IPv6 address");
    } else {
        std::size_t colon = authority.rfind(':');
        url.host = std::string(authority.substr(0, colon));
        if (colon != std::string_view::npos) portText = authority.substr(colon + 1);
        for (char c : url.host)
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.' && c != '_')
                return bad(text, "the host holds the character '" + std::string(1, c) + "'");
    }
    if (url.host.empty()) return bad(text, "no host");
    url.host = lowered(url.host);
    url.port = url.https ? 5989 : 5988;
    bool portGiven = authority.front() == '[' ? authority.back() != ']' : authority.find(':') != std::string_view::npos;
    if (portGiven) {
        unsigned value = 0;
        auto [end, ec] = std::from_chars(portText.data(), portText.data() + portText.size(), value);
        if (ec != std::errc() || end != portText.data() + portText.size() || value == 0 || value > 65535)
            return bad(text, "port \"" + std::string(portText) + "\" is not a number from 1 to 65535");
        url.port = static_cast<unsigned short>(value);
    }
    return Status::success();
}

Status checkDestinationHost(const DestinationUrl &url, const DestinationPolicy &policy) {
    if (!policy.allowed.empty()) {
        for (const std::string &allowed : policy.allowed)
            if (lowered(allowed) == url.host) return Status::success();
        return Status::error(2, "Destination host " + url.host + " is not among the hosts this server delivers to");
    }
    if (refusedByDefault(url.host))
        return Status::error(2, "Destination host " + url.host +
                                    " is refused: link-local and metadata addresses never receive indications");
    return Status::success();
}

}  // namespace cimom
