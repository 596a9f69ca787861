// request_mix.h - a mix of requests sent through the handler from several
// threads while another thread forces collections; every answer and every
// last error is compared with what the same request gives alone.
// Header-only so that the thread test and the handler benchmark share it.
#pragma once

#include <gc/gc.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <cimxml/cimxml.h>

#include "cimxml/last_error.h"
#include "cimxml/module_lifecycle.h"

namespace requestmix {

inline std::string message(const char *id, const std::string &body) {
    return std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">"
                       "<MESSAGE ID=\"") +
           id + "\" PROTOCOLVERSION=\"1.0\"><SIMPLEREQ>" + body + "</SIMPLEREQ></MESSAGE></CIM>";
}

inline const std::string cimv2 =
    "<LOCALNAMESPACEPATH><NAMESPACE NAME=\"root\"/><NAMESPACE NAME=\"cimv2\"/></LOCALNAMESPACEPATH>";

inline std::string intrinsic(const char *id, const char *operation, const std::string &parameters) {
    return message(id, std::string("<IMETHODCALL NAME=\"") + operation + "\">" + cimv2 + parameters +
                           "</IMETHODCALL>");
}

inline std::string class_name(const char *name) {
    return std::string("<IPARAMVALUE NAME=\"ClassName\"><CLASSNAME NAME=\"") + name + "\"/></IPARAMVALUE>";
}

// One kind of request of the mix, and a line its answer must hold.
struct Kind {
    const char *name;
    std::string request;
    bool failingObjectManager;  // sent with the handle whose getClass fails
    const char *mustHold;
    // The request's id is never read (the document does not parse), so the
    // answer carries an id of its own making.
    bool freshMessageId = false;
};

// Description the failing object manager gives for GetClass.
inline const char *const not_found_text = "The class CIM_Missing was not found";

enum { get_class, get_class_not_found, unknown_operation, enumerate_instances, create_instance, malformed,
       kind_count };

inline std::vector<Kind> request_mix() {
    const std::string embedded =
        "<INSTANCE CLASSNAME=\"CIM_Foo\"><PROPERTY NAME=\"Name\" TYPE=\"string\"><VALUE>foo-1</VALUE></PROPERTY>"
        "<PROPERTY NAME=\"Inner\" TYPE=\"string\" EmbeddedObject=\"instance\"><VALUE>"
        "&lt;INSTANCE CLASSNAME=&quot;CIM_Inner&quot;&gt;&lt;PROPERTY NAME=&quot;X&quot; "
        "TYPE=&quot;uint32&quot;&gt;&lt;VALUE&gt;5&lt;/VALUE&gt;&lt;/PROPERTY&gt;&lt;/INSTANCE&gt;"
        "</VALUE></PROPERTY></INSTANCE>";
    return {
        {"GetClass", intrinsic("3001", "GetClass", class_name("CIM_Foo")), false, "<CLASS NAME=\"CIM_Foo\""},
        {"GetClassNotFound", intrinsic("3002", "GetClass", class_name("CIM_Missing")), true,
         "<ERROR CODE=\"6\" DESCRIPTION=\"The class CIM_Missing was not found\"/>"},
        {"UnknownOperation", intrinsic("3003", "Frobnicate", class_name("CIM_Foo")), false,
         "<IMETHODRESPONSE NAME=\"MethodResponse\">\n<ERROR CODE=\"7\" />"},
        {"EnumerateInstances", intrinsic("3004", "EnumerateInstances", class_name("CIM_Foo")), false,
         "<VALUE.NAMEDINSTANCE>"},
        {"CreateInstanceWithEmbeddedObject",
         intrinsic("3005", "CreateInstance", "<IPARAMVALUE NAME=\"NewInstance\">" + embedded + "</IPARAMVALUE>"),
         false, "<INSTANCENAME CLASSNAME=\"CIM_Foo\">"},
        // A document that does not parse leaves no error of its own: it is
        // answered with the error the thread held before (the marker).
        {"Malformed", message("3006", "<IMETHODCALL NAME=\"GetClass\">" + cimv2.substr(0, 40) + "</IMETHODCALL>"),
         false, "<ERROR CODE=\"2\" DESCRIPTION=\"baseline\"/>", true},
    };
}

// What a request leaves as the thread's last error: nothing (the marker set
// before it stays) or one status and description (code -1: no error at all).
struct LastError {
    bool keepsMarker = true;
    int code = 0;
    std::string description;
    bool operator==(const LastError &) const = default;
};

inline void PrintTo(const LastError &error, std::ostream *out) {
    if (error.keepsMarker) *out << "(the marker set before)";
    else *out << error.code << " \"" << error.description << "\"";
}

inline std::string narrow(const CIMString *text) {
    std::string out;
    const wchar_t *wide = getCIMStringBuffer(text);
    for (; wide != nullptr && *wide != L'\0'; ++wide) out += static_cast<char>(*wide);  // ASCII texts only
    return out;
}

// The marker the answers alone are made with.
inline const std::string baseline_marker = "baseline";

// text with every occurrence of from replaced by to.
inline std::string replaced(std::string text, const std::string &from, const std::string &to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// text with the value of the MESSAGE element's ID blanked out.
inline std::string without_message_id(std::string text) {
    auto at = text.find("<MESSAGE ID=\"");
    if (at == std::string::npos) return text;
    at += 13;
    auto end = text.find('"', at);
    if (end != std::string::npos) text.replace(at, end - at, "*");
    return text;
}

// Marks the thread's last error with status 2 and marker, so that a request
// that leaves none can be told from one that leaves another thread's.
inline void set_marker(const std::string &marker) {
    CIMString *text = createCIMStringFromChar(marker.c_str());
    ReturnCode *error = newReturnCode(2, getCIMStringBuffer(text));
    cimxml_setlasterror(error);
    freeReturnCode(error);
    freeCIMString(text);
}

inline LastError last_error_now(const std::string &marker) {
    ReturnCode *error = cimxml_getlasterror();
    LastError seen;
    seen.keepsMarker = false;
    if (error == nullptr) {
        seen.code = -1;
        return seen;
    }
    seen.code = getErrorFromRetCode(error);
    seen.description = narrow(getReturnCodeDescription(error));
    freeReturnCode(error);
    if (seen.code == 2 && seen.description == marker) return LastError{};
    return seen;
}

// Sends request and returns a copy of the response text; the record is kept
// on this stack until it is released.
inline std::string send(const std::string &request, CIMOMHandle *handle) {
    MessageHandler *handler = CIMXML_RequestMessage_Handler(request.c_str(), nullptr, handle);
    if (handler == nullptr) return "(no handler)";
    const char *text = CIMXML_getResponseFromMessageHandler(handler);
    std::string copy = text != nullptr ? text : "(no text)";
    CIMXML_releaseMessageHandler(handler);
    return copy;
}

struct Expected {
    std::string response;
    LastError lastError;
};

struct Handles {
    CIMOMHandle *answering;
    CIMOMHandle *failing;
    CIMOMHandle *forKind(const Kind &kind) const { return kind.failingObjectManager ? failing : answering; }
};

// The answer of each kind alone, on the calling thread.
inline std::vector<Expected> answers_alone(const std::vector<Kind> &kinds, Handles handles) {
    std::vector<Expected> expected;
    for (const Kind &kind : kinds) {
        set_marker(baseline_marker);
        Expected answer;
        answer.response = send(kind.request, handles.forKind(kind));
        answer.lastError = last_error_now(baseline_marker);
        expected.push_back(answer);
    }
    return expected;
}

struct StressResult {
    double seconds = 0;
    int collections = 0;
    int failures = 0;
    std::vector<std::string> firstFailures;  // one per thread that failed
    std::array<std::size_t, kind_count> sentPerKind{};
};

// threads x perThread requests, kinds chosen by a per-thread generator; a
// further thread calls GC_gcollect every interval until the workers end.
inline StressResult run_stress(const std::vector<Kind> &kinds, const std::vector<Expected> &expected,
                               Handles handles, int threads, int perThread,
                               std::chrono::milliseconds interval) {
    std::atomic<bool> done{false};
    std::atomic<int> collections{0};
    std::thread collector([&] {
        cimEnsureCollectorThread();
        while (!done.load()) {
            GC_gcollect();
            ++collections;
            std::this_thread::sleep_for(interval);
        }
    });

    std::vector<std::string> firstFailure(static_cast<std::size_t>(threads));
    std::vector<int> failures(static_cast<std::size_t>(threads), 0);
    std::vector<std::array<std::size_t, kind_count>> sent(static_cast<std::size_t>(threads));
    auto started = std::chrono::steady_clock::now();
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            cimEnsureCollectorThread();
            auto slot = static_cast<std::size_t>(t);
            sent[slot].fill(0);
            unsigned state = 12345u + static_cast<unsigned>(t) * 7919u;
            for (int i = 0; i < perThread; ++i) {
                state = state * 1103515245u + 12345u;
                std::size_t k = (state >> 16) % kinds.size();
                ++sent[slot][k];
                std::string marker = "thread " + std::to_string(t) + " request " + std::to_string(i);
                set_marker(marker);
                std::string response = send(kinds[k].request, handles.forKind(kinds[k]));
                LastError left = last_error_now(marker);
                std::string problem;
                // An answer may quote the thread's last error: the marker.
                std::string wanted = replaced(expected[k].response, baseline_marker, marker);
                if (kinds[k].freshMessageId) {
                    wanted = without_message_id(wanted);
                    response = without_message_id(response);
                }
                if (response != wanted) {
                    problem = "response differs:\n" + response;
                } else if (!(left == expected[k].lastError)) {
                    problem = "last error " + std::to_string(left.code) + " \"" + left.description + "\"" +
                              (left.keepsMarker ? " (the marker)" : "");
                }
                if (!problem.empty() && failures[slot]++ == 0) {
                    firstFailure[slot] = "thread " + std::to_string(t) + ", " + kinds[k].name + " #" +
                                         std::to_string(i) + ": " + problem;
                }
            }
        });
    }
    for (auto &worker : workers) worker.join();
    StressResult result;
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    done.store(true);
    collector.join();
    result.collections = collections.load();
    for (std::size_t t = 0; t < failures.size(); ++t) {
        result.failures += failures[t];
        if (failures[t] != 0) result.firstFailures.push_back(firstFailure[t]);
        for (std::size_t k = 0; k < kind_count; ++k) result.sentPerKind[k] += sent[t][k];
    }
    return result;
}

}  // namespace requestmix
