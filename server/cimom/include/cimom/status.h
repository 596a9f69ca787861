// status.h - the outcome of an object-manager step: a CIM status code
// (0 success, 1..17 the CIM errors) and a description a person can read.
#pragma once

#include <string>
#include <utility>

namespace cimom {

struct Status {
    int code = 0;
    std::string message;  // UTF-8; empty on success

    bool ok() const { return code == 0; }
    static Status success() { return {}; }
    static Status error(int code, std::string message) { return {code, std::move(message)}; }
};

}  // namespace cimom
