// tls_context.h - the OpenSSL server context HTTPS connections are accepted with.
#pragma once

#include <memory>
#include <string>

#include <openssl/ssl.h>

namespace cimxmld {

using TlsContext = std::shared_ptr<SSL_CTX>;

// A TLS 1.2+ server context with the PEM certificate chain and private key
// of the given files. On failure returns null and OpenSSL's reason in error.
TlsContext makeTlsContext(const std::string &certFile, const std::string &keyFile, std::string &error);

}  // namespace cimxmld
