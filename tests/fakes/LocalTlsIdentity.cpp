#include "fakes/LocalTlsIdentity.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>
#include <stdexcept>

namespace fake {

namespace {

template <typename T, void (*Free)(T *)>
struct Deleter {
    void operator()(T *p) const { Free(p); }
};
using Key = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using Certificate = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using Bio = std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>>;
using Extension = std::unique_ptr<X509_EXTENSION, Deleter<X509_EXTENSION, X509_EXTENSION_free>>;

void check(bool ok, const char *what) {
    if (!ok)
        throw std::runtime_error(std::string("making the test certificate: ") + what);
}

template <typename Write>
QByteArray pem(Write write) {
    Bio bio(BIO_new(BIO_s_mem()));
    check(bio && write(bio.get()), "PEM");
    char *data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return QByteArray(data, int(size));
}

TlsIdentity make() {
    Key key(EVP_EC_gen("P-256"));
    check(bool(key), "key");
    Certificate cert(X509_new());
    check(bool(cert), "certificate");
    X509_set_version(cert.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 7L * 24 * 3600);
    X509_set_pubkey(cert.get(), key.get());
    X509_NAME *name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char *>("127.0.0.1"), -1, -1,
                               0);
    X509_set_issuer_name(cert.get(), name);
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, cert.get(), cert.get(), nullptr, nullptr, 0);
    const std::pair<int, const char *> extensions[] = {
        {NID_subject_alt_name, "IP:127.0.0.1"},
        {NID_basic_constraints, "critical,CA:TRUE"},
        {NID_key_usage, "critical,digitalSignature,keyCertSign"},
    };
    for (const auto &[nid, value] : extensions) {
        Extension ext(X509V3_EXT_conf_nid(nullptr, &ctx, nid, value));
        check(ext && X509_add_ext(cert.get(), ext.get(), -1), "extension");
    }
    check(X509_sign(cert.get(), key.get(), EVP_sha256()) > 0, "signature");
    TlsIdentity identity;
    identity.certificatePem = pem([&](BIO *b) { return PEM_write_bio_X509(b, cert.get()) == 1; });
    identity.keyPem = pem([&](BIO *b) {
        return PEM_write_bio_PrivateKey(b, key.get(), nullptr, nullptr, 0, nullptr, nullptr) == 1;
    });
    return identity;
}

}  // namespace

const TlsIdentity &LocalTlsIdentity() {
    static const TlsIdentity identity = make();
    return identity;
}

}  // namespace fake
