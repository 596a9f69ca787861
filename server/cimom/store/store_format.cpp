// store_format.cpp - the repository's tables. Every object is keyed by its
// folded namespace and folded name (instances: class and normalised key
// text) and kept as MOF; seq keeps the order objects were made in, which
// enumerations show. Foreign keys (checked at commit) keep the file whole:
// no class without its namespace and superclass, no instance without its
// class.
#include "store/store_format.h"

#include <cstdlib>

#include "cimom/repository_store.h"

namespace cimom::store {

namespace {

// 'CIMX' in the file header marks a repository of this server.
constexpr std::int64_t applicationId = 0x43494D58;

constexpr const char *tables = R"sql(
CREATE TABLE repository_format(name TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE namespaces(
  seq INTEGER PRIMARY KEY,
  key TEXT NOT NULL UNIQUE,
  name TEXT NOT NULL);
CREATE TABLE qualifier_types(
  seq INTEGER PRIMARY KEY,
  namespace TEXT NOT NULL REFERENCES namespaces(key) ON DELETE CASCADE DEFERRABLE INITIALLY DEFERRED,
  name TEXT NOT NULL,
  mof TEXT NOT NULL,
  UNIQUE(namespace, name));
CREATE TABLE classes(
  seq INTEGER PRIMARY KEY,
  namespace TEXT NOT NULL REFERENCES namespaces(key) ON DELETE CASCADE DEFERRABLE INITIALLY DEFERRED,
  name TEXT NOT NULL,
  superclass TEXT,
  mof TEXT NOT NULL,
  UNIQUE(namespace, name),
  FOREIGN KEY(namespace, superclass) REFERENCES classes(namespace, name) DEFERRABLE INITIALLY DEFERRED);
CREATE INDEX classes_by_superclass ON classes(namespace, superclass);
CREATE TABLE instances(
  seq INTEGER PRIMARY KEY,
  namespace TEXT NOT NULL,
  class TEXT NOT NULL,
  key TEXT NOT NULL,
  mof TEXT NOT NULL,
  UNIQUE(namespace, class, key),
  FOREIGN KEY(namespace, class) REFERENCES classes(namespace, name) ON DELETE CASCADE DEFERRABLE INITIALLY DEFERRED);
)sql";

}  // namespace

std::string checkFormat(Connection &db, bool &isEmpty) {
    isEmpty = false;
    Statement count = db.prepare("SELECT count(*) FROM sqlite_schema");
    int code = count ? count.step() : sqlite3_errcode(db.handle());
    if (code != SQLITE_ROW) {
        if ((code & 0xFF) == SQLITE_NOTADB) return "not an SQLite database";
        if ((code & 0xFF) == SQLITE_CORRUPT) return "the file is damaged (" + db.error() + ")";
        return "cannot read the file (" + resultText(db.handle(), code) + ")";
    }
    bool hasTables = count.number(0) > 0;
    std::int64_t application = db.integer("PRAGMA application_id", 0);
    if (!hasTables && application == 0) {
        isEmpty = true;
        return {};
    }
    if (application != applicationId) return "another application's database, not a repository";
    Statement version = db.prepare("SELECT value FROM repository_format WHERE name = 'version'");
    if (!version || version.step() != SQLITE_ROW) return "the file is damaged (no repository format version)";
    std::string text(version.text(0));
    int number = std::atoi(text.c_str());
    if (number > RepositoryStore::formatVersion)
        return "written by a newer version (repository format " + text + "; this server reads format " +
               std::to_string(RepositoryStore::formatVersion) + ")";
    if (number != RepositoryStore::formatVersion || text != std::to_string(number))
        return "the file is damaged (unknown repository format '" + text + "')";
    Statement check = db.prepare("PRAGMA quick_check(1)");
    if (!check || check.step() != SQLITE_ROW) return "the file is damaged (" + db.error() + ")";
    if (check.text(0) != "ok") {
        std::string detail(check.text(0));
        for (char &c : detail)
            if (c == '\n') c = ' ';
        return "the file is damaged (" + detail + ")";
    }
    return {};
}

int createTables(Connection &db) {
    std::string sql = "PRAGMA application_id = " + std::to_string(applicationId) + ";\nPRAGMA user_version = " +
                      std::to_string(RepositoryStore::formatVersion) + ";\n" + tables +
                      "INSERT INTO repository_format VALUES ('application', 'cimxml object manager repository'), "
                      "('version', '" + std::to_string(RepositoryStore::formatVersion) + "');\n";
    return db.exec(sql.c_str());
}

}  // namespace cimom::store
