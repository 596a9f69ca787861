// server_process.cpp - starting, watching and stopping cimxmld; raw sockets.
#include "server_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <thread>

namespace httptest {

namespace {

using Clock = std::chrono::steady_clock;

std::string temporaryPath(const char *stem) {
    std::string path = ::testing::TempDir() + stem + "XXXXXX";
    close(mkstemp(path.data()));
    return path;
}

// What fd delivers until enough(text so far) holds, it closes or deadline passes.
// Reads into text (after what it holds) until enough(text) says so, the
// deadline passes or the peer closes.
void drainInto(int fd, Clock::time_point deadline, std::string &text,
               const std::function<bool(const std::string &)> &enough) {
    char buffer[4096];
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd wanted{fd, POLLIN, 0};
        if (left <= 0 || poll(&wanted, 1, static_cast<int>(left)) <= 0) break;
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
        if (enough(text)) break;
    }
}

std::string drain(int fd, Clock::time_point deadline, const std::function<bool(const std::string &)> &enough) {
    std::string text;
    drainInto(fd, deadline, text, enough);
    return text;
}

}  // namespace

std::string readFile(const std::string &path) {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

CommandResult runCommand(const std::string &program, const std::vector<std::string> &args,
                         const std::string &stdinText) {
    std::string in = temporaryPath("cmd_in"), err = temporaryPath("cmd_err");
    std::ofstream(in) << stdinText;
    std::string command = "timeout -s KILL 20 " + program;
    for (const std::string &arg : args) command += " '" + std::regex_replace(arg, std::regex("'"), "'\\''") + "'";
    FILE *pipe = popen((command + " <" + in + " 2>" + err).c_str(), "r");
    CommandResult result;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.out.append(buffer, n);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = readFile(err);
    unlink(in.c_str());
    unlink(err.c_str());
    return result;
}

CommandResult runCimxmld(const std::vector<std::string> &args, const std::string &stdinText) {
    return runCommand(CIMXMLD_PATH, args, stdinText);
}

ServerProcess::ServerProcess(std::vector<std::string> args) {
    bool https = std::find(args.begin(), args.end(), "--cert") != args.end();
    args.insert(args.begin(), {CIMXMLD_PATH, "--bind", "127.0.0.1", "--port", "0", "--https-port", "0"});
    std::vector<char *> argv;
    for (std::string &arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "no pipe";
        return;
    }
    logPath_ = temporaryPath("cimxmld_log");
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out[1], 1);
        dup2(open(logPath_.c_str(), O_WRONLY | O_TRUNC), 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    static const std::regex listening("listening on (https?)://[^\\n]*:([0-9]+)\\n");
    std::string printed = drain(out[0], Clock::now() + std::chrono::seconds(20), [&](const std::string &text) {
        return std::distance(std::sregex_iterator(text.begin(), text.end(), listening), {}) == (https ? 2 : 1);
    });
    close(out[0]);
    for (auto it = std::sregex_iterator(printed.begin(), printed.end(), listening); it != std::sregex_iterator(); ++it)
        ((*it)[1] == "https" ? httpsPort_ : port_) = std::stoi((*it)[2]);
    if (port_ == 0 || (https && httpsPort_ == 0)) ADD_FAILURE() << "cimxmld did not start:\n" << printed << log();
}

ServerProcess::~ServerProcess() {
    if (pid_ > 0) kill(pid_, SIGKILL), waitpid(pid_, nullptr, 0);
    unlink(logPath_.c_str());
}

bool ServerProcess::reload() {
    auto count = [this] {
        std::string text = log();
        std::size_t n = 0;
        for (std::size_t at = text.find("reload: "); at != std::string::npos; at = text.find("reload: ", at + 1)) ++n;
        return n;
    };
    std::size_t before = count();
    if (pid_ <= 0 || kill(pid_, SIGHUP) != 0) return false;
    for (Clock::time_point deadline = Clock::now() + std::chrono::seconds(20); Clock::now() < deadline;) {
        if (count() > before) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

int ServerProcess::stop() {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    int status = 0;
    for (Clock::time_point deadline = Clock::now() + std::chrono::seconds(20); Clock::now() < deadline;) {
        if (waitpid(pid_, &status, WNOHANG) == pid_) return pid_ = -1, WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;  // the destructor kills it
}

void ServerProcess::crash() {
    if (pid_ > 0) kill(pid_, SIGKILL), waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

std::string ServerProcess::log() const { return readFile(logPath_); }

RawConnection::RawConnection(int port, std::chrono::milliseconds timeout) : timeout_(timeout) {
    socket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(socket_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
        ADD_FAILURE() << "cannot connect to port " << port;
}

RawConnection::~RawConnection() { ::close(socket_); }

bool RawConnection::send(const std::string &text) {
    for (std::size_t sent = 0; sent < text.size();) {
        ssize_t n = ::send(socket_, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

std::size_t chunkedLength(const std::string &text) {
    std::size_t at = 0;
    while (true) {
        std::size_t line = text.find("\r\n", at);
        if (line == std::string::npos) return std::string::npos;
        std::size_t size = std::strtoul(text.substr(at, line - at).c_str(), nullptr, 16);
        at = line + 2;
        if (size == 0) {
            // Trailer fields, each a line, then the empty line.
            while (true) {
                std::size_t end = text.find("\r\n", at);
                if (end == std::string::npos) return std::string::npos;
                if (end == at) return end + 2;
                at = end + 2;
            }
        }
        if (text.size() < at + size + 2) return std::string::npos;
        at += size + 2;
    }
}

RawResponse RawConnection::receive() {
    Clock::time_point deadline = Clock::now() + timeout_;
    // What came is read where it lies: a copy per read would cost the square of a large answer.
    drainInto(socket_, deadline, pending_,
              [](const std::string &text) { return text.find("\r\n\r\n") != std::string::npos; });
    std::size_t end = pending_.find("\r\n\r\n");
    if (end == std::string::npos) return {};
    RawResponse response{pending_.substr(0, end + 2), ""};
    pending_.erase(0, end + 4);
    // The server sends a length (none for 100 Continue: no body) or chunks.
    std::smatch length;
    static const std::regex contentLength("\r\nContent-Length: ([0-9]+)\r\n");
    std::string headText = "\r\n" + response.head;
    if (headText.find("\r\nTransfer-Encoding: chunked\r\n") != std::string::npos) {
        std::size_t whole = chunkedLength(pending_);
        if (whole == std::string::npos)
            drainInto(socket_, deadline, pending_,
                      [](const std::string &text) { return chunkedLength(text) != std::string::npos; });
        whole = std::min(chunkedLength(pending_), pending_.size());
        response.body = pending_.substr(0, whole);
        pending_.erase(0, whole);
        return response;
    }
    std::size_t size = std::regex_search(headText, length, contentLength) ? std::stoul(length[1]) : 0;
    if (pending_.size() < size) {
        std::size_t missing = size - pending_.size();
        pending_ += drain(socket_, deadline, [missing](const std::string &text) { return text.size() >= missing; });
    }
    response.body = pending_.substr(0, size);
    pending_.erase(0, std::min(size, pending_.size()));
    return response;
}

bool RawConnection::closedByServer() {
    char byte;
    pollfd wanted{socket_, POLLIN, 0};
    return poll(&wanted, 1, static_cast<int>(timeout_.count())) > 0 && ::recv(socket_, &byte, 1, 0) <= 0;
}

std::string intrinsicBody(const std::string &method, const std::string &parameters) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
           "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\"><MESSAGE ID=\"4711\" PROTOCOLVERSION=\"1.0\"><SIMPLEREQ>"
           "<IMETHODCALL NAME=\"" + method + "\"><LOCALNAMESPACEPATH><NAMESPACE NAME=\"root\"/>"
           "<NAMESPACE NAME=\"cimv2\"/></LOCALNAMESPACEPATH>\n" + parameters +
           "</IMETHODCALL></SIMPLEREQ></MESSAGE></CIM>\n";
}

std::string answerHead(std::size_t length, const std::string &prefix) {
    return "HTTP/1.1 200 OK\r\n" + prefix + "CIMOperation: MethodResponse\r\n" + prefix +
           "CIMProtocolVersion: 1.2\r\nContent-Length: " + std::to_string(length) +
           "\r\nContent-Type: application/xml; charset=\"utf-8\"\r\n" + (prefix.empty() ? "" : "Ext: \r\n") +
           "Keep-Alive: timeout=30\r\n";
}

std::string editHeader(std::string request, const std::string &name, const char *value) {
    std::size_t headEnd = request.find("\r\n\r\n");
    std::size_t line = request.find("\r\n" + name + ":");
    std::string replacement = value ? "\r\n" + name + ": " + value : "";
    if (line != std::string::npos && line < headEnd)
        return request.replace(line, request.find("\r\n", line + 2) - line, replacement);
    return request.insert(headEnd, replacement);
}

std::string getClassBody() {
    return intrinsicBody("GetClass",
                         "<IPARAMVALUE NAME=\"ClassName\"><CLASSNAME NAME=\"CIM_ManagedElement\"/></IPARAMVALUE>");
}

std::string getClassRequest() { return cimRequest(getClassBody()); }

std::string cimRequest(const std::string &body, const std::string &method, const std::string &object) {
    return "POST /cimom HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/xml; charset=\"utf-8\"\r\n"
           "CIMProtocolVersion: 1.0\r\nCIMOperation: MethodCall\r\nCIMMethod: " + method +
           "\r\nCIMObject: " + object + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace httptest
