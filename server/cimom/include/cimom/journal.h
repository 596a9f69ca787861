// journal.h - the hook every write to the repository passes through.
//
// A write operation first works out its whole change (objects to put and to
// remove), then hands it to the journal, and only when the journal accepts
// applies it to memory. A durable store implements Journal; the default
// journal accepts everything and keeps nothing.
#pragma once

#include <cimobj/cimobj.h>

#include <string>
#include <vector>

#include "status.h"

namespace cimom {

enum class ChangeKind {
    PutNamespace,
    RemoveNamespace,  // with everything in it
    PutQualifierType,
    RemoveQualifierType,
    PutClass,  // creates or replaces
    RemoveClass,
    PutInstance,  // creates or replaces
    RemoveInstance,
};

// One step of a change. Names are spelt as the objects declare them.
struct Change {
    ChangeKind kind;
    std::wstring nameSpace;
    std::wstring name;  // qualifier or class name; for an instance, its class
    std::wstring key;   // an instance's normalised key text, unique within its class
    // The object put, lent for the commit call: the declaration; the class as
    // declared (local members only, superclass named); the instance with all
    // its properties and its path (keys converted to the declared types).
    const CIMQualifierType *qualifierType = nullptr;
    const CIMClass *cimClass = nullptr;
    const CIMInstance *instance = nullptr;
};

// Whether a write passes through the journal: Off loads objects that are
// already durable (a store filling memory at start).
enum class Journaling { On, Off };

class Journal {
public:
    virtual ~Journal() = default;
    // Records the steps, in order, as one unit. Any status but success
    // refuses them: memory stays as it was and the operation answers that
    // status. Calls come one at a time (writers are serialised) while
    // readers continue.
    virtual Status commit(const std::vector<Change> &changes) = 0;

    // Opens a batch: the commits that follow, until the matching endBatch,
    // are kept together or not at all (a MOF compile is one batch). Batches
    // nest. Returns false when the journal keeps no batches; each commit
    // then stands alone and the caller undoes what it must by further
    // commits.
    virtual bool beginBatch() { return false; }
    // Ends the innermost batch: keep makes its commits durable as one unit
    // (part of the enclosing batch when nested), otherwise they are dropped.
    // A failure status means none of them was kept; the caller then undoes
    // the batch in memory without offering that undoing to the journal.
    virtual Status endBatch(bool keep) {
        (void)keep;
        return Status::success();
    }
};

}  // namespace cimom
