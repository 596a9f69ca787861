// query_lexer.h - splits WQL or FQL text into tokens.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <cimom/status.h>

namespace cimom::query {

enum class TokenKind {
    End, Error, Identifier, String, Integer, Real,
    Star, Comma, LeftParen, RightParen, LeftBracket, RightBracket, Dot,
    Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual,
    Select, From, Where, And, Or, Not, Is, Null, Isa, Like, True, False, Any, Every
};

// The two languages differ in their keywords and a few tokens:
// WQL: SELECT FROM WHERE are keywords, '*' ',' and '!=' are tokens, numbers
//   are decimal;
// FQL: ANY EVERY are keywords, '[' ']' '.' are tokens, integers may also be
//   hexadecimal ("0x1F") or binary ("101b").
// Both: AND OR NOT IS NULL ISA LIKE TRUE FALSE (caseless), names, strings in
// single or double quotes, numbers, ( ) = <> < <= > >=.
enum class Dialect { Wql, Fql };

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
    explicit Lexer(std::wstring_view text, Dialect dialect = Dialect::Wql) : text_(text), dialect_(dialect) {}

    // The next token. After the last one: End tokens at column
    // text.size() + 1. On bad text (an unexpected character, an unterminated
    // string, a bad escape, a malformed number): Error tokens, and error()
    // says what and where.
    Token next();
    // Status 15 locating the bad text once next() gave Error; success before.
    const Status &error() const { return error_; }
    // "WQL" or "FQL", the prefix of the dialect's error messages.
    std::string_view language() const { return dialect_ == Dialect::Fql ? "FQL" : "WQL"; }

private:
    Token fail(int column, const std::string &message);
    Token name();
    Token number();
    Token string(wchar_t quote);
    Token make(TokenKind kind, std::size_t start, std::wstring value = {});
    bool startsNumber() const;
    bool radixInteger();
    void skipDigits();
    wchar_t peek(std::size_t ahead) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : L'\0';
    }

    std::wstring_view text_;
    Dialect dialect_;
    std::size_t pos_ = 0;
    TokenKind last_ = TokenKind::End;  // the kind of the token made before
    Status error_;
};

}  // namespace cimom::query
