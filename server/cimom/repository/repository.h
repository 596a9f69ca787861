// repository.h - the namespaces in memory and the discipline around them:
// many readers at once, one writer at a time, and every write worked out
// completely, offered to the journal, and only then applied.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>

#include "cimom/journal.h"
#include "repository/change_set.h"
#include "repository/namespace_data.h"

namespace cimom {

class Repository {
public:
    // A shared lock under which the namespaces may be read.
    std::shared_lock<std::shared_mutex> readLock() const { return std::shared_lock(state_); }
    // The namespace of that name (any case); nullptr when none. Only under
    // readLock() or inside a plan.
    const NamespaceData *find(std::wstring_view nameSpace) const;
    const OrderedMap<std::unique_ptr<NamespaceData>> &namespaces() const { return namespaces_; }

    // Runs plan, which reads the repository and fills a change (writers are
    // serialised and readers continue meanwhile), offers a non-empty change
    // to the journal when journaling is On, and applies it. Returns the
    // failure of the plan or the journal, and then nothing has changed.
    Status write(Journaling journaling, const std::function<Status(ChangeSet &)> &plan);
    // Keeps other writers out while the calling thread makes several writes
    // (its own writes still pass).
    std::unique_lock<std::recursive_mutex> holdWriters() { return std::unique_lock(writers_); }
    void setJournal(std::shared_ptr<Journal> journal);
    // Opens a batch on the journal (see Journal::beginBatch); false when
    // there is no journal or it keeps no batches. Call while holding writers.
    bool beginBatch();
    // Ends it (Journal::endBatch); success when there is no journal.
    Status endBatch(bool keep);
    // While the returned guard lives, the calling thread's writes (it holds
    // writers) bypass the journal: undoing in memory a batch the journal has
    // already dropped.
    std::shared_ptr<void> bypassJournal();

private:
    void apply(ChangeSet &changes);
    void putInstance(NamespaceData &space, ChangeSet::Step &step);
    void removeInstance(NamespaceData &space, const Change &change);

    mutable std::shared_mutex state_;
    std::recursive_mutex writers_;
    std::shared_ptr<Journal> journal_;  // guarded by writers_
    int bypassed_ = 0;                  // guarded by writers_: open bypassJournal guards
    unsigned long long referenceSequence_ = 0;
    OrderedMap<std::unique_ptr<NamespaceData>> namespaces_;
};

// The key under which the reference index files a path that an instance of
// ownNamespace holds: the path's namespace when it names another one, its
// folded class name and its canonical key text.
std::wstring referenceTargetKey(const CIMObjectPath &path, std::wstring_view ownNamespace);

}  // namespace cimom
