// instance_keys.h - instances as the repository stores them: values in the
// declared types, every property of the class present, and a path whose
// keys are normalised so that equal names give equal key text whatever
// type or case a client wrote them in.
#pragma once

#include <cimobj/cimobj.hpp>
#include <string>

#include "repository/class_record.h"
#include "repository/namespace_data.h"

namespace cimom {

// A property of a stored instance: declared's name and held type, value
// (taken), marked as a key when key is set. Throws std::bad_alloc.
cimobj::PropertyPtr makeValueProperty(const CIMProperty &declared, cimobj::ValuePtr value, bool key);

// The value a property of an instance has when none is given: the
// declared default (its embedded objects typed as the instance holds them,
// support/embedded_types.h), else a NULL of the held type; a NULL reference
// keeps the class it names. Throws std::bad_alloc.
cimobj::ValuePtr defaultOf(const CIMProperty &declared);

// Converts value to the type an instance holds property with (a copy; a
// reference's keys normalised as by normalisedReference, embedded
// instances typed by typeEmbeddedInstances and of the class an
// EmbeddedInstance qualifier names). On failure returns status
// failureCode naming the property ("<role> <name>: <problem>") and leaves
// converted empty.
Status convertForProperty(const NamespaceData &space, const CIMProperty &property, const CIMValue *value,
                          cimobj::ValuePtr &converted, int failureCode = 4, const char *role = "property");

// A copy of path whose keys are converted to the key types of the class it
// names when space knows that class and the keys fit it. A path into space
// loses its namespace and host; one into another namespace is copied as it is.
cimobj::PathPtr normalisedReference(const NamespaceData &space, const CIMObjectPath &path);

// The instance to store for a client's instance of record's class: values
// converted (4 naming the property), class defaults for absent properties,
// 12 for a property the class lacks, 4 for a key without value; its path
// holds the class name, the namespace and the normalised keys. keyText
// receives the key text of that path.
Status buildStoredInstance(const NamespaceData &space, const ClassRecord &record, const CIMInstance &given,
                           cimobj::InstancePtr &stored, std::wstring &keyText);

// The key text of an instance name of record's class: every key of the
// class present and converted (4 naming the key otherwise), no other key.
Status instanceKeyText(const NamespaceData &space, const ClassRecord &record, const CIMObjectPath &name,
                       std::wstring &keyText);

// The path of an instance of record's class: class name, namespace and the
// values of its key properties (for instances that providers make).
cimobj::PathPtr pathFromKeyProperties(const ClassRecord &record, const CIMInstance &instance,
                                      std::wstring_view nameSpace);

}  // namespace cimom
