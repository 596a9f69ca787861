// program_folder.cpp - the running program's folder, from /proc.
#include "program_folder.h"

#include <filesystem>

namespace cimxmld {

std::string programFolder() {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.parent_path().string();
}

}  // namespace cimxmld
