// access_log_file.cpp - one FILE, swapped under a lock.
#include "access_log_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace cimxmld {

namespace {

std::mutex lock;
std::FILE *file = nullptr;
std::string filePath;
std::atomic<bool> inUse{false};

std::FILE *openForAppend(const std::string &path, std::string &error) {
    int descriptor = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0640);
    std::FILE *opened = descriptor < 0 ? nullptr : fdopen(descriptor, "a");
    if (opened == nullptr) {
        error = "--access-log " + path + ": " + std::strerror(errno);
        if (descriptor >= 0) close(descriptor);
    }
    return opened;
}

}  // namespace

bool openAccessLog(const std::string &path, std::string &error) {
    std::FILE *opened = nullptr;
    if (!path.empty() && (opened = openForAppend(path, error)) == nullptr) return false;
    std::lock_guard<std::mutex> guard(lock);
    if (file != nullptr) std::fclose(file);
    file = opened;
    filePath = path;
    inUse = opened != nullptr;
    return true;
}

bool reopenAccessLog(std::string &error) {
    std::string path;
    {
        std::lock_guard<std::mutex> guard(lock);
        path = filePath;
    }
    return path.empty() || openAccessLog(path, error);
}

bool accessLogFileInUse() { return inUse.load(std::memory_order_relaxed); }

bool writeAccessLine(const std::string &line) {
    std::lock_guard<std::mutex> guard(lock);
    if (file == nullptr) return false;
    std::fputs(line.c_str(), file);
    std::fputc('\n', file);
    std::fflush(file);
    return true;
}

}  // namespace cimxmld
