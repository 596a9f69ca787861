// object_manager_provider.cpp - the one object manager: this product, running.
#include "providers/object_manager_provider.h"

#include "cimom/interop_providers.h"
#include "providers/live_values.h"

namespace cimom::live {

namespace {

struct Manager {};

const LiveProperty<Manager> managerProperties[] = {
    {L"ElementName", [](const Identity &, const Manager &) { return textValue(productDescription()); }},
    {L"Description",
     [](const Identity &, const Manager &) {
         return textValue(productDescription() + L": CIM object manager serving CIM-XML over HTTP");
     }},
    {L"EnabledState", [](const Identity &, const Manager &) { return uint16Value(2); }},  // Enabled
    {L"Started", [](const Identity &, const Manager &) { return booleanValue(true); }},
};

class ObjectManagerProvider : public LiveProvider<Manager> {
protected:
    std::wstring_view className() const override { return objectManagerClass; }
    std::span<const Property> properties() const override { return managerProperties; }
    KeyValues keys(const Identity &identity, const Manager &) const override { return objectManagerKeys(identity); }

    Status read(const Identity &identity, const CIMObjectPath &path, unsigned, Manager &) override {
        return matchPath(path, objectManagerClass, objectManagerKeys(identity), {});
    }

    void forEach(const Identity &, unsigned, const std::function<void(const Manager &)> &each) override {
        each(Manager{});
    }
};

}  // namespace

std::shared_ptr<LiveInstanceProvider> makeObjectManagerProvider() { return std::make_shared<ObjectManagerProvider>(); }

}  // namespace cimom::live
