// request_scan.h - what the front end learns from a CIM-XML request body
// before the module sees it: whether it is well-formed, one request, and
// which method and object it names (to hold against the CIM headers and to
// log).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cimxmld {

struct ScannedKey {
    std::string name;    // empty for a single unnamed key value
    std::string value;   // the KEYVALUE text
    bool isReference = false;
};

struct RequestSummary {
    enum class Form {
        NotWellFormed,     // Expat refused it (problem says where and why)
        NotCimRequest,     // well-formed, but not CIM/MESSAGE/SIMPLE...REQ/one call
        MultipleRequests,  // MULTIREQ or MULTIEXPREQ
        SingleRequest,
    };
    enum class Call { Intrinsic, Extrinsic, Export };

    Form form = Form::NotCimRequest;
    std::string problem;
    Call call = Call::Intrinsic;
    std::string methodName;   // NAME of the call element
    std::string nameSpace;    // "root/cimv2" from the call's LOCALNAMESPACEPATH
    std::string className;    // the class the call addresses (or names first), for the log
    bool instanceTarget = false;  // extrinsic call on an instance
    std::vector<ScannedKey> keys; // that instance's key bindings
};

// Reads body with Expat (no external entities). Linear in the body's size;
// never throws on bad input.
RequestSummary scanRequest(std::string_view body);

}  // namespace cimxmld
