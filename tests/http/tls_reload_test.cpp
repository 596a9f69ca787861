// SIGHUP and the HTTPS certificate: connections accepted after a reload
// present the new pair, a connection already up goes on with the old one,
// and a key that does not fit its certificate changes nothing.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "server_process.h"

namespace {

using namespace httptest;

// A TLS client connection to 127.0.0.1:port that trusts any certificate.
class TlsClient {
public:
    explicit TlsClient(int port) : context_(SSL_CTX_new(TLS_client_method())) {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        timeval timeout{5, 0};
        setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        if (connect(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) return;
        ssl_ = SSL_new(context_);
        SSL_set_fd(ssl_, fd_);
        if (SSL_connect(ssl_) != 1) {
            SSL_free(ssl_);
            ssl_ = nullptr;
        }
    }
    ~TlsClient() {
        if (ssl_ != nullptr) SSL_free(ssl_);
        SSL_CTX_free(context_);
        close(fd_);
    }
    // The common name the server's certificate carries; "" without a handshake.
    std::string peerName() const {
        if (ssl_ == nullptr) return "";
        X509 *peer = SSL_get1_peer_certificate(ssl_);
        char name[256] = {};
        X509_NAME_get_text_by_NID(X509_get_subject_name(peer), NID_commonName, name, sizeof name);
        X509_free(peer);
        return name;
    }
    // The status line of the answer to GET /metrics.
    std::string statusLine() {
        const std::string request = "GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n";
        if (ssl_ == nullptr || SSL_write(ssl_, request.data(), static_cast<int>(request.size())) <= 0) return "";
        char buffer[256] = {};
        int n = SSL_read(ssl_, buffer, sizeof buffer - 1);
        std::string text(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
        return text.substr(0, text.find("\r\n"));
    }

private:
    SSL_CTX *context_;
    SSL *ssl_ = nullptr;
    int fd_ = -1;
};

bool makePair(const std::string &name, const std::string &cert, const std::string &key) {
    std::string command = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1 -subj /CN=" +
                          name + " -keyout " + key + " -out " + cert + " 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

TEST(Reload, TakesANewCertificateForNewConnections) {
    const std::string base = ::testing::TempDir() + "cimxmld_tls_" + std::to_string(getpid());
    const std::string cert = base + ".pem", key = base + ".key", otherCert = base + ".other.pem",
                      otherKey = base + ".other.key";
    ASSERT_TRUE(makePair("first", cert, key));
    ServerProcess server({"--cert", cert, "--key", key, "--log-level", "info"});
    TlsClient kept(server.httpsPort());
    EXPECT_EQ(kept.peerName(), "first");

    ASSERT_TRUE(makePair("second", cert, key));
    ASSERT_TRUE(server.reload());
    EXPECT_EQ(TlsClient(server.httpsPort()).peerName(), "second");
    EXPECT_EQ(kept.statusLine(), "HTTP/1.1 200 OK");

    // A key of another certificate: the reload is refused, "second" stays.
    ASSERT_TRUE(makePair("third", otherCert, otherKey));
    std::rename(otherKey.c_str(), key.c_str());
    ASSERT_TRUE(server.reload());
    std::string log = server.log();
    std::size_t refused = log.find("[ERROR] reload: --key " + key + ": ");
    ASSERT_NE(refused, std::string::npos) << log;
    EXPECT_NE(log.find("key values mismatch; keeping the configuration in use", refused), std::string::npos) << log;
    EXPECT_EQ(TlsClient(server.httpsPort()).peerName(), "second");
    EXPECT_EQ(server.stop(), 0);
    for (const std::string &file : {cert, key, otherCert}) std::remove(file.c_str());
}

}  // namespace
