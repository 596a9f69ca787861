// tls_reload.cpp - the newest pair lives in a context of its own; a
// certificate callback copies it into each new connection.
#include "tls_reload.h"

namespace cimxmld {

TlsReload::TlsReload(TlsContext context) : context_(std::move(context)) {
    SSL_CTX_set_cert_cb(context_.get(), &TlsReload::selectCertificate, this);
}

TlsReload::~TlsReload() { SSL_CTX_set_cert_cb(context_.get(), nullptr, nullptr); }

bool TlsReload::load(const std::string &certFile, const std::string &keyFile, std::string &error) {
    TlsContext loaded = makeTlsContext(certFile, keyFile, error);
    if (!loaded) return false;
    std::lock_guard<std::mutex> guard(lock_);
    current_ = std::move(loaded);
    return true;
}

int TlsReload::selectCertificate(SSL *ssl, void *self) {
    auto *reload = static_cast<TlsReload *>(self);
    TlsContext current;
    {
        std::lock_guard<std::mutex> guard(reload->lock_);
        current = reload->current_;
    }
    if (!current) return 1;
    STACK_OF(X509) *chain = nullptr;
    SSL_CTX_get0_chain_certs(current.get(), &chain);
    X509 *certificate = SSL_CTX_get0_certificate(current.get());
    EVP_PKEY *key = SSL_CTX_get0_privatekey(current.get());
    // 0 ends the handshake with an error; never the case for a checked pair.
    return SSL_use_cert_and_key(ssl, certificate, key, chain, 1) == 1 ? 1 : 0;
}

}  // namespace cimxmld
