// wql_parser.cpp - recursive-descent parser from WQL text to WqlQuery::Impl:
// the select list and FROM class here, the condition through the shared
// condition parser, whose nesting is capped at kMaxWqlNesting.
#include <string>

#include "wql_syntax.h"

namespace cimom {

namespace wql {
namespace {

class Parser : public ConditionParser<Parser, Predicate> {
public:
    explicit Parser(std::wstring_view text) : ConditionParser(text, Dialect::Wql, kMaxWqlNesting) {}

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
    friend ConditionParser;

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
