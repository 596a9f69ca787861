// names.h - CIM names compared without regard to case: namespaces, classes,
// properties, methods, qualifiers and keys are all looked up by folded name.
#pragma once

#include <string>
#include <string_view>

namespace cimom {

// The name with ASCII letters lowered; other characters unchanged.
std::wstring foldName(std::wstring_view name);

// True when both name the same thing (ASCII letters compared caselessly).
bool sameName(std::wstring_view a, std::wstring_view b);

}  // namespace cimom
