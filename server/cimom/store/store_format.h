// store_format.h - the tables of a repository file and the checks that a
// file is a repository this build can use.
#pragma once

#include <string>

#include "store/sqlite_connection.h"

namespace cimom::store {

// What is wrong with the file behind db for serving as a repository
// ("another application's database", "written by a newer version ..."), or
// empty when it can serve. isEmpty receives true for a file that holds
// nothing yet (new or zero length). Only reads.
std::string checkFormat(Connection &db, bool &isEmpty);

// Creates the tables and the format rows; run inside the transaction that
// fills the new file. Returns an SQLite result code.
int createTables(Connection &db);

}  // namespace cimom::store
