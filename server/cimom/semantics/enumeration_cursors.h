// enumeration_cursors.h - cursors over the instances of a class and its
// subclasses, or over their paths, for enumerations read in batches and
// for pulled enumerations that wait between pieces.
#pragma once

#include <functional>
#include <memory>

#include "semantics/result_cursor.h"

namespace cimom {

using InstanceCursor = ResultCursor<cimobj::InstancePtr>;
using PathCursor = ResultCursor<cimobj::PathPtr>;
// Keeps an instance (read whole, before a property list cuts it) when it
// returns true; an empty filter keeps every instance.
using InstanceFilter = std::function<bool(const CIMInstance &)>;

// A cursor over className's instances in nameSpace, shaped as options say,
// kept by filter. Status 3 or 5 (and no cursor) when there is no such class.
// The cursor may outlive the call; objectManager must outlive the cursor.
Status instanceCursor(ObjectManager &objectManager, ObjectManager::State &state, const std::wstring &nameSpace,
                      const std::wstring &className, const InstanceOptions &options, InstanceFilter filter,
                      std::unique_ptr<InstanceCursor> &cursor);
// The same over the paths of the instances filter keeps.
Status pathCursor(ObjectManager &objectManager, ObjectManager::State &state, const std::wstring &nameSpace,
                  const std::wstring &className, InstanceFilter filter, std::unique_ptr<PathCursor> &cursor);

}  // namespace cimom
