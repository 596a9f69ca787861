// request_scan.cpp - one Expat pass over a request body that keeps only the
// outline: the request element, the call, its namespace and target.
#include "request_scan.h"

#include <expat.h>
#include <sys/random.h>

#include <chrono>
#include <cstring>

namespace cimxmld {

namespace {

const char *attribute(const XML_Char **attributes, const char *name) {
    for (int i = 0; attributes[i] != nullptr; i += 2) {
        if (std::strcmp(attributes[i], name) == 0) return attributes[i + 1];
    }
    return nullptr;
}

// Depths: CIM 0, MESSAGE 1, SIMPLEREQ 2, the call 3; an extrinsic call's
// INSTANCENAME is at 5, its key bindings at 6 and their values at 7.
class Scanner {
public:
    RequestSummary summary;

    void start(const char *name, const XML_Char **attributes) {
        std::size_t depth = stack_.size();
        std::string_view element(name);
        if (depth <= 3) {
            outline(depth, element, attributes);
        } else if (calls_ == 1) {
            insideCall(depth, element, attributes);
        }
        stack_.emplace_back(element);
    }

    void end() {
        std::size_t depth = stack_.size() - 1;
        if (inKeyValue_ && stack_.back() == "KEYVALUE") inKeyValue_ = false;
        if (static_cast<int>(depth) == namespaceDepth_) namespaceDone_ = true;
        stack_.pop_back();
    }

    void text(const char *data, int length) {
        if (inKeyValue_) summary.keys.back().value.append(data, length);
    }

    void finish() {
        if (multiple_) {
            summary.form = RequestSummary::Form::MultipleRequests;
        } else if (problem_.empty() && calls_ != 1) {
            problem_ = calls_ == 0 ? "the message holds no method call" : "the message holds more than one call";
        }
        if (!multiple_) summary.form = problem_.empty() ? RequestSummary::Form::SingleRequest
                                                        : RequestSummary::Form::NotCimRequest;
        summary.problem = problem_;
    }

private:
    void invalid(std::string reason) {
        if (problem_.empty()) problem_ = std::move(reason);
    }

    void outline(std::size_t depth, std::string_view element, const XML_Char **attributes) {
        static const std::string_view expected[] = {"CIM", "MESSAGE"};
        if (depth < 2) {
            if (element != expected[depth]) invalid(std::string(element) + " where " +
                                                    std::string(expected[depth]) + " belongs");
            return;
        }
        if (depth == 2) {
            if (element == "MULTIREQ" || element == "MULTIEXPREQ") multiple_ = true;
            else if (element != "SIMPLEREQ" && element != "SIMPLEEXPREQ") invalid(std::string(element) + " in MESSAGE");
            return;
        }
        using Call = RequestSummary::Call;
        bool operation = stack_[2] == "SIMPLEREQ";
        Call call;
        if (operation && element == "IMETHODCALL") call = Call::Intrinsic;
        else if (operation && element == "METHODCALL") call = Call::Extrinsic;
        else if (stack_[2] == "SIMPLEEXPREQ" && element == "EXPMETHODCALL") call = Call::Export;
        else return invalid(std::string(element) + " in " + stack_[2]);
        if (++calls_ > 1) return;
        summary.call = call;
        const char *method = attribute(attributes, "NAME");
        summary.methodName = method ? method : "";
    }

    void insideCall(std::size_t depth, std::string_view element, const XML_Char **attributes) {
        using Call = RequestSummary::Call;
        if (element == "LOCALNAMESPACEPATH" && namespaceDepth_ < 0 && depth <= 5) {
            namespaceDepth_ = static_cast<int>(depth);
            return;
        }
        if (element == "NAMESPACE" && !namespaceDone_ && static_cast<int>(depth) == namespaceDepth_ + 1) {
            const char *part = attribute(attributes, "NAME");
            if (!summary.nameSpace.empty()) summary.nameSpace += '/';
            summary.nameSpace += part ? part : "";
            return;
        }
        if (summary.call == Call::Extrinsic) return target(depth, element, attributes);
        if (summary.call == Call::Intrinsic && summary.className.empty() && depth >= 5 &&
            stack_[4] == "IPARAMVALUE") {
            const char *name = nullptr;
            if (element == "CLASSNAME" || element == "CLASS") name = attribute(attributes, "NAME");
            else if (element == "INSTANCENAME" || element == "INSTANCE") name = attribute(attributes, "CLASSNAME");
            if (name != nullptr) summary.className = name;
        }
    }

    // The class or instance an extrinsic call is addressed to.
    void target(std::size_t depth, std::string_view element, const XML_Char **attributes) {
        const std::string &parent = stack_.back();
        if (depth == 5 && element == "CLASSNAME" && parent == "LOCALCLASSPATH") {
            const char *name = attribute(attributes, "NAME");
            summary.className = name ? name : "";
        } else if (depth == 5 && element == "INSTANCENAME" && parent == "LOCALINSTANCEPATH") {
            const char *name = attribute(attributes, "CLASSNAME");
            summary.className = name ? name : "";
            summary.instanceTarget = true;
        } else if (!summary.instanceTarget || depth < 6 || stack_[5] != "INSTANCENAME") {
            return;
        } else if (depth == 6 && element == "KEYBINDING") {
            const char *name = attribute(attributes, "NAME");
            summary.keys.push_back({name ? name : "", "", false});
        } else if ((depth == 6 || (depth == 7 && parent == "KEYBINDING")) &&
                   (element == "KEYVALUE" || element == "VALUE.REFERENCE")) {
            if (depth == 6) summary.keys.push_back({});
            if (summary.keys.empty()) return;
            if (element == "KEYVALUE") inKeyValue_ = true;
            else summary.keys.back().isReference = true;
        }
    }

    std::vector<std::string> stack_;
    int calls_ = 0;
    bool multiple_ = false;
    std::string problem_;
    int namespaceDepth_ = -1;
    bool namespaceDone_ = false;
    bool inKeyValue_ = false;
};

// One secret salt for every scan's hash tables: a parser without one draws
// its own from the kernel for each request.
unsigned long hashSalt() {
    static const unsigned long salt = [] {
        unsigned long value = 0;
        if (getrandom(&value, sizeof value, 0) != static_cast<ssize_t>(sizeof value))
            value = static_cast<unsigned long>(std::chrono::steady_clock::now().time_since_epoch().count());
        return value | 1;
    }();
    return salt;
}

}  // namespace

RequestSummary scanRequest(std::string_view body) {
    Scanner scanner;
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (parser == nullptr) {
        scanner.summary.form = RequestSummary::Form::NotCimRequest;
        scanner.summary.problem = "out of memory";
        return scanner.summary;
    }
    XML_SetHashSalt(parser, hashSalt());
    XML_SetUserData(parser, &scanner);
    XML_SetElementHandler(
        parser,
        [](void *self, const XML_Char *name, const XML_Char **attributes) {
            static_cast<Scanner *>(self)->start(name, attributes);
        },
        [](void *self, const XML_Char *) { static_cast<Scanner *>(self)->end(); });
    XML_SetCharacterDataHandler(parser, [](void *self, const XML_Char *data, int length) {
        static_cast<Scanner *>(self)->text(data, length);
    });
    // Expat takes int lengths: feed large bodies in pieces.
    constexpr std::size_t piece = 1u << 30;
    bool ok = true;
    do {
        std::size_t size = body.size() < piece ? body.size() : piece;
        bool last = size == body.size();
        ok = XML_Parse(parser, body.data(), static_cast<int>(size), last) == XML_STATUS_OK;
        body.remove_prefix(size);
    } while (ok && !body.empty());
    if (!ok) {
        scanner.summary.form = RequestSummary::Form::NotWellFormed;
        scanner.summary.problem = "line " + std::to_string(XML_GetCurrentLineNumber(parser)) + ", column " +
                                  std::to_string(XML_GetCurrentColumnNumber(parser)) + ": " +
                                  XML_ErrorString(XML_GetErrorCode(parser));
    } else {
        scanner.finish();
    }
    XML_ParserFree(parser);
    return scanner.summary;
}

}  // namespace cimxmld
