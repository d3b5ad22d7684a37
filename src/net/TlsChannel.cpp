#include "net/TlsChannel.h"

#include <QHostAddress>
#include <QUrl>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace {

// One client context for the whole program: it holds the trusted
// authorities, which are read once.
SSL_CTX* ClientContext()
{
    static SSL_CTX* const context = [] {
        SSL_CTX* ctx = SSL_CTX_new(TLS_client_method());
        SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
        // A renegotiation could bring another certificate, which nobody would check.
        SSL_CTX_set_options(ctx, SSL_OP_NO_RENEGOTIATION);
        SSL_CTX_set_default_verify_paths(ctx);
        // Verification runs and leaves its result; the caller decides.
        SSL_CTX_set_verify(ctx, SSL_VERIFY_NONE, nullptr);
        // Sessions are kept by the channels that want them, not in a cache.
        SSL_CTX_set_session_cache_mode(ctx, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
        SSL_CTX_sess_set_new_cb(ctx, &TTlsChannel::SessionHandedOut);
        return ctx;
    }();
    return context;
}

// Where a channel finds itself from its SSL object.
int ChannelIndex()
{
    static const int index = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

QString LastOpenSslError()
{
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0) return {};
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return QString::fromLatin1(text);
}

// The longest subject or issuer shown; real ones are far shorter.
constexpr qsizetype MaxNameLength = 256;

QString NameText(const X509_NAME* name)
{
    BIO* out = BIO_new(BIO_s_mem());
    X509_NAME_print_ex(out, name, 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB);
    char* data = nullptr;
    const long size = BIO_get_mem_data(out, &data);
    QString text = QString::fromUtf8(data, size);
    BIO_free(out);
    // A name is the server's to choose: characters that do not print, or
    // that reorder the text around them, could make it pass for another.
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
            c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph)
            c = QChar::ReplacementCharacter;
    // Nor may runs of blanks push text onto a line of its own, where it
    // could pass for one of the question's lines.
    text = text.simplified();
    if (text.size() > MaxNameLength) text = text.left(MaxNameLength) + QChar(0x2026);
    return text;
}

QDateTime TimeUtc(const ASN1_TIME* time)
{
    tm parts{};
    if (!time || ASN1_TIME_to_tm(time, &parts) != 1) return {};
    return QDateTime(QDate(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday),
                     QTime(parts.tm_hour, parts.tm_min, parts.tm_sec), Qt::UTC);
}

}  // namespace

QString TCertificateInfo::Fingerprint() const
{
    return QString::fromLatin1(Sha256.toHex(':').toUpper());
}

TTlsChannel::TTlsChannel(const QString& hostName, const TTlsSession& resume,
                         std::shared_ptr<TTlsSessionPool> pool)
    : FPool(std::move(pool)),
      FSsl(SSL_new(ClientContext())),
      FNetworkIn(BIO_new(BIO_s_mem())),
      FNetworkOut(BIO_new(BIO_s_mem()))
{
    SSL_set_ex_data(FSsl, ChannelIndex(), this);
    // An empty memory BIO means "wait for more", not the end of the stream.
    BIO_set_mem_eof_return(FNetworkIn, -1);
    BIO_set_mem_eof_return(FNetworkOut, -1);
    SSL_set_bio(FSsl, FNetworkIn, FNetworkOut);
    SetPeerName(hostName);
    if (resume) SSL_set_session(FSsl, resume.get());
    SSL_set_connect_state(FSsl);
    Advance();
}

void TTlsChannel::SetPeerName(const QString& hostName)
{
    // The address without its zone ("fe80::1%eth0"): the certificate names
    // the address alone. A name is checked in its ASCII form.
    const QHostAddress address(hostName);
    if (!address.isNull()) {
        const QByteArray ip =
            QHostAddress(address.toString().section(QLatin1Char('%'), 0, 0)).toString().toLatin1();
        FPeerNameSet = X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(FSsl), ip.constData()) == 1;
        return;
    }
    const QByteArray host = QUrl::toAce(hostName);
    if (host.isEmpty()) return;
    SSL_set_tlsext_host_name(FSsl, host.constData());  // SNI carries names only
    FPeerNameSet = SSL_set1_host(FSsl, host.constData()) == 1;
}

int TTlsChannel::SessionHandedOut(ssl_st* ssl, ssl_session_st* session)
{
    auto* channel = static_cast<TTlsChannel*>(SSL_get_ex_data(ssl, ChannelIndex()));
    if (!channel || !channel->FPool || !SSL_SESSION_is_resumable(session)) return 0;
    TTlsSession kept(session, SSL_SESSION_free);  // holds the reference from now on
    if (channel->FTrusted)
        channel->FPool->Add(std::move(kept));
    else
        channel->FUntrustedSessions.push_back(std::move(kept));
    return 1;
}

void TTlsChannel::Trust()
{
    if (FState == TState::Failed) return;
    FTrusted = true;
    if (!FPool) return;
    for (TTlsSession& session : FUntrustedSessions)
        FPool->Add(std::move(session));
    FUntrustedSessions.clear();
}

TTlsChannel::~TTlsChannel()
{
    SSL_free(FSsl);  // frees both BIOs
}

void TTlsChannel::FeedCipher(const QByteArray& bytes)
{
    if (bytes.isEmpty() || FState == TState::Failed) return;
    if (qsizetype(BIO_ctrl_pending(FNetworkIn)) + bytes.size() > MaxInputBacklog) {
        Fail(QStringLiteral("The server sent more than could be taken"));
        return;
    }
    BIO_write(FNetworkIn, bytes.constData(), int(bytes.size()));
    Advance();
}

QByteArray TTlsChannel::TakeCipher()
{
    QByteArray bytes;
    AppendCipher(bytes);
    return bytes;
}

void TTlsChannel::AppendCipher(QByteArray& out)
{
    const qsizetype pending = qsizetype(BIO_ctrl_pending(FNetworkOut));
    if (pending == 0) return;
    const qsizetype start = out.size();
    out.resize(start + pending);
    const int read = BIO_read(FNetworkOut, out.data() + start, int(pending));
    out.resize(start + qMax(read, 0));
}

bool TTlsChannel::Write(const QByteArray& plain)
{
    if (FState != TState::Open) return false;
    if (plain.isEmpty()) return true;
    size_t written = 0;
    ERR_clear_error();
    // A memory BIO takes everything at once, so one call writes it all.
    if (SSL_write_ex(FSsl, plain.constData(), size_t(plain.size()), &written) != 1 ||
        written != size_t(plain.size())) {
        Fail(QStringLiteral("The encrypted connection could not send: %1").arg(LastOpenSslError()));
        return false;
    }
    return true;
}

qsizetype TTlsChannel::ReadPlain(char* into, qsizetype room)
{
    if (FState != TState::Open || room <= 0) return 0;
    size_t read = 0;
    ERR_clear_error();  // SSL_get_error reads the queue: only this call's errors may be in it
    const int result = SSL_read_ex(FSsl, into, size_t(room), &read);
    if (result == 1) return qsizetype(read);
    const int error = SSL_get_error(FSsl, result);
    if (error == SSL_ERROR_ZERO_RETURN)
        FState = TState::Closed;
    else if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE)
        Fail(QStringLiteral("The encrypted connection failed: %1").arg(LastOpenSslError()));
    return 0;
}

QByteArray TTlsChannel::TakePlain()
{
    QByteArray plain;
    char buffer[16384];
    while (const qsizetype read = ReadPlain(buffer, sizeof buffer))
        plain.append(buffer, read);
    return plain;
}

void TTlsChannel::Shutdown()
{
    ERR_clear_error();
    if (FState == TState::Open || FState == TState::Closed) SSL_shutdown(FSsl);
}

void TTlsChannel::Advance()
{
    if (FState == TState::Handshaking) {
        ERR_clear_error();
        const int result = SSL_do_handshake(FSsl);
        if (result != 1) {
            const int error = SSL_get_error(FSsl, result);
            if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE)
                Fail(QStringLiteral("The encrypted connection could not be set up: %1")
                         .arg(LastOpenSslError()));
            return;
        }
        FState = TState::Open;
    }
}

void TTlsChannel::Fail(const QString& why)
{
    FState = TState::Failed;
    FError = why;
}

bool TTlsChannel::Verified() const
{
    return FPeerNameSet && FState != TState::Handshaking && SSL_get0_peer_certificate(FSsl) &&
           SSL_get_verify_result(FSsl) == X509_V_OK;
}

QString TTlsChannel::VerifyErrorText() const
{
    if (Verified()) return {};
    if (!SSL_get0_peer_certificate(FSsl)) return QStringLiteral("no certificate");
    if (!FPeerNameSet) return QStringLiteral("the host name cannot be checked");
    return QString::fromLatin1(X509_verify_cert_error_string(SSL_get_verify_result(FSsl)));
}

TCertificateInfo TTlsChannel::PeerCertificate() const
{
    TCertificateInfo info;
    X509* certificate = SSL_get0_peer_certificate(FSsl);
    if (!certificate) return info;
    info.Subject = NameText(X509_get_subject_name(certificate));
    info.Issuer = NameText(X509_get_issuer_name(certificate));
    info.ValidFrom = TimeUtc(X509_get0_notBefore(certificate));
    info.ValidTo = TimeUtc(X509_get0_notAfter(certificate));
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (X509_digest(certificate, EVP_sha256(), digest, &length) == 1)
        info.Sha256 = QByteArray(reinterpret_cast<const char*>(digest), int(length));
    return info;
}

QString TTlsChannel::ProtocolName() const
{
    return QString::fromLatin1(SSL_get_version(FSsl));
}

QString TTlsChannel::CipherName() const
{
    return QString::fromLatin1(SSL_get_cipher_name(FSsl));
}

TTlsSession TTlsChannel::Session() const
{
    SSL_SESSION* session = SSL_get1_session(FSsl);
    if (!session) return {};
    return TTlsSession(session, SSL_SESSION_free);
}

bool TTlsChannel::SessionReused() const
{
    return SSL_session_reused(FSsl) == 1;
}
