// message_format.cpp - renders the printer's wide formats as UTF-8, without
// looking at the process locale.
#include "message_format.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <sys/types.h>

#include "internal.h"

namespace cimobj {

namespace {

// Widths and precisions beyond this are clamped: a log line never needs more.
constexpr int maxField = 4096;

int readNumber(const wchar_t *&p) {
    int n = 0;
    while (*p >= L'0' && *p <= L'9') {
        if (n < maxField) n = n * 10 + (*p - L'0');
        ++p;
    }
    return n < maxField ? n : maxField;
}

struct Conversion {
    std::string flags;
    int width = -1;
    int precision = -1;
    std::string length;  // hh h l ll L j z t q
};

// "%<flags><width>.<precision>" followed by tail.
std::string narrowFormat(const Conversion &conv, const char *tail) {
    std::string s = "%" + conv.flags;
    if (conv.width >= 0) s += std::to_string(conv.width);
    if (conv.precision >= 0) s += "." + std::to_string(conv.precision);
    s += tail;
    return s;
}

template <class... Args>
void appendFormatted(std::string &out, const std::string &format, Args... args) {
    char small[128];
    int n = formatNumber(small, sizeof small, format.c_str(), args...);
    if (n < 0) return;
    if (static_cast<size_t>(n) < sizeof small) {
        out.append(small, static_cast<size_t>(n));
        return;
    }
    std::string big(static_cast<size_t>(n) + 1, '\0');
    formatNumber(big.data(), big.size(), format.c_str(), args...);
    out.append(big.data(), static_cast<size_t>(n));
}

// Pads (by the width, in characters) and cuts (by the precision) a wide text.
void appendText(std::string &out, const Conversion &conv, const wchar_t *text, size_t count) {
    if (conv.precision >= 0 && count > static_cast<size_t>(conv.precision))
        count = static_cast<size_t>(conv.precision);
    size_t pad = (conv.width > 0 && static_cast<size_t>(conv.width) > count)
                     ? static_cast<size_t>(conv.width) - count
                     : 0;
    bool left = conv.flags.find('-') != std::string::npos;
    if (!left) out.append(pad, ' ');
    appendUtf8(out, text, count);
    if (left) out.append(pad, ' ');
}

}  // namespace

std::string formatMessage(const wchar_t *format, va_list args) {
    std::string out;
    const wchar_t *p = format;
    while (*p) {
        if (*p != L'%') {
            appendUtf8Char(out, *p++);
            continue;
        }
        const wchar_t *start = p++;
        if (*p == L'%') {
            out.push_back('%');
            ++p;
            continue;
        }
        Conversion conv;
        while (*p && std::wcschr(L"-+ #0", *p)) conv.flags.push_back(static_cast<char>(*p++));
        if (*p == L'*') {
            ++p;
            int w = va_arg(args, int);
            if (w < 0) {
                conv.flags.push_back('-');
                w = (w == INT32_MIN) ? maxField : -w;
            }
            conv.width = w < maxField ? w : maxField;
        } else if (*p >= L'0' && *p <= L'9') {
            conv.width = readNumber(p);
        }
        if (*p == L'.') {
            ++p;
            if (*p == L'*') {
                ++p;
                int prec = va_arg(args, int);
                conv.precision = prec < 0 ? -1 : (prec < maxField ? prec : maxField);
            } else {
                conv.precision = readNumber(p);
            }
        }
        while (*p && std::wcschr(L"hlLjztq", *p)) conv.length.push_back(static_cast<char>(*p++));
        wchar_t conversion = *p;
        if (conversion == L'\0') {
            // A format that ends inside a conversion is written as it stands.
            appendUtf8(out, start, static_cast<size_t>(p - start));
            break;
        }
        ++p;
        const std::string &len = conv.length;
        switch (conversion) {
        case L'd':
        case L'i': {
            long long v;
            if (len == "hh") v = static_cast<signed char>(va_arg(args, int));
            else if (len == "h") v = static_cast<short>(va_arg(args, int));
            else if (len == "l") v = va_arg(args, long);
            else if (len == "ll" || len == "q" || len == "L") v = va_arg(args, long long);
            else if (len == "j") v = static_cast<long long>(va_arg(args, intmax_t));
            else if (len == "z") v = va_arg(args, ssize_t);
            else if (len == "t") v = va_arg(args, ptrdiff_t);
            else v = va_arg(args, int);
            appendFormatted(out, narrowFormat(conv, "lld"), v);
            break;
        }
        case L'u':
        case L'x':
        case L'X':
        case L'o': {
            unsigned long long v;
            if (len == "hh") v = static_cast<unsigned char>(va_arg(args, unsigned int));
            else if (len == "h") v = static_cast<unsigned short>(va_arg(args, unsigned int));
            else if (len == "l") v = va_arg(args, unsigned long);
            else if (len == "ll" || len == "q" || len == "L") v = va_arg(args, unsigned long long);
            else if (len == "j") v = static_cast<unsigned long long>(va_arg(args, uintmax_t));
            else if (len == "z") v = va_arg(args, size_t);
            else if (len == "t") v = static_cast<unsigned long long>(va_arg(args, ptrdiff_t));
            else v = va_arg(args, unsigned int);
            char tail[4] = {'l', 'l', static_cast<char>(conversion), '\0'};
            appendFormatted(out, narrowFormat(conv, tail), v);
            break;
        }
        case L'f':
        case L'F':
        case L'e':
        case L'E':
        case L'g':
        case L'G':
        case L'a':
        case L'A': {
            if (len == "L") {
                long double v = va_arg(args, long double);
                char tail[3] = {'L', static_cast<char>(conversion), '\0'};
                appendFormatted(out, narrowFormat(conv, tail), v);
            } else {
                double v = va_arg(args, double);
                char tail[2] = {static_cast<char>(conversion), '\0'};
                appendFormatted(out, narrowFormat(conv, tail), v);
            }
            break;
        }
        case L'p': {
            void *v = va_arg(args, void *);
            appendFormatted(out, narrowFormat(conv, "p"), v);
            break;
        }
        case L'c':
        case L'C': {
            wchar_t c;
            if (len == "l" || conversion == L'C') {
                c = static_cast<wchar_t>(va_arg(args, wint_t));
                appendText(out, conv, &c, 1);
            } else {
                // A narrow character is one byte; bytes above 0x7F keep their value.
                std::wstring one;
                char b = static_cast<char>(va_arg(args, int));
                decodeUtf8(&b, 1, one);
                appendText(out, conv, one.data(), one.size());
            }
            break;
        }
        case L's':
        case L'S': {
            if (len == "l" || conversion == L'S') {
                const wchar_t *s = va_arg(args, const wchar_t *);
                if (!s) s = L"(null)";
                size_t count = std::wcslen(s);
                if (conv.precision >= 0) count = ::wcsnlen(s, static_cast<size_t>(conv.precision));
                appendText(out, conv, s, count);
            } else {
                const char *s = va_arg(args, const char *);
                if (!s) s = "(null)";
                if (conv.width < 0 && conv.precision < 0) {
                    out.append(s);  // the common case: bytes unchanged
                } else {
                    std::wstring wide;
                    decodeUtf8(s, std::strlen(s), wide);
                    appendText(out, conv, wide.data(), wide.size());
                }
            }
            break;
        }
        case L'n':
            (void)va_arg(args, void *);
            break;
        default:
            appendUtf8(out, start, static_cast<size_t>(p - start));
            break;
        }
    }
    return out;
}

}  // namespace cimobj
