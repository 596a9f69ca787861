// conformance_dtd.cpp - libxml2's DTD validation, its messages collected.
#include "conformance_dtd.h"

#include <climits>
#include <cstdarg>
#include <vector>

#include <libxml/parser.h>
#include <libxml/valid.h>

#include "client_error.h"

namespace conformance {

namespace {

// libxml2 reports in printf pieces; they are joined until a line ends.
struct Messages {
    std::vector<std::string> lines;
    std::string pending;
};

void collect(void *data, const char *format, ...) {
    auto *messages = static_cast<Messages *>(data);
    char buffer[1024];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    messages->pending += buffer;
    size_t end;
    while ((end = messages->pending.find('\n')) != std::string::npos) {
        std::string line = messages->pending.substr(0, end);
        messages->pending.erase(0, end + 1);
        if (!line.empty()) messages->lines.push_back(line);
    }
}

void collectStructured(void *data, xmlErrorPtr error) {
    if (!error || !error->message) return;
    auto *messages = static_cast<Messages *>(data);
    std::string line = error->message;
    while (!line.empty() && line.back() == '\n') line.pop_back();
    if (error->line > 0) line = "line " + std::to_string(error->line) + ": " + line;
    messages->lines.push_back(line);
}

std::string summary(const Messages &messages, const char *otherwise) {
    if (messages.lines.empty()) return otherwise;
    std::string text = remote::oneLine(messages.lines.front());
    if (messages.lines.size() > 1) text += " (and " + std::to_string(messages.lines.size() - 1) + " more)";
    return text;
}

}  // namespace

struct DtdValidator::Dtd {
    xmlDtdPtr dtd = nullptr;
    ~Dtd() { xmlFreeDtd(dtd); }
};

DtdValidator::DtdValidator(const std::string &file) : dtd_(std::make_unique<Dtd>()) {
    Messages messages;
    xmlSetStructuredErrorFunc(&messages, collectStructured);
    dtd_->dtd = xmlParseDTD(nullptr, reinterpret_cast<const xmlChar *>(file.c_str()));
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    if (!dtd_->dtd)
        throw remote::ClientError(remote::exitNoInput,
                                  "cannot read the DTD " + file + ": " + summary(messages, "no such file"));
}

DtdValidator::~DtdValidator() = default;

std::string DtdValidator::problems(const std::string &body) const {
    if (body.size() > INT_MAX) return "the body is too large to validate";
    Messages messages;
    xmlSetStructuredErrorFunc(&messages, collectStructured);
    xmlDocPtr document = xmlReadMemory(body.data(), static_cast<int>(body.size()), "answer", nullptr,
                                       XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    if (!document) return "not well-formed: " + summary(messages, "libxml2 read no document");
    Messages validity;
    xmlValidCtxtPtr context = xmlNewValidCtxt();
    if (!context) {
        xmlFreeDoc(document);
        throw std::bad_alloc();
    }
    context->userData = &validity;
    context->error = collect;
    context->warning = collect;
    int valid = xmlValidateDtd(context, document, dtd_->dtd);
    xmlFreeValidCtxt(context);
    xmlFreeDoc(document);
    if (!validity.pending.empty()) validity.lines.push_back(validity.pending);
    return valid ? std::string() : summary(validity, "not valid against the DTD");
}

}  // namespace conformance
