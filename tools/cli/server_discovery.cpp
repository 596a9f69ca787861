// server_discovery.cpp - the discovery walk through the interop namespace.
#include "server_discovery.h"

#include <cimxml/cimxml_client.h>

#include <strings.h>

#include <map>

#include <cimom/object_path_text.h>

#include "client_error.h"

namespace cli {

namespace {

using remote::ClientError;

std::string utf8(const CIMString *text) { return text ? cimobj::toUtf8(text) : std::string(); }

const CIMProperty *propertyOf(const CIMInstance *instance, const wchar_t *name) {
    const CIMProperty *p = findCIMProperty(getInstanceProperties(instance), name);
    return p && !isCIMValueNull(p->value) ? p : nullptr;
}

std::string textOf(const CIMInstance *instance, const wchar_t *name) {
    const CIMProperty *p = propertyOf(instance, name);
    return p && p->value->type == CIM_STRING ? utf8(p->value->data.string) : std::string();
}

// The uint16 values of a scalar or array property; none when null.
std::vector<std::uint16_t> numbersOf(const CIMInstance *instance, const wchar_t *name) {
    const CIMProperty *p = propertyOf(instance, name);
    std::vector<std::uint16_t> numbers;
    if (!p) return numbers;
    if (p->value->type == CIM_UINT16) numbers.push_back(p->value->data.u16);
    if (p->value->type == CIM_UINT16 + CIM_ARRAY)
        for (CIMListNode *n = getFirstCIMValue(p->value->data.array); n; n = getNextCIMValue(n))
            if (const CIMValue *v = getCurrentCIMValue(n); v && !isCIMValueNull(v)) numbers.push_back(v->data.u16);
    return numbers;
}

// The texts of a string array value.
std::vector<std::string> textsOf(const CIMValue *value) {
    std::vector<std::string> texts;
    if (!value || isCIMValueNull(value) || value->type != CIM_STRING + CIM_ARRAY) return texts;
    for (CIMListNode *n = getFirstCIMValue(value->data.array); n; n = getNextCIMValue(n))
        texts.push_back(utf8(getCurrentCIMValue(n)->data.string));
    return texts;
}

// What each value of a class's enumerated properties means, by its
// ValueMap and Values qualifiers; a value they do not name stays a number.
class ValueNames {
public:
    ValueNames(remote::CimConnection &connection, const std::wstring &nameSpace, const std::wstring &className)
        : class_(connection.getClass(nameSpace, className)) {}

    std::vector<std::string> named(const CIMInstance *instance, const wchar_t *property) const {
        std::vector<std::string> names;
        const CIMProperty *declared = findCIMProperty(getClassProperties(class_.get()), property);
        std::map<std::string, std::string> meaning;
        if (declared) {
            std::vector<std::string> map = qualifier(declared, "ValueMap"), values = qualifier(declared, "Values");
            for (std::size_t i = 0; i < map.size() && i < values.size(); ++i) meaning[map[i]] = values[i];
        }
        for (std::uint16_t number : numbersOf(instance, property)) {
            auto at = meaning.find(std::to_string(number));
            names.push_back(at == meaning.end() ? std::to_string(number) : at->second);
        }
        return names;
    }

private:
    static std::vector<std::string> qualifier(const CIMProperty *p, const char *name) {
        for (CIMListNode *n = getFirstCIMQualifier(p->qualifiers); n; n = getNextCIMQualifier(n)) {
            const CIMQualifier *q = getCurrentCIMQualifier(n);
            if (strcasecmp(utf8(q->name).c_str(), name) == 0) return textsOf(q->value);
        }
        return {};
    }

    cimobj::ClassPtr class_;
};

// The instances of className in nameSpace.
cimobj::ListPtr enumerate(remote::CimConnection &connection, const std::wstring &nameSpace,
                          const std::wstring &className) {
    cimobj::PathPtr path = remote::classPath(nameSpace, className);
    std::string body = connection.exchange(CIMXMLencode_enumerateInstances(path.get(), 1, 0, 0, 0, nullptr, 0),
                                           "EnumerateInstances");
    CIMInstanceList *instances = nullptr;
    connection.check(CIMXMLdecode_enumerateInstances(body.c_str(), &instances), body);
    return cimobj::ListPtr(instances);
}

// The objects associated with object through assocClass.
cimobj::ListPtr associated(remote::CimConnection &connection, const CIMObjectPath *object, const wchar_t *assocClass) {
    cimobj::StringPtr association = cimobj::makeString(assocClass);
    std::string body = connection.exchange(
        CIMXMLencode_associators(object, association.get(), nullptr, nullptr, nullptr, 0, 0, nullptr, 0),
        "Associators");
    CIMList *objects = nullptr;
    connection.check(CIMXMLdecode_associators(body.c_str(), &objects), body);
    return cimobj::ListPtr(objects);
}

std::vector<const CIMInstance *> instancesIn(const CIMList *list) {
    std::vector<const CIMInstance *> instances;
    for (CIMListNode *n = getFirstCIMInstance(list); n; n = getNextCIMInstance(n))
        instances.push_back(getCurrentCIMInstance(n));
    return instances;
}

// The interop namespace and its object managers: the first candidate
// that knows CIM_ObjectManager.
std::pair<std::wstring, cimobj::ListPtr> findObjectManagers(remote::CimConnection &connection) {
    const remote::WbemUrl &url = connection.url();
    std::vector<std::wstring> candidates = {L"root/interop", L"interop"};
    if (url.nameSpaceGiven) candidates = {cimobj::fromUtf8(url.nameSpace)};
    std::string tried;
    for (const std::wstring &candidate : candidates) {
        try {
            return {candidate, enumerate(connection, candidate, L"CIM_ObjectManager")};
        } catch (const ClientError &error) {
            // 3: no such namespace; 5: a namespace without the interop classes.
            if (error.status() != 3 && error.status() != 5) throw;
            tried += (tried.empty() ? "" : "; ") + cimobj::toUtf8(candidate) + ": " + error.what();
        }
    }
    throw ClientError(remote::exitProtocol, "no interop namespace with a CIM_ObjectManager (" + tried + ")");
}

}  // namespace

DiscoveredServer discoverServer(remote::CimConnection &connection) {
    auto [nameSpace, managers] = findObjectManagers(connection);
    DiscoveredServer server;
    server.interopNamespace = cimobj::toUtf8(nameSpace);
    std::vector<const CIMInstance *> found = instancesIn(managers.get());
    if (found.size() != 1)
        throw ClientError(remote::exitProtocol, server.interopNamespace + " holds " + std::to_string(found.size()) +
                                                    " CIM_ObjectManager instances, not one");
    const CIMInstance *manager = found.front();
    server.product = textOf(manager, L"ElementName");
    server.description = textOf(manager, L"Description");
    cimobj::PathPtr managerPath(copyObjectPath(getInstancePath(manager)));
    if (!managerPath) throw ClientError(remote::exitProtocol, "the CIM_ObjectManager instance came without its path");
    setObjectPathNameSpace(managerPath.get(), cimobj::makeString(nameSpace).release());
    setObjectPathHost(managerPath.get(), nullptr);
    server.objectManager = cimobj::toUtf8(cimom::writeObjectPathText(managerPath.get()));

    cimobj::ListPtr namespaces = associated(connection, managerPath.get(), L"CIM_NamespaceInManager");
    for (const CIMInstance *space : instancesIn(namespaces.get())) server.namespaces.push_back(textOf(space, L"Name"));

    cimobj::ListPtr mechanisms = associated(connection, managerPath.get(), L"CIM_CommMechanismForManager");
    if (getLength(mechanisms.get()) > 0) {
        ValueNames names(connection, nameSpace, L"CIM_ObjectManagerCommunicationMechanism");
        for (const CIMInstance *m : instancesIn(mechanisms.get())) {
            std::vector<std::string> protocol = names.named(m, L"CommunicationMechanism");
            server.mechanisms.push_back({textOf(m, L"Name"), protocol.empty() ? "" : protocol.front(),
                                         textOf(m, L"Version"), names.named(m, L"FunctionalProfilesSupported"),
                                         names.named(m, L"AuthenticationMechanismsSupported")});
        }
    }

    cimobj::ListPtr profiles = associated(connection, managerPath.get(), L"CIM_ElementConformsToProfile");
    if (getLength(profiles.get()) > 0) {
        ValueNames names(connection, nameSpace, L"CIM_RegisteredProfile");
        for (const CIMInstance *p : instancesIn(profiles.get())) {
            std::vector<std::string> organization = names.named(p, L"RegisteredOrganization");
            server.profiles.push_back({organization.empty() ? "" : organization.front(), textOf(p, L"RegisteredName"),
                                       textOf(p, L"RegisteredVersion")});
        }
    }
    return server;
}

}  // namespace cli
