// password_file.h - HTTP Basic authentication against a file of
// "user:hash" lines, hashes made by libcrypt (yescrypt, or SHA-512).
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace cimxmld {

class PasswordFile {
public:
    // Reads path: one "user:hash" a line; blank lines and lines starting
    // with '#' are skipped. On error (unreadable file, a line without ':' or
    // with an empty name or hash) returns null and says which line in error.
    static std::unique_ptr<PasswordFile> load(const std::string &path, std::string &error);

    // The user an Authorization header value ("Basic <base64 user:password>")
    // proves, or nullopt. An unknown user costs a hash like a known one, and
    // hashes compare in constant time. A proven header is remembered (as a
    // keyed digest, never the password) so that a keep-alive client does not
    // pay the hash on every request. Safe from many threads.
    std::optional<std::string> authenticate(std::string_view authorization) const;

private:
    PasswordFile() = default;
    bool remembered(const std::string &digest) const;
    void remember(const std::string &digest) const;

    std::map<std::string, std::string> hashes_;  // user -> hash
    std::string digestKey_;                      // random, per process
    mutable std::mutex provenLock_;
    mutable std::set<std::string> proven_;
};

// A new hash of password with a fresh salt: yescrypt ("$y$"), or SHA-512
// ("$6$") where libcrypt lacks yescrypt. nullopt and a reason on failure.
std::optional<std::string> hashPassword(const std::string &password, std::string &error);

// Writes user's line into the file at path (created with mode 0600): the
// line replaces the user's old one, or is appended. The file is replaced as
// a whole (write, then rename). false and a reason on failure; a user name
// that is empty or holds ':' or white space is refused.
bool storeUser(const std::string &path, const std::string &user, const std::string &hash, std::string &error);

}  // namespace cimxmld
