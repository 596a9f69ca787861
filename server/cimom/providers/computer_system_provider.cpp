// computer_system_provider.cpp - the one computer system: this machine.
#include "providers/computer_system_provider.h"

#include "providers/live_values.h"

namespace cimom::live {

namespace {

struct Computer {};

const LiveProperty<Computer> computerProperties[] = {
    {L"NameFormat", [](const Identity &, const Computer &) { return textValue(L"IP"); }},
    {L"ElementName", [](const Identity &identity, const Computer &) { return textValue(identity.host); }},
    {L"EnabledState", [](const Identity &, const Computer &) { return uint16Value(2); }},  // Enabled
};

class ComputerSystemProvider : public LiveProvider<Computer> {
protected:
    std::wstring_view className() const override { return computerSystemClass; }
    std::span<const Property> properties() const override { return computerProperties; }
    KeyValues keys(const Identity &identity, const Computer &) const override { return computerSystemKeys(identity); }

    Status read(const Identity &identity, const CIMObjectPath &path, unsigned, Computer &) override {
        return matchPath(path, computerSystemClass, computerSystemKeys(identity), {});
    }

    void forEach(const Identity &, unsigned, const std::function<void(const Computer &)> &each) override {
        each(Computer{});
    }
};

}  // namespace

std::shared_ptr<LiveInstanceProvider> makeComputerSystemProvider() {
    return std::make_shared<ComputerSystemProvider>();
}

}  // namespace cimom::live
