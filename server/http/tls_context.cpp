// tls_context.cpp - building the server's TLS context.
#include "tls_context.h"

#include <openssl/err.h>

namespace cimxmld {

namespace {

std::string opensslReason() {
    unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0) return "unknown reason";
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return text;
}

}  // namespace

TlsContext makeTlsContext(const std::string &certFile, const std::string &keyFile, std::string &error) {
    TlsContext context(SSL_CTX_new(TLS_server_method()), SSL_CTX_free);
    if (!context) {
        error = "cannot make a TLS context: " + opensslReason();
        return nullptr;
    }
    SSL_CTX_set_min_proto_version(context.get(), TLS1_2_VERSION);
    SSL_CTX_set_options(context.get(), SSL_OP_NO_COMPRESSION | SSL_OP_NO_RENEGOTIATION);
    if (SSL_CTX_use_certificate_chain_file(context.get(), certFile.c_str()) != 1) {
        error = "--cert " + certFile + ": " + opensslReason();
        return nullptr;
    }
    if (SSL_CTX_use_PrivateKey_file(context.get(), keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
        error = "--key " + keyFile + ": " + opensslReason();
        return nullptr;
    }
    if (SSL_CTX_check_private_key(context.get()) != 1) {
        error = "--key " + keyFile + " does not belong to --cert " + certFile;
        return nullptr;
    }
    return context;
}

}  // namespace cimxmld
