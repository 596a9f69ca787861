// query_operation.cpp - ExecQuery.
#include "semantics/object_manager_state.h"
#include "support/names.h"

namespace cimom {

Status ObjectManager::execQuery(const std::wstring &nameSpace, const std::wstring &, const std::wstring &language,
                                ClassesOrInstances &) {
    if (!hasNamespace(nameSpace)) return namespaceMissing(nameSpace);
    if (!sameName(language, L"WQL"))
        return Status::error(14, "query language " + cimobj::toUtf8(language) + " is not supported; use WQL");
    return Status::error(7, "queries are not served yet");
}

}  // namespace cimom
