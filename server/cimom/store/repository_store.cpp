// repository_store.cpp - opening a repository file and writing each journal
// commit to it as one transaction.
#include "store/store_impl.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "cimom/mof.h"
#include "store/store_format.h"
#include "support/names.h"

namespace cimom {

namespace {

using store::Statement;

std::string utf8(std::wstring_view text) { return cimobj::toUtf8(text); }

// Runs a bound write statement to its end; the SQLite result code.
int run(Statement &statement) {
    int code = statement.step();
    statement.reset();
    return code == SQLITE_DONE ? SQLITE_OK : code;
}

std::string describeChange(const Change &change) {
    std::string where = " in namespace " + utf8(change.nameSpace);
    switch (change.kind) {
    case ChangeKind::PutNamespace: return "storing namespace " + utf8(change.nameSpace);
    case ChangeKind::RemoveNamespace: return "removing namespace " + utf8(change.nameSpace);
    case ChangeKind::PutQualifierType: return "storing qualifier " + utf8(change.name) + where;
    case ChangeKind::RemoveQualifierType: return "removing qualifier " + utf8(change.name) + where;
    case ChangeKind::PutClass: return "storing class " + utf8(change.name) + where;
    case ChangeKind::RemoveClass: return "removing class " + utf8(change.name) + where;
    case ChangeKind::PutInstance: return "storing an instance of " + utf8(change.name) + where;
    case ChangeKind::RemoveInstance: return "removing an instance of " + utf8(change.name) + where;
    }
    return "writing";
}

// Binds and runs the statement of one step; the SQLite result code.
int write(RepositoryStore::Impl &impl, const Change &change) {
    std::string space = utf8(foldName(change.nameSpace));
    std::string name = utf8(foldName(change.name));
    switch (change.kind) {
    case ChangeKind::PutNamespace:
        impl.putNamespace.bind(1, space);
        impl.putNamespace.bind(2, utf8(change.nameSpace));
        return run(impl.putNamespace);
    case ChangeKind::RemoveNamespace:
        impl.removeNamespace.bind(1, space);
        return run(impl.removeNamespace);
    case ChangeKind::PutQualifierType:
        impl.putQualifier.bind(1, space);
        impl.putQualifier.bind(2, name);
        impl.putQualifier.bind(3, writeQualifierTypeMof(change.qualifierType));
        return run(impl.putQualifier);
    case ChangeKind::RemoveQualifierType:
        impl.removeQualifier.bind(1, space);
        impl.removeQualifier.bind(2, name);
        return run(impl.removeQualifier);
    case ChangeKind::PutClass:
        impl.putClass.bind(1, space);
        impl.putClass.bind(2, name);
        impl.putClass.bind(3, utf8(foldName(cimobj::view(change.cimClass ? change.cimClass->superClass : nullptr))),
                           true);
        impl.putClass.bind(4, writeClassMof(change.cimClass));
        return run(impl.putClass);
    case ChangeKind::RemoveClass:
        impl.removeClass.bind(1, space);
        impl.removeClass.bind(2, name);
        return run(impl.removeClass);
    case ChangeKind::PutInstance:
        impl.putInstance.bind(1, space);
        impl.putInstance.bind(2, name);
        impl.putInstance.bind(3, utf8(change.key));
        impl.putInstance.bind(4, writeInstanceMof(change.instance));
        return run(impl.putInstance);
    case ChangeKind::RemoveInstance:
        impl.removeInstance.bind(1, space);
        impl.removeInstance.bind(2, name);
        impl.removeInstance.bind(3, utf8(change.key));
        return run(impl.removeInstance);
    }
    return SQLITE_MISUSE;
}

}  // namespace

Status RepositoryStore::Impl::failure(const std::string &what, int code) const {
    return Status::error(1, "repository " + path + ": " + what + " failed: " + store::resultText(db.handle(), code));
}

RepositoryStore::Impl::~Impl() {
    if (lockFile >= 0) close(lockFile);
}

// One process at a time may hold a repository file: another writer would
// change the file behind this process's memory, and the two would overwrite
// each other's acknowledged writes.
bool RepositoryStore::Impl::lockOut() {
    if (path == ":memory:") return true;
    lockFile = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    return lockFile >= 0 && flock(lockFile, LOCK_EX | LOCK_NB) == 0;
}

bool RepositoryStore::Impl::prepareWrites() {
    putNamespace = db.prepare("INSERT INTO namespaces(key, name) VALUES (?1, ?2)");
    removeNamespace = db.prepare("DELETE FROM namespaces WHERE key = ?1");
    putQualifier = db.prepare(
        "INSERT INTO qualifier_types(namespace, name, mof) VALUES (?1, ?2, ?3) "
        "ON CONFLICT(namespace, name) DO UPDATE SET mof = excluded.mof");
    removeQualifier = db.prepare("DELETE FROM qualifier_types WHERE namespace = ?1 AND name = ?2");
    // A replaced class keeps its row (and place): replacing the row would
    // take its instances with it.
    putClass = db.prepare(
        "INSERT INTO classes(namespace, name, superclass, mof) VALUES (?1, ?2, ?3, ?4) "
        "ON CONFLICT(namespace, name) DO UPDATE SET superclass = excluded.superclass, mof = excluded.mof");
    removeClass = db.prepare("DELETE FROM classes WHERE namespace = ?1 AND name = ?2");
    // A replaced instance moves last, as it does in memory.
    putInstance = db.prepare("INSERT OR REPLACE INTO instances(namespace, class, key, mof) VALUES (?1, ?2, ?3, ?4)");
    removeInstance = db.prepare("DELETE FROM instances WHERE namespace = ?1 AND class = ?2 AND key = ?3");
    return putNamespace && removeNamespace && putQualifier && removeQualifier && putClass && removeClass &&
           putInstance && removeInstance;
}

Status RepositoryStore::Impl::beginLevel() {
    ++depth;
    if (!broken.ok()) return broken;
    int code = db.exec(depth == 1 ? "BEGIN IMMEDIATE" : "SAVEPOINT level");
    if (code != SQLITE_OK) broken = failure("starting a transaction", code);
    return broken;
}

Status RepositoryStore::Impl::endLevel(bool keep) {
    --depth;
    if (!broken.ok()) {
        Status failed = broken;
        if (depth == 0) {
            if (!sqlite3_get_autocommit(db.handle())) db.exec("ROLLBACK");
            broken = Status::success();
        }
        return failed;
    }
    if (!keep) {
        db.exec(depth == 0 ? "ROLLBACK" : "ROLLBACK TO level; RELEASE level");
        return Status::success();
    }
    int code = db.exec(depth == 0 ? "COMMIT" : "RELEASE level");
    if (code == SQLITE_OK) return Status::success();
    Status failed = failure("committing the transaction", code);
    if (depth > 0)
        broken = failed;
    else if (!sqlite3_get_autocommit(db.handle()))
        db.exec("ROLLBACK");
    return failed;
}

RepositoryStore::RepositoryStore(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

RepositoryStore::~RepositoryStore() = default;

const std::string &RepositoryStore::path() const { return impl_->path; }

bool RepositoryStore::isNew() const { return impl_->isNew; }

std::shared_ptr<RepositoryStore> RepositoryStore::open(const std::string &path, Status &status, const Fill &fill) {
    auto impl = std::make_unique<Impl>();
    impl->path = path;
    auto refuse = [&](const std::string &why) {
        status = Status::error(1, "repository " + path + ": " + why);
        return nullptr;
    };
    int code = impl->db.open(path);
    if (code != SQLITE_OK) return refuse("cannot open the file (" + store::resultText(impl->db.handle(), code) + ")");
    if (sqlite3_db_readonly(impl->db.handle(), "main") == 1) return refuse("the file is read-only");
    if (!impl->lockOut()) return refuse("in use by another process");
    sqlite3_busy_timeout(impl->db.handle(), 10000);
    std::string wrong = store::checkFormat(impl->db, impl->isNew);
    if (!wrong.empty()) return refuse(wrong);
    // WAL: a commit appends to the log and readers never block the writer.
    // synchronous FULL syncs the log at every commit, so an acknowledged
    // write survives a power loss too, not only a crash of the process (NORMAL
    // would lose the last commits on power loss).
    code = impl->db.exec("PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL; PRAGMA foreign_keys = ON");
    if (code != SQLITE_OK) return refuse("cannot set up the file (" + store::resultText(impl->db.handle(), code) + ")");
    std::shared_ptr<RepositoryStore> made(new RepositoryStore(std::move(impl)));
    Impl &self = *made->impl_;
    if (!self.isNew) {
        if (!self.prepareWrites()) return refuse("the file is damaged (" + self.db.error() + ")");
        status = Status::success();
        return made;
    }
    // A new file gets its tables and first contents in one transaction: a
    // crash part-way leaves it empty, to be made again at the next start.
    Status level = self.beginLevel();
    code = level.ok() ? store::createTables(self.db) : SQLITE_OK;
    if (level.ok() && code != SQLITE_OK) level = self.failure("creating the tables", code);
    if (level.ok() && !self.prepareWrites()) level = self.failure("preparing the writes", sqlite3_errcode(self.db.handle()));
    if (level.ok() && fill) level = fill(made);
    Status ended = self.endLevel(level.ok());
    if (!level.ok()) {
        status = level;
        return nullptr;
    }
    if (!ended.ok()) {
        status = ended;
        return nullptr;
    }
    status = Status::success();
    return made;
}

Status RepositoryStore::commit(const std::vector<Change> &changes) {
    std::lock_guard lock(impl_->mutex);
    Status status = impl_->beginLevel();
    for (const Change &change : changes) {
        if (!status.ok()) break;
        int code = write(*impl_, change);
        if (code == SQLITE_OK) continue;
        status = impl_->failure(describeChange(change), code);
        if (sqlite3_get_autocommit(impl_->db.handle())) impl_->broken = status;
    }
    Status ended = impl_->endLevel(status.ok());
    return status.ok() ? ended : status;
}

bool RepositoryStore::beginBatch() {
    std::lock_guard lock(impl_->mutex);
    impl_->beginLevel();  // a level that could not open fails the commits inside and the end
    return true;
}

Status RepositoryStore::endBatch(bool keep) {
    std::lock_guard lock(impl_->mutex);
    return impl_->endLevel(keep);
}

}  // namespace cimom
