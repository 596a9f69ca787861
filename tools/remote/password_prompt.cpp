// password_prompt.cpp - the password asked on /dev/tty without echo.
#include "password_prompt.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace remote {

std::optional<std::string> askPassword(const std::string &prompt) {
    int tty = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0) return std::nullopt;
    termios saved{};
    bool quiet = tcgetattr(tty, &saved) == 0;
    if (quiet) {
        termios silent = saved;
        silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet = tcsetattr(tty, TCSAFLUSH, &silent) == 0;
    }
    std::optional<std::string> password;
    if (quiet && write(tty, prompt.data(), prompt.size()) == static_cast<ssize_t>(prompt.size())) {
        std::string line;
        char c = 0;
        ssize_t got = 0;
        while ((got = read(tty, &c, 1)) == 1 && c != '\n')
            line += c;
        if (got == 1 || !line.empty()) password = line;
        [[maybe_unused]] ssize_t ignored = write(tty, "\n", 1);  // the Enter the person typed was not echoed
    }
    if (quiet) tcsetattr(tty, TCSAFLUSH, &saved);
    close(tty);
    return password;
}

}  // namespace remote
