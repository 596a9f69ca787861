// mof_lexer.cpp - MOF tokens: names, numbers in four bases, reals, strings
// and char16 literals with escapes, aliases, #pragma and punctuation;
// comments and white space are skipped.
#include "mof/mof_lexer.h"

#include <cimobj/cimobj.hpp>

namespace cimom::mof {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool isNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}
bool isNameChar(char c) { return isNameStart(c) || isDigit(c); }
int hexValue(char c) {
    if (isDigit(c)) return c - '0';
    return (c | 0x20) - 'a' + 10;
}

// How a message shows a character it did not expect.
std::string describeChar(char c) {
    auto byte = static_cast<unsigned char>(c);
    if (byte > 0x20 && byte < 0x7F) return std::string("character '") + c + "'";
    static const char digits[] = "0123456789ABCDEF";
    return std::string("byte 0x") + digits[byte >> 4] + digits[byte & 15];
}

}  // namespace

bool Token::isWord(std::string_view word) const {
    if (kind != TokenKind::Identifier || text.size() != word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != word[i]) return false;
    }
    return true;
}

const Token &Lexer::peek() {
    if (!ready_) {
        lex();
        ready_ = true;
    }
    return current_;
}

Token Lexer::take() {
    peek();
    ready_ = false;
    return std::move(current_);
}

void Lexer::failAt(size_t offset, std::string message) const { fail(Location{source_, offset}, std::move(message)); }

void Lexer::skipSpaceAndComments() {
    while (pos_ < text_.size()) {
        char c = text_[pos_];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
            ++pos_;
        } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
            size_t end = text_.find('\n', pos_);
            pos_ = end == std::string_view::npos ? text_.size() : end;
        } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '*') {
            size_t end = text_.find("*/", pos_ + 2);
            if (end == std::string_view::npos) {
                size_t start = pos_;
                pos_ = text_.size();
                failAt(start, "comment is not closed with '*/'");
            }
            pos_ = end + 2;
        } else {
            return;
        }
    }
}

size_t Lexer::identifierEnd(size_t from) const {
    while (from < text_.size() && isNameChar(text_[from])) ++from;
    return from;
}

void Lexer::lex() {
    current_ = Token{};
    skipSpaceAndComments();
    current_.at = here();
    if (pos_ >= text_.size()) return;
    size_t start = pos_;
    char c = text_[pos_];
    char next = pos_ + 1 < text_.size() ? text_[pos_ + 1] : '\0';
    char afterNext = pos_ + 2 < text_.size() ? text_[pos_ + 2] : '\0';
    bool signedNumber = (c == '-' || c == '+') && (isDigit(next) || (next == '.' && isDigit(afterNext)));
    if (isDigit(c) || (c == '.' && isDigit(next)) || signedNumber) return lexNumber();
    if (isNameStart(c)) {
        pos_ = identifierEnd(pos_);
        current_.kind = TokenKind::Identifier;
        current_.text = text_.substr(start, pos_ - start);
        return;
    }
    switch (c) {
    case '"': return lexString();
    case '\'': return lexChar16();
    case '$': {
        size_t end = identifierEnd(pos_ + 1);
        if (end == pos_ + 1 || isDigit(next)) {
            ++pos_;
            failAt(start, "expected an alias name after '$'");
        }
        current_.kind = TokenKind::Alias;
        current_.text = text_.substr(pos_ + 1, end - pos_ - 1);
        pos_ = end;
        return;
    }
    case '#': {
        ++pos_;
        skipSpaceAndComments();
        size_t end = identifierEnd(pos_);
        Token word;
        word.kind = TokenKind::Identifier;
        word.text = text_.substr(pos_, end - pos_);
        if (!word.isWord("pragma")) failAt(start, "expected 'pragma' after '#'");
        pos_ = end;
        current_.kind = TokenKind::Pragma;
        current_.text = text_.substr(start, end - start);
        return;
    }
    case '{': case '}': case '(': case ')': case '[': case ']':
    case ';': case ',': case ':': case '=': case '-':
        ++pos_;
        current_.kind = TokenKind::Punct;
        current_.punct = c;
        current_.text = text_.substr(start, 1);
        return;
    default:
        ++pos_;
        failAt(start, "unexpected " + describeChar(c));
    }
}

void Lexer::lexNumber() {
    size_t start = pos_;
    if (text_[pos_] == '-' || text_[pos_] == '+') ++pos_;
    size_t digits = pos_;
    bool real = false;
    bool valid = true;
    auto at = [&](size_t i) { return i < text_.size() ? text_[i] : '\0'; };
    if (at(pos_) == '0' && (at(pos_ + 1) == 'x' || at(pos_ + 1) == 'X')) {
        pos_ += 2;
        size_t first = pos_;
        while (isHexDigit(at(pos_))) ++pos_;
        valid = pos_ > first;
    } else {
        while (isDigit(at(pos_))) ++pos_;
        if (at(pos_) == '.' && isDigit(at(pos_ + 1))) {
            real = true;
            ++pos_;
            while (isDigit(at(pos_))) ++pos_;
        }
        char e = at(pos_);
        char sign = at(pos_ + 1);
        if ((e == 'e' || e == 'E') &&
            (isDigit(sign) || ((sign == '+' || sign == '-') && isDigit(at(pos_ + 2))))) {
            real = true;
            pos_ += 2;
            while (isDigit(at(pos_))) ++pos_;
        } else if (!real && (e == 'b' || e == 'B') && !isNameChar(at(pos_ + 1))) {
            ++pos_;  // binary: only 0 and 1 before the 'b'
            for (size_t i = digits; i + 1 < pos_; ++i) valid = valid && (text_[i] == '0' || text_[i] == '1');
        } else if (!real && text_[digits] == '0' && pos_ - digits > 1) {
            for (size_t i = digits; i < pos_; ++i) valid = valid && text_[i] <= '7';  // octal
        }
    }
    if (isNameChar(at(pos_))) {
        pos_ = identifierEnd(pos_);
        valid = false;
    }
    current_.text = text_.substr(start, pos_ - start);
    if (!valid) failAt(start, "invalid number '" + std::string(current_.text) + "'");
    current_.kind = real ? TokenKind::Real : TokenKind::Integer;
}

wchar_t Lexer::lexEscape() {
    size_t start = pos_;  // at the backslash
    char c = pos_ + 1 < text_.size() ? text_[pos_ + 1] : '\0';
    pos_ += 2;
    switch (c) {
    case 'b': return L'\b';
    case 't': return L'\t';
    case 'n': return L'\n';
    case 'f': return L'\f';
    case 'r': return L'\r';
    case '"': return L'"';
    case '\'': return L'\'';
    case '\\': return L'\\';
    case 'x':
    case 'X': {
        unsigned value = 0;
        size_t first = pos_;
        while (pos_ < text_.size() && pos_ - first < 4 && isHexDigit(text_[pos_]))
            value = value * 16 + static_cast<unsigned>(hexValue(text_[pos_++]));
        if (pos_ == first) failAt(start, "expected hexadecimal digits after '\\x'");
        return static_cast<wchar_t>(value);
    }
    default:
        if (c == '\n' || c == '\0') --pos_;  // leave the line end to the caller
        failAt(start, std::string("unknown escape sequence '\\") + (c > 0x20 && c < 0x7F ? std::string(1, c) : "") + "'");
    }
}

void Lexer::appendStringLiteral(std::wstring &out) {
    size_t start = pos_++;  // the opening quote
    size_t run = pos_;
    auto flush = [&](size_t end) {
        if (end > run) out += cimobj::fromUtf8(text_.substr(run, end - run));
    };
    for (;;) {
        if (pos_ >= text_.size() || text_[pos_] == '\n' || text_[pos_] == '\r')
            failAt(start, "string is not closed with '\"' before the end of the line");
        char c = text_[pos_];
        if (c == '"') {
            flush(pos_++);
            return;
        }
        if (c == '\\') {
            flush(pos_);
            size_t escape = pos_;
            wchar_t decoded = lexEscape();
            if (decoded == 0) failAt(escape, "a string cannot hold the character 0");
            out += decoded;
            run = pos_;
        } else {
            ++pos_;
        }
    }
}

void Lexer::lexString() {
    current_.kind = TokenKind::String;
    appendStringLiteral(current_.value);
    // Adjacent literals form one string.
    for (;;) {
        skipSpaceAndComments();
        if (pos_ >= text_.size() || text_[pos_] != '"') break;
        appendStringLiteral(current_.value);
    }
}

void Lexer::lexChar16() {
    size_t start = pos_++;
    current_.kind = TokenKind::Char16;
    if (pos_ >= text_.size() || text_[pos_] == '\'' || text_[pos_] == '\n') {
        if (pos_ < text_.size() && text_[pos_] == '\'') ++pos_;
        failAt(start, "empty char16 literal");
    }
    if (text_[pos_] == '\\') {
        current_.value = lexEscape();
    } else {
        size_t end = pos_ + 1;  // one UTF-8 sequence
        while (end < text_.size() && (static_cast<unsigned char>(text_[end]) & 0xC0) == 0x80 && end - pos_ < 4) ++end;
        current_.value = cimobj::fromUtf8(text_.substr(pos_, end - pos_));
        pos_ = end;
    }
    if (pos_ >= text_.size() || text_[pos_] != '\'') {
        while (pos_ < text_.size() && text_[pos_] != '\'' && text_[pos_] != '\n') ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '\'') ++pos_;
        failAt(start, "char16 literal must hold exactly one character");
    }
    ++pos_;
    if (current_.value.size() != 1 || static_cast<unsigned long>(current_.value[0]) > 0xFFFF)
        failAt(start, "character does not fit in char16");
}

}  // namespace cimom::mof
