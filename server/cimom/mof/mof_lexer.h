// mof_lexer.h - splits MOF text into tokens, one at a time as the parser
// asks for them (a whole file's tokens are never held at once).
#pragma once

#include <string>
#include <string_view>

#include "mof/mof_source.h"

namespace cimom::mof {

enum class TokenKind : uint8_t {
    End,         // end of the text
    Identifier,  // names and keywords (keywords are told apart by the parser)
    Integer,     // text: as written, sign included
    Real,        // text: as written, sign included
    String,      // value: adjacent literals joined, escapes decoded
    Char16,      // value: the one character
    Alias,       // text: the name after '$'
    Pragma,      // "#pragma"
    Punct        // punct: one of { } ( ) [ ] ; , : = -
};

struct Token {
    TokenKind kind = TokenKind::End;
    char punct = 0;
    Location at;
    std::string_view text;  // points into the source text
    std::wstring value;

    bool is(char c) const { return kind == TokenKind::Punct && punct == c; }
    // An identifier equal to word without regard to ASCII case (word in lower case).
    bool isWord(std::string_view word) const;
};

class Lexer {
public:
    // Lexes text (which must outlive the lexer) of the source with that
    // index, from the byte offset start.
    Lexer(std::string_view text, uint32_t source, size_t start = 0) : text_(text), source_(source), pos_(start) {}
    // The next token, lexed on first use. Throws MofError for bad input, after
    // moving past it: asking again always makes progress.
    const Token &peek();
    // The next token, consumed.
    Token take();
    // Where the lexer stands (the start of the next token once peeked).
    Location here() const { return Location{source_, pos_}; }

private:
    void lex();
    void skipSpaceAndComments();
    void lexNumber();
    void lexString();
    void appendStringLiteral(std::wstring &out);
    wchar_t lexEscape();
    void lexChar16();
    size_t identifierEnd(size_t from) const;
    [[noreturn]] void failAt(size_t offset, std::string message) const;

    std::string_view text_;
    uint32_t source_;
    size_t pos_ = 0;
    Token current_;
    bool ready_ = false;
};

}  // namespace cimom::mof
