// repository.cpp - applying changes to the namespaces in memory.
#include "repository/repository.h"

#include "repository/value_conversion.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom {

namespace {

// Calls visit(targetKey) for every reference value the instance holds.
template <class Visit>
void forEachReference(const CIMInstance &instance, std::wstring_view ownNamespace, Visit visit) {
    for (CIMProperty *p : items<CIMProperty>(instance.properties)) {
        if (!p->value || p->value->isNull || p->value->type != CIM_REFERENCE || !p->value->data.reference) continue;
        visit(referenceTargetKey(*p->value->data.reference, ownNamespace));
    }
}

}  // namespace

std::wstring referenceTargetKey(const CIMObjectPath &path, std::wstring_view ownNamespace) {
    std::wstring_view pathNamespace = textOf(path.nameSpace);
    std::wstring key = pathNamespace.empty() || sameName(pathNamespace, ownNamespace) ? L"" : foldName(pathNamespace);
    key += L':';
    key += foldName(textOf(path.className));
    key += L'.';
    key += canonicalKeyText(path.mkeys);
    return key;
}

const NamespaceData *Repository::find(std::wstring_view nameSpace) const {
    const std::unique_ptr<NamespaceData> *found = namespaces_.find(foldName(nameSpace));
    return found ? found->get() : nullptr;
}

void Repository::setJournal(std::shared_ptr<Journal> journal) {
    std::lock_guard writer(writers_);
    journal_ = std::move(journal);
}

bool Repository::beginBatch() {
    std::lock_guard writer(writers_);
    return journal_ && journal_->beginBatch();
}

Status Repository::endBatch(bool keep) {
    std::lock_guard writer(writers_);
    return journal_ ? journal_->endBatch(keep) : Status::success();
}

std::shared_ptr<void> Repository::bypassJournal() {
    std::lock_guard writer(writers_);
    ++bypassed_;
    return std::shared_ptr<void>(this, [](void *self) {
        auto *repository = static_cast<Repository *>(self);
        std::lock_guard writer(repository->writers_);
        --repository->bypassed_;
    });
}

Status Repository::write(Journaling journaling, const std::function<Status(ChangeSet &)> &plan) {
    std::lock_guard writer(writers_);
    ChangeSet changes;
    {
        std::shared_lock reading(state_);
        Status planned = plan(changes);
        if (!planned.ok() || changes.empty()) return planned;
        if (journaling == Journaling::On && journal_ && bypassed_ == 0) {
            Status committed = journal_->commit(changes.journalView());
            if (!committed.ok()) return committed;
        }
    }
    std::unique_lock writing(state_);
    apply(changes);
    return Status::success();
}

void Repository::putInstance(NamespaceData &space, ChangeSet::Step &step) {
    const Change &change = step.change;
    std::wstring classKey = foldName(change.name);
    InstanceTable &table = space.instances[classKey];
    if (table.find(change.key)) removeInstance(space, change);
    forEachReference(*step.instance, space.name, [&](std::wstring target) {
        space.referrers.emplace(std::move(target), InstanceRef{classKey, change.key, ++referenceSequence_});
    });
    table.put(change.key, StoredInstance(*step.instance, space.classRecord(change.name), space.name));
    step.instance.reset();
}

void Repository::removeInstance(NamespaceData &space, const Change &change) {
    std::wstring classKey = foldName(change.name);
    auto table = space.instances.find(classKey);
    if (table == space.instances.end()) return;
    const StoredInstance *stored = table->second.find(change.key);
    if (!stored) return;
    forEachReference(*stored->instance(space.name), space.name, [&](const std::wstring &target) {
        auto [first, last] = space.referrers.equal_range(target);
        for (auto at = first; at != last; ++at) {
            if (at->second.classKey == classKey && at->second.key == change.key) {
                space.referrers.erase(at);
                break;
            }
        }
    });
    table->second.erase(change.key);
}

void Repository::apply(ChangeSet &changes) {
    for (ChangeSet::Step &step : changes.steps()) {
        const Change &change = step.change;
        std::wstring spaceKey = foldName(change.nameSpace);
        if (change.kind == ChangeKind::PutNamespace) {
            auto space = std::make_unique<NamespaceData>();
            space->name = change.nameSpace;
            namespaces_.put(spaceKey, std::move(space));
            continue;
        }
        if (change.kind == ChangeKind::RemoveNamespace) {
            namespaces_.erase(spaceKey);
            continue;
        }
        std::unique_ptr<NamespaceData> *found = namespaces_.find(spaceKey);
        if (!found) continue;  // a plan only names namespaces that exist
        NamespaceData &space = **found;
        std::wstring nameKey = foldName(change.name);
        switch (change.kind) {
            case ChangeKind::PutQualifierType:
                space.qualifiers.put(nameKey, std::move(step.qualifierType));
                break;
            case ChangeKind::RemoveQualifierType:
                space.qualifiers.erase(nameKey);
                break;
            case ChangeKind::PutClass: {
                std::wstring superKey = foldName(step.classRecord->superName);
                space.subclasses[superKey].put(nameKey, 0);
                space.classes.put(nameKey, std::move(step.classRecord));
                break;
            }
            case ChangeKind::RemoveClass: {
                if (const ClassRecord *record = space.findClass(change.name)) {
                    auto siblings = space.subclasses.find(foldName(record->superName));
                    if (siblings != space.subclasses.end()) siblings->second.erase(nameKey);
                }
                space.subclasses.erase(nameKey);
                if (auto table = space.instances.find(nameKey); table != space.instances.end()) {
                    std::vector<std::wstring> keys;
                    for (const auto &entry : table->second) keys.push_back(entry.first);
                    for (const std::wstring &key : keys)
                        removeInstance(space, {ChangeKind::RemoveInstance, {}, change.name, key});
                }
                space.instances.erase(nameKey);
                space.classes.erase(nameKey);
                break;
            }
            case ChangeKind::PutInstance:
                putInstance(space, step);
                break;
            case ChangeKind::RemoveInstance:
                removeInstance(space, change);
                break;
            default:
                break;
        }
    }
}

}  // namespace cimom
