// mof_files.cpp - MOF files read whole, and include names resolved.
#include "mof/mof_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace cimom::mof {

namespace fs = std::filesystem;

bool readFile(const std::string &path, std::string &text, std::string &error) {
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    char buffer[65536];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, count);
    bool failed = std::ferror(file);
    int reason = errno;
    std::fclose(file);
    if (failed) error = std::strerror(reason);
    return !failed;
}

std::string directoryOf(const std::string &path) { return fs::path(path).parent_path().string(); }

std::string canonicalOf(const std::string &path) {
    std::error_code ignored;
    return fs::weakly_canonical(fs::path(path), ignored).string();
}

std::string findIncludeFile(const std::string &name, const std::string &directory,
                            const std::vector<std::string> &includeDirs) {
    std::vector<fs::path> candidates;
    if (fs::path(name).is_absolute()) {
        candidates.push_back(name);
    } else {
        candidates.push_back(fs::path(directory) / name);
        for (const std::string &folder : includeDirs) candidates.push_back(fs::path(folder) / name);
    }
    for (const fs::path &candidate : candidates) {
        std::error_code ignored;
        if (fs::is_regular_file(candidate, ignored)) return candidate.string();
    }
    return {};
}

}  // namespace cimom::mof
