// provider_registration.cpp - reading and checking the providers folder.
#include "external/provider_registration.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include <cimobj/cimobj.hpp>

namespace cimom::external {

namespace {

using Json = nlohmann::json;

bool isStringArray(const Json &json) {
    return json.is_array() && std::all_of(json.begin(), json.end(), [](const Json &e) { return e.is_string(); });
}

}  // namespace

bool parseProviderRegistration(const std::string &path, const std::string &text, ProviderRegistration &registration,
                               std::string &problem) {
    namespace fs = std::filesystem;
    registration = ProviderRegistration();
    registration.file = path;
    registration.name = fs::path(path).stem().string();
    registration.directory = fs::absolute(fs::path(path)).parent_path().string();
    auto fail = [&](const std::string &what) {
        problem = path + ": " + what;
        return false;
    };
    Json json;
    try {
        json = Json::parse(text);
    } catch (const Json::parse_error &e) {
        return fail(std::string("not JSON: ") + e.what());
    }
    if (!json.is_object()) return fail("expected a JSON object");
    for (const auto &[key, value] : json.items())
        if (key != "command" && key != "library" && key != "user" && key != "timeout" && key != "classes")
            return fail("unknown field \"" + key + "\" (command, library, user, timeout and classes are known)");
    auto inFolder = [&](const std::string &name) {
        fs::path path(name);
        if (path.is_relative()) path = fs::path(registration.directory) / path;
        return path.lexically_normal().string();
    };
    if (json.contains("command") == json.contains("library"))
        return fail("needs either \"command\" (a program) or \"library\" (a shared library)");
    if (json.contains("library")) {
        if (!json["library"].is_string() || json["library"].get<std::string>().empty())
            return fail("\"library\" must be the path of a shared library");
        registration.library = inFolder(json["library"].get<std::string>());
        if (access(registration.library.c_str(), R_OK) != 0)
            return fail("library " + registration.library + " is not there or cannot be read");
        if (json.contains("user") || json.contains("timeout"))
            return fail("a library runs in the server: \"user\" and \"timeout\" are for commands");
    } else {
        if (!isStringArray(json["command"]) || json["command"].empty())
            return fail("\"command\" must be an array of strings: the program and its arguments");
        registration.command = json["command"].get<std::vector<std::string>>();
        registration.command.front() = inFolder(registration.command.front());
        if (access(registration.command.front().c_str(), X_OK) != 0)
            return fail("program " + registration.command.front() + " is not there or cannot be run");
    }
    if (json.contains("user")) {
        if (!json["user"].is_string() || json["user"].get<std::string>().empty())
            return fail("\"user\" must be the name of an account");
        registration.user = json["user"].get<std::string>();
    }
    if (json.contains("timeout")) {
        const Json &timeout = json["timeout"];
        if (!timeout.is_number_integer() || timeout.get<long long>() < 1 || timeout.get<long long>() > 3600)
            return fail("\"timeout\" must be a number of seconds (1-3600)");
        registration.timeoutSeconds = timeout.get<int>();
    }
    if (!json.contains("classes") || !json["classes"].is_array() || json["classes"].empty())
        return fail("\"classes\" must list the classes the provider serves");
    for (const Json &entry : json["classes"]) {
        if (!entry.is_object() || !entry.contains("class") || !entry["class"].is_string())
            return fail("each entry of \"classes\" needs \"class\", the name of a class");
        ProviderRegistration::Served served;
        const std::string className = entry["class"].get<std::string>();
        served.className = cimobj::fromUtf8(className);
        auto failClass = [&](const std::string &what) { return fail("class " + className + ": " + what); };
        if (!entry.contains("namespaces") || !isStringArray(entry["namespaces"]) || entry["namespaces"].empty())
            return failClass("\"namespaces\" must list the namespaces it is served in");
        for (const Json &nameSpace : entry["namespaces"]) served.namespaces.push_back(cimobj::fromUtf8(nameSpace.get<std::string>()));
        const bool library = !registration.library.empty();
        const std::string kinds = library ? "instance, association, method" : "instance, association, method, indication";
        if (!entry.contains("kinds") || !isStringArray(entry["kinds"]) || entry["kinds"].empty())
            return failClass("\"kinds\" must list what the provider serves (" + kinds + ")");
        for (const Json &kind : entry["kinds"]) {
            const std::string k = kind.get<std::string>();
            if (k == "instance") served.instances = true;
            else if (k == "method") served.methods = true;
            else if (k == "association") served.associations = true;
            else if (k == "indication" && !library) served.indications = true;
            else return failClass("kind \"" + k + "\" is not one " + (library ? "a library" : "a command") +
                                  " provider serves (" + kinds + ")");
        }
        registration.classes.push_back(std::move(served));
    }
    return true;
}

std::vector<ProviderRegistration> readProviderRegistrations(const std::string &folder,
                                                            std::vector<std::string> &problems) {
    namespace fs = std::filesystem;
    std::vector<ProviderRegistration> registrations;
    std::error_code error;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (it->path().extension() == ".json") files.push_back(it->path());
    if (error) {
        problems.push_back(folder + ": " + error.message());
        return registrations;
    }
    std::sort(files.begin(), files.end());
    for (const fs::path &file : files) {
        std::ifstream in(file);
        std::ostringstream text;
        text << in.rdbuf();
        if (!in) {
            problems.push_back(file.string() + ": cannot be read");
            continue;
        }
        ProviderRegistration registration;
        std::string problem;
        if (parseProviderRegistration(file.string(), text.str(), registration, problem))
            registrations.push_back(std::move(registration));
        else
            problems.push_back(problem);
    }
    return registrations;
}

}  // namespace cimom::external
