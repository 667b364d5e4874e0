#pragma once
// A key and a self-signed certificate for 127.0.0.1, made once per run, for
// the fake servers that speak TLS. Clients trust the certificate itself.

#include <QByteArray>

namespace fake {

struct TlsIdentity {
    QByteArray certificatePem;
    QByteArray keyPem;  // PKCS#8, an EC key on P-256
};

const TlsIdentity &LocalTlsIdentity();

}  // namespace fake
