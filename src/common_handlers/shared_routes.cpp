// shared_routes.cpp - the routing rows both handler sets share.
#include "common_handlers/shared_routes.h"

#include "common_handlers/method_handlers.h"
#include "common_handlers/named_instance_handlers.h"
#include "common_handlers/qualifier_handlers.h"
#include "common_handlers/schema_handlers.h"
#include "common_handlers/value_handlers.h"

namespace {

constexpr StartRoute kStarts[] = {
    {"VALUE.REFERENCE", common_value_reference_element},
    {"KEYVALUE", nullptr},
    {"VALUE.ARRAY", common_value_array_element},
    {"VALUE.REFARRAY", common_value_refarray_element},
    {"VALUE.NULL", common_value_null_element},
    {"QUALIFIER.DECLARATION", common_qualifier_declaration_element},
    {"SCOPE", common_scope_element},
    {"CLASS", common_class_element},
    {"QUALIFIER", common_qualifier_element},
    {"PROPERTY", common_property_element},
    {"PROPERTY.ARRAY", common_property_array_element},
    {"PROPERTY.REFERENCE", common_property_ref_element},
    {"METHOD", common_method_element},
    {"PARAMETER", common_parameter_element},
    {"PARAMETER.REFERENCE", common_parameter_ref_element},
    {"PARAMETER.ARRAY", common_parameter_array_element},
    {"PARAMETER.REFARRAY", common_parameter_refarray_element},
    {"INSTANCE", common_instance_element},
    {"VALUE.NAMEDINSTANCE", common_namedinstance_element},
};

constexpr EndRoute kEnds[] = {
    {"QUALIFIER", common_qualifier_endhandler},
    {"PROPERTY", common_property_endhandler},
    {"PROPERTY.ARRAY", common_property_endhandler},
    {"PROPERTY.REFERENCE", common_property_endhandler},
    {"METHOD", common_method_endhandler},
    {"PARAMETER", common_parameter_endhandler},
    {"PARAMETER.REFERENCE", common_parameter_endhandler},
    {"PARAMETER.REFARRAY", common_parameter_endhandler},
    {"PARAMETER.ARRAY", common_parameter_endhandler},
};

}  // namespace

const std::span<const StartRoute> kSharedStartRoutes(kStarts);
const std::span<const EndRoute> kSharedEndRoutes(kEnds);
