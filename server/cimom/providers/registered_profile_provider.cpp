// registered_profile_provider.cpp - the implemented profiles, all of them
// published by the DMTF and centred on the object manager.
#include "providers/registered_profile_provider.h"

#include "providers/live_values.h"

namespace cimom::live {

namespace {

struct Profile {
    std::wstring_view instanceId, name, version;
};

const Profile implementedProfiles[] = {
    {L"cimxml:DMTF-WBEM-Server-1.0.0", wbemServerProfile, L"1.0.0"},
    {L"cimxml:DMTF-Profile-Registration-1.0.0", profileRegistrationProfile, L"1.0.0"},
};

constexpr std::uint16_t dmtf = 2, notAdvertised = 2;

const LiveProperty<const Profile *> profileProperties[] = {
    {L"RegisteredOrganization", [](const Identity &, const Profile *const &) { return uint16Value(dmtf); }},
    {L"RegisteredName", [](const Identity &, const Profile *const &p) { return textValue(p->name); }},
    {L"RegisteredVersion", [](const Identity &, const Profile *const &p) { return textValue(p->version); }},
    {L"ElementName", [](const Identity &, const Profile *const &p) { return textValue(p->name); }},
    {L"AdvertiseTypes", [](const Identity &, const Profile *const &) { return uint16Array({notAdvertised}); }},
};

class RegisteredProfileProvider : public LiveProvider<const Profile *> {
public:
    explicit RegisteredProfileProvider(std::wstring_view only) : only_(only) {}

protected:
    std::wstring_view className() const override { return registeredProfileClass; }
    std::span<const Property> properties() const override { return profileProperties; }
    KeyValues keys(const Identity &, const Profile *const &p) const override {
        return registeredProfileKeys(std::wstring(p->instanceId));
    }

    Status read(const Identity &, const CIMObjectPath &path, unsigned, const Profile *&found) override {
        std::wstring id = keyText(path, L"InstanceID").value_or(L"");
        Status status = matchPath(path, registeredProfileClass, registeredProfileKeys(id), L"InstanceID");
        if (!status.ok()) return status;
        for (const Profile &profile : implementedProfiles) {
            if (profile.instanceId != id || !wanted(profile)) continue;
            found = &profile;
            return status;
        }
        return Status::error(6, "no registered profile has InstanceID " + cimobj::toUtf8(id));
    }

    void forEach(const Identity &, unsigned, const std::function<void(const Profile *const &)> &each) override {
        for (const Profile &profile : implementedProfiles)
            if (wanted(profile)) each(&profile);
    }

private:
    bool wanted(const Profile &profile) const { return only_.empty() || profile.name == only_; }

    std::wstring_view only_;
};

}  // namespace

std::shared_ptr<LiveInstanceProvider> makeRegisteredProfileProvider(std::wstring_view only) {
    return std::make_shared<RegisteredProfileProvider>(only);
}

}  // namespace cimom::live
