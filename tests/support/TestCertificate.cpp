#include "support/TestCertificate.h"

#include <QDateTime>
#include <QFile>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

namespace {

QByteArray TakeBio(BIO* bio)
{
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    QByteArray bytes(data, size);
    BIO_free(bio);
    return bytes;
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

TTestCertificate TTestCertificate::Make(const QString& commonName)
{
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* certificate = X509_new();
    X509_set_version(certificate, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate),
                     long(QDateTime::currentSecsSinceEpoch() & 0x7fffffff));
    X509_gmtime_adj(X509_getm_notBefore(certificate), -3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate), 24 * 3600);
    X509_set_pubkey(certificate, key);
    X509_NAME* name = X509_get_subject_name(certificate);
    const QByteArray cn = commonName.toUtf8();
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>(cn.constData()), -1, -1, 0);
    X509_set_issuer_name(certificate, name);
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    if (X509_EXTENSION* names = X509V3_EXT_conf_nid(nullptr, &context, NID_subject_alt_name,
                                                    "DNS:localhost,IP:127.0.0.1,IP:::1")) {
        X509_add_ext(certificate, names, -1);
        X509_EXTENSION_free(names);
    }
    X509_sign(certificate, key, EVP_sha256());

    TTestCertificate made;
    BIO* out = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(out, certificate);
    made.CertificatePem = TakeBio(out);
    out = BIO_new(BIO_s_mem());
    PEM_write_bio_PrivateKey(out, key, nullptr, nullptr, 0, nullptr, nullptr);
    made.KeyPem = TakeBio(out);
    X509_free(certificate);
    EVP_PKEY_free(key);
    return made;
}

bool TTestCertificate::WriteTo(const QString& certificatePath, const QString& keyPath) const
{
    return WriteFile(certificatePath, CertificatePem) && WriteFile(keyPath, KeyPem);
}

QByteArray TTestCertificate::Sha256() const
{
    BIO* in = BIO_new_mem_buf(CertificatePem.constData(), int(CertificatePem.size()));
    X509* certificate = PEM_read_bio_X509(in, nullptr, nullptr, nullptr);
    BIO_free(in);
    if (!certificate) return {};
    QByteArray digest(EVP_MAX_MD_SIZE, '\0');
    unsigned int size = 0;
    X509_digest(certificate, EVP_sha256(), reinterpret_cast<unsigned char*>(digest.data()), &size);
    X509_free(certificate);
    digest.resize(size);
    return digest;
}

QString TTestCertificate::Fingerprint() const
{
    return QString::fromLatin1(Sha256().toHex(':').toUpper());
}
