// server_command.cpp - cimxml-cli server URL: what a client learns of the
// server from its interop namespace, as text or one JSON line.
#include <iostream>

#include <nlohmann/json.hpp>

#include "client_error.h"
#include "commands.h"
#include "server_discovery.h"

namespace cli {

namespace {

std::string joined(const std::vector<std::string> &parts) {
    std::string text;
    for (const std::string &part : parts) text += (text.empty() ? "" : ", ") + part;
    return text;
}

void writeText(std::ostream &out, const DiscoveredServer &server) {
    out << "product: " << server.product << "\n"
        << "description: " << server.description << "\n"
        << "object manager: " << server.objectManager << "\n"
        << "interop namespace: " << server.interopNamespace << "\n"
        << "namespaces: " << joined(server.namespaces) << "\n";
    for (const DiscoveredMechanism &m : server.mechanisms)
        out << "mechanism: " << m.name << ": " << m.protocol << " " << m.version << "; operations: "
            << joined(m.groups) << "; authentication: " << joined(m.authentication) << "\n";
    for (const DiscoveredProfile &p : server.profiles)
        out << "profile: " << p.organization << " " << p.name << " " << p.version << "\n";
}

void writeJson(std::ostream &out, const DiscoveredServer &server) {
    using Json = nlohmann::ordered_json;
    Json mechanisms = Json::array(), profiles = Json::array();
    for (const DiscoveredMechanism &m : server.mechanisms)
        mechanisms.push_back({{"name", m.name},
                              {"protocol", m.protocol},
                              {"version", m.version},
                              {"functional_groups", m.groups},
                              {"authentication", m.authentication}});
    for (const DiscoveredProfile &p : server.profiles)
        profiles.push_back({{"organization", p.organization}, {"name", p.name}, {"version", p.version}});
    Json line = {{"kind", "server"},
                 {"product", server.product},
                 {"description", server.description},
                 {"object_manager", server.objectManager},
                 {"interop_namespace", server.interopNamespace},
                 {"namespaces", server.namespaces},
                 {"mechanisms", mechanisms},
                 {"profiles", profiles}};
    out << line.dump(-1, ' ', false, Json::error_handler_t::replace) << "\n";
}

}  // namespace

void runServer(CommandContext &c) {
    if (c.output == OutputForm::xml)
        throw remote::ClientError(remote::exitUsage, "server writes what it learned as text (mof) or json");
    if (c.connection.url().namesClass())
        throw remote::ClientError(remote::exitUsage,
                                  "server needs a server, and at most its interop namespace, in the URL "
                                  "(http://host[/interop-namespace])");
    DiscoveredServer server = discoverServer(c.connection);
    if (c.output == OutputForm::json)
        writeJson(std::cout, server);
    else
        writeText(std::cout, server);
}

}  // namespace cli
