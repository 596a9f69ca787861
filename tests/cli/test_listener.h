// test_listener.h - an indication listener for tests: takes ExportIndication
// requests on a loopback port over kept connections, records them, and
// answers as told (accept, an HTTP error, a CIM-XML ERROR); it can go down
// and come back on the same port.
#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace clitest {

struct ReceivedExport {
    std::string head;  // request line and header lines
    std::string body;
    bool accepted = false;  // answered with success
};

class TestListener {
public:
    enum class Answer { Accept, HttpError, CimError };
    // Listens on 127.0.0.1, on a free port.
    TestListener();
    ~TestListener();
    int port() const { return port_; }
    void answer(Answer how) { answer_ = how; }
    // Closes the port and every connection, as a listener that stopped.
    void down();
    // Listens on the same port again.
    void up();
    // The requests so far once at least count arrived, or after timeout.
    std::vector<ReceivedExport> waitFor(std::size_t count, std::chrono::seconds timeout = std::chrono::seconds(20));

private:
    void serve();
    int open();
    int port_ = 0;
    std::atomic<Answer> answer_{Answer::Accept};
    std::atomic<bool> ending_{false}, wantDown_{false};
    std::mutex mutex_;
    std::vector<ReceivedExport> received_;
    std::thread thread_;
};

}  // namespace clitest
