// operation_support.cpp - look-ups and answers shared by the operations.
#include <unistd.h>

#include "semantics/object_manager_state.h"
#include "support/names.h"

namespace cimom {

Status namespaceMissing(std::wstring_view nameSpace) {
    return Status::error(3, "namespace " + cimobj::toUtf8(nameSpace) + " does not exist");
}

Status classMissing(std::wstring_view className, std::wstring_view nameSpace) {
    return Status::error(
        5, "class " + cimobj::toUtf8(className) + " does not exist in namespace " + cimobj::toUtf8(nameSpace));
}

const NamespaceData *findNamespace(const Repository &repository, std::wstring_view nameSpace, Status &status) {
    const NamespaceData *space = repository.find(nameSpace);
    if (!space) status = namespaceMissing(nameSpace);
    return space;
}

ClassRecordPtr findClassRecord(const Repository &repository, std::wstring_view nameSpace, std::wstring_view className,
                               Status &status) {
    const NamespaceData *space = findNamespace(repository, nameSpace, status);
    if (!space) return nullptr;
    ClassRecordPtr record = space->classRecord(className);
    if (!record) status = classMissing(className, nameSpace);
    return record;
}

std::vector<std::wstring> classTree(const NamespaceData &space, const std::wstring &classKey) {
    std::vector<std::wstring> tree{classKey};
    for (std::size_t next = 0; next < tree.size(); ++next) {
        if (const OrderedMap<char> *children = space.subclassesOf(tree[next]))
            for (const auto &child : *children) tree.push_back(child.first);
    }
    return tree;
}

std::wstring machineHostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return L"localhost";
    return cimobj::fromUtf8(name);
}

}  // namespace cimom
