// wql_validate.cpp - binds a parsed query to the schema: the FROM class,
// property slots, ISA classes, and the type rules of each predicate.
#include <array>
#include <unordered_set>

#include "wql_syntax.h"

namespace cimom {

namespace wql {
namespace {

// What an operand is for the type rules.
enum class Sort { Null, Text, Number, Boolean, Datetime, Object, Array, Row };

std::string typeName(int type) {
    static constexpr std::array<const char *, 17> kNames{
        "uint8",  "sint8",   "uint16", "sint16", "uint32",   "sint32", "uint64",    "sint64", "string",
        "boolean", "real32", "real64", "datetime", "char16", "reference", "object", "class"};
    bool array = type >= CIM_ARRAY;
    int element = array ? type - CIM_ARRAY : type;
    std::string name = element >= 0 && element < static_cast<int>(kNames.size()) ? kNames[element] : "unknown";
    return array ? name + "[]" : name;
}

bool isEmbeddingQualifier(const CIMQualifier *qualifier) {
    std::wstring_view name = cimobj::view(getQualifierName(qualifier));
    return equalsCaseless(name, L"EmbeddedInstance") || equalsCaseless(name, L"EmbeddedObject");
}

// The FROM class's properties by name, copied out of the schema's lent class.
using ClassProperties = std::unordered_map<std::wstring, Slot, CaselessHash, CaselessEqual>;

ClassProperties propertiesOfClass(const CIMClass *cimClass) {
    ClassProperties result;
    const CIMPropertyList *list = getClassProperties(cimClass);
    for (CIMListNode *node = getFirstCIMProperty(list); node; node = getNextCIMProperty(node)) {
        const CIMProperty *property = getCurrentCIMProperty(node);
        Slot slot{std::wstring(cimobj::view(propertyGetName(property))), propertyGetType(property), false};
        const CIMQualifierList *qualifiers = propertyGetQualifiers(property);
        for (CIMListNode *q = getFirstCIMQualifier(qualifiers); q; q = getNextCIMQualifier(q))
            slot.embedded = slot.embedded || isEmbeddingQualifier(getCurrentCIMQualifier(q));
        result.try_emplace(slot.name, std::move(slot));
    }
    return result;
}

class Validator {
public:
    Validator(WqlQuery::Impl &query, WqlSchema &schema, ClassProperties properties)
        : query_(query), schema_(schema), properties_(std::move(properties)) {}

    Status selectList() {
        std::vector<bool> seen;
        for (Operand &name : query_.selected) {
            if (Status s = bind(name); !s.ok()) return s;
            seen.resize(query_.slots.size());
            if (!seen[name.slot]) query_.projection.push_back(name.slot);
            seen[name.slot] = true;
        }
        return Status::success();
    }

    Status condition(Condition &c) {
        switch (c.kind) {
        case Condition::Kind::And:
        case Condition::Kind::Or:
        case Condition::Kind::Not:
            for (Condition &child : c.children)
                if (Status s = condition(child); !s.ok()) return s;
            return Status::success();
        case Condition::Kind::Compare: return comparison(c);
        case Condition::Kind::IsNull: return bindIfProperty(c.predicate->left);
        case Condition::Kind::Like: {
            if (Status s = bindIfProperty(c.predicate->left); !s.ok()) return s;
            Sort sort = sortOf(c.predicate->left);
            if (sort == Sort::Text || sort == Sort::Null) return Status::success();
            return errorAt(c.column, "LIKE applies to strings, not to " + describe(c.predicate->left));
        }
        case Condition::Kind::Isa: return isa(c);
        }
        return Status::success();
    }

private:
    // Gives a property operand its slot: 15 when the class has no such property.
    Status bind(Operand &operand) {
        if (auto known = query_.slotIndex.find(std::wstring_view(operand.text)); known != query_.slotIndex.end()) {
            operand.slot = known->second;
            return Status::success();
        }
        auto property = properties_.find(std::wstring_view(operand.text));
        if (property == properties_.end())
            return errorAt(operand.column,
                           "class " + quoted(query_.className) + " has no property " + quoted(operand.text));
        operand.slot = static_cast<int>(query_.slots.size());
        query_.slots.push_back(property->second);
        query_.slotIndex.emplace(property->second.name, operand.slot);
        return Status::success();
    }

    Status bindIfProperty(Operand &operand) {
        return operand.kind == Operand::Kind::Property ? bind(operand) : Status::success();
    }

    Sort sortOf(const Operand &operand) const {
        switch (operand.kind) {
        case Operand::Kind::Row: return Sort::Row;
        case Operand::Kind::Null: return Sort::Null;
        case Operand::Kind::String: return Sort::Text;
        case Operand::Kind::Number: return Sort::Number;
        case Operand::Kind::Boolean: return Sort::Boolean;
        case Operand::Kind::Datetime: return Sort::Datetime;
        case Operand::Kind::Property: break;
        }
        int type = query_.slots[operand.slot].type;
        if (type >= CIM_ARRAY) return Sort::Array;
        switch (type) {
        case CIM_STRING: case CIM_CHAR16: return Sort::Text;
        case CIM_BOOLEAN: return Sort::Boolean;
        case CIM_DATETIME: return Sort::Datetime;
        case CIM_REFERENCE: case CIM_OBJECT: case CIM_CLASS: return Sort::Object;
        default: return Sort::Number;
        }
    }

    std::string describe(const Operand &operand) const {
        switch (operand.kind) {
        case Operand::Kind::Property:
            return typeName(query_.slots[operand.slot].type) + " property " + quoted(operand.text);
        case Operand::Kind::Row: return "class " + quoted(operand.text);
        case Operand::Kind::Null: return "NULL";
        case Operand::Kind::String: return "a string";
        case Operand::Kind::Number: return "a number";
        case Operand::Kind::Boolean: return "a boolean";
        case Operand::Kind::Datetime: return "a datetime";
        }
        return {};
    }

    Status comparison(Condition &c) {
        for (Operand *side : {&c.predicate->left, &c.predicate->right}) {
            if (Status s = bindIfProperty(*side); !s.ok()) return s;
            Sort sort = sortOf(*side);
            if (sort == Sort::Array)
                return errorAt(side->column, describe(*side) + " can only be tested with IS [NOT] NULL");
            if (sort == Sort::Object)
                return errorAt(side->column, describe(*side) + " can only be tested with ISA or IS [NOT] NULL");
        }
        Sort left = sortOf(c.predicate->left), right = sortOf(c.predicate->right);
        if (left == Sort::Datetime && c.predicate->right.kind == Operand::Kind::String) return toDatetime(c.predicate->right);
        if (right == Sort::Datetime && c.predicate->left.kind == Operand::Kind::String) return toDatetime(c.predicate->left);
        if (left == Sort::Null || right == Sort::Null) return Status::success();
        if (left != right)
            return errorAt(c.column, "cannot compare " + describe(c.predicate->left) + " with " + describe(c.predicate->right));
        if (left == Sort::Boolean && c.op != CompareOp::Equal && c.op != CompareOp::NotEqual)
            return errorAt(c.column, "booleans compare only with = and <>");
        return Status::success();
    }

    static Status toDatetime(Operand &literal) {
        auto datetime = parseDatetime(literal.text);
        if (!datetime)
            return errorAt(literal.column, quoted(literal.text) +
                                               " is not a CIM datetime (yyyymmddhhmmss.mmmmmmsutc or "
                                               "ddddddddhhmmss.mmmmmm:000)");
        literal.kind = Operand::Kind::Datetime;
        literal.value = datetimeScalar(*datetime);
        return Status::success();
    }

    Status isa(Condition &c) {
        Operand &left = c.predicate->left;
        if (left.kind == Operand::Kind::Property && !properties_.contains(std::wstring_view(left.text)) &&
            equalsCaseless(left.text, query_.className)) {
            left.kind = Operand::Kind::Row;
        } else if (Status s = bindIfProperty(left); !s.ok()) {
            return s;
        }
        bool object = left.kind == Operand::Kind::Row ||
                      (left.kind == Operand::Kind::Property &&
                       (sortOf(left) == Sort::Object || query_.slots[left.slot].embedded));
        if (!object) return errorAt(c.column, "ISA applies to references and embedded objects, not to " + describe(left));
        if (!schema_.findClass(c.predicate->isaClass)) return errorAt(c.predicate->isaColumn, "unknown class " + quoted(c.predicate->isaClass));
        return Status::success();
    }

    WqlQuery::Impl &query_;
    WqlSchema &schema_;
    ClassProperties properties_;
};

}  // namespace
}  // namespace wql

Status WqlQuery::validate(WqlSchema &schema) {
    if (!impl_) return wql::errorAt(1, "expected SELECT");
    Impl &query = *impl_;
    query.validated = false;
    query.slots.clear();
    query.slotIndex.clear();
    query.projection.clear();
    const CIMClass *cimClass = schema.findClass(query.className);
    if (!cimClass) return wql::errorAt(query.classColumn, "unknown class " + wql::quoted(query.className));
    wql::Validator validator(query, schema, wql::propertiesOfClass(cimClass));
    if (Status s = validator.selectList(); !s.ok()) return s;
    if (query.where)
        if (Status s = validator.condition(*query.where); !s.ok()) return s;
    query.validated = true;
    return Status::success();
}

}  // namespace cimom
