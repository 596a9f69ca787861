// class_resolution.cpp - a declared class checked against the qualifier
// declarations and resolved on its superclass.
#include <unordered_set>

#include "repository/class_record.h"
#include "repository/value_conversion.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom {

namespace {

using cimobj::ListPtr;
using cimobj::toUtf8;

constexpr int overrideBits = CIM_FLAVOR_ENABLEOVERRIDE | CIM_FLAVOR_DISABLEOVERRIDE;
constexpr int propagationBits = CIM_FLAVOR_TOSUBCLASS | CIM_FLAVOR_RESTRICTED;

// The flavors a qualifier has where it is used: its declaration's, with the
// ones written at the use taking their place; unset axes take the defaults
// (EnableOverride, ToSubclass).
int effectiveFlavor(int given, int declared) {
    int flavor = declared;
    if (given & overrideBits) flavor = (flavor & ~overrideBits) | (given & overrideBits);
    if (given & propagationBits) flavor = (flavor & ~propagationBits) | (given & propagationBits);
    flavor |= given & CIM_FLAVOR_TRANSLATABLE;
    if (!(flavor & overrideBits)) flavor |= CIM_FLAVOR_ENABLEOVERRIDE;
    if (!(flavor & propagationBits)) flavor |= CIM_FLAVOR_TOSUBCLASS;
    return flavor;
}

bool inScope(const CIMQualifierType *declaration, int scopes) {
    return (cimScopeBits(declaration->scope) & scopes) != 0;
}

cimobj::QualifierPtr makeQualifier(const CIMQualifierType *declaration, int flavor, const CIMValue *value,
                                   int propagated) {
    cimobj::StringPtr name(orThrow(copyCIMString(declaration->name)));
    cimobj::ValuePtr copy = copyValue(value);
    cimobj::QualifierPtr q(orThrow(newQualifier(name.get(), flavor, copy.get(), declaration->type, propagated)));
    name.release();
    copy.release();
    return q;
}

const CIMQualifier *findQualifier(const CIMQualifierList *list, std::wstring_view name) {
    for (CIMQualifier *q : items<CIMQualifier>(list))
        if (sameName(textOf(q->name), name)) return q;
    return nullptr;
}

// The qualifiers of one element, typed twice: as written (for the declared
// class) and with their effective flavors (for the resolved one).
struct TypedQualifiers {
    ListPtr asWritten;
    ListPtr effective;
    std::vector<const CIMQualifierType *> declarations;  // parallel to the lists
};

class Resolver {
public:
    Resolver(const QualifierLookup &lookup, std::wstring className)
        : lookup_(lookup), className_(std::move(className)) {}

    Status failure;
    bool failed() const { return !failure.ok(); }

    std::string where(std::wstring_view kind, std::wstring_view member = {}) const {
        std::wstring text = std::wstring(kind) + L" " + className_;
        if (!member.empty()) text += L"." + std::wstring(member);
        return toUtf8(text);
    }

    bool fail(std::string message) {
        if (!failed()) failure = Status::error(4, std::move(message));
        return false;
    }

    // Types the qualifiers an element declares itself (propagated ones are
    // the superclass's business) and checks them against their declarations.
    bool type(const CIMQualifierList *given, const std::string &where, TypedQualifiers &typed) {
        typed.asWritten = makeList(CIMLIST_QUALIFIER);
        typed.effective = makeList(CIMLIST_QUALIFIER);
        CIMList *written = typed.asWritten.get();
        CIMList *effective = typed.effective.get();
        std::unordered_set<std::wstring> seen;
        for (CIMQualifier *q : items<CIMQualifier>(given)) {
            if (q->propagated) continue;
            std::wstring folded = foldName(textOf(q->name));
            const std::string named = "qualifier " + toUtf8(textOf(q->name)) + " on " + where;
            if (!seen.insert(folded).second) return fail(named + " is given twice");
            const CIMQualifierType *declaration = lookup_(folded);
            if (!declaration) return fail(named + " is not declared");
            Conversion value = convertValue(q->value, declaration->type);
            if (!value.ok()) return fail(named + ": " + value.problem);
            appendOwned(&written, CIMLIST_QUALIFIER, makeQualifier(declaration, q->flavor, value.value.get(), 0));
            appendOwned(
                &effective, CIMLIST_QUALIFIER,
                makeQualifier(declaration, effectiveFlavor(q->flavor, declaration->flavor), value.value.get(), 0));
            typed.declarations.push_back(declaration);
        }
        return true;
    }

    bool checkScopes(const TypedQualifiers &typed, int scopes, const std::string &where) {
        int index = 0;
        for (CIMQualifier *q : items<CIMQualifier>(typed.asWritten.get())) {
            if (!inScope(typed.declarations[index++], scopes))
                return fail("qualifier " + toUtf8(textOf(q->name)) + " may not be used on " + where);
        }
        return true;
    }

    bool typeAndCheck(const CIMQualifierList *given, int scopes, const std::string &where, TypedQualifiers &typed) {
        return type(given, where, typed) && checkScopes(typed, scopes, where);
    }

    // The inherited qualifiers that pass to a subclass, marked propagated.
    ListPtr inherited(const CIMQualifierList *fromSuperclass) {
        ListPtr list = makeList(CIMLIST_QUALIFIER);
        CIMList *raw = list.get();
        for (CIMQualifier *q : items<CIMQualifier>(fromSuperclass)) {
            if (q->flavor & CIM_FLAVOR_RESTRICTED) continue;
            cimobj::QualifierPtr copy = copyQualifier(q);
            copy->propagated = 1;
            appendOwned(&raw, CIMLIST_QUALIFIER, std::move(copy));
        }
        return list;
    }

    // Inherited qualifiers with the element's own ones in their place (a
    // DisableOverride qualifier must keep its value), then the new ones.
    bool merge(const CIMQualifierList *fromSuperclass, const CIMQualifierList *own, const std::string &where,
               ListPtr &merged) {
        merged = makeList(CIMLIST_QUALIFIER);
        CIMList *raw = merged.get();
        std::unordered_set<std::wstring> used;
        for (CIMQualifier *q : items<CIMQualifier>(fromSuperclass)) {
            if (q->flavor & CIM_FLAVOR_RESTRICTED) continue;
            const CIMQualifier *local = findQualifier(own, textOf(q->name));
            if (local && (q->flavor & CIM_FLAVOR_DISABLEOVERRIDE) && !isEqualCIMValue(local->value, q->value))
                return fail("qualifier " + toUtf8(textOf(q->name)) + " on " + where + " cannot be overridden");
            cimobj::QualifierPtr copy = copyQualifier(local ? local : q);
            copy->propagated = local ? 0 : 1;
            if (local) used.insert(foldName(textOf(local->name)));
            appendOwned(&raw, CIMLIST_QUALIFIER, std::move(copy));
        }
        for (CIMQualifier *q : items<CIMQualifier>(own))
            if (!used.count(foldName(textOf(q->name)))) appendOwned(&raw, CIMLIST_QUALIFIER, copyQualifier(q));
        return true;
    }

    // The overridden member a local one names with Override, if any; fails
    // when it names another member or one the superclass lacks.
    bool checkOverride(const CIMQualifierList *effective, std::wstring_view ownName, bool inherited,
                       const std::string &where) {
        const CIMQualifier *q = findQualifier(effective, L"Override");
        if (!q || isCIMValueNull(q->value) || q->value->type != CIM_STRING) return true;
        std::wstring_view target = textOf(q->value->data.string);
        if (!sameName(target, ownName))
            return fail(where + " overrides " + toUtf8(target) + "; a member overrides one of its own name");
        if (!inherited) return fail(where + " overrides " + toUtf8(target) + ", which the superclass does not have");
        return true;
    }

private:
    const QualifierLookup &lookup_;
    std::wstring className_;
};

int memberType(const CIMProperty *p) {
    if (p->type != CIM_EMPTY && p->type != CIM_NULL) return p->type;
    return p->value && p->value->type != CIM_EMPTY && p->value->type != CIM_NULL ? p->value->type : -1;
}

// A typed copy of a property's default value; a reference keeps its class.
bool typedDefault(Resolver &r, const CIMProperty *p, int type, const std::string &where, cimobj::ValuePtr &value) {
    Conversion converted = convertValue(p->value, type);
    if (!converted.ok()) return r.fail("default value of " + where + ": " + converted.problem);
    value = std::move(converted.value);
    if (type == CIM_REFERENCE && p->value && p->value->referenceClass && !value->referenceClass)
        setCIMValueReferenceType(value.get(), orThrow(copyCIMString(p->value->referenceClass)));
    return true;
}

cimobj::PropertyPtr makeProperty(const CIMString *name, std::wstring_view classOrigin, cimobj::ValuePtr value, int type,
                                 ListPtr qualifiers, int propagated) {
    cimobj::StringPtr n(orThrow(copyCIMString(name)));
    cimobj::StringPtr origin(classOrigin.empty() ? nullptr : newText(classOrigin));
    cimobj::PropertyPtr p(orThrow(newProperty(n.get(), origin.get(), value.get(), type, qualifiers.get(), propagated)));
    n.release();
    origin.release();
    value.release();
    qualifiers.release();
    p->isKey = qualifierIsTrue(p->qualifiers, L"Key");
    return p;
}

// Positions of members by folded name, over a vector being built.
template <class Ptr>
struct Members {
    std::vector<Ptr> list;
    std::unordered_map<std::wstring, std::size_t> at;
    void add(std::wstring folded, Ptr member) {
        at[std::move(folded)] = list.size();
        list.push_back(std::move(member));
    }
    template <class T>
    ListPtr toList(int listType) {
        ListPtr result = makeList(listType);
        CIMList *raw = result.get();
        for (Ptr &member : list) appendOwned(&raw, listType, std::move(member));
        return result;
    }
};

bool resolveProperties(Resolver &r, const CIMClass &declared, const ClassRecord *superclass,
                       const std::wstring &className, Members<cimobj::PropertyPtr> &resolved,
                       Members<cimobj::PropertyPtr> &written) {
    if (superclass) {
        for (const CIMProperty *p : superclass->properties) {
            cimobj::PropertyPtr copy = copyProperty(p);
            copy->propagated = 1;
            ListPtr qualifiers = r.inherited(p->qualifiers);
            propertySetQualifiers(copy.get(), qualifiers.release());
            resolved.add(foldName(textOf(p->name)), std::move(copy));
        }
    }
    for (CIMProperty *p : items<CIMProperty>(declared.properties)) {
        if (p->propagated) continue;
        std::wstring folded = foldName(textOf(p->name));
        const std::string where = r.where(L"property", textOf(p->name));
        if (written.at.count(folded)) return r.fail(where + " is declared twice");
        int type = memberType(p);
        if (type < 0) return r.fail(where + " has no type");
        TypedQualifiers typed;
        int scope = type == CIM_REFERENCE ? CIM_SCOPE_REFERENCE : CIM_SCOPE_PROPERTY;
        if (!r.typeAndCheck(p->qualifiers, scope, where, typed)) return false;
        cimobj::ValuePtr value;
        if (!typedDefault(r, p, type, where, value)) return false;
        auto inheritedAt = resolved.at.find(folded);
        const CIMProperty *inherited =
            inheritedAt == resolved.at.end() ? nullptr : resolved.list[inheritedAt->second].get();
        if (!r.checkOverride(typed.effective.get(), textOf(p->name), inherited != nullptr, where)) return false;

        written.add(folded, makeProperty(p->name, {}, copyValue(value.get()), type, std::move(typed.asWritten), 0));
        if (!inherited) {
            resolved.add(folded,
                         makeProperty(p->name, className, std::move(value), type, std::move(typed.effective), 0));
            continue;
        }
        if (inherited->type != type)
            return r.fail(where + " is a " + typeName(type) + " but overrides a " + typeName(inherited->type));
        ListPtr merged;
        if (!r.merge(inherited->qualifiers, typed.effective.get(), where, merged)) return false;
        if (isCIMValueNull(value.get())) {
            // The inherited default, but a narrowed reference keeps its own class.
            cimobj::ValuePtr kept = copyValue(inherited->value);
            if (kept && value->referenceClass)
                setCIMValueReferenceType(kept.get(), orThrow(copyCIMString(value->referenceClass)));
            if (kept) value = std::move(kept);
        }
        resolved.list[inheritedAt->second] =
            makeProperty(p->name, className, std::move(value), type, std::move(merged), 0);
    }
    return true;
}

cimobj::MethodPtr makeMethod(const CIMMethod *m, std::wstring_view classOrigin, ListPtr qualifiers, ListPtr parameters,
                             int propagated) {
    cimobj::StringPtr n(orThrow(copyCIMString(m->name)));
    cimobj::StringPtr origin(classOrigin.empty() ? nullptr : newText(classOrigin));
    cimobj::MethodPtr method(
        orThrow(newMethod(n.get(), origin.get(), propagated, qualifiers.get(), m->returnType, parameters.get())));
    n.release();
    origin.release();
    qualifiers.release();
    parameters.release();
    return method;
}

// Typed parameters of a method: as written and with effective flavors.
bool typeParameters(Resolver &r, const CIMMethod *m, const std::string &methodWhere, ListPtr &written,
                    ListPtr &effective) {
    written = makeList(CIMLIST_PROPERTY);
    effective = makeList(CIMLIST_PROPERTY);
    CIMList *rawWritten = written.get();
    CIMList *rawEffective = effective.get();
    std::unordered_set<std::wstring> seen;
    for (CIMProperty *p : items<CIMProperty>(m->parameters)) {
        const std::string where = "parameter " + toUtf8(textOf(p->name)) + " of " + methodWhere;
        if (!seen.insert(foldName(textOf(p->name))).second) return r.fail(where + " is declared twice");
        int type = memberType(p);
        if (type < 0) return r.fail(where + " has no type");
        TypedQualifiers typed;
        if (!r.typeAndCheck(p->qualifiers, CIM_SCOPE_PARAMETER, where, typed)) return false;
        cimobj::ValuePtr value;
        if (!typedDefault(r, p, type, where, value)) return false;
        cimobj::ValuePtr second = copyValue(value.get());
        appendOwned(&rawWritten, CIMLIST_PROPERTY,
                    makeProperty(p->name, {}, std::move(value), type, std::move(typed.asWritten), 0));
        appendOwned(&rawEffective, CIMLIST_PROPERTY,
                    makeProperty(p->name, {}, std::move(second), type, std::move(typed.effective), 0));
    }
    return true;
}

bool resolveMethods(Resolver &r, const CIMClass &declared, const ClassRecord *superclass, const std::wstring &className,
                    Members<cimobj::MethodPtr> &resolved, Members<cimobj::MethodPtr> &written) {
    if (superclass) {
        for (CIMMethod *m : items<CIMMethod>(superclass->resolved->methods)) {
            cimobj::MethodPtr copy = copyMethodOf(m);
            copy->propagated = 1;
            setMethodQualifiers(copy.get(), r.inherited(m->qualifiers).release());
            resolved.add(foldName(textOf(m->name)), std::move(copy));
        }
    }
    for (CIMMethod *m : items<CIMMethod>(declared.methods)) {
        if (m->propagated) continue;
        std::wstring folded = foldName(textOf(m->name));
        const std::string where = r.where(L"method", textOf(m->name));
        if (written.at.count(folded)) return r.fail(where + " is declared twice");
        TypedQualifiers typed;
        if (!r.typeAndCheck(m->qualifiers, CIM_SCOPE_METHOD, where, typed)) return false;
        ListPtr writtenParameters, effectiveParameters;
        if (!typeParameters(r, m, where, writtenParameters, effectiveParameters)) return false;
        auto inheritedAt = resolved.at.find(folded);
        const CIMMethod *inherited =
            inheritedAt == resolved.at.end() ? nullptr : resolved.list[inheritedAt->second].get();
        if (!r.checkOverride(typed.effective.get(), textOf(m->name), inherited != nullptr, where)) return false;
        written.add(folded, makeMethod(m, {}, std::move(typed.asWritten), std::move(writtenParameters), 0));
        if (!inherited) {
            resolved.add(folded,
                         makeMethod(m, className, std::move(typed.effective), std::move(effectiveParameters), 0));
            continue;
        }
        if (inherited->returnType != m->returnType)
            return r.fail(where + " returns a " + typeName(m->returnType) + " but overrides one returning a " +
                          typeName(inherited->returnType));
        ListPtr merged;
        if (!r.merge(inherited->qualifiers, typed.effective.get(), where, merged)) return false;
        resolved.list[inheritedAt->second] =
            makeMethod(m, className, std::move(merged), std::move(effectiveParameters), 0);
    }
    return true;
}

cimobj::ClassPtr makeClass(const std::wstring &name, const std::wstring &superName, ListPtr qualifiers,
                           ListPtr properties, ListPtr methods) {
    cimobj::StringPtr n = ownedText(name);
    cimobj::StringPtr s = superName.empty() ? nullptr : ownedText(superName);
    cimobj::ClassPtr c(orThrow(newCIMClass(n.get(), s.get())));
    n.release();
    s.release();
    setClassQualifiers(c.get(), qualifiers.release());
    setClassProperties(c.get(), properties.release());
    setClassMethods(c.get(), methods.release());
    return c;
}

void indexRecord(ClassRecord &record, const ClassRecord *superclass) {
    record.lineage.push_back(foldName(record.name));
    if (superclass) record.lineage.insert(record.lineage.end(), superclass->lineage.begin(), superclass->lineage.end());
    for (CIMProperty *p : items<CIMProperty>(record.resolved->properties)) {
        record.propertyIndex.emplace(foldName(textOf(p->name)), record.properties.size());
        record.properties.push_back(p);
        if (p->isKey) record.keys.push_back(p);
        if (p->type == CIM_REFERENCE) record.references.push_back(p);
    }
    for (CIMMethod *m : items<CIMMethod>(record.resolved->methods))
        record.methodByName.emplace(foldName(textOf(m->name)), m);
}

}  // namespace

bool qualifierIsTrue(const CIMQualifierList *list, const wchar_t *name) {
    const CIMQualifier *q = findQualifier(list, name);
    return q && !isCIMValueNull(q->value) && q->value->type == CIM_BOOLEAN && q->value->data.boolean;
}

long ClassRecord::indexOf(std::wstring_view name) const {
    auto at = propertyIndex.find(foldName(name));
    return at == propertyIndex.end() ? -1 : static_cast<long>(at->second);
}

const CIMProperty *ClassRecord::property(std::wstring_view name) const {
    long at = indexOf(name);
    return at < 0 ? nullptr : properties[static_cast<std::size_t>(at)];
}

const CIMMethod *ClassRecord::method(std::wstring_view name) const {
    auto at = methodByName.find(foldName(name));
    return at == methodByName.end() ? nullptr : at->second;
}

bool ClassRecord::isA(std::wstring_view foldedClass) const {
    for (const std::wstring &name : lineage)
        if (name == foldedClass) return true;
    return false;
}

Status buildClassRecord(const CIMClass &declared, const ClassRecord *superclass, const QualifierLookup &qualifiers,
                        std::shared_ptr<ClassRecord> &record) {
    auto built = std::make_shared<ClassRecord>();
    built->name = std::wstring(textOf(getClassName(&declared)));
    built->superName = superclass ? superclass->name : std::wstring();
    Resolver r(qualifiers, built->name);
    if (built->name.empty()) return Status::error(4, "the class has no name");

    const std::string classWhere = r.where(L"class");
    TypedQualifiers typed;
    if (!r.type(declared.qualifiers, classWhere, typed)) return r.failure;
    ListPtr classQualifiers;
    if (!r.merge(superclass ? superclass->resolved->qualifiers : nullptr, typed.effective.get(), classWhere,
                 classQualifiers))
        return r.failure;
    built->association =
        qualifierIsTrue(classQualifiers.get(), L"Association") || (superclass && superclass->association);
    built->indication = qualifierIsTrue(classQualifiers.get(), L"Indication") || (superclass && superclass->indication);
    built->abstract = qualifierIsTrue(typed.effective.get(), L"Abstract");
    int scopes = CIM_SCOPE_CLASS | (built->association ? CIM_SCOPE_ASSOCIATION : 0) |
                 (built->indication ? CIM_SCOPE_INDICATION : 0);
    if (!r.checkScopes(typed, scopes, classWhere)) return r.failure;

    Members<cimobj::PropertyPtr> properties, writtenProperties;
    Members<cimobj::MethodPtr> methods, writtenMethods;
    if (!resolveProperties(r, declared, superclass, built->name, properties, writtenProperties)) return r.failure;
    if (!resolveMethods(r, declared, superclass, built->name, methods, writtenMethods)) return r.failure;

    built->declared = makeClass(built->name, built->superName, std::move(typed.asWritten),
                                writtenProperties.toList<CIMProperty>(CIMLIST_PROPERTY),
                                writtenMethods.toList<CIMMethod>(CIMLIST_METHOD));
    built->resolved =
        makeClass(built->name, built->superName, std::move(classQualifiers),
                  properties.toList<CIMProperty>(CIMLIST_PROPERTY), methods.toList<CIMMethod>(CIMLIST_METHOD));
    indexRecord(*built, superclass);
    record = std::move(built);
    return Status::success();
}

}  // namespace cimom
