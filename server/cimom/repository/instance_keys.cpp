// instance_keys.cpp - typed, complete instances and normalised key text.
#include "repository/instance_keys.h"

#include <unordered_map>
#include <vector>

#include "repository/embedded_instances.h"
#include "repository/value_conversion.h"
#include "support/embedded_types.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom {

namespace {

using cimobj::toUtf8;

// An embedded instance the value holds that is not of the class its
// EmbeddedInstance qualifier names, or a class where only instances may be.
Status checkEmbeddedKind(const NamespaceData &space, const CIMProperty &property, const CIMValue &value,
                         const char *role) {
    int held = heldType(property);
    if ((held % CIM_ARRAY) != CIM_OBJECT || value.isNull) return Status::success();
    std::wstring wanted = foldName(embeddedInstanceClass(property));
    auto check = [&](const CIMValue *element) {
        if (isCIMValueNull(element)) return Status::success();
        std::string name = toUtf8(textOf(property.name));
        if (element->type != CIM_OBJECT || !element->data.instance)
            return Status::error(4, std::string(role) + " " + name + ": holds embedded instances, not " +
                                        (element->type == CIM_CLASS ? "a class" : "a " + typeName(element->type)));
        const ClassRecord *record = space.findClass(textOf(getInstanceName(element->data.instance)));
        if (record && !wanted.empty() && !record->isA(wanted))
            return Status::error(4, std::string(role) + " " + name + ": an embedded instance of class " +
                                        toUtf8(record->name) + " is not a " + toUtf8(embeddedInstanceClass(property)));
        return Status::success();
    };
    if (value.type < CIM_ARRAY) return check(&value);
    for (CIMValue *element : items<CIMValue>(value.data.array)) {
        Status status = check(element);
        if (!status.ok()) return status;
    }
    return Status::success();
}

}  // namespace

cimobj::PropertyPtr makeValueProperty(const CIMProperty &declared, cimobj::ValuePtr value, bool key) {
    cimobj::StringPtr name(orThrow(copyCIMString(declared.name)));
    cimobj::PropertyPtr p(orThrow(newProperty(name.get(), nullptr, value.get(), heldType(declared), nullptr, 0)));
    name.release();
    value.release();
    p->isKey = key ? 1 : 0;
    return p;
}

cimobj::ValuePtr defaultOf(const CIMProperty &declared) {
    int held = heldType(declared);
    if (declared.value && !declared.value->isNull) {
        cimobj::ValuePtr value = copyValue(declared.value);
        // An embedded object's default keeps its objects, typed as held.
        if (held != declared.type && value->type == declared.type) value->type = held;
        return value;
    }
    cimobj::ValuePtr value(orThrow(newCIMValueNULL(held)));
    if (declared.value && declared.value->referenceClass)
        setCIMValueReferenceType(value.get(), orThrow(copyCIMString(declared.value->referenceClass)));
    return value;
}

cimobj::PathPtr normalisedReference(const NamespaceData &space, const CIMObjectPath &path) {
    cimobj::PathPtr copy = copyPath(&path);
    std::wstring_view pathNamespace = textOf(path.nameSpace);
    if (!pathNamespace.empty() && !sameName(pathNamespace, space.name)) return copy;
    // A reference into its own namespace is kept local, whatever host it named.
    setPathLocation(copy.get(), {}, {});
    const ClassRecord *record = space.findClass(textOf(path.className));
    if (!record) return copy;
    cimobj::ListPtr keys = makeList(CIMLIST_PROPERTY);
    CIMList *raw = keys.get();
    for (const CIMProperty *declared : record->keys) {
        const CIMProperty *given = nullptr;
        for (CIMProperty *key : items<CIMProperty>(path.mkeys))
            if (sameName(textOf(key->name), textOf(declared->name))) given = key;
        if (!given) return copy;
        cimobj::ValuePtr value;
        if (!convertForProperty(space, *declared, given->value, value).ok()) return copy;
        appendOwned(&raw, CIMLIST_PROPERTY, makeValueProperty(*declared, std::move(value), true));
    }
    if (getLength(keys.get()) != getLength(path.mkeys)) return copy;
    setObjectPathKeys(copy.get(), keys.release());
    setObjectPathName(copy.get(), newText(record->name));
    return copy;
}

Status convertForProperty(const NamespaceData &space, const CIMProperty &property, const CIMValue *value,
                          cimobj::ValuePtr &converted, int failureCode, const char *role) {
    Conversion conversion = convertValue(value, heldType(property));
    if (!conversion.ok())
        return Status::error(failureCode,
                             std::string(role) + " " + toUtf8(textOf(property.name)) + ": " + conversion.problem);
    converted = std::move(conversion.value);
    if (converted->type == CIM_REFERENCE && !converted->isNull && converted->data.reference) {
        cimobj::PathPtr normal = normalisedReference(space, *converted->data.reference);
        freeCIMObjectPath(converted->data.reference);
        converted->data.reference = normal.release();
        // A reference into this namespace names a class the property may refer to.
        const CIMObjectPath &target = *converted->data.reference;
        const ClassRecord *targetClass =
            textOf(target.nameSpace).empty() ? space.findClass(textOf(target.className)) : nullptr;
        std::wstring_view referenceClass = property.value ? textOf(property.value->referenceClass) : L"";
        if (targetClass && !referenceClass.empty() && !targetClass->isA(foldName(referenceClass))) {
            converted.reset();
            return Status::error(failureCode, std::string(role) + " " + toUtf8(textOf(property.name)) + ": " +
                                                  toUtf8(targetClass->name) + " is not a " + toUtf8(referenceClass));
        }
    }
    if (converted->type == CIM_REFERENCE && !converted->referenceClass && property.value &&
        property.value->referenceClass)
        setCIMValueReferenceType(converted.get(), orThrow(copyCIMString(property.value->referenceClass)));
    Status typed = typeEmbeddedInstances(space, *converted);
    if (!typed.ok())
        typed = Status::error(typed.code, std::string(role) + " " + toUtf8(textOf(property.name)) + ": " + typed.message);
    if (typed.ok()) typed = checkEmbeddedKind(space, property, *converted, role);
    if (!typed.ok()) converted.reset();
    return typed;
}

Status buildStoredInstance(const NamespaceData &space, const ClassRecord &record, const CIMInstance &given,
                           cimobj::InstancePtr &stored, std::wstring &keyText) {
    std::vector<cimobj::ValuePtr> values(record.properties.size());
    for (CIMProperty *p : items<CIMProperty>(given.properties)) {
        long at = record.indexOf(textOf(p->name));
        if (at < 0)
            return Status::error(4, "class " + toUtf8(record.name) + " has no property " + toUtf8(textOf(p->name)));
        Status converted = convertForProperty(space, *record.properties[static_cast<std::size_t>(at)], p->value,
                                              values[static_cast<std::size_t>(at)]);
        if (!converted.ok()) return converted;
    }
    cimobj::ListPtr properties = makeList(CIMLIST_PROPERTY);
    cimobj::ListPtr keys = makeList(CIMLIST_PROPERTY);
    CIMList *rawProperties = properties.get();
    CIMList *rawKeys = keys.get();
    for (std::size_t i = 0; i < values.size(); ++i) {
        const CIMProperty &declared = *record.properties[i];
        cimobj::ValuePtr value = values[i] ? std::move(values[i]) : defaultOf(declared);
        if (declared.isKey) {
            if (value->isNull)
                return Status::error(4, "key property " + toUtf8(textOf(declared.name)) + " of class " +
                                            toUtf8(record.name) + " has no value");
            appendOwned(&rawKeys, CIMLIST_PROPERTY, makeValueProperty(declared, copyValue(value.get()), true));
        }
        appendOwned(&rawProperties, CIMLIST_PROPERTY, makeValueProperty(declared, std::move(value), declared.isKey));
    }
    keyText = canonicalKeyText(keys.get());
    cimobj::PathPtr path = makeClassPath(record.name, space.name, {});
    setObjectPathKeys(path.get(), keys.release());
    cimobj::StringPtr className = ownedText(record.name);
    cimobj::StringPtr nameSpace = ownedText(space.name);
    stored.reset(orThrow(newInstance(className.get(), nameSpace.get(), properties.get())));
    className.release();
    nameSpace.release();
    properties.release();
    setInstancePath(stored.get(), path.release());
    return Status::success();
}

Status instanceKeyText(const NamespaceData &space, const ClassRecord &record, const CIMObjectPath &name,
                       std::wstring &keyText) {
    std::unordered_map<std::wstring, const CIMProperty *> given;
    for (CIMProperty *key : items<CIMProperty>(name.mkeys)) given[foldName(textOf(key->name))] = key;
    std::vector<cimobj::ValuePtr> converted;
    std::vector<std::pair<std::wstring, const CIMValue *>> pairs;
    for (const CIMProperty *declared : record.keys) {
        std::wstring folded = foldName(textOf(declared->name));
        auto at = given.find(folded);
        if (at == given.end())
            return Status::error(4, "the instance name lacks key " + toUtf8(textOf(declared->name)) + " of class " +
                                        toUtf8(record.name));
        cimobj::ValuePtr value;
        Status status = convertForProperty(space, *declared, at->second->value, value, 4, "key");
        if (!status.ok()) return status;
        pairs.emplace_back(std::move(folded), value.get());
        converted.push_back(std::move(value));
        given.erase(at);
    }
    if (!given.empty())
        return Status::error(
            4, toUtf8(textOf(given.begin()->second->name)) + " is not a key of class " + toUtf8(record.name));
    keyText = canonicalKeyText(std::move(pairs));
    return Status::success();
}

cimobj::PathPtr pathFromKeyProperties(const ClassRecord &record, const CIMInstance &instance,
                                      std::wstring_view nameSpace) {
    cimobj::PathPtr path = makeClassPath(record.name, nameSpace, {});
    for (const CIMProperty *declared : record.keys) {
        const CIMProperty *p = findCIMProperty(instance.properties, getCIMStringBuffer(declared->name));
        if (!p) continue;
        cimobj::PropertyPtr key = makeValueProperty(*declared, copyValue(p->value), true);
        if (!key->value) continue;
        appendOwned(&path->mkeys, CIMLIST_PROPERTY, std::move(key));
    }
    return path;
}

}  // namespace cimom
