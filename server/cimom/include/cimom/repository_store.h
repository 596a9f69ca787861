// repository_store.h - the durable repository: an SQLite database holding
// every namespace, qualifier declaration, class and instance of an object
// manager, one table per kind, each object as the MOF text the MOF writer
// makes (readable with the sqlite3 command).
//
// The store is the object manager's journal: each write is one transaction,
// committed before the write reaches memory (a refused or failed commit
// changes nothing), and a MOF compile is one transaction. At start the file
// is read into the object manager, which stays the working copy: reads never
// touch the file. The file is in WAL mode with synchronous FULL: a write that
// was acknowledged survives a crash of the process and a loss of power.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "journal.h"
#include "object_manager.h"
#include "status.h"

namespace cimom {

class RepositoryStore : public Journal {
public:
    // The repository format this build reads and writes (its version row).
    static constexpr int formatVersion = 1;

    // Runs on a file that holds no repository yet, inside the transaction
    // that creates its tables, with the store installed nowhere; what it
    // writes through the store is kept with the tables, or nothing is when it
    // fails.
    using Fill = std::function<Status(const std::shared_ptr<RepositoryStore> &store)>;

    // Opens the repository at path, creating the file (and, with fill, its
    // first contents) when there is none; ":memory:" keeps it in memory.
    // Returns nullptr and sets status (code 1, "repository PATH: reason")
    // when the file cannot serve: it cannot be opened or written, another
    // process has it open as a repository (one process at a time), it is
    // not an SQLite database, is another application's database, was
    // written by a newer format, or is damaged. The file is then left as it
    // was.
    static std::shared_ptr<RepositoryStore> open(const std::string &path, Status &status, const Fill &fill = {});
    ~RepositoryStore() override;

    const std::string &path() const;
    // True when open made the repository (the file held none).
    bool isNew() const;

    // Reads everything the file holds into objectManager with
    // Journaling::Off: namespaces, qualifier declarations, classes
    // (superclasses first), then instances, in the order they were made.
    // Time is linear in the repository. Returns status 1 naming the first
    // object that does not load and why; objectManager then holds part of it.
    Status loadInto(ObjectManager &objectManager);

    // Writes the repository (only nameSpace when not empty) as MOF that the
    // compiler loads into an empty object manager to an equal repository:
    // qualifier declarations, classes superclass first, then instances, each
    // group under #pragma namespace lines. Status 1 when reading fails (out
    // may then hold part), 3 for an unknown namespace.
    Status writeMof(std::ostream &out, const std::wstring &nameSpace = {});

    // Journal: one transaction per commit; batches are savepoints inside one
    // transaction. A failure is status 1 saying what failed, and the
    // transaction (or batch) is rolled back.
    Status commit(const std::vector<Change> &changes) override;
    bool beginBatch() override;
    Status endBatch(bool keep) override;

    struct Impl;

private:
    explicit RepositoryStore(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// Makes the file at path objectManager's durable repository: a new file is
// filled with the default schema of schemaDir (left out when schemaDir is
// empty) and then the MOF files of firstMof, in order, all in the
// transaction that makes it; an existing one is loaded (firstMof is not
// read). objectManager must hold no namespaces. On success the store is
// installed as objectManager's journal and returned; on failure nullptr with
// status 1 saying what failed (a MOF diagnostic with its file, line and
// column), and no journal is installed (objectManager may hold part of what
// was loaded).
std::shared_ptr<RepositoryStore> openRepository(ObjectManager &objectManager, const std::string &path,
                                                Status &status,
                                                const std::string &schemaDir = ObjectManager::defaultSchemaDir(),
                                                const std::vector<std::string> &firstMof = {});

}  // namespace cimom
