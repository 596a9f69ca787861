// indication_log.cpp - the newest exported indications this server received.
#include "semantics/object_manager_state.h"
#include "support/objects.h"

namespace cimom {

Status ObjectManager::deliverIndication(const std::wstring &nameSpace, const CIMInstance &indication) {
    ReceivedIndication received{nameSpace, copyInstance(&indication), std::chrono::system_clock::now()};
    cimPrintMessage(CIM_LOG_INFO, L"indication %ls received for namespace %ls",
                    std::wstring(textOf(getInstanceName(&indication))).c_str(),
                    nameSpace.empty() ? L"(none)" : nameSpace.c_str());
    std::lock_guard lock(state_->indicationMutex);
    state_->indications.push_back(std::move(received));
    if (state_->indications.size() > indicationLogCapacity) state_->indications.pop_front();
    return Status::success();
}

std::vector<ReceivedIndication> ObjectManager::receivedIndications() const {
    std::lock_guard lock(state_->indicationMutex);
    std::vector<ReceivedIndication> copies;
    copies.reserve(state_->indications.size());
    for (const ReceivedIndication &one : state_->indications)
        copies.push_back({one.nameSpace, copyInstance(one.indication.get()), one.received});
    return copies;
}

}  // namespace cimom
