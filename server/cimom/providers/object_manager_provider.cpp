// object_manager_provider.cpp - the one object manager: this product, running.
#include "providers/object_manager_provider.h"

#include "cimom/interop_providers.h"
#include "providers/live_values.h"

namespace cimom::live {

namespace {

const LiveProperty<NoFacts> managerProperties[] = {
    {L"ElementName", [](const Identity &, const NoFacts &) { return textValue(productDescription()); }},
    {L"Description",
     [](const Identity &, const NoFacts &) {
         return textValue(productDescription() + L": CIM object manager serving CIM-XML over HTTP");
     }},
    {L"EnabledState", [](const Identity &, const NoFacts &) { return uint16Value(2); }},  // Enabled
    {L"Started", [](const Identity &, const NoFacts &) { return booleanValue(true); }},
};

}  // namespace

std::shared_ptr<LiveInstanceProvider> makeObjectManagerProvider() {
    return std::make_shared<SingleElementProvider>(objectManagerClass, managerProperties, objectManagerKeys);
}

}  // namespace cimom::live
