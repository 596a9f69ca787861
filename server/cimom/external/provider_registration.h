// provider_registration.h - the providers an administrator installs: one
// JSON file per provider in the providers folder, named NAME.json, for
// example
//
//   {"command": ["/usr/bin/python3", "units.py"], "user": "nobody", "timeout": 10,
//    "classes": [{"class": "Demo_Unit", "namespaces": ["root/cimv2"], "kinds": ["instance", "method"]}]}
//   {"library": "libcounter_provider.so",
//    "classes": [{"class": "Example_Counter", "namespaces": ["root/cimv2"], "kinds": ["instance", "method"]}]}
//
// command is the program and its arguments, run without a shell in the
// file's folder (a relative program is found there); user the account it
// runs as when cimxmld runs as root (the --provider-user default else);
// timeout the seconds one call may take (10 when absent). library is a
// shared library with the table of cimxml/provider.h (a relative path is
// found in the file's folder); it runs in the server, as the server. A
// command registered with kind "indication" for an indication class is
// started at once and may send indications of it at any time.
#pragma once

#include <string>
#include <vector>

namespace cimom::external {

struct ProviderRegistration {
    std::string file;  // the registration's path
    std::string name;  // its file name without .json
    struct Served {
        std::wstring className;
        std::vector<std::wstring> namespaces;
        bool instances = false;     // kind "instance"
        bool methods = false;       // kind "method"
        bool associations = false;  // kind "association"
        bool indications = false;   // kind "indication" (commands only): the class of indications it sends
    };
    std::vector<Served> classes;
    std::vector<std::string> command;  // command[0] an absolute path; empty for a library
    std::string library;               // an absolute path; empty for a command
    std::string directory;             // the file's folder, where it runs
    std::string user;                  // empty: the default
    int timeoutSeconds = 10;
};

// Reads every NAME.json of folder in name order. A file that cannot be
// read or is wrong is left out and gives one line of problems, naming the
// file, the class where one is concerned, and what is wrong.
std::vector<ProviderRegistration> readProviderRegistrations(const std::string &folder,
                                                            std::vector<std::string> &problems);

// The same for the text of one file (path is what problems name).
bool parseProviderRegistration(const std::string &path, const std::string &text, ProviderRegistration &registration,
                               std::string &problem);

}  // namespace cimom::external
