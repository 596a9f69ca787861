// result_shaping.cpp - cutting classes and instances to the client's flags.
#include "semantics/result_shaping.h"

#include <utility>

#include "support/names.h"
#include "support/objects.h"

namespace cimom {

namespace {

// A copy of a qualifier list: nothing without qualifiers, only the
// element's own qualifiers with localOnly.
CIMQualifierList *qualifiersFor(const CIMQualifierList *list, bool include, bool localOnly) {
    if (!include || !list) return nullptr;
    cimobj::ListPtr copy = makeList(CIMLIST_QUALIFIER);
    CIMList *raw = copy.get();
    for (CIMQualifier *q : items<CIMQualifier>(list))
        if (!(localOnly && q->propagated)) appendOwned(&raw, CIMLIST_QUALIFIER, copyQualifier(q));
    return copy.release();
}

cimobj::PropertyPtr shapedMember(const CIMProperty *p, bool includeQualifiers, bool localOnly, bool classOrigin) {
    cimobj::PropertyPtr copy = copyProperty(p);
    propertySetQualifiers(copy.get(), qualifiersFor(p->qualifiers, includeQualifiers, localOnly));
    if (!classOrigin) {
        freeCIMString(copy->classOrigin);
        copy->classOrigin = nullptr;
    }
    return copy;
}

bool wanted(const PropertySet &properties, const CIMString *name) {
    return !properties || properties->count(foldName(textOf(name)));
}

}  // namespace

PropertySet propertySet(const PropertyNames &names) {
    if (!names) return std::nullopt;
    std::unordered_set<std::wstring> set;
    for (const std::wstring &name : *names) set.insert(foldName(name));
    return set;
}

cimobj::ClassPtr shapeClass(const ClassRecord &record, const ClassOptions &options, const PropertySet &properties,
                            std::wstring_view nameSpace) {
    const CIMClass &resolved = *record.resolved;
    cimobj::StringPtr name = ownedText(record.name);
    cimobj::StringPtr superName = record.superName.empty() ? nullptr : ownedText(record.superName);
    cimobj::ClassPtr shaped(orThrow(newCIMClass(name.get(), superName.get())));
    name.release();
    superName.release();
    setClassNameSpace(shaped.get(), newText(nameSpace));
    setClassQualifiers(shaped.get(), qualifiersFor(resolved.qualifiers, options.includeQualifiers, options.localOnly));
    for (CIMProperty *p : items<CIMProperty>(resolved.properties)) {
        if ((options.localOnly && p->propagated) || !wanted(properties, p->name)) continue;
        appendOwned(&shaped->properties, CIMLIST_PROPERTY,
                    shapedMember(p, options.includeQualifiers, options.localOnly, options.includeClassOrigin));
    }
    for (CIMMethod *m : items<CIMMethod>(resolved.methods)) {
        if (options.localOnly && m->propagated) continue;
        cimobj::MethodPtr copy = copyMethodOf(m);
        setMethodQualifiers(copy.get(), qualifiersFor(m->qualifiers, options.includeQualifiers, options.localOnly));
        if (!options.includeClassOrigin) {
            freeCIMString(copy->classOrigin);
            copy->classOrigin = nullptr;
        }
        if (!options.includeQualifiers)
            for (CIMProperty *parameter : items<CIMProperty>(copy->parameters))
                propertySetQualifiers(parameter, nullptr);
        appendOwned(&shaped->methods, CIMLIST_METHOD, std::move(copy));
    }
    return shaped;
}

InstanceShape makeInstanceShape(const ClassRecord *requested, const InstanceOptions &options, std::wstring nameSpace,
                                std::wstring host) {
    InstanceShape shape;
    shape.requested = requested;
    shape.options = options;
    shape.properties = propertySet(options.properties);
    shape.nameSpace = std::move(nameSpace);
    shape.host = std::move(host);
    return shape;
}

cimobj::PathPtr pathForClient(const CIMObjectPath &path, std::wstring_view nameSpace, std::wstring_view host) {
    // Built member by member: copying the whole path first would allocate
    // and free a namespace and host per result.
    cimobj::PathPtr copy = makeClassPath(textOf(path.className), nameSpace, host);
    if (path.mkeys) setObjectPathKeys(copy.get(), copyListOf(path.mkeys).release());
    return copy;
}

namespace {

// Shapes the properties of instance (of the class actual) into a new list:
// next() gives them in order, each owned, until it gives none.
template <class Next>
cimobj::InstancePtr shapeProperties(Next next, const ClassRecord &actual, const CIMObjectPath &path,
                                    const InstanceShape &shape) {
    const ClassRecord &requested = shape.requested ? *shape.requested : actual;
    const InstanceOptions &options = shape.options;
    cimobj::ListPtr properties = makeList(CIMLIST_PROPERTY);
    CIMList *raw = properties.get();
    std::size_t keysKept = 0, position = 0;
    const bool cutByRequested = !options.deepInheritance || options.localOnly;
    for (cimobj::PropertyPtr p = next(); p; p = next()) {
        std::size_t at = position++;
        if (!wanted(shape.properties, p->name)) continue;
        if (cutByRequested) {
            const CIMProperty *inRequested = requested.property(textOf(p->name));
            if (!options.deepInheritance && !inRequested) continue;
            // LocalOnly leaves out what the requested class inherits unchanged.
            if (options.localOnly && inRequested && !sameName(textOf(inRequested->classOrigin), requested.name))
                continue;
        }
        // Stored instances hold their class's properties in the class's order.
        const CIMProperty *declared =
            at < actual.properties.size() && sameName(textOf(actual.properties[at]->name), textOf(p->name))
                ? actual.properties[at]
                : actual.property(textOf(p->name));
        p->isKey = 0;
        freeCIMString(p->classOrigin);
        p->classOrigin = nullptr;
        propertySetQualifiers(p.get(), nullptr);
        if (declared) {
            if (options.includeClassOrigin) p->classOrigin = copyCIMString(declared->classOrigin);
            if (options.includeQualifiers)
                propertySetQualifiers(p.get(), qualifiersFor(declared->qualifiers, true, false));
            if (declared->isKey) ++keysKept;
        }
        appendOwned(&raw, CIMLIST_PROPERTY, std::move(p));
    }
    // A path is read from key-qualified properties when there are any, so a
    // partial set of them must not carry the qualifier.
    if (options.includeQualifiers && keysKept != actual.keys.size()) {
        for (CIMProperty *p : items<CIMProperty>(properties.get())) {
            if (const CIMQualifier *key = nullptr; p->qualifiers) {
                for (CIMQualifier *q : items<CIMQualifier>(p->qualifiers))
                    if (sameName(textOf(q->name), L"Key")) key = q;
                if (key) {
                    removeFromList(p->qualifiers, key);
                    freeCIMQualifier(const_cast<CIMQualifier *>(key));
                }
            }
        }
    }
    cimobj::StringPtr className = ownedText(actual.name);
    cimobj::StringPtr nameSpace = ownedText(shape.nameSpace);
    cimobj::InstancePtr shaped(orThrow(newInstance(className.get(), nameSpace.get(), properties.get())));
    className.release();
    nameSpace.release();
    properties.release();
    setInstancePath(shaped.get(), pathForClient(path, shape.nameSpace, shape.host).release());
    return shaped;
}

}  // namespace

cimobj::InstancePtr shapeInstance(const CIMInstance &instance, const ClassRecord &actual, const CIMObjectPath &path,
                                  const InstanceShape &shape) {
    ListItems<CIMProperty> all = items<CIMProperty>(instance.properties);
    auto at = all.begin();
    auto next = [&] {
        if (!(at != all.end())) return cimobj::PropertyPtr();
        const CIMProperty *p = *at;
        ++at;
        return copyProperty(p);
    };
    return shapeProperties(next, actual, path, shape);
}

cimobj::InstancePtr shapeInstance(cimobj::InstancePtr instance, const ClassRecord &actual,
                                  const InstanceShape &shape) {
    // Each property's contents move into a new record as it is shaped (the
    // list keeps an empty one): nothing is copied.
    ListItems<CIMProperty> all = items<CIMProperty>(instance->properties);
    auto at = all.begin();
    auto next = [&] {
        if (!(at != all.end())) return cimobj::PropertyPtr();
        CIMProperty *p = *at;
        ++at;
        cimobj::PropertyPtr moved(orThrow(newProperty(nullptr, nullptr, nullptr, 0, nullptr, 0)));
        std::swap(*moved, *p);
        return moved;
    };
    return shapeProperties(next, actual, *instance->path, shape);
}

}  // namespace cimom
