// query_condition.h - the condition tree both query languages parse into,
// and the recursive-descent parser of its AND / OR / NOT / parentheses
// skeleton, which calls on the language's own parser for each predicate.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "query_lexer.h"
#include "query_scalar.h"
#include "query_text.h"
#include "query_truth.h"

namespace cimom::query {

// A node of a condition. Kept small, because a long run of AND or OR holds
// its operands in one vector. Predicate is the language's own record of
// what a comparison, IS NULL, LIKE or ISA tests.
template <class Predicate>
struct Condition {
    enum class Kind : unsigned char { And, Or, Not, Compare, IsNull, Like, Isa } kind = Kind::And;
    CompareOp op = CompareOp::Equal;
    bool negated = false;             // IS NOT NULL, NOT LIKE
    int column = 0;                   // of the operator keyword or symbol
    std::vector<Condition> children;  // And, Or: two or more; Not: one
    std::unique_ptr<Predicate> predicate;  // the other kinds
};

// The parser's token stream, the condition skeleton and the operators of
// predicates. Language parsers derive from it (Derived) and provide
//   Status parsePredicate(Node &out);       a whole predicate
//   Status checkTested(const Node &out, const char *what);   the left
//       operand of IS NULL, LIKE or ISA (what) fits
//   Status parseComparison(Node &out);      the right operand of out.op
//   Status parseLikePattern(Node &out);     the pattern at the current String
//   Status takeIsaClass(Node &out, std::wstring name, int column);
// Each token is read once, as the lexer makes it; recursion deepens only
// with parentheses and NOT, capped at maxNesting levels.
template <class Derived, class Predicate>
class ConditionParser {
public:
    using Node = Condition<Predicate>;

protected:
    ConditionParser(std::wstring_view text, Dialect dialect, int maxNesting)
        : lexer_(text, dialect), current_(lexer_.next()), maxNesting_(maxNesting) {}

    const Token &current() const { return current_; }
    TokenKind kind() const { return current_.kind; }
    void advance() {
        previous_ = std::move(current_);
        current_ = lexer_.next();
    }

    // Status 15 at column, in the language's words.
    Status errorAt(int column, std::string_view message) const {
        return query::errorAt(lexer_.language(), column, message);
    }

    // "expected <what> after '<previous token>'", at the current token; or
    // why the lexer could not make the current token.
    Status expected(const std::string &what) const {
        if (kind() == TokenKind::Error) return lexer_.error();
        if (previous_.text.empty()) return errorAt(current().column, "expected " + what);
        // A string literal is shown as written, in its own quotes.
        std::string after = previous_.kind == TokenKind::String ? excerpt(previous_.text) : quoted(previous_.text);
        return errorAt(current().column, "expected " + what + " after " + after);
    }

    // Reads the current literal (a string, NULL, TRUE, FALSE, a number)
    // into out, a language's operand record (kind, column, text, value,
    // whose Kind has String, Null, Boolean and Number). Status 15 for a
    // number that does not fit, "expected <what>" for a token that is no
    // literal.
    template <class Operand>
    Status parseLiteral(Operand &out, const char *what) {
        const Token &token = current();
        out.column = token.column;
        switch (token.kind) {
        case TokenKind::String:
            out.kind = Operand::Kind::String;
            out.text = std::move(current_.value);
            break;
        case TokenKind::Null: out.kind = Operand::Kind::Null; break;
        case TokenKind::True:
        case TokenKind::False:
            out.kind = Operand::Kind::Boolean;
            out.value.kind = Scalar::Kind::Boolean;
            out.value.booleanValue = token.kind == TokenKind::True;
            break;
        case TokenKind::Integer:
        case TokenKind::Real:
            out.kind = Operand::Kind::Number;
            if (auto number = numberScalar(token.text, token.kind == TokenKind::Real)) out.value = *number;
            else return errorAt(token.column, "number out of range " + quoted(token.text));
            break;
        default: return expected(what);
        }
        advance();
        return Status::success();
    }

    // AND binds tighter than OR; a run of either becomes one node with
    // every operand as a child, so long runs add no depth.
    Status parseOr(Node &out) { return parseRun(out, TokenKind::Or, Node::Kind::Or); }

    // What follows a predicate's left operand: a comparison operator, IS
    // [NOT] NULL, [NOT] LIKE or ISA, handing their operands to Derived;
    // "expected <what>" for anything else.
    Status parseOperator(Node &out, const char *what) {
        Derived &self = static_cast<Derived &>(*this);
        out.column = current().column;
        switch (kind()) {
        case TokenKind::Equal: return comparison(out, CompareOp::Equal);
        case TokenKind::NotEqual: return comparison(out, CompareOp::NotEqual);
        case TokenKind::Less: return comparison(out, CompareOp::Less);
        case TokenKind::LessEqual: return comparison(out, CompareOp::LessEqual);
        case TokenKind::Greater: return comparison(out, CompareOp::Greater);
        case TokenKind::GreaterEqual: return comparison(out, CompareOp::GreaterEqual);
        case TokenKind::Is:
            out.kind = Node::Kind::IsNull;
            if (Status s = self.checkTested(out, "IS NULL"); !s.ok()) return s;
            advance();
            if (kind() == TokenKind::Not) {
                out.negated = true;
                advance();
                if (kind() != TokenKind::Null) return expected("NULL");
            }
            if (kind() != TokenKind::Null) return expected("NULL or NOT NULL");
            advance();
            return Status::success();
        case TokenKind::Not:
            out.negated = true;
            advance();
            if (kind() != TokenKind::Like) return expected("LIKE");
            [[fallthrough]];
        case TokenKind::Like:
            out.kind = Node::Kind::Like;
            if (Status s = self.checkTested(out, "LIKE"); !s.ok()) return s;
            advance();
            if (kind() != TokenKind::String) return expected("a string pattern");
            return self.parseLikePattern(out);
        case TokenKind::Isa: {
            out.kind = Node::Kind::Isa;
            if (Status s = self.checkTested(out, "ISA"); !s.ok()) return s;
            advance();
            if (kind() != TokenKind::String && kind() != TokenKind::Identifier) return expected("a class name");
            std::wstring name = kind() == TokenKind::String ? std::move(current_.value) : std::wstring(current().text);
            int column = current().column;
            advance();
            return self.takeIsaClass(out, std::move(name), column);
        }
        default: return expected(what);
        }
    }

    Lexer lexer_;
    Token current_, previous_;

private:
    Status comparison(Node &out, CompareOp op) {
        out.kind = Node::Kind::Compare;
        out.op = op;
        advance();
        return static_cast<Derived &>(*this).parseComparison(out);
    }

    // Entering the parenthesis or NOT at column: one level deeper.
    Status deeper(int column) {
        if (++depth_ > maxNesting_)
            return errorAt(column, "conditions nested deeper than " + std::to_string(maxNesting_) + " levels");
        return Status::success();
    }

    Status parseRun(Node &out, TokenKind separator, typename Node::Kind node) {
        Node first;
        if (Status s = parseTerm(first, separator); !s.ok()) return s;
        if (kind() != separator) {
            out = std::move(first);
            return Status::success();
        }
        out.kind = node;
        out.column = current().column;
        out.children.push_back(std::move(first));
        while (kind() == separator) {
            advance();
            out.children.emplace_back();
            if (Status s = parseTerm(out.children.back(), separator); !s.ok()) return s;
        }
        return Status::success();
    }

    // One operand of a run: an AND run inside OR, a NOT term inside AND.
    Status parseTerm(Node &out, TokenKind separator) {
        return separator == TokenKind::Or ? parseRun(out, TokenKind::And, Node::Kind::And) : parseNot(out);
    }

    Status parseNot(Node &out) {
        if (kind() == TokenKind::Not) {
            out.kind = Node::Kind::Not;
            out.column = current().column;
            advance();
            if (Status s = deeper(out.column); !s.ok()) return s;
            out.children.emplace_back();
            Status s = parseNot(out.children.back());
            --depth_;
            return s;
        }
        if (kind() == TokenKind::LeftParen) {
            advance();
            if (Status s = deeper(previous_.column); !s.ok()) return s;
            Status s = parseOr(out);
            --depth_;
            if (!s.ok()) return s;
            if (kind() != TokenKind::RightParen) return expected("AND, OR or ')'");
            advance();
            return Status::success();
        }
        return static_cast<Derived *>(this)->parsePredicate(out);
    }

    int maxNesting_;
    int depth_ = 0;
};

}  // namespace cimom::query
