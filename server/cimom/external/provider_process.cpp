// provider_process.cpp - starting a command provider and the bounded
// exchanges with it.
#include "external/provider_process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace cimom::external {

namespace {

// Milliseconds left until deadline, for poll (0 when passed).
int millisecondsUntil(ProviderClock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - ProviderClock::now()).count();
    return left <= 0 ? 0 : left > 60000 ? 60000 : static_cast<int>(left);
}

// In the child, between fork and exec: only async-signal-safe calls. A
// failure writes errno to report and ends the child.
[[noreturn]] void becomeProvider(const ProviderCommand &command, char *const argv[], int input, int output,
                                 int report) {
    auto fail = [&] {
        int error = errno;
        (void)!write(report, &error, sizeof error);
        _exit(127);
    };
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);
    if (dup2(input, 0) < 0 || dup2(output, 1) < 0) fail();
    if (chdir(command.directory.c_str()) != 0) fail();
    if (command.changeUser && (setgroups(0, nullptr) != 0 || setgid(command.gid) != 0 || setuid(command.uid) != 0))
        fail();
    execv(argv[0], argv);
    fail();
}

}  // namespace

ProviderProcess::ProviderProcess(const ProviderCommand &command) {
    std::vector<char *> argv;
    for (const std::string &arg : command.argv) argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    int toChild[2], fromChild[2], report[2];
    if (pipe2(toChild, O_CLOEXEC) != 0) throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    if (pipe2(fromChild, O_CLOEXEC) != 0) {
        close(toChild[0]), close(toChild[1]);
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    }
    if (pipe2(report, O_CLOEXEC) != 0) {
        for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) close(fd);
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    }
    pid_ = fork();
    if (pid_ == 0) becomeProvider(command, argv.data(), toChild[0], fromChild[1], report[1]);
    const int forkError = errno;
    for (int fd : {toChild[0], fromChild[1], report[1]}) close(fd);
    input_ = toChild[1];
    output_ = fromChild[0];
    if (pid_ < 0) {
        close(report[0]);
        close(input_), close(output_);
        throw std::runtime_error(std::string("fork: ") + std::strerror(forkError));
    }
    int childError = 0;
    ssize_t got;
    do got = read(report[0], &childError, sizeof childError);
    while (got < 0 && errno == EINTR);
    close(report[0]);
    if (got > 0) {
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
        close(input_), close(output_);
        throw std::runtime_error(command.argv.front() + " cannot be run: " + std::strerror(childError));
    }
    fcntl(input_, F_SETFL, fcntl(input_, F_GETFL) | O_NONBLOCK);
    fcntl(output_, F_SETFL, fcntl(output_, F_GETFL) | O_NONBLOCK);
}

ProviderProcess::~ProviderProcess() {
    if (input_ >= 0) close(input_);
    if (output_ >= 0) close(output_);
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

std::string ProviderProcess::ending() {
    if (pid_ <= 0) return "has ended";
    int status = 0;
    // It closed its output: give it a moment to end.
    pid_t done = 0;
    for (int i = 0; i < 20 && (done = waitpid(pid_, &status, WNOHANG)) == 0; ++i) usleep(5000);
    if (done != pid_) return "closed its output";
    pid_ = -1;
    if (WIFEXITED(status)) return "exited with status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return "was killed by signal " + std::to_string(WTERMSIG(status));
    return "has ended";
}

bool ProviderProcess::send(const std::string &line, ProviderClock::time_point deadline, std::string &problem) {
    std::string text = line + "\n";
    for (std::size_t sent = 0; sent < text.size();) {
        ssize_t wrote = write(input_, text.data() + sent, text.size() - sent);
        if (wrote > 0) {
            sent += static_cast<std::size_t>(wrote);
            continue;
        }
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote < 0 && errno == EPIPE) {
            problem = ending();
            return false;
        }
        if (wrote < 0 && errno != EAGAIN) {
            problem = std::string("cannot be written to: ") + std::strerror(errno);
            return false;
        }
        pollfd fd{input_, POLLOUT, 0};
        int ready = poll(&fd, 1, millisecondsUntil(deadline));
        if (ready == 0 && ProviderClock::now() >= deadline) {
            problem = "did not read its request in time";
            return false;
        }
    }
    return true;
}

bool ProviderProcess::readable() const {
    if (buffer_.find('\n', scanned_) != std::string::npos) return true;
    pollfd fd{output_, POLLIN, 0};
    return poll(&fd, 1, 0) > 0;
}

void ProviderProcess::waitForOutput(int milliseconds) const {
    pollfd fd{output_, POLLIN, 0};
    poll(&fd, 1, milliseconds);
}

bool ProviderProcess::receive(std::string &line, ProviderClock::time_point deadline, std::size_t maxLine,
                              std::string &problem) {
    for (;;) {
        std::size_t newline = buffer_.find('\n', scanned_);
        if (newline != std::string::npos) {
            line.assign(buffer_, 0, newline);
            buffer_.erase(0, newline + 1);
            scanned_ = 0;
            return true;
        }
        scanned_ = buffer_.size();
        if (buffer_.size() > maxLine) {
            problem = "wrote a line longer than " + std::to_string(maxLine) + " bytes";
            return false;
        }
        char chunk[65536];
        ssize_t got = read(output_, chunk, sizeof chunk);
        if (got > 0) {
            buffer_.append(chunk, static_cast<std::size_t>(got));
            continue;
        }
        if (got == 0) {
            problem = ending();
            return false;
        }
        if (errno == EINTR) continue;
        if (errno != EAGAIN) {
            problem = std::string("cannot be read: ") + std::strerror(errno);
            return false;
        }
        pollfd fd{output_, POLLIN, 0};
        if (poll(&fd, 1, millisecondsUntil(deadline)) == 0 && ProviderClock::now() >= deadline) {
            problem = "did not answer in time";
            return false;
        }
    }
}

}  // namespace cimom::external
