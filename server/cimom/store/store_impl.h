// store_impl.h - what a repository store holds: its connection, the
// statements its writes use, and the state of the open transaction.
#pragma once

#include <mutex>
#include <string>

#include "cimom/repository_store.h"
#include "store/sqlite_connection.h"

namespace cimom {

struct RepositoryStore::Impl {
    ~Impl();
    std::string path;
    store::Connection db;
    int lockFile = -1;  // holds the lock that keeps other processes out of the file
    std::mutex mutex;  // one caller at a time on the connection
    bool isNew = false;

    // Transaction levels open: the first is a transaction, deeper ones
    // (batches and the commits inside them) are savepoints.
    int depth = 0;
    // Set when SQLite ended the transaction itself (a full disk or an I/O
    // error rolls it back): every level still open then fails with it.
    Status broken;

    store::Statement putNamespace, removeNamespace, putQualifier, removeQualifier;
    store::Statement putClass, removeClass, putInstance, removeInstance;

    // Status 1: "repository PATH: what: SQLite's reason".
    Status failure(const std::string &what, int code) const;
    // Takes the lock on the file that keeps other processes out; false when
    // another process holds it.
    bool lockOut();
    // Prepares the write statements; false when one does not prepare.
    bool prepareWrites();
    // Opens a level; the status of a level that could not open (it still
    // counts and must be ended).
    Status beginLevel();
    // Ends the innermost level, keeping or dropping what it wrote.
    Status endLevel(bool keep);
};

}  // namespace cimom
