// access_log.cpp - formatting and writing access lines.
#include "access_log.h"

#include <cstdio>

#include <cimobj/cimobj.h>

#include "access_log_file.h"

namespace cimxmld {

namespace {

std::string field(const std::string &text) {
    if (text.empty()) return "-";
    std::string out = text.substr(0, 128);
    for (char &c : out) {
        if (c <= ' ' || c > '~') c = '?';
    }
    return out;
}

}  // namespace

std::string formatAccessLine(const AccessRecord &r) {
    char figures[96];
    std::snprintf(figures, sizeof figures, " bytes=%llu ms=%.2f", static_cast<unsigned long long>(r.bytes),
                  r.seconds * 1000.0);
    return "access " + field(r.peer) + " user=" + field(r.user) + " " + field(r.method) + " " + field(r.path) +
           " op=" + field(r.operation) + " class=" + field(r.className) + " status=" + std::to_string(r.httpStatus) +
           " cim=" + (r.cimStatus < 0 ? std::string("-") : std::to_string(r.cimStatus)) + figures;
}

void logAccess(const AccessRecord &record) {
    if (accessLogFileInUse() && writeAccessLine(formatAccessLine(record))) return;
    if (cimGetLogLevel() < CIM_LOG_INFO) return;
    cimPrintMessage(CIM_LOG_INFO, L"%s", formatAccessLine(record).c_str());
}

}  // namespace cimxmld
