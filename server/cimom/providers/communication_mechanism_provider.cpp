// communication_mechanism_provider.cpp - the CIM-XML mechanisms, one per
// listener, with the operation groups, authentication and protocol version
// the host serves on all of them.
#include "providers/communication_mechanism_provider.h"

#include "providers/live_values.h"

namespace cimom::live {

namespace {

struct Mechanism {
    Listener listener;
    const ServerDescription *server = nullptr;
};

constexpr std::uint16_t authenticationNone = 2, authenticationBasic = 3;
constexpr std::uint16_t notAdvertised = 2;

const LiveProperty<Mechanism> mechanismProperties[] = {
    {L"ElementName",
     [](const Identity &, const Mechanism &m) {
         return textValue(L"CIM-XML over " + m.listener.scheme + L" on port " + std::to_wstring(m.listener.port));
     }},
    {L"CommunicationMechanism", [](const Identity &, const Mechanism &) { return uint16Value(3); }},  // CIM-XML
    {L"Version", [](const Identity &, const Mechanism &m) { return textValue(m.server->protocolVersion); }},
    {L"FunctionalProfilesSupported",
     [](const Identity &, const Mechanism &m) { return uint16Array(m.server->functionalGroups); }},
    // The protocol module refuses a request of several operations.
    {L"MultipleOperationsSupported", [](const Identity &, const Mechanism &) { return booleanValue(false); }},
    {L"AuthenticationMechanismsSupported",
     [](const Identity &, const Mechanism &m) {
         return uint16Array({m.server->basicAuthentication ? authenticationBasic : authenticationNone});
     }},
    {L"AdvertiseTypes", [](const Identity &, const Mechanism &) { return uint16Array({notAdvertised}); }},
    // Values are converted to the declared types and unknown properties refused.
    {L"CIMValidated", [](const Identity &, const Mechanism &) { return booleanValue(true); }},
    {L"EnabledState", [](const Identity &, const Mechanism &) { return uint16Value(2); }},  // Enabled
};

class CommunicationMechanismProvider : public LiveProvider<Mechanism> {
public:
    explicit CommunicationMechanismProvider(ServerDescription description) : server_(std::move(description)) {}

protected:
    std::wstring_view className() const override { return cimxmlMechanismClass; }
    std::span<const Property> properties() const override { return mechanismProperties; }
    KeyValues keys(const Identity &identity, const Mechanism &m) const override {
        return mechanismKeys(identity, mechanismName(m.listener));
    }

    Status read(const Identity &identity, const CIMObjectPath &path, unsigned, Mechanism &found) override {
        std::wstring name = keyText(path, L"Name").value_or(L"");
        Status status = matchPath(path, cimxmlMechanismClass, mechanismKeys(identity, name), L"Name");
        if (!status.ok()) return status;
        for (const Listener &listener : listeners()) {
            if (mechanismName(listener) != name) continue;
            found = {listener, &server_};
            return status;
        }
        return Status::error(6, "no CIM-XML mechanism is named " + cimobj::toUtf8(name));
    }

    void forEach(const Identity &, unsigned, const std::function<void(const Mechanism &)> &each) override {
        for (const Listener &listener : listeners()) each({listener, &server_});
    }

private:
    std::vector<Listener> listeners() const {
        return server_.listeners ? server_.listeners->listeners() : std::vector<Listener>{};
    }

    const ServerDescription server_;
};

}  // namespace

std::wstring mechanismName(const Listener &listener) { return listener.scheme + L":" + std::to_wstring(listener.port); }

std::shared_ptr<LiveInstanceProvider> makeCommunicationMechanismProvider(ServerDescription description) {
    return std::make_shared<CommunicationMechanismProvider>(std::move(description));
}

}  // namespace cimom::live
