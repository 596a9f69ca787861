// namespace_data.h - the contents of one namespace: qualifier declarations,
// class records with their subclass index, instances keyed per class by
// their normalised key text, and the index of references to instances that
// the association operations follow.
#pragma once

#include <cimobj/cimobj.hpp>
#include <memory>
#include <string>
#include <unordered_map>

#include "repository/class_record.h"
#include "repository/stored_instance.h"
#include "support/ordered_map.h"

namespace cimom {

using QualifierTypeRecord = std::shared_ptr<const CIMQualifierType>;
using InstanceTable = OrderedMap<StoredInstance>;  // normalised key text -> instance

// An instance named by its folded class name and key text; sequence orders
// references by the time they were made.
struct InstanceRef {
    std::wstring classKey;
    std::wstring key;
    unsigned long long sequence = 0;
};

struct NamespaceData {
    std::wstring name;                           // as created
    OrderedMap<QualifierTypeRecord> qualifiers;  // by folded name
    OrderedMap<ClassRecordPtr> classes;          // by folded name
    // Folded class name ("" for the top level) -> its direct subclasses.
    std::unordered_map<std::wstring, OrderedMap<char>> subclasses;
    std::unordered_map<std::wstring, InstanceTable> instances;  // by folded class name
    // Reference target key (referenceTargetKey) -> instances whose reference
    // properties point there.
    std::unordered_multimap<std::wstring, InstanceRef> referrers;

    const ClassRecord *findClass(std::wstring_view name) const;
    ClassRecordPtr classRecord(std::wstring_view name) const;
    const CIMQualifierType *findQualifier(std::wstring_view name) const;
    // The instances of exactly that class (folded name); nullptr when none.
    const InstanceTable *instancesOf(const std::wstring &classKey) const;
    // The direct subclasses of a folded class name ("" for the top level).
    const OrderedMap<char> *subclassesOf(const std::wstring &classKey) const;
};

}  // namespace cimom
