// access_log.h - one line per answered request, at info level through the
// object library's log printer.
#pragma once

#include <cstdint>
#include <string>

namespace cimxmld {

struct AccessRecord {
    std::string peer;       // "127.0.0.1:53422"
    std::string user;       // empty: not authenticated
    std::string method;     // "POST", "M-POST", "GET"
    std::string path;
    std::string operation;  // CIM method, empty when none was read
    std::string className;  // the class the request addressed, may be empty
    int httpStatus = 0;
    int cimStatus = -1;     // -1: the answer is no CIM message
    std::uint64_t bytes = 0;
    double seconds = 0;
};

// "access 127.0.0.1:53422 user=alice POST /cimom op=GetInstance
// class=CIM_Foo status=200 cim=0 bytes=1234 ms=0.84". Client-supplied texts
// are cut to 128 bytes, and bytes outside printable ASCII (and blanks)
// become '?', so one request is one line and fields split at blanks.
std::string formatAccessLine(const AccessRecord &record);

// Writes the line at info level; nothing when the log level is lower.
void logAccess(const AccessRecord &record);

}  // namespace cimxmld
