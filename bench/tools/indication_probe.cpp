// indication_probe - drives cimxmld for bench/indication_figures.sh: creates
// Bench_Item instances over keep-alive connections and, when asked, is the
// listener their indications go to, timing each from the request to its
// arrival. Never part of the tests.
//
//   indication_probe latency URL LISTEN_PORT COUNT
//       COUNT creates one after the other, each waiting for its indication;
//       prints "latency_ms median P50 p99 P99 max MAX lost L".
//   indication_probe rate URL LISTEN_PORT SECONDS CLIENTS
//       CLIENTS connections create as fast as they can for SECONDS while the
//       listener counts; prints "creates_per_s C delivered_per_s D received R".
//   indication_probe creates URL SECONDS CLIENTS
//       the same without a listener; prints "creates_per_s C us_per_create U".
//   indication_probe hang FIRST_PORT COUNT
//       COUNT listeners on FIRST_PORT.. that accept and never answer, until
//       standard input closes; prints "hanging COUNT" once they listen.
//
// URL names the namespace the class Bench_Item (key Name, and State) is in.
// Each instance's Name is "probe-" and ten digits, which the listener finds
// in the indication; its State is "new".
#include <unistd.h>

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <cimxml/cimxml_client.h>
#include <gc/gc.h>

#include "http_transport.h"
#include "wbem_url.h"

namespace {

namespace beast = boost::beast;
namespace http = beast::http;
namespace net = boost::asio;
using tcp = net::ip::tcp;
using Clock = std::chrono::steady_clock;

constexpr const char *keyMark = "probe-";
constexpr std::size_t keyDigits = 10;

// The CreateInstance request for Bench_Item.Name="probe-0000000000" in the
// URL's namespace; requestFor writes another number into its key.
std::string createTemplate(const remote::WbemUrl &url) {
    CIMPropertyList *properties = newCIMPropertyList();
    std::wstring key = cimobj::fromUtf8(std::string(keyMark) + std::string(keyDigits, '0'));
    freeReturnCode(appendToCIMPropertyList(
        properties, newProperty(cimobj::makeString(L"Name").release(), nullptr,
                                newCIMValue(CIM_STRING, cimobj::makeString(key).release()), CIM_STRING, nullptr, 0)));
    freeReturnCode(appendToCIMPropertyList(
        properties, newProperty(cimobj::makeString(L"State").release(), nullptr,
                                newCIMValue(CIM_STRING, cimobj::makeString(L"new").release()), CIM_STRING, nullptr, 0)));
    cimobj::InstancePtr instance(newInstance(cimobj::makeString(L"Bench_Item").release(), nullptr, properties));
    char *text = CIMXMLencode_createInstance(url.path.get(), instance.get(), 0);
    if (!text) {
        std::fprintf(stderr, "indication_probe: cannot encode CreateInstance\n");
        std::exit(70);
    }
    std::string request = text;
    GC_free(text);
    return request;
}

void writeKey(std::string &request, std::size_t at, unsigned long number) {
    for (std::size_t i = keyDigits; i-- > 0; number /= 10) request[at + i] = static_cast<char>('0' + number % 10);
}

// The number in the first "probe-DDDDDDDDDD" of text, or -1.
long keyIn(const std::string &text) {
    for (std::size_t at = text.find(keyMark); at != std::string::npos; at = text.find(keyMark, at + 1)) {
        std::size_t digits = at + std::strlen(keyMark);
        if (digits + keyDigits > text.size()) break;
        long number = 0;
        std::size_t i = 0;
        for (; i < keyDigits && text[digits + i] >= '0' && text[digits + i] <= '9'; ++i)
            number = number * 10 + (text[digits + i] - '0');
        if (i == keyDigits) return number;
    }
    return -1;
}

// One keep-alive connection that creates instances numbered as asked.
class Creator {
public:
    explicit Creator(const remote::WbemUrl &url)
        : request_(createTemplate(url)), transport_(url, options(), std::cerr) {
        keyAt_ = request_.find(keyMark);
        std::size_t second = request_.find(keyMark, keyAt_ + 1);
        if (second != std::string::npos) {
            std::fprintf(stderr, "indication_probe: the key appears twice in the request\n");
            std::exit(70);
        }
        keyAt_ += std::strlen(keyMark);
    }
    // Creates instance number; false (after a message) when the server refuses.
    bool create(unsigned long number) {
        writeKey(request_, keyAt_, number);
        remote::HttpAnswer answer = transport_.post(request_);
        if (answer.status == 200 && answer.body.find("<ERROR") == std::string::npos) return true;
        std::fprintf(stderr, "indication_probe: CreateInstance %lu answered %d: %.300s\n", number, answer.status,
                     answer.body.c_str());
        return false;
    }

private:
    static remote::TransportOptions options() {
        remote::TransportOptions o;
        o.program = "indication_probe";
        return o;
    }
    std::string request_;
    std::size_t keyAt_ = 0;
    remote::HttpTransport transport_;
};

// The listener: answers every export request with the module's response
// and notes when each numbered indication came.
class Listener {
public:
    explicit Listener(int port) : acceptor_(io_, tcp::endpoint(net::ip::address_v4::loopback(), port)) {
        char *document = CIMXMLencode_exportResponse(nullptr, nullptr);
        if (!document) std::exit(70);
        answer_ = document;
        GC_free(document);
        std::thread([this] { acceptAll(); }).detach();
    }
    // Waits until indication number has come, at most timeout; its arrival.
    bool waitFor(long number, std::chrono::milliseconds timeout, Clock::time_point &arrived) {
        std::unique_lock lock(mutex_);
        bool came = changed_.wait_for(lock, timeout, [&] { return last_ == number; });
        arrived = lastAt_;
        return came;
    }
    unsigned long received() const { return received_; }
    Clock::time_point lastArrival() {
        std::lock_guard lock(mutex_);
        return lastAt_;
    }
    Clock::time_point firstArrival() {
        std::lock_guard lock(mutex_);
        return firstAt_;
    }

private:
    void acceptAll() {
        for (;;) {
            tcp::socket socket(io_);
            beast::error_code ec;
            acceptor_.accept(socket, ec);
            if (ec) continue;
            std::thread([this, s = std::move(socket)]() mutable { serve(s); }).detach();
        }
    }
    void serve(tcp::socket &socket) {
        beast::flat_buffer buffer;
        for (;;) {
            http::request<http::string_body> request;
            beast::error_code ec;
            http::read(socket, buffer, request, ec);
            if (ec) return;
            long number = keyIn(request.body());
            {
                std::lock_guard lock(mutex_);
                Clock::time_point now = Clock::now();
                if (received_++ == 0) firstAt_ = now;
                last_ = number;
                lastAt_ = now;
            }
            changed_.notify_all();
            http::response<http::string_body> response{http::status::ok, request.version()};
            response.keep_alive(request.keep_alive());
            response.set(http::field::content_type, "application/xml; charset=utf-8");
            response.set("CIMExport", "MethodResponse");
            response.body() = answer_;
            response.prepare_payload();
            http::write(socket, response, ec);
            if (ec || !request.keep_alive()) return;
        }
    }
    net::io_context io_;
    tcp::acceptor acceptor_;
    std::string answer_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::atomic<unsigned long> received_{0};
    long last_ = -1;
    Clock::time_point firstAt_, lastAt_;
};

// The first number a client of this run creates: runs on one server differ
// by their process, clients by a million numbers each.
unsigned long firstNumber(int client) {
    return static_cast<unsigned long>(getpid() % 1000) * 10000000ul + static_cast<unsigned long>(client) * 1000000ul;
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Creates from clients connections for the given time; the creates made.
unsigned long createFor(const remote::WbemUrl &url, double duration, int clients) {
    std::atomic<unsigned long> made{0};
    std::atomic<bool> failed{false};
    Clock::time_point end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                               std::chrono::duration<double>(duration));
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c)
        threads.emplace_back([&, c] {
            Creator creator(url);
            for (unsigned long n = firstNumber(c); Clock::now() < end && !failed; ++n)
                if (creator.create(n)) ++made;
                else failed = true;
        });
    for (std::thread &t : threads) t.join();
    if (failed) std::exit(1);
    return made;
}

int usage() {
    std::fprintf(stderr,
                 "usage: indication_probe latency URL LISTEN_PORT COUNT\n"
                 "       indication_probe rate URL LISTEN_PORT SECONDS CLIENTS\n"
                 "       indication_probe creates URL SECONDS CLIENTS\n"
                 "       indication_probe hang FIRST_PORT COUNT\n");
    return 64;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 4) return usage();
    std::string mode = argv[1];
    if (mode == "hang") {
        int first = std::atoi(argv[2]), count = std::atoi(argv[3]);
        net::io_context io;
        std::vector<tcp::acceptor> hanging;
        for (int i = 0; i < count; ++i)
            hanging.emplace_back(io, tcp::endpoint(net::ip::address_v4::loopback(), first + i));
        // Connections are taken and held: the sender waits for an answer that never comes.
        std::vector<tcp::socket> held;
        std::mutex holding;
        for (tcp::acceptor &a : hanging)
            std::thread([&a, &held, &holding, &io] {
                for (;;) {
                    tcp::socket s(io);
                    beast::error_code ec;
                    a.accept(s, ec);
                    if (ec) return;
                    std::lock_guard lock(holding);
                    held.push_back(std::move(s));
                }
            }).detach();
        std::printf("hanging %d\n", count);
        std::fflush(stdout);
        std::string line;
        while (std::getline(std::cin, line)) {
        }
        std::_Exit(0);
    }
    remote::WbemUrl url = remote::parseWbemUrl(argv[2]);
    if (mode == "creates" && argc == 5) {
        double duration = std::atof(argv[3]);
        int clients = std::atoi(argv[4]);
        unsigned long made = createFor(url, duration, clients);
        std::printf("creates_per_s %.0f us_per_create %.1f\n", made / duration, duration * 1e6 * clients / made);
        return 0;
    }
    if (mode == "latency" && argc == 5) {
        Listener listener(std::atoi(argv[3]));
        long count = std::atol(argv[4]);
        Creator creator(url);
        std::vector<double> ms;
        long lost = 0;
        for (long n = static_cast<long>(firstNumber(0)), end = n + count; n < end; ++n) {
            Clock::time_point sent = Clock::now(), arrived;
            if (!creator.create(static_cast<unsigned long>(n))) return 1;
            if (listener.waitFor(n, std::chrono::seconds(5), arrived))
                ms.push_back(std::chrono::duration<double, std::milli>(arrived - sent).count());
            else
                ++lost;
        }
        if (ms.empty()) return 1;
        std::sort(ms.begin(), ms.end());
        std::printf("latency_ms median %.2f p99 %.2f max %.2f lost %ld\n", ms[ms.size() / 2],
                    ms[std::min(ms.size() - 1, ms.size() * 99 / 100)], ms.back(), lost);
        return 0;
    }
    if (mode == "rate" && argc == 6) {
        Listener listener(std::atoi(argv[3]));
        double duration = std::atof(argv[4]);
        int clients = std::atoi(argv[5]);
        unsigned long made = createFor(url, duration, clients);
        // What is still queued comes after the creates end: wait until it stops.
        for (unsigned long before = ~0ul; before != listener.received();) {
            before = listener.received();
            std::this_thread::sleep_for(std::chrono::seconds(1));
        }
        unsigned long received = listener.received();
        double span = seconds(listener.lastArrival() - listener.firstArrival());
        std::printf("creates_per_s %.0f delivered_per_s %.0f received %lu of %lu\n", made / duration,
                    span > 0 ? received / span : 0.0, received, made);
        return 0;
    }
    return usage();
}
