// request_mix.h - a mix of requests sent through the handler from several
// threads while another thread forces collections; every answer and every
// last error must be what the same request gives alone. Header-only: the
// thread test and the handler benchmark share it.
#pragma once

#include <gc/gc.h>

#include <array>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <cimxml/cimxml.h>

#include "support/last_error_text.h"
#include "support/requests.h"

namespace requestmix {

// Sends text through the handler and returns a copy of the response; the
// record stays on this stack until it is released.
inline std::string respond(const char *text, CIMOMHandle *handle) {
    MessageHandler *record = CIMXML_RequestMessage_Handler(text, nullptr, handle);
    if (record == nullptr) return "(null record)";
    const char *response = CIMXML_getResponseFromMessageHandler(record);
    std::string copy = response != nullptr ? response : "(null text)";
    CIMXML_releaseMessageHandler(record);
    return copy;
}
inline std::string respond(const std::string &text, CIMOMHandle *handle) { return respond(text.c_str(), handle); }

struct Kind {
    const char *name;
    std::string request;
    bool failing;         // sent to the object manager whose GetClass fails
    const char *mustHold;  // a line of its answer
    bool freshId = false;  // not parsed: the answer carries an id of its own
};

inline const char *const not_found_text = "The class CIM_Missing was not found";

enum { get_class, get_class_not_found, unknown_operation, enumerate_instances, create_instance, malformed, kind_count };

inline std::vector<Kind> request_mix() {
    using namespace testsupport;
    const std::string embedded =
        "<INSTANCE CLASSNAME=\"CIM_Foo\"><PROPERTY NAME=\"Inner\" TYPE=\"string\" EmbeddedObject=\"instance\"><VALUE>"
        "&lt;INSTANCE CLASSNAME=&quot;CIM_Inner&quot;&gt;&lt;PROPERTY NAME=&quot;X&quot; TYPE=&quot;uint32&quot;&gt;"
        "&lt;VALUE&gt;5&lt;/VALUE&gt;&lt;/PROPERTY&gt;&lt;/INSTANCE&gt;</VALUE></PROPERTY></INSTANCE>";
    return {
        {"GetClass", intrinsic("GetClass", "root/cimv2", classNameParam("CIM_Foo")), false, "<CLASS NAME=\"CIM_Foo\""},
        {"GetClassNotFound", intrinsic("GetClass", "root/cimv2", classNameParam("CIM_Missing")), true,
         "<ERROR CODE=\"6\" DESCRIPTION=\"The class CIM_Missing was not found\"/>"},
        {"UnknownOperation", intrinsic("Frobnicate", "root/cimv2"), false,
         "<IMETHODRESPONSE NAME=\"MethodResponse\">\n<ERROR CODE=\"7\" />"},
        {"EnumerateInstances", intrinsic("EnumerateInstances", "root/cimv2", classNameParam("CIM_Foo")), false,
         "<VALUE.NAMEDINSTANCE>"},
        {"CreateInstanceWithEmbeddedObject", intrinsic("CreateInstance", "root/cimv2", iparam("NewInstance", embedded)),
         false, "<INSTANCENAME CLASSNAME=\"CIM_Foo\">"},
        // Not well formed: answered with the error the thread held before.
        {"Malformed", request("<SIMPLEREQ><IMETHODCALL NAME=\"GetClass\"><LOCALNAMESPACEPATH></IMETHODCALL>"), false,
         "<ERROR CODE=\"2\" DESCRIPTION=\"baseline\"/>", true},
    };
}

struct Expected {
    std::string response;
    std::string lastError;
};

struct Handles {
    CIMOMHandle *answering;
    CIMOMHandle *failing;
    CIMOMHandle *of(const Kind &kind) const { return kind.failing ? failing : answering; }
};

// A copy of text with every "baseline" replaced by marker and, for a kind
// with fresh ids, the MESSAGE id blanked.
inline std::string comparable(std::string text, const Kind &kind, const std::string &marker) {
    for (auto at = text.find("baseline"); at != std::string::npos; at = text.find("baseline", at + marker.size())) {
        text.replace(at, 8, marker);
    }
    auto id = text.find("<MESSAGE ID=\"");
    if (kind.freshId && id != std::string::npos) text.replace(id + 13, text.find('"', id + 13) - id - 13, "*");
    return text;
}

// What one request of a kind gives on a thread whose last error is marker.
inline Expected answer(const Kind &kind, Handles handles, const std::string &marker) {
    testsupport::setLastError(2, marker);
    std::string response = respond(kind.request, handles.of(kind));
    return {response, testsupport::lastError()};
}

struct StressResult {
    double seconds = 0;
    int collections = 0;
    int failures = 0;
    std::vector<std::string> firstFailures;  // the first of each thread that failed
    std::array<std::size_t, kind_count> sentPerKind{};
};

// threads x perThread requests of kinds picked by a per-thread generator,
// each compared with expected (made with the marker "baseline"); a further
// thread forces a collection every interval until the workers end.
inline StressResult run_stress(const std::vector<Kind> &kinds, const std::vector<Expected> &expected, Handles handles,
                               int threads, int perThread, std::chrono::milliseconds interval) {
    std::atomic<bool> done{false};
    std::atomic<int> collections{0};
    std::thread collector([&] {
        cimEnsureCollectorThread();
        for (; !done.load(); std::this_thread::sleep_for(interval)) {
            GC_gcollect();
            ++collections;
        }
    });
    std::vector<StressResult> results(threads);
    auto started = std::chrono::steady_clock::now();
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            cimEnsureCollectorThread();
            unsigned state = 12345u + static_cast<unsigned>(t) * 7919u;
            for (int i = 0; i < perThread; ++i) {
                state = state * 1103515245u + 12345u;
                std::size_t k = (state >> 16) % kinds.size();
                ++results[t].sentPerKind[k];
                std::string marker = "thread " + std::to_string(t) + " request " + std::to_string(i);
                Expected got = answer(kinds[k], handles, marker);
                if (comparable(got.response, kinds[k], "baseline") ==
                        comparable(expected[k].response, kinds[k], marker) &&
                    got.lastError == comparable(expected[k].lastError, kinds[k], marker)) {
                    continue;
                }
                if (results[t].failures++ == 0) {
                    results[t].firstFailures.push_back("thread " + std::to_string(t) + ", " + kinds[k].name +
                                                       ": last error " + got.lastError + ", response\n" + got.response);
                }
            }
        });
    }
    for (auto &worker : workers) worker.join();
    StressResult total;
    total.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    done.store(true);
    collector.join();
    total.collections = collections.load();
    for (const StressResult &result : results) {
        total.failures += result.failures;
        total.firstFailures.insert(total.firstFailures.end(), result.firstFailures.begin(), result.firstFailures.end());
        for (std::size_t k = 0; k < kind_count; ++k) total.sentPerKind[k] += result.sentPerKind[k];
    }
    return total;
}

}  // namespace requestmix
