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
        return parseOperator(out, "a comparison operator");
    }

    // Any operand may be tested; validation checks the types.
    Status checkTested(const Condition &, const char *) const { return Status::success(); }

    Status parseComparison(Condition &out) { return parseOperand(out.predicate->right, "a value"); }

    Status parseLikePattern(Condition &out) {
        out.predicate->pattern = LikePattern::compile(current().value);
        if (!out.predicate->pattern) return errorAt(current().column, "a '[' without its ']' in the LIKE pattern");
        advance();
        return Status::success();
    }

    Status takeIsaClass(Condition &out, std::wstring name, int column) {
        out.predicate->isaClass = std::move(name);
        out.predicate->isaColumn = column;
        return Status::success();
    }

    Status parseOperand(Operand &out, const char *what) {
        if (kind() != TokenKind::Identifier) return parseLiteral(out, what);
        out.kind = Operand::Kind::Property;
        out.column = current().column;
        out.text = std::wstring(current().text);
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
