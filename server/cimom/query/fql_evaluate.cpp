// fql_evaluate.cpp - an FQL filter on one instance, in three-valued logic:
// paths resolved through embedded instances and array elements, the values
// compared as their kinds allow, ANY and EVERY over the arrays met.
#include "fql_syntax.h"
#include "support/objects.h"

namespace cimom {

namespace fql {
namespace {

// The value of the instance's property name (the first of that name), lent;
// NULL when it has none.
const CIMValue *propertyValue(const CIMInstance *instance, std::wstring_view name) {
    for (const CIMProperty *property : items<const CIMProperty>(getInstanceProperties(instance)))
        if (equalsCaseless(cimobj::view(propertyGetName(property)), name)) return propertyGetValue(property);
    return nullptr;
}

bool isArray(const CIMValue *value) { return !isCIMValueNull(value) && value->type >= CIM_ARRAY; }
bool holdsInstance(const CIMValue *value) { return !isCIMValueNull(value) && value->type == CIM_OBJECT; }

// Element index of an array value; NULL past its end or for a non-array.
const CIMValue *elementAt(const CIMValue *array, std::int64_t index) {
    if (!isArray(array)) return nullptr;
    for (const CIMValue *element : items<const CIMValue>(array->data.array))
        if (index-- == 0) return element;
    return nullptr;
}

// Same class (caseless) and the same keys (caseless names) with equal
// values: numbers by value, text exactly, references alike in turn. Host
// and namespace do not take part, as a filter's literal seldom names them.
bool samePath(const CIMObjectPath *a, const CIMObjectPath *b) {
    if (!equalsCaseless(cimobj::view(a->className), cimobj::view(b->className))) return false;
    if (getLength(a->mkeys) != getLength(b->mkeys)) return false;
    for (const CIMProperty *key : items<const CIMProperty>(a->mkeys)) {
        const CIMValue *other = nullptr;
        bool found = false;
        for (const CIMProperty *candidate : items<const CIMProperty>(b->mkeys))
            if (equalsCaseless(cimobj::view(propertyGetName(candidate)), cimobj::view(propertyGetName(key)))) {
                other = propertyGetValue(candidate);
                found = true;
                break;
            }
        if (!found) return false;
        const CIMValue *value = propertyGetValue(key);
        bool references = !isCIMValueNull(value) && !isCIMValueNull(other) && value->type == CIM_REFERENCE &&
                          other->type == CIM_REFERENCE;
        if (references) {
            if (!samePath(value->data.reference, other->data.reference)) return false;
            continue;
        }
        wchar_t first, second;
        if (compareScalars(scalarOf(value, first), scalarOf(other, second)) != 0) return false;
    }
    return true;
}

// One side of a comparison: a value of the instance (NULL for none) or a literal.
struct Side {
    const CIMValue *value = nullptr;
    const Operand *literal = nullptr;

    bool isNull() const { return literal ? literal->kind == Operand::Kind::Null : isCIMValueNull(value); }
    bool isReference() const { return !literal && value->type == CIM_REFERENCE; }
    bool isDatetime() const { return !literal && value->type == CIM_DATETIME; }
    const CIMObjectPath *reference() const {
        if (literal) return literal->reference.get();
        return value->type == CIM_REFERENCE ? value->data.reference : nullptr;
    }
    // The scalar this side compares as, against other: a string literal
    // stands for a datetime against a datetime value.
    Scalar scalar(const Side &other, wchar_t &buffer) const {
        if (!literal) return scalarOf(value, buffer);
        if (literal->kind != Operand::Kind::String) return literal->value;
        if (other.isDatetime()) return literal->datetime ? datetimeScalar(*literal->datetime) : Scalar{};
        Scalar text;
        text.kind = Scalar::Kind::Text;
        text.text = literal->text;
        return text;
    }
};

Truth compareSides(CompareOp op, const Side &a, const Side &b) {
    if (a.isNull() || b.isNull()) return Truth::Unknown;
    bool equality = op == CompareOp::Equal || op == CompareOp::NotEqual;
    if (a.isReference() || b.isReference()) {
        const CIMObjectPath *x = a.reference(), *y = b.reference();
        if (!equality || !x || !y) return Truth::Unknown;
        return truthOf(samePath(x, y) == (op == CompareOp::Equal));
    }
    wchar_t first, second;
    Scalar x = a.scalar(b, first), y = b.scalar(a, second);
    if (!equality && x.kind == Scalar::Kind::Boolean) return Truth::Unknown;
    return compareTruth(op, compareScalars(x, y));
}

class Evaluator {
public:
    Evaluator(const CIMInstance *instance, const SubclassTest &isSameOrSubclass)
        : instance_(instance), isSameOrSubclass_(isSameOrSubclass) {}

    Truth evaluate(const Node &node) const {
        switch (node.kind) {
        case Node::Kind::And:
        case Node::Kind::Or:
            return combine(node.kind == Node::Kind::And, node.children,
                           [this](const Node &child) { return evaluate(child); });
        case Node::Kind::Not: return negated(evaluate(node.children.front()));
        default: return predicate(node);
        }
    }

private:
    Truth predicate(const Node &node) const {
        const Predicate &p = *node.predicate;
        bool comparison = node.kind == Node::Kind::Compare;
        if (p.quantifier == Quantifier::None) {
            if (comparison) return compareSides(node.op, side(p.left), side(p.right));
            return test(node, resolve(p.left.path));
        }
        std::vector<const CIMValue *> values;
        bool sawArray = false;
        collect(instance_, p.left.path, 0, values, sawArray);
        if (!sawArray) return Truth::Unknown;
        Side right = comparison ? side(p.right) : Side{};
        return combine(p.quantifier == Quantifier::Every, values, [&](const CIMValue *value) {
            return comparison ? compareSides(node.op, Side{value, nullptr}, right) : test(node, value);
        });
    }

    Side side(const Operand &operand) const {
        if (operand.kind == Operand::Kind::Path) return Side{resolve(operand.path), nullptr};
        return Side{nullptr, &operand};
    }

    // IS NULL, LIKE or ISA on one value.
    Truth test(const Node &node, const CIMValue *value) const {
        const Predicate &p = *node.predicate;
        if (node.kind == Node::Kind::IsNull) return truthOf(isCIMValueNull(value) != node.negated);
        if (isCIMValueNull(value)) return Truth::Unknown;
        if (node.kind == Node::Kind::Like) {
            wchar_t buffer;
            Scalar text = scalarOf(value, buffer);
            if (text.kind != Scalar::Kind::Text) return Truth::Unknown;
            return truthOf(p.pattern->matches(text.text) != node.negated);
        }
        std::wstring_view name = classOfValue(value);
        if (name.empty()) return Truth::Unknown;
        if (equalsCaseless(name, p.isaClass)) return Truth::True;
        return isSameOrSubclass_ ? truthOf(isSameOrSubclass_(name, p.isaClass)) : Truth::Unknown;
    }

    // The one value a path names; NULL when a step finds nothing.
    const CIMValue *resolve(const std::vector<Step> &path) const {
        const CIMInstance *instance = instance_;
        const CIMValue *value = nullptr;
        for (std::size_t i = 0; i < path.size(); ++i) {
            if (i > 0) {
                if (!holdsInstance(value)) return nullptr;
                instance = value->data.instance;
            }
            value = propertyValue(instance, path[i].name);
            if (path[i].index != kNoIndex) value = elementAt(value, path[i].index);
        }
        return value;
    }

    // The values a quantified path ranges over, from step i on: every
    // element of each unindexed array met (sawArray then set), NULL where
    // a step finds nothing.
    void collect(const CIMInstance *instance, const std::vector<Step> &path, std::size_t i,
                 std::vector<const CIMValue *> &out, bool &sawArray) const {
        const CIMValue *value = propertyValue(instance, path[i].name);
        if (path[i].index != kNoIndex) value = elementAt(value, path[i].index);
        if (!isArray(value)) return descend(value, path, i, out, sawArray);
        sawArray = true;
        for (const CIMValue *element : items<const CIMValue>(value->data.array))
            descend(element, path, i, out, sawArray);
    }

    void descend(const CIMValue *value, const std::vector<Step> &path, std::size_t i,
                 std::vector<const CIMValue *> &out, bool &sawArray) const {
        if (i + 1 == path.size()) return out.push_back(value);
        if (!holdsInstance(value)) return out.push_back(nullptr);
        collect(value->data.instance, path, i + 1, out, sawArray);
    }

    const CIMInstance *instance_;
    const SubclassTest &isSameOrSubclass_;
};

}  // namespace
}  // namespace fql

bool FqlFilter::matches(const CIMInstance *instance, const SubclassTest &isSameOrSubclass) const {
    if (!instance || !impl_) return false;
    return fql::Evaluator(instance, isSameOrSubclass).evaluate(impl_->root) == query::Truth::True;
}

}  // namespace cimom
