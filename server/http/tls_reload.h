// tls_reload.h - a new certificate and key for the HTTPS listener while it
// serves: connections accepted from then on present them; connections
// already up keep theirs.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "tls_context.h"

namespace cimxmld {

class TlsReload {
public:
    // Hooks into context (the one the listener serves with; shared, kept
    // alive here) so that each handshake takes the newest pair loaded.
    // The TlsReload must outlive every handshake on context.
    explicit TlsReload(TlsContext context);
    ~TlsReload();
    TlsReload(const TlsReload &) = delete;
    TlsReload &operator=(const TlsReload &) = delete;

    // Reads the PEM certificate chain and key as makeTlsContext does. On
    // success later handshakes use them; on failure (unreadable, or a key
    // of another certificate) the pair served so far stays, and false with
    // the reason in error.
    bool load(const std::string &certFile, const std::string &keyFile, std::string &error);

private:
    static int selectCertificate(SSL *ssl, void *self);

    TlsContext context_;
    std::mutex lock_;
    TlsContext current_;  // null: the context's own pair
};

}  // namespace cimxmld
