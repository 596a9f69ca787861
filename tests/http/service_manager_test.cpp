// cimxmld started as systemd starts a unit: listening sockets handed over
// with LISTEN_FDS/LISTEN_PID (socket activation) and readiness and stopping
// told over NOTIFY_SOCKET. Without a service manager nothing changes (every
// other suite runs that way).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "server_process.h"

namespace {

using namespace httptest;

// A datagram socket in the abstract namespace, as the manager's notify socket.
struct NotifySocket {
    int fd = -1;
    std::string name = "@cimxmld-test-" + std::to_string(getpid());
    NotifySocket() {
        fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, name.c_str() + 1, name.size() - 1);
        EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr *>(&address),
                       static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size())),
                  0);
    }
    ~NotifySocket() { close(fd); }
    // The next datagram, or "" after 20 s.
    std::string next() const {
        pollfd ready{fd, POLLIN, 0};
        if (poll(&ready, 1, 20000) != 1) return "";
        char buffer[512] = {};
        ssize_t n = recv(fd, buffer, sizeof buffer - 1, 0);
        return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : "";
    }
};

// A TCP socket on a free loopback port: listening, or only bound.
int loopbackSocket(bool listening, int &port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr *>(&address), length), 0);
    if (listening) {
        EXPECT_EQ(listen(fd, 16), 0);
    }
    getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

// cimxmld with fd handed over as descriptor 3 and the notify socket named.
pid_t startActivated(int fd, const NotifySocket &notify, const std::string &logPath) {
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fd, 3);
        int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(log, 2);
        setenv("LISTEN_PID", std::to_string(getpid()).c_str(), 1);
        setenv("LISTEN_FDS", "1", 1);
        setenv("NOTIFY_SOCKET", notify.name.c_str(), 1);
        execl(CIMXMLD_PATH, CIMXMLD_PATH, "--port", "1", "--log-level", "warn", static_cast<char *>(nullptr));
        _exit(127);
    }
    return pid;
}

int waitExit(pid_t pid) {
    int status = 0;
    for (int i = 0; i < 200; ++i) {
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        usleep(100000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

TEST(ServiceManager, ServesTheHandedOverSocketAndTellsReadyAndStopping) {
    NotifySocket notify;
    int port = 0;
    int listening = loopbackSocket(true, port);
    std::string log = ::testing::TempDir() + "cimxmld_activated_" + std::to_string(getpid());
    pid_t server = startActivated(listening, notify, log);
    close(listening);

    std::string ready = notify.next();
    EXPECT_EQ(ready.rfind("READY=1\n", 0), 0u) << ready << readFile(log);
    // --port 1 was not bound: the handed-over socket is what is served.
    EXPECT_NE(ready.find("http://127.0.0.1:" + std::to_string(port)), std::string::npos) << ready;
    RawConnection connection(port);
    connection.send(getClassRequest());
    std::string head = connection.receive().head;
    EXPECT_EQ(head.rfind("HTTP/1.1 200", 0), 0u) << head;

    kill(server, SIGTERM);
    EXPECT_EQ(notify.next(), "STOPPING=1");
    EXPECT_EQ(waitExit(server), 0) << readFile(log);
    std::remove(log.c_str());
}

TEST(ServiceManager, RefusesAHandedOverSocketThatDoesNotListen) {
    NotifySocket notify;
    int port = 0;
    int bound = loopbackSocket(false, port);
    std::string log = ::testing::TempDir() + "cimxmld_activated_bad_" + std::to_string(getpid());
    pid_t server = startActivated(bound, notify, log);
    close(bound);
    EXPECT_EQ(waitExit(server), 1);
    EXPECT_EQ(readFile(log), "cimxmld: descriptor 3 from the service manager is no listening TCP socket\n");
    std::remove(log.c_str());
}

}  // namespace

namespace {

// SIGHUP: the password file's users, the log level and the access log file
// change without a restart, a kept-alive connection goes on, and a broken
// configuration changes nothing.
TEST(Reload, AppliesTheNewConfigurationOrKeepsTheOld) {
    const std::string base = ::testing::TempDir() + "cimxmld_reload_" + std::to_string(getpid());
    const std::string passwd = base + ".passwd", config = base + ".conf", access = base + ".access";
    auto writeConfig = [&](const std::string &extra) {
        std::ofstream(config) << "passwd = " << passwd << "\naccess-log = " << access << "\nlog-level info\n" << extra;
    };
    std::remove(passwd.c_str());
    ASSERT_EQ(runCimxmld({"--add-user", "alice", "--passwd", passwd}, "a\n").status, 0);
    writeConfig("");
    ServerProcess server({"--config", config});
    const char *alice = "Basic YWxpY2U6YQ==", *bob = "Basic Ym9iOmI=";  // alice:a, bob:b
    auto admits = [&](RawConnection &connection, const char *authorization) {
        connection.send(editHeader(getClassRequest(), "Authorization", authorization));
        return connection.receive().head.rfind("HTTP/1.1 200", 0) == 0;
    };
    RawConnection kept(server.port());
    EXPECT_TRUE(admits(kept, alice));

    // bob replaces alice; the access log moves away as logrotate moves it.
    std::remove(passwd.c_str());
    ASSERT_EQ(runCimxmld({"--add-user", "bob", "--passwd", passwd}, "b\n").status, 0);
    std::rename(access.c_str(), (access + ".1").c_str());
    ASSERT_TRUE(server.reload());
    EXPECT_TRUE(admits(kept, bob));
    RawConnection fresh(server.port());
    EXPECT_FALSE(admits(fresh, alice));
    EXPECT_NE(readFile(access + ".1").find("user=alice"), std::string::npos);
    EXPECT_NE(readFile(access).find("user=bob"), std::string::npos);

    // A broken file, and a setting only a restart applies.
    writeConfig("threads = lots\n");
    ASSERT_TRUE(server.reload());
    EXPECT_NE(server.log().find("reload: " + config + ":4: threads: 'lots' is not a thread count (1-1024); "
                                "keeping the configuration in use"),
              std::string::npos)
        << server.log();
    writeConfig("max-body = 100\n");
    ASSERT_TRUE(server.reload());
    EXPECT_NE(server.log().find("reload: these settings take effect at the next start: max-body"), std::string::npos);
    RawConnection after(server.port());
    EXPECT_TRUE(admits(after, bob));
    EXPECT_EQ(server.stop(), 0);
    for (const std::string &file : {passwd, config, access, access + ".1"}) std::remove(file.c_str());
}

}  // namespace
