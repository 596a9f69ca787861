// query_lexer.cpp - the WQL and FQL tokenizer: one pass over the text.
#include "query_lexer.h"

#include <array>
#include <cstdio>
#include <utility>

#include <cimobj/cimobj.hpp>

#include "query_text.h"

namespace cimom::query {

namespace {

using Keyword = std::pair<std::wstring_view, TokenKind>;
constexpr std::array<Keyword, 9> kCommonKeywords{{
    {L"and", TokenKind::And},   {L"or", TokenKind::Or},     {L"not", TokenKind::Not},
    {L"is", TokenKind::Is},     {L"null", TokenKind::Null}, {L"isa", TokenKind::Isa},
    {L"like", TokenKind::Like}, {L"true", TokenKind::True}, {L"false", TokenKind::False},
}};
constexpr std::array<Keyword, 3> kWqlKeywords{{
    {L"select", TokenKind::Select}, {L"from", TokenKind::From}, {L"where", TokenKind::Where}}};
constexpr std::array<Keyword, 2> kFqlKeywords{{{L"any", TokenKind::Any}, {L"every", TokenKind::Every}}};

template <std::size_t N>
bool findKeyword(const std::array<Keyword, N> &keywords, std::wstring_view word, TokenKind &kind) {
    for (const auto &[keyword, keywordKind] : keywords)
        if (equalsCaseless(word, keyword)) {
            kind = keywordKind;
            return true;
        }
    return false;
}

bool isSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\f'; }
bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool isNameStart(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_' || c >= 0x80;
}
bool isNameChar(wchar_t c) { return isNameStart(c) || isDigit(c); }
bool isBinaryDigit(wchar_t c) { return c == L'0' || c == L'1'; }
int hexDigit(wchar_t c) {
    if (isDigit(c)) return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}
int columnOf(std::size_t at) { return static_cast<int>(at) + 1; }

// A character for a message: itself when printable ASCII, else U+XXXX.
std::string describeChar(wchar_t c) {
    if (c >= 0x21 && c < 0x7f) return std::string("'") + static_cast<char>(c) + "'";
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
    return text;
}

}  // namespace

Token Lexer::make(TokenKind kind, std::size_t start, std::wstring value) {
    last_ = kind;
    return {kind, columnOf(start), text_.substr(start, pos_ - start), std::move(value)};
}

Token Lexer::fail(int column, const std::string &message) {
    error_ = errorAt(language(), column, message);
    pos_ = text_.size();
    return {TokenKind::Error, columnOf(pos_), {}, {}};
}

Token Lexer::next() {
    if (!error_.ok()) return {TokenKind::Error, columnOf(pos_), {}, {}};
    while (pos_ < text_.size() && isSpace(text_[pos_])) ++pos_;
    if (pos_ == text_.size()) return make(TokenKind::End, pos_);
    std::size_t start = pos_;
    wchar_t c = text_[pos_];
    bool fql = dialect_ == Dialect::Fql;
    if (isNameStart(c)) return name();
    // In FQL a point after a name or an index goes on to an embedded property.
    if (fql && c == L'.' && (last_ == TokenKind::Identifier || last_ == TokenKind::RightBracket)) {
        ++pos_;
        return make(TokenKind::Dot, start);
    }
    if (isDigit(c) || ((c == L'-' || c == L'+' || c == L'.') && startsNumber())) return number();
    if (c == L'\'' || c == L'"') return string(c);
    TokenKind kind;
    std::size_t length = 1;
    switch (c) {
    case L'(': kind = TokenKind::LeftParen; break;
    case L')': kind = TokenKind::RightParen; break;
    case L'*':
    case L',':
        if (fql) return fail(columnOf(start), "unexpected character " + describeChar(c));
        kind = c == L'*' ? TokenKind::Star : TokenKind::Comma;
        break;
    case L'[':
    case L']':
        if (!fql) return fail(columnOf(start), "unexpected character " + describeChar(c));
        kind = c == L'[' ? TokenKind::LeftBracket : TokenKind::RightBracket;
        break;
    case L'=': kind = TokenKind::Equal; break;
    case L'<':
        kind = peek(1) == L'>' ? TokenKind::NotEqual : peek(1) == L'=' ? TokenKind::LessEqual : TokenKind::Less;
        length = kind == TokenKind::Less ? 1 : 2;
        break;
    case L'>':
        kind = peek(1) == L'=' ? TokenKind::GreaterEqual : TokenKind::Greater;
        length = kind == TokenKind::Greater ? 1 : 2;
        break;
    case L'!':
        if (!fql && peek(1) == L'=') {
            kind = TokenKind::NotEqual;
            length = 2;
            break;
        }
        [[fallthrough]];
    default: return fail(columnOf(start), "unexpected character " + describeChar(c));
    }
    pos_ += length;
    return make(kind, start);
}

// A sign or a point starts a number only when a digit follows (after the
// point of a signed ".5").
bool Lexer::startsNumber() const {
    std::size_t at = text_[pos_] == L'.' ? 1 : (peek(1) == L'.' ? 2 : 1);
    return isDigit(peek(at));
}

Token Lexer::name() {
    std::size_t start = pos_;
    while (pos_ < text_.size() && isNameChar(text_[pos_])) ++pos_;
    std::wstring_view word = text_.substr(start, pos_ - start);
    TokenKind kind = TokenKind::Identifier;
    if (!findKeyword(kCommonKeywords, word, kind)) {
        if (dialect_ == Dialect::Fql) findKeyword(kFqlKeywords, word, kind);
        else findKeyword(kWqlKeywords, word, kind);
    }
    return make(kind, start);
}

void Lexer::skipDigits() {
    while (pos_ < text_.size() && isDigit(text_[pos_])) ++pos_;
}

// FQL's "0x" hexadecimal and "b" binary integers; true when one was read.
bool Lexer::radixInteger() {
    std::size_t digits = pos_;
    if (peek(0) == L'0' && (peek(1) == L'x' || peek(1) == L'X') && hexDigit(peek(2)) >= 0) {
        pos_ += 2;
        while (pos_ < text_.size() && hexDigit(text_[pos_]) >= 0) ++pos_;
        return true;
    }
    std::size_t end = digits;
    while (end < text_.size() && isBinaryDigit(text_[end])) ++end;
    if (end == digits || end >= text_.size() || (text_[end] != L'b' && text_[end] != L'B')) return false;
    if (end + 1 < text_.size() && isNameChar(text_[end + 1])) return false;
    pos_ = end + 1;
    return true;
}

Token Lexer::number() {
    std::size_t start = pos_;
    bool real = false;
    if (text_[pos_] == L'-' || text_[pos_] == L'+') ++pos_;
    if (dialect_ != Dialect::Fql || !radixInteger()) {
        skipDigits();
        if (peek(0) == L'.') {
            real = true;
            ++pos_;
            skipDigits();
        }
        if ((peek(0) == L'e' || peek(0) == L'E') &&
            (isDigit(peek(1)) || ((peek(1) == L'-' || peek(1) == L'+') && isDigit(peek(2))))) {
            real = true;
            pos_ += isDigit(peek(1)) ? 1 : 2;
            skipDigits();
        }
    }
    if (pos_ < text_.size() && (isNameChar(text_[pos_]) || text_[pos_] == L'.')) {
        while (pos_ < text_.size() && (isNameChar(text_[pos_]) || text_[pos_] == L'.')) ++pos_;
        return fail(columnOf(start), "malformed number " + quoted(text_.substr(start, pos_ - start)));
    }
    return make(real ? TokenKind::Real : TokenKind::Integer, start);
}

Token Lexer::string(wchar_t quote) {
    std::size_t start = pos_++;
    std::wstring value;
    while (true) {
        if (pos_ >= text_.size()) return fail(columnOf(start), "unterminated string");
        wchar_t c = text_[pos_];
        if (c == quote) break;
        if (c != L'\\') {
            value += c;
            ++pos_;
            continue;
        }
        std::size_t escape = pos_++;
        if (pos_ >= text_.size()) return fail(columnOf(start), "unterminated string");
        wchar_t e = text_[pos_++];
        switch (e) {
        case L'\\': case L'\'': case L'"': value += e; break;
        case L'b': value += L'\b'; break;
        case L't': value += L'\t'; break;
        case L'n': value += L'\n'; break;
        case L'f': value += L'\f'; break;
        case L'r': value += L'\r'; break;
        case L'x': case L'X': {
            int code = 0, count = 0;
            for (int digit; count < 4 && (digit = hexDigit(peek(0))) >= 0; ++count, ++pos_) code = code * 16 + digit;
            if (count == 0) return fail(columnOf(escape), "expected hex digits after '\\x'");
            value += static_cast<wchar_t>(code);
            break;
        }
        default:
            return fail(columnOf(escape),
                        "unknown escape '\\" + cimobj::toUtf8(std::wstring_view(&e, 1)) + "' in a string");
        }
    }
    ++pos_;
    return make(TokenKind::String, start, std::move(value));
}

}  // namespace cimom::query
