// indication_delivery.cpp - the delivery threads and their exchanges with
// listeners.
#include "indication_delivery.h"

#include <chrono>
#include <optional>
#include <random>
#include <sstream>

#include "http_transport.h"
#include "stop_signals.h"
#include "wbem_url.h"

namespace cimxmld {

namespace {

using Clock = std::chrono::steady_clock;

std::string randomHex(int digits) {
    std::random_device device;
    std::string text;
    while (static_cast<int>(text.size()) < digits) {
        unsigned value = device();
        for (int i = 0; i < 8 && static_cast<int>(text.size()) < digits; ++i, value >>= 4)
            text += "0123456789abcdef"[value & 15];
    }
    return text;
}

// Sets a property of the indication (or adds it, when its class has none).
void setProperty(CIMInstance &indication, const wchar_t *name, CIMValue *value, int type) {
    for (CIMListNode *node = getFirstNode(indication.properties); node; node = getNextNode(node)) {
        auto *p = static_cast<CIMProperty *>(getNodeItem(node));
        if (cimobj::view(p->name) == name) {
            freeReturnCode(propertyAddValue(p, value));
            p->type = type;
            return;
        }
    }
    CIMProperty *p = newProperty(cimobj::makeString(name).release(), nullptr, value, type, nullptr, 0);
    if (p) freeReturnCode(appendToList(indication.properties, p));
}

// The listener's address as the transport takes it.
bool transportUrl(const std::string &text, remote::WbemUrl &url, std::string &target) {
    std::size_t scheme = text.find("://");
    if (scheme == std::string::npos) return false;
    url.https = text.compare(0, scheme, "https") == 0 || text.compare(0, scheme, "HTTPS") == 0;
    std::string rest = text.substr(scheme + 3);
    std::size_t slash = rest.find('/');
    target = slash == std::string::npos ? "/" : rest.substr(slash);
    std::string authority = rest.substr(0, slash);
    std::size_t colon = authority.rfind(':');
    std::size_t bracket = authority.rfind(']');
    url.port = url.https ? 5989 : 5988;
    if (colon != std::string::npos && (bracket == std::string::npos || colon > bracket)) {
        url.port = std::atoi(authority.c_str() + colon + 1);
        authority.resize(colon);
    }
    if (!authority.empty() && authority.front() == '[') authority = authority.substr(1, authority.size() - 2);
    url.host = authority;
    return !url.host.empty() && url.port > 0;
}

}  // namespace

struct IndicationDelivery::Destination {
    std::uint64_t id;
    std::wstring name;
    std::string sequenceContext;
    IndicationQueue queue;
    std::condition_variable wake;
    bool waiting = false;  // for the queue to fill: only then does a new entry wake the thread
    std::thread thread;
    std::string url;                      // of the last indication queued
    ListenerFigures *counts = nullptr;    // counts_[url]
    std::uint64_t dropsUnlogged = 0;      // dropped since the last warning
    std::chrono::steady_clock::time_point lastDropWarning;
    Destination(std::uint64_t i, std::wstring n, std::string context, std::size_t capacity)
        : id(i), name(std::move(n)), sequenceContext(std::move(context)), queue(capacity) {}
};

IndicationDelivery::IndicationDelivery(cimom::ObjectManager &objectManager, const ProtocolModule &module,
                                       DeliveryOptions options)
    : objectManager_(objectManager), module_(module), options_(std::move(options)), runId_(randomHex(16)) {
    objectManager_.setIndicationSink(
        [this](std::vector<cimom::OutgoingIndication> &&indications) { enqueue(std::move(indications)); });
}

IndicationDelivery::~IndicationDelivery() {
    objectManager_.setIndicationSink(nullptr);
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    for (auto &[name, destination] : destinations_) destination->wake.notify_all();
    for (auto &[name, destination] : destinations_)
        if (destination->thread.joinable()) destination->thread.join();
    for (auto &destination : retired_)
        if (destination->thread.joinable()) destination->thread.join();
}

void IndicationDelivery::joinRetired() {
    for (auto &destination : retired_)
        if (destination->thread.joinable()) destination->thread.join();
    retired_.clear();
}

void IndicationDelivery::enqueue(std::vector<cimom::OutgoingIndication> &&indications) {
    // Freed after the lock: the last reference to an indication frees it all.
    std::vector<QueuedIndication> dropped;
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    // A thread that ended idle has left run(): joining it does not wait.
    if (!retired_.empty()) joinRetired();
    for (cimom::OutgoingIndication &indication : indications) {
        const cimom::IndicationTarget &target = *indication.target;
        std::unique_ptr<Destination> &destination = destinations_[target.destinationId];
        if (!destination) {
            // Unique per run and destination: a listener that sees it change
            // knows the numbers start again.
            destination = std::make_unique<Destination>(target.destinationId, target.destination,
                                                        "cimxmld:" + runId_ + ":" + std::to_string(started_++),
                                                        options_.queueCapacity);
            Destination *self = destination.get();
            destination->thread = threadWithoutStopSignals([this, self] { run(*self); });
        }
        if (!destination->counts || destination->url != target.url) {
            destination->url = target.url;
            destination->counts = &counts_[target.url];  // shown from the first indication on
        }
        if (destination->queue.push(std::move(indication), dropped)) {
            ++destination->counts->dropped;
            warnOfDrops(*destination);
        }
        if (destination->waiting) destination->wake.notify_one();
    }
}

void IndicationDelivery::warnOfDrops(Destination &destination) {
    // One warning when a queue overflows, then one every ten seconds at most.
    ++destination.dropsUnlogged;
    Clock::time_point now = Clock::now();
    bool warnedBefore = destination.lastDropWarning != Clock::time_point();
    if (warnedBefore && now - destination.lastDropWarning < std::chrono::seconds(10)) return;
    cimPrintMessage(CIM_LOG_WARNING, L"indication queue of %ls full: %llu of its oldest indications dropped",
                    destination.name.c_str(), static_cast<unsigned long long>(destination.dropsUnlogged));
    destination.dropsUnlogged = 0;
    destination.lastDropWarning = now;
}

DeliveryFigures IndicationDelivery::figures() const {
    DeliveryFigures figures;
    std::lock_guard lock(mutex_);
    figures.byListener = counts_;
    for (const auto &[name, destination] : destinations_)
        if (!destination->queue.empty())
            figures.byListener[destination->queue.front().target->url].queued += destination->queue.size();
    for (const auto &[url, counts] : figures.byListener) {
        figures.all.delivered += counts.delivered;
        figures.all.retried += counts.retried;
        figures.all.dropped += counts.dropped;
        figures.all.failed += counts.failed;
        figures.all.queued += counts.queued;
    }
    return figures;
}

std::string IndicationDelivery::answerProblem(int status, const std::string &body) const {
    if (status != 200) return "HTTP status " + std::to_string(status);
    std::string problem = module_.exportAnswerProblem(body);
    return problem.empty() ? problem : "the listener answered " + problem;
}

std::string IndicationDelivery::exportRequest(const Destination &destination, const QueuedIndication &queued) const {
    // The event's indication is shared: this destination's values go into a copy.
    cimobj::InstancePtr indication(copyCIMInstance(queued.indication.get()));
    if (!indication) return {};
    setProperty(*indication, L"IndicationFilterName",
                newCIMValue(CIM_STRING, cimobj::makeString(queued.target->filterName).release()), CIM_STRING);
    cimobj::StringPtr context = cimobj::makeString(cimobj::fromUtf8(destination.sequenceContext));
    setProperty(*indication, L"SequenceContext", newCIMValue(CIM_STRING, context.release()), CIM_STRING);
    auto number = static_cast<std::int64_t>(queued.sequenceNumber);
    setProperty(*indication, L"SequenceNumber", newCIMValue(CIM_SINT64, &number), CIM_SINT64);
    return module_.exportRequest(*indication);
}

void IndicationDelivery::count(const std::string &url, std::uint64_t ListenerFigures::*which) {
    std::lock_guard lock(mutex_);
    ++(counts_[url].*which);
}

void IndicationDelivery::run(Destination &destination) {
    std::ostringstream ignored;
    std::unique_ptr<remote::HttpTransport> transport;
    remote::WbemUrl url;
    std::string connectedTo;
    for (;;) {
        QueuedIndication current;
        {
            std::unique_lock lock(mutex_);
            destination.waiting = true;
            bool woken = destination.wake.wait_for(lock, options_.idleSeconds,
                                                   [&] { return stopping_ || !destination.queue.empty(); });
            destination.waiting = false;
            if (!woken) {
                // Nothing to send for a while (the destination may be gone):
                // the thread ends and the next indication starts another.
                auto self = destinations_.find(destination.id);
                retired_.push_back(std::move(self->second));
                destinations_.erase(self);
                return;
            }
            if (stopping_) return;
            current = std::move(destination.queue.front());
            destination.queue.pop();
        }
        // Made once: a retry sends the same request.
        const std::string request = exportRequest(destination, current);
        if (request.empty()) {
            cimPrintMessage(CIM_LOG_ERROR, L"indication for %ls could not be encoded; dropped",
                            destination.name.c_str());
            count(current.target->url, &ListenerFigures::failed);
            continue;
        }
        // Read at the first failure: a delivery that works costs no look-up.
        std::optional<cimom::DeliverySettings> settings;
        for (unsigned attempt = 0;; ++attempt) {
            std::string problem;
            try {
                if (!transport || connectedTo != current.target->url) {
                    std::string target;
                    transport.reset();
                    url = remote::WbemUrl();
                    if (!transportUrl(current.target->url, url, target)) throw std::runtime_error("bad URL " + current.target->url);
                    remote::TransportOptions transportOptions;
                    transportOptions.timeoutSeconds = options_.timeoutSeconds;
                    transportOptions.caFile = options_.caFile;
                    transportOptions.program = "cimxmld";
                    transportOptions.target = target;
                    transport = std::make_unique<remote::HttpTransport>(url, transportOptions, ignored);
                    connectedTo = current.target->url;
                }
                remote::HttpAnswer answer = transport->post(request);
                problem = answerProblem(answer.status, answer.body);
            } catch (const std::exception &e) {
                problem = e.what();
                transport.reset();
            }
            if (problem.empty()) {
                count(current.target->url, &ListenerFigures::delivered);
                break;
            }
            if (!settings) settings = objectManager_.deliverySettings();
            if (attempt >= settings->retryAttempts) {
                count(current.target->url, &ListenerFigures::failed);
                cimPrintMessage(CIM_LOG_WARNING, L"indication %llu to %ls given up after %u attempts: %s",
                                static_cast<unsigned long long>(current.sequenceNumber), destination.name.c_str(),
                                attempt + 1, problem.c_str());
                objectManager_.destinationFailed(destination.name);
                break;
            }
            count(current.target->url, &ListenerFigures::retried);
            cimPrintMessage(CIM_LOG_TRACE, L"indication %llu to %ls failed (%s); retrying in %u s",
                            static_cast<unsigned long long>(current.sequenceNumber), destination.name.c_str(),
                            problem.c_str(), settings->retryIntervalSeconds);
            std::unique_lock lock(mutex_);
            if (destination.wake.wait_for(lock, std::chrono::seconds(settings->retryIntervalSeconds),
                                          [&] { return stopping_; }))
                return;
        }
    }
}

}  // namespace cimxmld
