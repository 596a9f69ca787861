// class_rules.cpp - the rules a class keeps towards its superclass and the
// other classes of its namespace.
#include "repository/class_rules.h"

#include "support/names.h"
#include "support/objects.h"

namespace cimom {

namespace {

using cimobj::toUtf8;

const CIMQualifier *qualifierNamed(const CIMQualifierList *list, std::wstring_view name) {
    for (CIMQualifier *q : items<CIMQualifier>(list))
        if (sameName(textOf(q->name), name)) return q;
    return nullptr;
}

std::wstring_view stringQualifier(const CIMQualifierList *list, std::wstring_view name) {
    const CIMQualifier *q = qualifierNamed(list, name);
    return q && !isCIMValueNull(q->value) && q->value->type == CIM_STRING ? textOf(q->value->data.string)
                                                                          : std::wstring_view();
}

int elementCount(const CIMQualifier *q) {
    return q && !isCIMValueNull(q->value) ? getCIMValueNumElements(q->value) : 0;
}

class RuleCheck {
public:
    RuleCheck(const ClassRecord &record, const ClassRecord *superclass, const ClassLookup &classes)
        : record_(record), superclass_(superclass), classes_(classes) {}

    Status failure;

    bool fail(const std::string &where, const std::string &problem) {
        failure = Status::error(4, where + " " + problem);
        return false;
    }

    std::string where(const wchar_t *kind, const CIMString *member) const {
        return toUtf8(std::wstring(kind) + L" " + record_.name + L"." + std::wstring(textOf(member)));
    }

    // A qualifier list gives its ValueMap as many entries as its Values.
    bool pairedValues(const CIMQualifierList *list, const std::string &where) {
        const CIMQualifier *valueMap = qualifierNamed(list, L"ValueMap");
        const CIMQualifier *values = qualifierNamed(list, L"Values");
        if (valueMap && values && elementCount(valueMap) != elementCount(values))
            return fail(where, "has " + std::to_string(elementCount(valueMap)) + " ValueMap entries but " +
                                   std::to_string(elementCount(values)) + " Values");
        return true;
    }

    bool classExists(std::wstring_view name) { return sameName(name, record_.name) || classes_(name); }

    bool referenceClassExists(const CIMProperty *p, const std::string &where) {
        std::wstring_view target = textOf(propertyGetReferenceClass(p));
        if (p->type != CIM_REFERENCE || target.empty() || classExists(target)) return true;
        return fail(where, "refers to class " + toUtf8(target) + ", which does not exist");
    }

    bool property(const CIMProperty *local) {
        const std::string where = this->where(L"property", local->name);
        const CIMProperty *base = superclass_ ? superclass_->property(textOf(local->name)) : nullptr;
        const CIMProperty *resolved = record_.property(textOf(local->name));
        bool overrides = !stringQualifier(local->qualifiers, L"Override").empty();
        if (base && !overrides) return fail(where, "redeclares an inherited property without Override");
        if (!pairedValues(resolved->qualifiers, where)) return false;
        if (local->type == CIM_REFERENCE) {
            if (!record_.association) return fail(where, "is a reference outside an association");
            if (!referenceClassExists(local, where)) return false;
            std::wstring_view narrowed = textOf(propertyGetReferenceClass(local));
            std::wstring_view inherited = base ? textOf(propertyGetReferenceClass(base)) : std::wstring_view();
            const ClassRecord *target = narrowed.empty() ? nullptr : classes_(narrowed);
            if (!inherited.empty() && target && !target->isA(foldName(inherited)))
                return fail(where, "widens the reference from " + toUtf8(inherited) + " to " + toUtf8(narrowed));
        }
        if (resolved->isKey && superclass_ && !superclass_->keys.empty() && !(base && base->isKey))
            return fail(where, "adds a key below a class that has keys");
        if (std::wstring_view from = stringQualifier(local->qualifiers, L"Propagated"); !from.empty()) {
            std::size_t dot = from.find(L'.');
            const ClassRecord *owner = dot == std::wstring_view::npos ? nullptr : classes_(from.substr(0, dot));
            const CIMProperty *origin = owner ? owner->property(from.substr(dot + 1)) : nullptr;
            if (!origin || !origin->isKey)
                return fail(where, "is propagated from " + toUtf8(from) + ", which is not a key property");
        }
        return true;
    }

    bool method(const CIMMethod *local) {
        const std::string where = this->where(L"method", local->name);
        bool inherited = superclass_ && superclass_->method(textOf(local->name));
        if (inherited && stringQualifier(local->qualifiers, L"Override").empty())
            return fail(where, "redeclares an inherited method without Override");
        if (!pairedValues(local->qualifiers, where)) return false;
        for (CIMProperty *parameter : items<CIMProperty>(local->parameters)) {
            std::string at = "parameter " + toUtf8(textOf(parameter->name)) + " of " + where;
            if (!pairedValues(parameter->qualifiers, at) || !referenceClassExists(parameter, at)) return false;
        }
        return true;
    }

    bool all() {
        if (!pairedValues(record_.resolved->qualifiers, toUtf8(L"class " + record_.name))) return false;
        for (CIMProperty *p : items<CIMProperty>(record_.declared->properties))
            if (!property(p)) return false;
        for (CIMMethod *m : items<CIMMethod>(record_.declared->methods))
            if (!method(m)) return false;
        return true;
    }

private:
    const ClassRecord &record_;
    const ClassRecord *superclass_;
    const ClassLookup &classes_;
};

}  // namespace

Status checkClassRules(const ClassRecord &record, const ClassRecord *superclass, const ClassLookup &classes) {
    RuleCheck check(record, superclass, classes);
    return check.all() ? Status::success() : check.failure;
}

}  // namespace cimom
