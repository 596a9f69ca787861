// wql_parser.cpp - recursive-descent parser from WQL text to WqlQuery::Impl.
// It reads each token once, as the lexer makes it, and its recursion only
// deepens with parentheses and NOT, which are capped at kMaxWqlNesting.
#include <string>

#include "query_lexer.h"
#include "wql_syntax.h"

namespace cimom {

namespace wql {
namespace {

class Parser {
public:
    explicit Parser(std::wstring_view text) : lexer_(text), current_(lexer_.next()) {}

    Status parse(WqlQuery::Impl &query) {
        if (kind() != TokenKind::Select)
            return kind() == TokenKind::Error ? lexer_.error() : errorAt(current().column, "expected SELECT");
        advance();
        if (Status s = parseSelectList(query); !s.ok()) return s;
        if (kind() != TokenKind::From)
            return expected(query.all ? "FROM" : "',' or FROM");
        advance();
        if (kind() != TokenKind::Identifier) return expected("a class name");
        query.className = std::wstring(current().text);
        query.classColumn = current().column;
        advance();
        if (kind() == TokenKind::Where) {
            advance();
            query.where.emplace();
            if (Status s = parseOr(*query.where); !s.ok()) return s;
            if (kind() != TokenKind::End) return expected("AND, OR or the end of the query");
        }
        if (kind() != TokenKind::End) return expected("WHERE or the end of the query");
        return Status::success();
    }

private:
    const Token &current() const { return current_; }
    TokenKind kind() const { return current_.kind; }
    void advance() {
        previous_ = std::move(current_);
        current_ = lexer_.next();
    }

    // "expected <what> after '<previous token>'", at the current token; or
    // why the lexer could not make the current token.
    Status expected(const std::string &what) const {
        if (kind() == TokenKind::Error) return lexer_.error();
        // A string literal is shown as written, in its own quotes.
        std::string after = previous_.kind == TokenKind::String ? excerpt(previous_.text) : quoted(previous_.text);
        return errorAt(current().column, "expected " + what + " after " + after);
    }

    Status parseSelectList(WqlQuery::Impl &query) {
        if (kind() == TokenKind::Star) {
            query.all = true;
            advance();
            return Status::success();
        }
        while (true) {
            if (kind() != TokenKind::Identifier)
                return expected(query.selected.empty() ? "'*' or a property name" : "a property name");
            Operand name;
            name.kind = Operand::Kind::Property;
            name.column = current().column;
            name.text = std::wstring(current().text);
            query.selected.push_back(std::move(name));
            advance();
            if (kind() != TokenKind::Comma) return Status::success();
            advance();
        }
    }

    // Entering the parenthesis or NOT at column: one level deeper.
    Status deeper(int column) {
        if (++depth_ > kMaxWqlNesting)
            return errorAt(column,
                           "conditions nested deeper than " + std::to_string(kMaxWqlNesting) + " levels");
        return Status::success();
    }

    // AND binds tighter than OR; a run of either becomes one node with
    // every operand as a child, so long runs add no depth.
    Status parseOr(Condition &out) { return parseRun(out, TokenKind::Or, Condition::Kind::Or); }

    Status parseRun(Condition &out, TokenKind separator, Condition::Kind node) {
        Condition first;
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
    Status parseTerm(Condition &out, TokenKind separator) {
        return separator == TokenKind::Or ? parseRun(out, TokenKind::And, Condition::Kind::And) : parseNot(out);
    }

    Status parseNot(Condition &out) {
        if (kind() == TokenKind::Not) {
            out.kind = Condition::Kind::Not;
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
        return parsePredicate(out);
    }

    Status parsePredicate(Condition &out) {
        out.predicate = std::make_unique<Predicate>();
        if (Status s = parseOperand(out.predicate->left, "a condition"); !s.ok()) return s;
        out.column = current().column;
        switch (kind()) {
        case TokenKind::Equal: return parseComparison(out, CompareOp::Equal);
        case TokenKind::NotEqual: return parseComparison(out, CompareOp::NotEqual);
        case TokenKind::Less: return parseComparison(out, CompareOp::Less);
        case TokenKind::LessEqual: return parseComparison(out, CompareOp::LessEqual);
        case TokenKind::Greater: return parseComparison(out, CompareOp::Greater);
        case TokenKind::GreaterEqual: return parseComparison(out, CompareOp::GreaterEqual);
        case TokenKind::Is:
            out.kind = Condition::Kind::IsNull;
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
            out.kind = Condition::Kind::Like;
            advance();
            if (kind() != TokenKind::String) return expected("a string pattern");
            out.predicate->pattern = LikePattern::compile(current().value);
            if (!out.predicate->pattern) return errorAt(current().column, "a '[' without its ']' in the LIKE pattern");
            advance();
            return Status::success();
        case TokenKind::Isa:
            out.kind = Condition::Kind::Isa;
            advance();
            if (kind() != TokenKind::String && kind() != TokenKind::Identifier) return expected("a class name");
            out.predicate->isaClass = kind() == TokenKind::String ? std::move(current_.value) : std::wstring(current().text);
            out.predicate->isaColumn = current().column;
            advance();
            return Status::success();
        default: return expected("a comparison operator");
        }
    }

    Status parseComparison(Condition &out, CompareOp op) {
        out.kind = Condition::Kind::Compare;
        out.op = op;
        advance();
        return parseOperand(out.predicate->right, "a value");
    }

    Status parseOperand(Operand &out, const char *what) {
        const Token &token = current();
        out.column = token.column;
        switch (token.kind) {
        case TokenKind::Identifier:
            out.kind = Operand::Kind::Property;
            out.text = std::wstring(token.text);
            break;
        case TokenKind::String:
            out.kind = Operand::Kind::String;
            out.text = std::move(current_.value);
            break;
        case TokenKind::True:
        case TokenKind::False:
            out.kind = Operand::Kind::Boolean;
            out.value.kind = Scalar::Kind::Boolean;
            out.value.booleanValue = token.kind == TokenKind::True;
            break;
        case TokenKind::Null: out.kind = Operand::Kind::Null; break;
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

    Lexer lexer_;
    Token current_, previous_;
    int depth_ = 0;
};

}  // namespace
}  // namespace wql

Status parseWqlQuery(std::wstring_view text, WqlQuery &query) {
    query = WqlQuery();
    auto impl = std::make_unique<WqlQuery::Impl>();
    if (Status s = wql::Parser(text).parse(*impl); !s.ok()) return s;
    query.impl_ = std::move(impl);
    return Status::success();
}

}  // namespace cimom
