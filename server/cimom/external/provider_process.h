// provider_process.h - one run of a command provider: the program started
// without a shell, as the user its registration names, talking one line at
// a time over its standard input and output. Its standard error goes where
// cimxmld's does.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace cimom::external {

using ProviderClock = std::chrono::steady_clock;

struct ProviderCommand {
    std::vector<std::string> argv;  // argv[0] an absolute path
    std::string directory;          // where it runs
    bool changeUser = false;        // to uid and gid (cimxmld runs as root)
    uid_t uid = 0;
    gid_t gid = 0;
};

class ProviderProcess {
public:
    // Starts the program. Throws std::runtime_error saying why it could not
    // (the program cannot be run, a pipe or the process cannot be made).
    explicit ProviderProcess(const ProviderCommand &command);
    // Kills the program (SIGKILL) if it still runs and reaps it.
    ~ProviderProcess();
    ProviderProcess(const ProviderProcess &) = delete;
    ProviderProcess &operator=(const ProviderProcess &) = delete;

    // Writes line and a newline to its input by deadline. False with problem
    // set when it has gone or does not take it in time.
    bool send(const std::string &line, ProviderClock::time_point deadline, std::string &problem);
    // The next line of its output (without the newline) by deadline, of at
    // most maxLine bytes. False with problem set when it ends, writes a
    // longer line or none in time.
    bool receive(std::string &line, ProviderClock::time_point deadline, std::size_t maxLine, std::string &problem);
    // True when receive would not wait: a line is buffered, or output (or
    // its end) is there to read.
    bool readable() const;
    // Waits up to milliseconds for output (or its end). Touches no buffer,
    // so it may run beside a call of another thread.
    void waitForOutput(int milliseconds) const;

private:
    // How it ended ("exited with status 3", "was killed by signal 11"),
    // reaping it; "closed its output" while it still runs.
    std::string ending();

    pid_t pid_ = -1;
    int input_ = -1;   // its standard input
    int output_ = -1;  // its standard output
    std::string buffer_;
    std::size_t scanned_ = 0;  // bytes of buffer_ known to hold no newline
};

}  // namespace cimom::external
