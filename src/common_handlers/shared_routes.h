// shared_routes.h - the routing rows of the elements both handler sets
// handle alike: the schema elements (classes, instances, properties,
// qualifiers, methods and parameters) and the values inside them.
#pragma once

#include <span>

#include "common_handlers/handler_support.h"

// Rows each side's index takes after its own: a side's row of the same
// name comes first and wins.
extern const std::span<const StartRoute> kSharedStartRoutes;
extern const std::span<const EndRoute> kSharedEndRoutes;
