// wql_evaluate.cpp - the WHERE condition on one instance, in three-valued
// logic: a row matches only when the condition is true.
#include "wql_syntax.h"

namespace cimom {

namespace wql {
namespace {

// Ordered so that AND is the minimum, OR the maximum and NOT the mirror.
enum class Truth { False = 0, Unknown = 1, True = 2 };

Truth truthOf(bool b) { return b ? Truth::True : Truth::False; }

class Evaluator {
public:
    Evaluator(const WqlQuery::Impl &query, const CIMInstance *instance, WqlSchema &schema)
        : instance_(instance), schema_(schema), properties_(query.propertiesOf(instance)) {}

    Truth evaluate(const Condition &c) const {
        switch (c.kind) {
        case Condition::Kind::And:
        case Condition::Kind::Or: {
            bool isAnd = c.kind == Condition::Kind::And;
            Truth result = isAnd ? Truth::True : Truth::False;
            for (const Condition &child : c.children) {
                Truth t = evaluate(child);
                result = isAnd ? std::min(result, t) : std::max(result, t);
                if (result == (isAnd ? Truth::False : Truth::True)) break;
            }
            return result;
        }
        case Condition::Kind::Not:
            return static_cast<Truth>(2 - static_cast<int>(evaluate(c.children.front())));
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
        std::partial_ordering order = compareScalars(scalar(c.predicate->left, leftBuffer), scalar(c.predicate->right, rightBuffer));
        if (order == std::partial_ordering::unordered) return Truth::Unknown;
        switch (c.op) {
        case CompareOp::Equal: return truthOf(order == 0);
        case CompareOp::NotEqual: return truthOf(order != 0);
        case CompareOp::Less: return truthOf(order < 0);
        case CompareOp::LessEqual: return truthOf(order <= 0);
        case CompareOp::Greater: return truthOf(order > 0);
        case CompareOp::GreaterEqual: return truthOf(order >= 0);
        }
        return Truth::Unknown;
    }

    // The class of what the operand holds: the instance itself, an embedded
    // instance or class, or the class a reference names.
    std::wstring_view classOf(const Operand &operand) const {
        if (operand.kind == Operand::Kind::Row) return cimobj::view(getInstanceName(instance_));
        const CIMValue *value = valueOf(operand);
        if (isCIMValueNull(value)) return {};
        switch (value->type) {
        case CIM_OBJECT: return cimobj::view(getInstanceName(value->data.instance));
        case CIM_CLASS: return cimobj::view(getClassName(value->data.cimClass));
        case CIM_REFERENCE: {
            std::wstring_view name = cimobj::view(getObjectPathName(value->data.reference));
            return name.empty() ? cimobj::view(getCIMValueReferenceType(value)) : name;
        }
        default: return {};
        }
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
    return wql::Evaluator(*impl_, instance, schema).evaluate(*impl_->where) == wql::Truth::True;
}

}  // namespace cimom
