// add_user.cpp - the --add-user command.
#include "add_user.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>
#include <optional>
#include <string>

#include "password_file.h"

namespace cimxmld {

namespace {

std::optional<std::string> readLine() {
    std::string line;
    if (!std::getline(std::cin, line)) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::optional<std::string> askHidden(const char *prompt) {
    std::cerr << prompt << std::flush;
    termios saved{};
    bool hidden = tcgetattr(STDIN_FILENO, &saved) == 0;
    if (hidden) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::optional<std::string> line = readLine();
    if (hidden) tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::cerr << '\n';
    return line;
}

std::optional<std::string> readPassword(const std::string &user) {
    if (!isatty(STDIN_FILENO)) {
        std::optional<std::string> line = readLine();
        if (!line) std::cerr << "cimxmld: no password on standard input\n";
        return line;
    }
    std::optional<std::string> first = askHidden(("Password for " + user + ": ").c_str());
    std::optional<std::string> second = askHidden("Again: ");
    if (!first || !second || *first != *second) {
        std::cerr << "cimxmld: the passwords differ\n";
        return std::nullopt;
    }
    return first;
}

}  // namespace

int addUserCommand(const ServerOptions &options) {
    std::string path = options.passwordFile.empty() ? "cimxmld.passwd" : options.passwordFile;
    std::optional<std::string> password = readPassword(options.addUser);
    if (!password) return 1;
    if (password->empty()) {
        std::cerr << "cimxmld: an empty password is not accepted\n";
        return 1;
    }
    std::string error;
    std::optional<std::string> hash = hashPassword(*password, error);
    if (!hash || !storeUser(path, options.addUser, *hash, error)) {
        std::cerr << "cimxmld: " << error << '\n';
        return 1;
    }
    std::cerr << "cimxmld: stored " << options.addUser << " in " << path << '\n';
    return 0;
}

}  // namespace cimxmld
