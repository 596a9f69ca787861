// class_record.h - a class as the repository keeps it: as declared (its own
// members, for writing it back) and resolved (inherited members included),
// with the look-ups the operations need. A record never changes once made;
// a modified class gets a new record, so readers may hold one after the
// repository lock is released.
#pragma once

#include <cimobj/cimobj.hpp>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "cimom/status.h"

namespace cimom {

struct ClassRecord {
    cimobj::ClassPtr declared;          // local members, qualifier values typed, flavors as given
    cimobj::ClassPtr resolved;          // with inherited members, class origins and effective flavors
    std::wstring name;                  // as declared
    std::wstring superName;             // as declared; empty for a top-level class
    std::vector<std::wstring> lineage;  // folded names: the class, its superclass, ... the top
    bool association = false;
    bool indication = false;
    bool abstract = false;
    std::vector<const CIMProperty *> properties;                       // of resolved, in order
    std::vector<const CIMProperty *> keys;                             // the key properties among them, in order
    std::vector<const CIMProperty *> references;                       // the reference properties among them
    std::unordered_map<std::wstring, std::size_t> propertyIndex;       // folded name -> position in properties
    std::unordered_map<std::wstring, const CIMMethod *> methodByName;  // folded name

    // The resolved property of that name (any case); nullptr when none.
    const CIMProperty *property(std::wstring_view name) const;
    // Its position in properties; -1 when none.
    long indexOf(std::wstring_view name) const;
    const CIMMethod *method(std::wstring_view name) const;
    // True when the class is foldedClass or one of its subclasses.
    bool isA(std::wstring_view foldedClass) const;
};

using ClassRecordPtr = std::shared_ptr<const ClassRecord>;

// Finds the qualifier declaration of a folded name; nullptr when none.
using QualifierLookup = std::function<const CIMQualifierType *(const std::wstring &foldedName)>;

// Builds the record of a class as a client declared it, on the record of its
// superclass (nullptr for a top-level class): qualifiers checked against
// their declarations (declared, in scope, values of the declared type; 4
// otherwise), members marked propagated dropped from the declaration,
// inherited properties and methods added with their class origin,
// overrides applied (same type; DisableOverride qualifiers keep their
// value), qualifiers with the ToSubclass flavor propagated, defaults
// inherited. On failure record is left empty.
Status buildClassRecord(const CIMClass &declared, const ClassRecord *superclass, const QualifierLookup &qualifiers,
                        std::shared_ptr<ClassRecord> &record);

// True when the boolean qualifier name is true in list.
bool qualifierIsTrue(const CIMQualifierList *list, const wchar_t *name);

}  // namespace cimom
