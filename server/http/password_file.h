// password_file.h - HTTP Basic authentication against a file of
// "user:hash" lines, hashes made by libcrypt (yescrypt, or SHA-512).
#pragma once

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace cimxmld {

class PasswordFile {
public:
    // Reads path: one "user:hash" a line; blank lines and lines starting
    // with '#' are skipped. On error (unreadable file, a line without ':' or
    // with an empty name or hash) returns null and says which line in error.
    static std::unique_ptr<PasswordFile> load(const std::string &path, std::string &error);
    // Reads path again, as load does, and serves its users from now on;
    // credentials remembered so far must be proven again. A request being
    // checked meanwhile sees the old users or the new, never a mix. On
    // error keeps the users it had and returns false with the reason.
    bool reload(const std::string &path, std::string &error);

    // An Authorization header value ("Basic <base64 user:password>") taken
    // apart, with a keyed digest of it (never the password) to remember it by.
    struct Credentials {
        std::string user;
        std::string password;
        std::string digest;
    };
    // nullopt when the value is no Basic credential. Cheap: no hashing.
    std::optional<Credentials> parse(std::string_view authorization) const;
    // True when these credentials were proven within the last few minutes,
    // so that a keep-alive client does not pay the hash on every request.
    // Cheap. Safe from many threads.
    bool remembered(const Credentials &credentials) const;
    // Hashes the password against the user's stored hash (an unknown user
    // costs a hash like a known one; hashes compare in constant time) and
    // remembers credentials that match. Safe from many threads.
    bool verify(const Credentials &credentials) const;

    // The user an Authorization header value proves, or nullopt: parse,
    // then remembered or verify.
    std::optional<std::string> authenticate(std::string_view authorization) const;

private:
    PasswordFile() = default;
    void remember(const std::string &digest) const;

    using Hashes = std::map<std::string, std::string>;  // user -> hash
    std::atomic<std::shared_ptr<const Hashes>> hashes_;
    std::string digestKey_;                      // random, per process
    mutable std::mutex provenLock_;
    mutable std::unordered_map<std::string, std::chrono::steady_clock::time_point> proven_;  // digest -> until
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
