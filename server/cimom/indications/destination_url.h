// destination_url.h - the address of a listener destination: an http or
// https URL, checked before the server ever sends anything there.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cimom/status.h"

namespace cimom {

struct DestinationUrl {
    bool https = false;
    std::string host;        // a name, an IPv4 address or an IPv6 address without brackets
    unsigned short port = 0;  // 5988 (http) or 5989 (https) when the URL gives none
    std::string target;      // the path and query, "/" when the URL gives none
};

// Which hosts destinations may name. Empty allowed: any host but the
// refused ones; else only those listed (names caseless, addresses as
// written). Link-local addresses and the cloud metadata endpoints are
// refused unless listed explicitly.
struct DestinationPolicy {
    std::vector<std::string> allowed;
};

// Parses text as scheme://host[:port][/target]. Returns success, or status
// 4 saying what is wrong ("Destination ...: ..."); url is then unspecified.
Status parseDestinationUrl(std::string_view text, DestinationUrl &url);

// Success when policy lets the server send to url's host, else status 2
// naming the host and why it is refused.
Status checkDestinationHost(const DestinationUrl &url, const DestinationPolicy &policy);

}  // namespace cimom
