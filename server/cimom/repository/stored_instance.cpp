// stored_instance.cpp - packing an instance on its class's layout. The
// values of the key properties come first, so that a path is read without
// unpacking the rest.
#include "repository/stored_instance.h"

#include <cimobj/cimobj_packed.hpp>
#include <cwchar>

#include "repository/instance_keys.h"
#include "support/embedded_types.h"
#include "support/objects.h"

namespace cimom {

namespace {

enum : char { kValuesOnly = 'v', kWhole = 'w' };

bool sameText(const CIMString *a, const CIMString *b) {
    std::wstring_view x = cimobj::view(a), y = cimobj::view(b);
    return a && b && a->buffer && b->buffer && x == y;
}

bool sameText(const CIMString *a, std::wstring_view b) { return a && a->buffer && cimobj::view(a) == b; }

// True when property is exactly what makeValueProperty makes of declared.
bool isPlainProperty(const CIMProperty &property, const CIMProperty &declared) {
    return sameText(property.name, declared.name) && !property.classOrigin && !property.qualifiers &&
           property.propagated == 0 && property.type == heldType(declared) &&
           property.isKey == (declared.isKey ? 1 : 0) && property.value;
}

// True when instance is one buildStoredInstance made for record in
// nameSpace: every property of the class in order, nothing more, and a
// path of the class's keys with the same values.
bool fitsLayout(const CIMInstance &instance, const ClassRecord &record, std::wstring_view nameSpace) {
    const CIMObjectPath *path = instance.path;
    if (!path || !sameText(instance.className, record.name) || !sameText(instance.nameSpace, nameSpace) ||
        !sameText(path->className, record.name) || !sameText(path->nameSpace, nameSpace) || path->host)
        return false;
    if (getLength(instance.properties) != static_cast<int>(record.properties.size())) return false;
    if (getLength(path->mkeys) != static_cast<int>(record.keys.size())) return false;
    std::size_t at = 0;
    for (const CIMProperty *p : items<CIMProperty>(instance.properties))
        if (!isPlainProperty(*p, *record.properties[at++])) return false;
    at = 0;
    for (const CIMProperty *key : items<CIMProperty>(path->mkeys)) {
        const CIMProperty &declared = *record.keys[at++];
        if (!isPlainProperty(*key, declared) || key->isKey != 1) return false;
        const CIMProperty *own =
            static_cast<const CIMProperty *>(getElementAt(instance.properties, static_cast<int>(record.indexOf(textOf(declared.name)))));
        if (!isEqualCIMValue(key->value, own->value)) return false;
    }
    return true;
}

}  // namespace

StoredInstance::StoredInstance(const CIMInstance &instance, ClassRecordPtr record, std::wstring_view nameSpace)
    : record_(std::move(record)) {
    if (!record_ || !fitsLayout(instance, *record_, nameSpace)) {
        packed_.push_back(kWhole);
        cimobj::packInstance(packed_, &instance);
    } else {
        packed_.push_back(kValuesOnly);
        for (const CIMProperty *p : items<CIMProperty>(instance.properties))
            if (p->isKey) cimobj::packValue(packed_, p->value);
        for (const CIMProperty *p : items<CIMProperty>(instance.properties))
            if (!p->isKey) cimobj::packValue(packed_, p->value);
    }
    packed_.shrink_to_fit();
}

cimobj::PathPtr StoredInstance::path(std::wstring_view nameSpace) const {
    std::string_view in(packed_);
    in.remove_prefix(1);
    if (packed_[0] == kWhole) {
        cimobj::InstancePtr whole = cimobj::unpackInstance(in);
        return copyPath(whole->path);
    }
    cimobj::PathPtr path = makeClassPath(record_->name, nameSpace, {});
    cimobj::ListPtr keys = makeList(CIMLIST_PROPERTY);
    CIMList *raw = keys.get();
    for (const CIMProperty *declared : record_->keys)
        appendOwned(&raw, CIMLIST_PROPERTY, makeValueProperty(*declared, cimobj::unpackValue(in), true));
    setObjectPathKeys(path.get(), keys.release());
    return path;
}

cimobj::InstancePtr StoredInstance::instance(std::wstring_view nameSpace) const {
    std::string_view in(packed_);
    in.remove_prefix(1);
    if (packed_[0] == kWhole) return cimobj::unpackInstance(in);
    const ClassRecord &record = *record_;
    std::vector<cimobj::ValuePtr> values(record.properties.size());
    cimobj::ListPtr keys = makeList(CIMLIST_PROPERTY);
    CIMList *rawKeys = keys.get();
    for (const CIMProperty *declared : record.keys) {
        cimobj::ValuePtr value = cimobj::unpackValue(in);
        appendOwned(&rawKeys, CIMLIST_PROPERTY, makeValueProperty(*declared, copyValue(value.get()), true));
        values[static_cast<std::size_t>(record.indexOf(textOf(declared->name)))] = std::move(value);
    }
    cimobj::ListPtr properties = makeList(CIMLIST_PROPERTY);
    CIMList *raw = properties.get();
    for (std::size_t i = 0; i < record.properties.size(); ++i) {
        const CIMProperty &declared = *record.properties[i];
        cimobj::ValuePtr value = declared.isKey ? std::move(values[i]) : cimobj::unpackValue(in);
        appendOwned(&raw, CIMLIST_PROPERTY, makeValueProperty(declared, std::move(value), declared.isKey));
    }
    cimobj::PathPtr path = makeClassPath(record.name, nameSpace, {});
    setObjectPathKeys(path.get(), keys.release());
    cimobj::StringPtr className = ownedText(record.name);
    cimobj::StringPtr spaceName = ownedText(nameSpace);
    cimobj::InstancePtr made(orThrow(newInstance(className.get(), spaceName.get(), properties.get())));
    className.release();
    spaceName.release();
    properties.release();
    setInstancePath(made.get(), path.release());
    return made;
}

}  // namespace cimom
