// proc_files.h - reading the kernel's text files under /proc, which may
// vanish (their process ended) or refuse to be read at any moment: every
// reader reports that as "not there", never as an error, and never throws
// for it.
#pragma once

#include <string>
#include <string_view>

namespace cimom::live {

// Replaces text with the whole content of the file at path. Returns false,
// with text empty, when the file cannot be opened or read.
bool readWholeFile(const char *path, std::string &text);

// The target of the symbolic link at path; empty when it cannot be read.
std::string readLinkTarget(const char *path);

// Wide text of bytes the kernel reports (process names, command lines,
// mount points): decoded as UTF-8, with each byte that is not valid UTF-8,
// each control character other than tab, line feed and carriage return, and
// U+FFFE and U+FFFF replaced by U+FFFD, so that any such text can travel in
// an XML document.
std::wstring kernelText(std::string_view bytes);

// The unsigned decimal number at the start of text (leading blanks
// skipped); false when there is none or it does not fit.
bool parseDecimal(std::string_view text, unsigned long long &number);

}  // namespace cimom::live
