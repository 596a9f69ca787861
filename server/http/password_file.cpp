// password_file.cpp - Basic credentials checked with libcrypt; base64,
// digests, random bytes and constant-time comparison from OpenSSL.
#include "password_file.h"

#include <crypt.h>
#include <fcntl.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

namespace cimxmld {

namespace {

constexpr std::size_t provenCapacity = 1024;
constexpr std::chrono::minutes provenFor{5};

std::optional<std::string> decodeBase64(std::string_view text) {
    if (text.empty() || text.size() % 4 != 0) return std::nullopt;
    std::string out(text.size() / 4 * 3, '\0');
    int length = EVP_DecodeBlock(reinterpret_cast<unsigned char *>(out.data()),
                                 reinterpret_cast<const unsigned char *>(text.data()), static_cast<int>(text.size()));
    if (length < 0) return std::nullopt;
    std::size_t padding = text.size() - text.find_last_not_of('=') - 1;
    if (padding > 2) return std::nullopt;
    out.resize(static_cast<std::size_t>(length) - padding);
    return out;
}

// The hash of phrase under setting, or empty when libcrypt refuses.
std::string hashWith(const std::string &phrase, const std::string &setting) {
    auto data = std::make_unique<crypt_data>();  // zero-filled, as crypt_r wants
    const char *result = crypt_r(phrase.c_str(), setting.c_str(), data.get());
    if (result == nullptr || result[0] == '*') return {};
    return result;
}

bool validUserName(const std::string &user) {
    if (user.empty()) return false;
    for (unsigned char c : user) {
        if (c == ':' || c <= ' ' || c == 0x7f) return false;
    }
    return true;
}

std::shared_ptr<const std::map<std::string, std::string>> readHashes(const std::string &path, std::string &error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read password file '" + path + "'";
        return nullptr;
    }
    auto hashes = std::make_shared<std::map<std::string, std::string>>();
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::size_t colon = line.find(':');
        if (colon == 0 || colon == std::string::npos || colon + 1 == line.size()) {
            error = path + ":" + std::to_string(number) + ": not a \"user:hash\" line";
            return nullptr;
        }
        (*hashes)[line.substr(0, colon)] = line.substr(colon + 1);
    }
    return hashes;
}

}  // namespace

std::unique_ptr<PasswordFile> PasswordFile::load(const std::string &path, std::string &error) {
    std::unique_ptr<PasswordFile> file(new PasswordFile());
    std::shared_ptr<const Hashes> hashes = readHashes(path, error);
    if (!hashes) return nullptr;
    file->hashes_.store(std::move(hashes));
    unsigned char key[32];
    if (RAND_bytes(key, sizeof key) != 1) {
        error = "no random bytes for the credential digests";
        return nullptr;
    }
    file->digestKey_.assign(reinterpret_cast<char *>(key), sizeof key);
    return file;
}

bool PasswordFile::reload(const std::string &path, std::string &error) {
    std::shared_ptr<const Hashes> hashes = readHashes(path, error);
    if (!hashes) return false;
    std::lock_guard<std::mutex> lock(provenLock_);
    hashes_.store(std::move(hashes));
    proven_.clear();
    return true;
}

std::optional<PasswordFile::Credentials> PasswordFile::parse(std::string_view authorization) const {
    if (authorization.size() < 6 || strncasecmp(authorization.data(), "Basic ", 6) != 0) return std::nullopt;
    std::string_view encoded = authorization.substr(6);
    while (!encoded.empty() && encoded.front() == ' ') encoded.remove_prefix(1);
    std::optional<std::string> decoded = decodeBase64(encoded);
    if (!decoded || hashes_.load()->empty()) return std::nullopt;
    std::size_t colon = decoded->find(':');
    if (colon == std::string::npos) return std::nullopt;
    unsigned char mac[EVP_MAX_MD_SIZE];
    unsigned int macLength = 0;
    HMAC(EVP_sha256(), digestKey_.data(), static_cast<int>(digestKey_.size()),
         reinterpret_cast<const unsigned char *>(decoded->data()), decoded->size(), mac, &macLength);
    return Credentials{decoded->substr(0, colon), decoded->substr(colon + 1),
                       std::string(reinterpret_cast<char *>(mac), macLength)};
}

bool PasswordFile::remembered(const Credentials &credentials) const {
    std::lock_guard<std::mutex> lock(provenLock_);
    auto found = proven_.find(credentials.digest);
    return found != proven_.end() && std::chrono::steady_clock::now() < found->second;
}

void PasswordFile::remember(const std::string &digest) const {
    auto now = std::chrono::steady_clock::now();
    std::lock_guard<std::mutex> lock(provenLock_);
    if (proven_.size() >= provenCapacity) {
        std::erase_if(proven_, [now](const auto &entry) { return entry.second <= now; });
        if (proven_.size() >= provenCapacity) proven_.clear();
    }
    proven_[digest] = now + provenFor;
}

bool PasswordFile::verify(const Credentials &credentials) const {
    std::shared_ptr<const Hashes> hashes = hashes_.load();
    if (hashes->empty()) return false;
    auto entry = hashes->find(credentials.user);
    bool known = entry != hashes->end();
    // An unknown user is hashed against a stored hash too, so that the time
    // taken does not tell which names exist.
    const std::string &stored = known ? entry->second : hashes->begin()->second;
    std::string computed = hashWith(credentials.password, stored);
    bool equal = computed.size() == stored.size() && CRYPTO_memcmp(computed.data(), stored.data(), stored.size()) == 0;
    if (!known || !equal) return false;
    remember(credentials.digest);
    return true;
}

std::optional<std::string> PasswordFile::authenticate(std::string_view authorization) const {
    std::optional<Credentials> credentials = parse(authorization);
    if (!credentials || !(remembered(*credentials) || verify(*credentials))) return std::nullopt;
    return credentials->user;
}

std::optional<std::string> hashPassword(const std::string &password, std::string &error) {
    char setting[CRYPT_GENSALT_OUTPUT_SIZE];
    for (const char *prefix : {"$y$", "$6$"}) {
        if (crypt_gensalt_rn(prefix, 0, nullptr, 0, setting, sizeof setting) == nullptr) continue;
        std::string hash = hashWith(password, setting);
        if (!hash.empty()) return hash;
    }
    error = "libcrypt made no yescrypt or SHA-512 hash";
    return std::nullopt;
}

bool storeUser(const std::string &path, const std::string &user, const std::string &hash, std::string &error) {
    if (!validUserName(user)) {
        error = "user name '" + user + "' is empty or holds ':' or white space";
        return false;
    }
    std::ostringstream content;
    bool replaced = false;
    std::ifstream in(path);
    std::string line;
    while (in && std::getline(in, line)) {
        if (line.compare(0, user.size() + 1, user + ":") == 0) {
            if (!replaced) content << user << ':' << hash << '\n';
            replaced = true;
        } else {
            content << line << '\n';
        }
    }
    if (!replaced) content << user << ':' << hash << '\n';

    std::string temporary = path + ".new";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = "cannot write '" + temporary + "': " + std::strerror(errno);
        return false;
    }
    std::string text = content.str();
    bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot write '" + path + "': " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace cimxmld
