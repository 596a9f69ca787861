// console_assets.h - the web console's files, read once at start from
// their folder and served from memory at /console with the headers that
// keep a browser strict: no inline or foreign script, no framing, no type
// guessing, no referrer.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "http_message.h"

namespace cimxmld {

class ConsoleAssets {
public:
    // Reads every file of folder (not its subfolders). Null, with the
    // reason in error, when the folder cannot be read or has no
    // index.html.
    static std::unique_ptr<ConsoleAssets> load(const std::string &folder, std::string &error);
    // The folder installed beside the program, else the source tree's.
    static std::string defaultFolder();

    // True for /console and what is under it.
    static bool covers(const std::string &target);
    // The answer to GET target (covers(target) holds): the file with its
    // type and the console's headers, or 404. /console and /console/ are
    // index.html; a query string is ignored.
    Response answer(const std::string &target) const;

private:
    struct File {
        std::string type;
        std::string content;
    };
    std::map<std::string, File> files_;  // by name
};

// The headers every console answer carries.
void addConsoleHeaders(Response &response);

}  // namespace cimxmld
