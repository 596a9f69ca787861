// conformance_requests.h - the request documents of the shared conformance
// folder for the operations this module serves. Header-only.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "support/xml_checks.h"

namespace testsupport {

inline std::string fileText(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Calls visit(name, operation, document) for every request document of a
// served operation, in name order.
// Returns how many there were: 0 when the folder is absent.
inline int forEachServedRequest(
    const std::function<void(const std::string &, const std::string &, const std::string &)> &visit) {
    static const std::set<std::string> served = {
        "CreateInstance", "ExportIndication", "EnumerateQualifiers", "EnumerateClasses", "EnumerateClassNames",
        "DeleteQualifier", "GetQualifier", "SetQualifier", "CreateClass", "DeleteClass", "GetClass", "ModifyClass",
        "GetProperty", "SetProperty", "ModifyInstance", "DeleteInstance", "EnumerateInstances",
        "EnumerateInstanceNames", "GetInstance", "ExecQuery", "InvokeMethod", "Associators", "AssociatorNames",
        "References", "ReferenceNames", "OpenEnumerateInstances", "OpenEnumerateInstancePaths",
        "OpenReferenceInstances", "OpenReferenceInstancePaths", "OpenAssociatorInstances",
        "OpenAssociatorInstancePaths", "OpenQueryInstances", "PullInstancesWithPath", "PullInstancePaths",
        "PullInstances", "CloseEnumeration", "EnumerationCount"};
    std::filesystem::path folder = std::filesystem::path(conformanceDir()) / "vectors";
    if (conformanceDir().empty() || !std::filesystem::is_directory(folder)) return 0;
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder)) {
        std::string file = entry.path().filename().string();
        if (file.ends_with(".request.xml")) names.push_back(file.substr(0, file.size() - 12));
    }
    std::sort(names.begin(), names.end());
    int count = 0;
    for (const std::string &name : names) {
        std::string meta = fileText(folder / (name + ".meta.json"));
        std::size_t at = meta.find("\"operation\": \"");
        std::string operation = at == std::string::npos ? "" : meta.substr(at + 14, meta.find('"', at + 14) - at - 14);
        if (served.count(operation) == 0) continue;
        visit(name, operation, fileText(folder / (name + ".request.xml")));
        ++count;
    }
    return count;
}

}  // namespace testsupport
