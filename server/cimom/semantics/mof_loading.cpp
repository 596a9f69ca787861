// mof_loading.cpp - MOF compiled into the repository, all or nothing: the
// sink remembers what each accepted declaration did and undoes it all, in
// reverse, when a later one fails (or the journal cannot keep the batch).
#include <functional>

#include "semantics/object_manager_state.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom {

namespace {

class RepositorySink : public MofSink {
public:
    RepositorySink(ObjectManager &objectManager, ObjectManager::State &state, Journaling journaling, bool readBack)
        : objectManager_(objectManager), state_(state), journaling_(journaling), readBack_(readBack) {}

    Status setQualifierType(const std::wstring &nameSpace, cimobj::QualifierTypePtr declaration) override {
        Status status = ensureNamespace(nameSpace);
        if (!status.ok()) return status;
        cimobj::QualifierTypePtr previous;
        objectManager_.getQualifier(nameSpace, std::wstring(textOf(declaration->name)), previous);
        status = objectManager_.setQualifier(nameSpace, *declaration, journaling_);
        if (!status.ok()) return status;
        std::wstring name(textOf(declaration->name));
        std::shared_ptr<CIMQualifierType> restore(previous.release(), cimobj::Deleter<freeQualifierType>());
        undo_.push_back([this, nameSpace, name, restore] {
            if (restore)
                objectManager_.setQualifier(nameSpace, *restore, journaling_);
            else
                objectManager_.deleteQualifier(nameSpace, name);
        });
        return status;
    }

    Status createClass(const std::wstring &nameSpace, cimobj::ClassPtr cimClass) override {
        Status status = ensureNamespace(nameSpace);
        if (!status.ok()) return status;
        status = createClassIn(state_, nameSpace, *cimClass, journaling_, !readBack_);
        if (!status.ok()) return status;
        std::wstring name(textOf(getClassName(cimClass.get())));
        undo_.push_back([this, nameSpace, name] { objectManager_.deleteClass(nameSpace, name); });
        return status;
    }

    Status createInstance(const std::wstring &nameSpace, cimobj::InstancePtr instance,
                          cimobj::PathPtr &newPath) override {
        Status status = ensureNamespace(nameSpace);
        if (!status.ok()) return status;
        status = objectManager_.createInstance(nameSpace, *instance, newPath, journaling_);
        if (!status.ok()) return status;
        std::shared_ptr<CIMObjectPath> made(copyPath(newPath.get()).release(), cimobj::Deleter<freeCIMObjectPath>());
        undo_.push_back([this, nameSpace, made] { objectManager_.deleteInstance(nameSpace, *made); });
        return status;
    }

    const CIMClass *findClass(const std::wstring &nameSpace, const std::wstring &className) override {
        auto lock = state_.repository.readLock();
        const NamespaceData *space = state_.repository.find(nameSpace);
        lentClass_ = space ? space->classRecord(className) : nullptr;
        return lentClass_ ? lentClass_->resolved.get() : nullptr;
    }

    const CIMQualifierType *findQualifierType(const std::wstring &nameSpace, const std::wstring &name) override {
        auto lock = state_.repository.readLock();
        const NamespaceData *space = state_.repository.find(nameSpace);
        const QualifierTypeRecord *found = space ? space->qualifiers.find(foldName(name)) : nullptr;
        lentQualifier_ = found ? *found : nullptr;
        return lentQualifier_.get();
    }

    // Undoes everything this sink did, newest first.
    void rollBack() {
        for (auto step = undo_.rbegin(); step != undo_.rend(); ++step) (*step)();
        undo_.clear();
    }

private:
    Status ensureNamespace(const std::wstring &nameSpace) {
        if (objectManager_.hasNamespace(nameSpace)) return Status::success();
        Status status = objectManager_.createNamespace(nameSpace, journaling_);
        if (status.ok()) undo_.push_back([this, nameSpace] { objectManager_.deleteNamespace(nameSpace); });
        return status;
    }

    ObjectManager &objectManager_;
    ObjectManager::State &state_;
    Journaling journaling_;
    bool readBack_;
    std::vector<std::function<void()>> undo_;
    ClassRecordPtr lentClass_;
    QualifierTypeRecord lentQualifier_;
};

// A durable journal takes the whole compile as one batch: on disk too it is
// all or nothing. Undoing in memory what the journal dropped bypasses it.
template <class Compile>
std::vector<MofDiagnostic> compileAllOrNothing(ObjectManager &objectManager, ObjectManager::State &state,
                                               Journaling journaling, bool readBack, const std::string &source,
                                               Compile compile) {
    // Other writers wait until the compile is complete or undone.
    auto writers = state.repository.holdWriters();
    bool batched = journaling == Journaling::On && state.repository.beginBatch();
    RepositorySink sink(objectManager, state, journaling, readBack);
    auto undo = [&] {
        std::shared_ptr<void> bypass = batched ? state.repository.bypassJournal() : nullptr;
        sink.rollBack();
    };
    std::vector<MofDiagnostic> diagnostics;
    try {
        diagnostics = compile(sink);
    } catch (...) {
        undo();
        if (batched) state.repository.endBatch(false);
        throw;
    }
    if (!diagnostics.empty()) {
        undo();
        if (batched) state.repository.endBatch(false);
    } else if (batched) {
        Status kept = state.repository.endBatch(true);
        if (!kept.ok()) {
            undo();
            diagnostics.push_back(MofDiagnostic{source, 0, 0, kept.message});
        }
    }
    return diagnostics;
}

}  // namespace

std::vector<MofDiagnostic> ObjectManager::compileMofFile(const std::string &path, const MofOptions &options,
                                                         Journaling journaling) {
    return compileAllOrNothing(*this, *state_, journaling, options.readBack, path,
                               [&](MofSink &sink) { return cimom::compileMofFile(path, sink, options); });
}

std::vector<MofDiagnostic> ObjectManager::compileMofText(std::string_view text, const std::string &name,
                                                         const MofOptions &options, Journaling journaling) {
    return compileAllOrNothing(*this, *state_, journaling, options.readBack, name,
                               [&](MofSink &sink) { return cimom::compileMofText(text, name, sink, options); });
}

}  // namespace cimom
