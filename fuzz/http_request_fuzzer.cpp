// http_request_fuzzer.cpp - any request head and body through the server's
// request path (CimomService::respond): admission, the CIM header rules, the
// body scan and checks, the protocol module (loaded as cimxmld loads it, in
// the strict profile) and the echoing object manager behind it.
//
// Input: "METHOD PATH[ auth]" on the first line, then header lines
// "Name: value" (LF or CR LF), an empty line, and the body. A Content-Length
// field is set to the body's real length, as the library would have read
// that many bytes. With "auth" the server asks for Basic credentials (user
// "fuzz", password "secret").
//
// Every answer has a known status; a 200 answer to /cimom carries a
// well-formed CIM document; a CIMError field holds one of the known values
// and only comes with a 400 or 501; no header value holds CR or LF.
#include <crypt.h>
#include <strings.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include <cimobj/cimobj.h>

#include "cimom_service.h"
#include "support/echo_object_manager.h"
#include "support/fuzz_check.h"
#include "support/xml_document.h"

using fuzzsupport::check;

namespace {

constexpr std::size_t maxBody = 1 << 20;

struct Server {
    std::unique_ptr<cimxmld::ProtocolModule> module;
    std::unique_ptr<cimxmld::PasswordFile> passwords;
    cimxmld::Metrics metrics;
    std::unique_ptr<cimxmld::CimomService> open;
    std::unique_ptr<cimxmld::CimomService> guarded;
};

Server *server = nullptr;

// A password file with one user; SHA-512 at the fewest rounds keeps a
// checked password cheap.
std::unique_ptr<cimxmld::PasswordFile> makePasswords() {
    char path[] = "/tmp/cimxml-fuzz-passwd-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0) fuzzsupport::fail("cannot make the password file");
    std::string line = std::string("fuzz:") + crypt("secret", "$6$rounds=1000$fuzzsalt$") + "\n";
    bool written = write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    close(fd);
    std::string error;
    std::unique_ptr<cimxmld::PasswordFile> passwords = written ? cimxmld::PasswordFile::load(path, error) : nullptr;
    unlink(path);
    if (!passwords) fuzzsupport::fail("cannot load the password file", error);
    return passwords;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// The next line (without its LF, a CR before it kept for trim); rest moves past it.
std::string_view nextLine(std::string_view &rest) {
    std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return line;
}

const std::set<std::string> cimErrors = {"unsupported-operation", "unsupported-protocol-version",
                                         "multiple-requests-unsupported", "request-not-well-formed",
                                         "request-not-valid", "header-mismatch"};
const std::set<int> statuses = {200, 400, 401, 404, 405, 411, 413, 415, 501, 510};

void checkResponse(const std::string &path, const cimxmld::Response &response) {
    check(statuses.count(response.status) == 1, "a known status", std::to_string(response.status));
    for (const auto &[name, value] : response.headers) {
        check(name.find_first_of("\r\n:") == std::string::npos && value.find_first_of("\r\n") == std::string::npos,
              "header fields cannot be split", name + ": " + value);
        std::size_t dash = name.find('-');
        bool cimError = name == "CIMError" || (dash != std::string::npos && name.substr(dash + 1) == "CIMError");
        if (!cimError) continue;
        check(cimErrors.count(value) == 1, "a known CIMError value", value);
        check(response.status == 400 || response.status == 501, "CIMError comes with 400 or 501",
              std::to_string(response.status));
    }
    if (path == "/cimom" && response.status == 200) {
        std::string body;
        for (const std::string &piece : response.body) body += piece;
        std::string problem = fuzzsupport::xmlProblem(body, "CIM");
        check(problem.empty(), "a 200 answer carries a well-formed CIM document", problem + "\n" + body);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzzsupport::silenceLog();
    server = new Server();
    std::string error;
    server->module = cimxmld::ProtocolModule::load(CIMXML_FUZZ_MODULE_PATH, "strict", error);
    if (!server->module) fuzzsupport::fail("cannot load the protocol module", error);
    server->passwords = makePasswords();
    server->open = std::make_unique<cimxmld::CimomService>(*server->module, fuzzsupport::echoObjectManager(), nullptr,
                                                            maxBody, server->metrics);
    server->guarded = std::make_unique<cimxmld::CimomService>(
        *server->module, fuzzsupport::echoObjectManager(), server->passwords.get(), maxBody, server->metrics);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char *>(data), size);
    std::string_view requestLine = trim(nextLine(rest));
    std::size_t space = requestLine.find(' ');
    std::string method(requestLine.substr(0, space));
    std::string_view target = space == std::string_view::npos ? std::string_view() : requestLine.substr(space + 1);
    bool auth = target.ends_with(" auth");
    if (auth) target.remove_suffix(5);
    std::string path(trim(target));

    cimxmld::HeaderFields headers;
    bool hasLength = false;
    while (!rest.empty()) {
        std::string_view line = trim(nextLine(rest));
        if (line.empty()) break;
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        std::string name(trim(line.substr(0, colon)));
        if (strcasecmp(name.c_str(), "Content-Length") == 0) {
            hasLength = true;
            continue;
        }
        headers.emplace(std::move(name), std::string(trim(line.substr(colon + 1))));
    }
    std::string body(rest);
    if (hasLength) headers.emplace("Content-Length", std::to_string(body.size()));

    cimxmld::CimomService &service = auth ? *server->guarded : *server->open;
    checkResponse(path, service.respond(method, path, headers, body));
    return 0;
}
