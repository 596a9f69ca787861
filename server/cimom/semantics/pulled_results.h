// pulled_results.h - the kinds of result a pulled enumeration reads from:
// a cursor over stored and provided instances or paths, and a query run
// over a cursor (associations read from their traversal: pulled_enumerations.cpp).
#pragma once

#include <memory>
#include <vector>

#include "semantics/enumeration_contexts.h"
#include "semantics/enumeration_cursors.h"

namespace cimom {

// Results read from cursor a piece at a time; filtered says a filter drops
// some (what is left then cannot be counted). state must outlive them.
std::unique_ptr<PulledResults> cursorResults(ObjectManager::State &state, std::unique_ptr<InstanceCursor> cursor,
                                             bool filtered);
std::unique_ptr<PulledResults> cursorResults(ObjectManager::State &state, std::unique_ptr<PathCursor> cursor,
                                             bool filtered);

// A query in language (WQL) checked against nameSpace's classes, its
// results read from a cursor over the FROM class a piece at a time; when
// resultClass is given it receives the class the results are instances of.
// Status 14, 15, 3 or 5 as ExecQuery gives them.
Status queryResults(ObjectManager &objectManager, ObjectManager::State &state, const std::wstring &nameSpace,
                    const std::wstring &query, const std::wstring &language, std::unique_ptr<PulledResults> &results,
                    cimobj::ClassPtr *resultClass);

}  // namespace cimom
