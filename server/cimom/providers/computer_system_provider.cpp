// computer_system_provider.cpp - the one computer system: this machine.
#include "providers/computer_system_provider.h"

#include "providers/live_values.h"

namespace cimom::live {

namespace {

const LiveProperty<NoFacts> computerProperties[] = {
    {L"NameFormat", [](const Identity &, const NoFacts &) { return textValue(L"IP"); }},
    {L"ElementName", [](const Identity &identity, const NoFacts &) { return textValue(identity.host); }},
    {L"EnabledState", [](const Identity &, const NoFacts &) { return uint16Value(2); }},  // Enabled
};

}  // namespace

std::shared_ptr<LiveInstanceProvider> makeComputerSystemProvider() {
    return std::make_shared<SingleElementProvider>(computerSystemClass, computerProperties, computerSystemKeys);
}

}  // namespace cimom::live
