// change_set.cpp - building a change and its journal view.
#include "repository/change_set.h"

namespace cimom {

ChangeSet::Step &ChangeSet::add(ChangeKind kind, const std::wstring &nameSpace, const std::wstring &name,
                                const std::wstring &key) {
    Step &step = steps_.emplace_back();
    step.change.kind = kind;
    step.change.nameSpace = nameSpace;
    step.change.name = name;
    step.change.key = key;
    return step;
}

void ChangeSet::putNamespace(const std::wstring &nameSpace) { add(ChangeKind::PutNamespace, nameSpace, {}); }

void ChangeSet::removeNamespace(const std::wstring &nameSpace) { add(ChangeKind::RemoveNamespace, nameSpace, {}); }

void ChangeSet::putQualifier(const std::wstring &nameSpace, QualifierTypeRecord declaration) {
    Step &step = add(ChangeKind::PutQualifierType, nameSpace, std::wstring(cimobj::view(declaration->name)));
    step.qualifierType = std::move(declaration);
}

void ChangeSet::removeQualifier(const std::wstring &nameSpace, const std::wstring &name) {
    add(ChangeKind::RemoveQualifierType, nameSpace, name);
}

void ChangeSet::putClass(const std::wstring &nameSpace, ClassRecordPtr record) {
    Step &step = add(ChangeKind::PutClass, nameSpace, record->name);
    step.classRecord = std::move(record);
}

void ChangeSet::removeClass(const std::wstring &nameSpace, const std::wstring &name) {
    add(ChangeKind::RemoveClass, nameSpace, name);
}

void ChangeSet::putInstance(const std::wstring &nameSpace, const std::wstring &className, const std::wstring &key,
                            cimobj::InstancePtr instance) {
    Step &step = add(ChangeKind::PutInstance, nameSpace, className, key);
    step.instance = std::move(instance);
}

void ChangeSet::removeInstance(const std::wstring &nameSpace, const std::wstring &className, const std::wstring &key) {
    add(ChangeKind::RemoveInstance, nameSpace, className, key);
}

std::vector<Change> ChangeSet::journalView() const {
    std::vector<Change> view;
    view.reserve(steps_.size());
    for (const Step &step : steps_) {
        Change &change = view.emplace_back(step.change);
        change.qualifierType = step.qualifierType.get();
        change.cimClass = step.classRecord ? step.classRecord->declared.get() : nullptr;
        change.instance = step.instance.get();
    }
    return view;
}

}  // namespace cimom
