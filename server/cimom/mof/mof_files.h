// mof_files.h - reading MOF files and finding the files they include.
#pragma once

#include <string>
#include <vector>

namespace cimom::mof {

// Reads the whole file at path into text. False with error set to the
// system's reason when it cannot be read.
bool readFile(const std::string &path, std::string &text, std::string &error);
// The folder of a file path ("" for a bare name).
std::string directoryOf(const std::string &path);
// The path with links and "." / ".." resolved as far as it exists; the
// include chain compares files by it.
std::string canonicalOf(const std::string &path);
// The file an include names: an absolute name as it is, else the first
// regular file among directory/name and each folder/name of includeDirs.
// Empty when there is none.
std::string findIncludeFile(const std::string &name, const std::string &directory,
                            const std::vector<std::string> &includeDirs);

}  // namespace cimom::mof
