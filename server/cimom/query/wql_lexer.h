// wql_lexer.h - splits WQL text into tokens.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <cimom/status.h>

namespace cimom::wql {

enum class TokenKind {
    End, Error, Identifier, String, Integer, Real,
    Star, Comma, LeftParen, RightParen,
    Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual,
    Select, From, Where, And, Or, Not, Is, Null, Isa, Like, True, False
};

struct Token {
    TokenKind kind = TokenKind::End;
    int column = 0;          // of the first character, from 1
    std::wstring_view text;  // as written (a view into the query text)
    std::wstring value;      // String: the decoded content
};

// Reads the tokens of a text one at a time, so that a query of any length
// is parsed without holding all its tokens. The text must outlive the lexer
// and its tokens.
class Lexer {
public:
    explicit Lexer(std::wstring_view text) : text_(text) {}

    // The next token. After the last one: End tokens at column
    // text.size() + 1. On bad text (an unexpected character, an unterminated
    // string, a bad escape, a malformed number): Error tokens, and error()
    // says what and where.
    Token next();
    // Status 15 locating the bad text once next() gave Error; success before.
    const Status &error() const { return error_; }

private:
    Token fail(Status status);
    Token name();
    Token number();
    Token string(wchar_t quote);
    Token make(TokenKind kind, std::size_t start, std::wstring value = {}) const;
    bool startsNumber() const;
    void skipDigits();
    wchar_t peek(std::size_t ahead) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : L'\0';
    }

    std::wstring_view text_;
    std::size_t pos_ = 0;
    Status error_;
};

}  // namespace cimom::wql
