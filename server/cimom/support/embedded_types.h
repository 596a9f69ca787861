// embedded_types.h - how an instance holds a property that carries an
// embedded object. A string property declared with EmbeddedInstance holds
// instances and is typed 15 (the instance type); one declared with
// EmbeddedObject holds instances or classes and is typed 16 (the object
// type); their arrays alike. The values keep their own types (15 for an
// instance, 16 for a class) inside. The module writes each as CIM-XML's
// EmbeddedObject="instance" or "object".
#pragma once

#include <cimobj/cimobj.h>

#include <string>

namespace cimom {

// The type an instance holds the declared property's value with: 15 or 16
// (+100 for arrays) for a string declared with EmbeddedInstance or
// EmbeddedObject, else the declared type. Cannot fail.
int heldType(const CIMProperty &declared);

// The class an EmbeddedInstance qualifier names (empty when the property
// has none, or names no class).
std::wstring embeddedInstanceClass(const CIMProperty &declared);

}  // namespace cimom
