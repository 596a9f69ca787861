// fql_parser.cpp - recursive-descent parser from FQL text to
// FqlFilter::Impl: predicates, paths and literals here, the AND / OR / NOT
// skeleton through the shared condition parser (nesting capped at
// kMaxFqlNesting).
#include <unordered_set>

#include <cimom/object_path_text.h>

#include "fql_syntax.h"

namespace cimom {

namespace fql {
namespace {

// Indexes stay within what an array of the object library can hold.
constexpr std::int64_t kMaxIndex = 0x7fffffff;

class Parser : public ConditionParser<Parser, Predicate> {
public:
    Parser(std::wstring_view text, FqlFilter::Impl &filter)
        : ConditionParser(text, Dialect::Fql, kMaxFqlNesting), filter_(filter) {}

    Status parse() {
        if (Status s = parseOr(filter_.root); !s.ok()) return s;
        if (kind() != TokenKind::End) return expected("AND, OR or the end of the filter");
        return Status::success();
    }

private:
    friend ConditionParser;

    Status parsePredicate(Node &out) {
        out.predicate = std::make_unique<Predicate>();
        Predicate &p = *out.predicate;
        if (kind() == TokenKind::Any || kind() == TokenKind::Every) {
            p.quantifier = kind() == TokenKind::Any ? Quantifier::Any : Quantifier::Every;
            advance();
            if (kind() != TokenKind::Identifier) return expected("a property name");
        }
        if (Status s = parseOperand(p.left, "a condition"); !s.ok()) return s;
        return parseOperator(out, "a comparison operator, IS, LIKE or ISA");
    }

    // IS NULL, LIKE and ISA test a path.
    Status checkTested(const Node &out, const char *what) const {
        if (out.predicate->left.kind == Operand::Kind::Path) return Status::success();
        return errorAt(out.predicate->left.column, std::string(what) + " tests a property, not a literal");
    }

    Status parseComparison(Node &out) {
        Predicate &p = *out.predicate;
        if (Status s = parseOperand(p.right, "a value"); !s.ok()) return s;
        if (p.left.kind != Operand::Kind::Path && p.right.kind != Operand::Kind::Path)
            return errorAt(out.column, "a comparison needs a property on one side");
        bool ordering = out.op != CompareOp::Equal && out.op != CompareOp::NotEqual;
        if (ordering && (p.left.kind == Operand::Kind::Boolean || p.right.kind == Operand::Kind::Boolean))
            return errorAt(out.column, "booleans compare only with = and <>");
        return Status::success();
    }

    Status parseLikePattern(Node &out) {
        std::string error;
        std::size_t at = 0;
        out.predicate->pattern = Pattern::compile(current().value, error, at);
        if (!out.predicate->pattern)
            return errorAt(current().column, "LIKE pattern, at its character " + std::to_string(at + 1) + ": " + error);
        advance();
        return Status::success();
    }

    Status takeIsaClass(Node &out, std::wstring name, int column) {
        if (name.empty()) return errorAt(column, "expected a class name, not an empty string");
        out.predicate->isaClass = std::move(name);
        return Status::success();
    }

    Status parseOperand(Operand &out, const char *what) {
        if (kind() == TokenKind::Identifier) {
            out.kind = Operand::Kind::Path;
            out.column = current().column;
            return parsePath(out);
        }
        if (Status s = parseLiteral(out, what); !s.ok() || out.kind != Operand::Kind::String) return s;
        // What the string may stand for against a datetime or a reference.
        out.datetime = parseDatetime(out.text);
        if (out.text.find(L'=') != std::wstring::npos) {
            cimobj::PathPtr path = parseObjectPathText(out.text);
            if (path && getLength(path->mkeys) > 0) out.reference = std::move(path);
        }
        return Status::success();
    }

    // Name[index].Name[index]...; the first name is one the filter reads.
    Status parsePath(Operand &out) {
        noteProperty(current().text);
        while (true) {
            Step step;
            step.name = std::wstring(current().text);
            advance();
            if (kind() == TokenKind::LeftBracket) {
                advance();
                if (kind() != TokenKind::Integer) return expected("an array index");
                auto index = numberScalar(current().text, false);
                if (!index || index->kind != Scalar::Kind::Unsigned || index->unsignedValue > kMaxIndex)
                    return errorAt(current().column, "an array index is a whole number from 0 to " +
                                                         std::to_string(kMaxIndex) + ", not " + quoted(current().text));
                step.index = static_cast<std::int64_t>(index->unsignedValue);
                advance();
                if (kind() != TokenKind::RightBracket) return expected("']'");
                advance();
            }
            out.path.push_back(std::move(step));
            if (kind() != TokenKind::Dot) return Status::success();
            advance();
            if (kind() != TokenKind::Identifier) return expected("a property name");
        }
    }

    void noteProperty(std::wstring_view name) {
        if (seen_.contains(name)) return;
        seen_.emplace(name);
        filter_.propertyNames.emplace_back(name);
    }

    FqlFilter::Impl &filter_;
    std::unordered_set<std::wstring, CaselessHash, CaselessEqual> seen_;
};

}  // namespace
}  // namespace fql

Status parseFqlFilter(std::wstring_view text, FqlFilter &filter) {
    filter = FqlFilter();
    auto impl = std::make_unique<FqlFilter::Impl>();
    if (Status s = fql::Parser(text, *impl).parse(); !s.ok()) return s;
    filter.impl_ = std::move(impl);
    return Status::success();
}

}  // namespace cimom
