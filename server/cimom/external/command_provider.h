// command_provider.h - a provider that is a program of its own: cimxmld
// starts it on the first call, sends it one JSON request a line on its
// standard input and reads the answer from its standard output, one JSON
// object a line: results ({"instance": {...}}, or {"return": ..., "out":
// {...}} of a method), then {"id": N, "status": 0} or {"id": N, "status":
// 6, "message": "..."} (see the README's providers section). One call at a
// time per provider; every call has the registration's timeout. A program
// that ends, hangs, writes what is not that form or more than the limits
// fails that call with status 1 and a message that says so, is killed and
// started again on a later call, after a wait that doubles with each
// failure in a row (0.5 s up to 60 s; calls in that wait fail at once).
// A provider of indications is started at once and kept running (started
// again after the same wait); its lines {"indication": {...}, "class":
// ..., "namespace": ...} go to the subscriptions, between calls or amid
// a call's results.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cimom/external_providers.h"
#include "cimom/provider.h"
#include "external/json_values.h"
#include "external/provider_process.h"
#include "external/provider_registration.h"

namespace cimom::external {

class CommandProvider : public InstanceProvider, public AssociationProvider, public MethodProvider {
public:
    // command as the registration and the chosen account make it.
    CommandProvider(std::string name, ProviderCommand command, int timeoutSeconds);
    ~CommandProvider() override;

    const std::string &name() const { return name_; }
    ProviderFigures figures() const;

    // The indication classes the program sends, and the namespaces of each
    // (the first when a line names none).
    struct IndicationClass {
        std::wstring className;
        std::vector<std::wstring> namespaces;
    };
    // Starts the program now and keeps it running, reading its
    // indications between calls and handing them to objectManager, which
    // must outlive this provider. Once, before the first call.
    void sendIndicationsTo(ObjectManager &objectManager, std::vector<IndicationClass> classes);

    Status getInstance(const ProviderContext &context, const CIMObjectPath &path,
                       cimobj::InstancePtr &instance) override;
    Status enumerateInstances(const ProviderContext &context, std::vector<cimobj::InstancePtr> &instances) override;
    Status streamInstances(const ProviderContext &context, const InstanceSink &sink) override;
    Status createInstance(const ProviderContext &context, const CIMInstance &instance,
                          cimobj::PathPtr &newPath) override;
    Status modifyInstance(const ProviderContext &context, const CIMObjectPath &path, const CIMInstance &instance,
                          const PropertyNames &properties) override;
    Status deleteInstance(const ProviderContext &context, const CIMObjectPath &path) override;
    Status references(const ProviderContext &context, const CIMObjectPath &object, const std::wstring &role,
                      std::vector<cimobj::InstancePtr> &associations) override;
    Status invokeMethod(const ProviderContext &context, const CIMObjectPath &target, const CIMMethod &method,
                        const std::vector<cimobj::PropertyPtr> &in, std::vector<cimobj::PropertyPtr> &out,
                        cimobj::ValuePtr &returnValue) override;

    // The most one answer may hold: lines, and bytes in all.
    static constexpr std::size_t maxLineBytes = 16 << 20;
    static constexpr std::size_t maxAnswerBytes = 256 << 20;

private:
    // Sends request (with "op" set; "id", "namespace" and "class" are
    // added) and hands each result line to onResult, which returns a
    // problem (empty: taken). The status the program ends with, or 1 with
    // "provider NAME ..." when the program fails.
    Status call(const ProviderContext &context, Json request,
                const std::function<std::string(const Json &result)> &onResult);
    // Ends the program after a failure and sets when it may start again.
    void failed();
    // Starts the program when none runs. False, with the status a call
    // gets, while it waits to start again or cannot be started.
    bool running(Status &refusal);
    // Logs a problem of the program, ends it (failed) and returns the
    // status of a call it breaks.
    Status broken(const std::string &problem);
    // Hands the indication of line to the subscriptions; a problem is logged.
    void indicationOf(const Json &line);
    // Reads the program's lines between calls until the provider ends.
    void watch();

    const std::string name_;
    const ProviderCommand command_;
    const std::chrono::seconds timeout_;
    std::mutex mutex_;  // one call at a time; guards what follows
    std::shared_ptr<ProviderProcess> process_;
    std::uint64_t nextId_ = 1;
    unsigned failuresInARow_ = 0;
    ProviderClock::time_point notBefore_{};
    std::string lastProblem_;
    bool started_ = false;
    ObjectManager *objectManager_ = nullptr;  // set for a provider of indications
    std::vector<IndicationClass> indicationClasses_;
    bool ending_ = false;
    std::condition_variable wake_;  // the watcher, when the provider ends
    std::thread watcher_;
    std::atomic<std::uint64_t> calls_{0}, failures_{0}, restarts_{0}, microseconds_{0};
};

}  // namespace cimom::external
