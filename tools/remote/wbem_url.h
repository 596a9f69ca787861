// wbem_url.h - the WBEM URL that names a server and an object in it:
//
//   http[s]://[user[:password]@]host[:port][/namespace[:Class[.Key=value,...]]]
//
// The object part is the object path text form (object_path_text.h):
// quoted strings, numbers, true/false, references as quoted path texts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <cimobj/cimobj.hpp>

namespace remote {

struct WbemUrl {
    bool https = false;
    std::string user;                     // empty: none
    std::optional<std::string> password;  // only when the URL gives one
    std::string host;                     // without brackets for IPv6
    int port = 5988;                      // 5988 for http, 5989 for https unless given
    std::string nameSpace;                // "root/cimv2" when the URL gives none
    bool nameSpaceGiven = false;
    // The namespace, and the class and keys when the URL names an object
    // (the class name is NULL when it names only a namespace). Never NULL.
    cimobj::PathPtr path;

    // "host:port" ("[::1]:5988" for IPv6), for messages.
    std::string authority() const;
    bool namesClass() const;
    bool namesInstance() const;  // a class with at least one key
};

// Parses text. User and password are percent-decoded; nothing else is.
// Throws ClientError(exitUsage) with "URL <text>: <what is wrong>" ("no
// host", "port 0 is not in 1..65535", "expected '=' after key name ...").
WbemUrl parseWbemUrl(std::string_view text);

// text with every %XX decoded; a '%' without two hex digits is kept as it is.
std::string percentDecoded(std::string_view text);

}  // namespace remote
