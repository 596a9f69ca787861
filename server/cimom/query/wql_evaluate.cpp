// wql_evaluate.cpp - the WHERE condition on one instance, in three-valued
// logic: a row matches only when the condition is true.
#include "wql_syntax.h"

namespace cimom {

namespace wql {
namespace {

class Evaluator {
public:
    Evaluator(const WqlQuery::Impl &query, const CIMInstance *instance, WqlSchema &schema)
        : instance_(instance), schema_(schema), properties_(query.propertiesOf(instance)) {}

    Truth evaluate(const Condition &c) const {
        switch (c.kind) {
        case Condition::Kind::And:
        case Condition::Kind::Or:
            return combine(c.kind == Condition::Kind::And, c.children,
                           [this](const Condition &child) { return evaluate(child); });
        case Condition::Kind::Not: return negated(evaluate(c.children.front()));
        case Condition::Kind::Compare: return compare(c);
        case Condition::Kind::IsNull: return truthOf(isNull(c.predicate->left) != c.negated);
        case Condition::Kind::Like: {
            wchar_t buffer;
            Scalar s = scalar(c.predicate->left, buffer);
            if (s.kind != Scalar::Kind::Text) return Truth::Unknown;
            return truthOf(c.predicate->pattern->matches(s.text) != c.negated);
        }
        case Condition::Kind::Isa: return isa(c);
        }
        return Truth::Unknown;
    }

private:
    const CIMValue *valueOf(const Operand &operand) const {
        return propertyGetValue(properties_[operand.slot]);
    }

    bool isNull(const Operand &operand) const {
        if (operand.kind == Operand::Kind::Property) return isCIMValueNull(valueOf(operand));
        return operand.kind == Operand::Kind::Null;
    }

    Scalar scalar(const Operand &operand, wchar_t &buffer) const {
        if (operand.kind == Operand::Kind::Property) return scalarOf(valueOf(operand), buffer);
        if (operand.kind != Operand::Kind::String) return operand.value;
        Scalar s;
        s.kind = Scalar::Kind::Text;
        s.text = operand.text;
        return s;
    }

    Truth compare(const Condition &c) const {
        wchar_t leftBuffer, rightBuffer;
        return compareTruth(c.op, compareScalars(scalar(c.predicate->left, leftBuffer),
                                                 scalar(c.predicate->right, rightBuffer)));
    }

    // The class of what the operand holds: the instance itself, an embedded
    // instance or class, or the class a reference names.
    std::wstring_view classOf(const Operand &operand) const {
        if (operand.kind == Operand::Kind::Row) return cimobj::view(getInstanceName(instance_));
        return classOfValue(valueOf(operand));
    }

    Truth isa(const Condition &c) const {
        std::wstring_view name = classOf(c.predicate->left);
        if (name.empty()) return Truth::Unknown;
        return truthOf(schema_.isSameOrSubclass(name, c.predicate->isaClass));
    }

    const CIMInstance *instance_;
    WqlSchema &schema_;
    std::vector<const CIMProperty *> properties_;
};

}  // namespace
}  // namespace wql

bool WqlQuery::matches(const CIMInstance *instance, WqlSchema &schema) const {
    if (!instance || !impl_ || !impl_->validated) return false;
    if (!impl_->where) return true;
    return wql::Evaluator(*impl_, instance, schema).evaluate(*impl_->where) == query::Truth::True;
}

}  // namespace cimom
