// namespace_data.cpp - look-ups in one namespace.
#include "repository/namespace_data.h"

#include "support/names.h"

namespace cimom {

ClassRecordPtr NamespaceData::classRecord(std::wstring_view name) const {
    const ClassRecordPtr *found = classes.find(foldName(name));
    return found ? *found : nullptr;
}

const ClassRecord *NamespaceData::findClass(std::wstring_view name) const {
    const ClassRecordPtr *found = classes.find(foldName(name));
    return found ? found->get() : nullptr;
}

const CIMQualifierType *NamespaceData::findQualifier(std::wstring_view name) const {
    const QualifierTypeRecord *found = qualifiers.find(foldName(name));
    return found ? found->get() : nullptr;
}

const InstanceTable *NamespaceData::instancesOf(const std::wstring &classKey) const {
    auto at = instances.find(classKey);
    return at == instances.end() ? nullptr : &at->second;
}

const OrderedMap<char> *NamespaceData::subclassesOf(const std::wstring &classKey) const {
    auto at = subclasses.find(classKey);
    return at == subclasses.end() ? nullptr : &at->second;
}

}  // namespace cimom
