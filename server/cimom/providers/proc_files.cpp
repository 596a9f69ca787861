// proc_files.cpp - whole-file reads that tolerate vanishing files, and
// kernel bytes made into text that an XML document can carry.
#include "providers/proc_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cimobj/cimobj.hpp>

namespace cimom::live {

bool readWholeFile(const char *path, std::string &text) {
    text.clear();
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    // Files under /proc report size 0, so read until the end; the string
    // grows geometrically.
    char buffer[4096];
    bool ok = true;
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            text.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            ok = false;
            break;
        }
    }
    ::close(fd);
    if (!ok) text.clear();
    return ok;
}

std::string readLinkTarget(const char *path) {
    char buffer[4096];
    ssize_t length = ::readlink(path, buffer, sizeof buffer);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) return {};
    return std::string(buffer, static_cast<std::size_t>(length));
}

std::wstring kernelText(std::string_view bytes) {
    // The object library's decoder carries an invalid byte as 0xDC00 + byte.
    std::wstring text = cimobj::fromUtf8(bytes);
    for (wchar_t &c : text) {
        bool stray = c >= 0xDC80 && c <= 0xDCFF;
        bool control = c < 0x20 && c != L'\t' && c != L'\n' && c != L'\r';
        bool nonCharacter = c == 0xFFFE || c == 0xFFFF;
        if (stray || control || nonCharacter) c = 0xFFFD;
    }
    return text;
}

bool parseDecimal(std::string_view text, unsigned long long &number) {
    std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) return false;
    auto [end, error] = std::from_chars(text.data() + start, text.data() + text.size(), number);
    return error == std::errc() && end != text.data() + start;
}

}  // namespace cimom::live
