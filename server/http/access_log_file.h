// access_log_file.h - the access lines in a file of their own (--access-log),
// reopened by name on SIGHUP so that logrotate can move the old one away.
// logAccess (access_log.h) writes there while a file is in use.
#pragma once

#include <string>

namespace cimxmld {

// From now on access lines are appended to path (created with mode 0640),
// whatever the log level; an empty path sends them back to the log at info
// level. The file open so far is closed once the new one is open. false
// with the reason when path cannot be opened (the old destination stays).
bool openAccessLog(const std::string &path, std::string &error);

// Opens the current file by its name again (after logrotate moved it);
// true when no file is in use. On failure the old one stays in use.
bool reopenAccessLog(std::string &error);

// True while a file is in use (cheap: one atomic load).
bool accessLogFileInUse();

// Appends one line (a newline is added) when a file is in use; false when
// none is, so that the caller logs the line instead. Safe from any thread.
bool writeAccessLine(const std::string &line);

}  // namespace cimxmld
