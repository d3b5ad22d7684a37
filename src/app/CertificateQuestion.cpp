#include "app/CertificateQuestion.h"

#include "app/CertificateTrust.h"
#include "net/TlsChannel.h"
#include "platform/MessageBoxes.h"

#include <QLocale>

namespace {

QString LocalTimeText(const QDateTime& time)
{
    if (!time.isValid()) return QStringLiteral("unknown");
    const QDateTime local = time.toLocalTime();
    const QLocale locale;
    return locale.toString(local.date(), QLocale::ShortFormat) + u' ' +
           locale.toString(local.time(), QLocale::ShortFormat);
}

QString ServerName(const TCertificateRequest& request)
{
    return TCertificateTrust::Key(request.Host, request.Port);
}

QString DetailsText(const TCertificateInfo& certificate)
{
    return QStringLiteral("Subject: %1\r\nIssuer: %2\r\nValid from: %3\r\nValid to: %4\r\n")
        .arg(certificate.Subject, certificate.Issuer, LocalTimeText(certificate.ValidFrom),
             LocalTimeText(certificate.ValidTo));
}

QString FingerprintOf(const QByteArray& sha256)
{
    TCertificateInfo info;
    info.Sha256 = sha256;
    return info.Fingerprint();
}

TCertificateVerdict Accepted(const QString& line)
{
    return {true, line, {}, false};
}

TCertificateVerdict Refused(const TCertificateRequest& request)
{
    return {false, QStringLiteral("The certificate of %1 was refused").arg(ServerName(request)), {}, false};
}

}  // namespace

// Escape, Enter and closing the box answer Cancel: accepting has to be chosen.
static TModalResult AskAbout(const TCertificateTrust& trust, const TCertificateRequest& request,
                             const TCertificateInfo& certificate, bool changed)
{
    const QString text = changed
                             ? ChangedCertificateText(request, certificate,
                                                      FingerprintOf(trust.Stored(request.Host, request.Port)))
                             : UnknownCertificateText(request, certificate);
    // No mnemonics on the buttons that accept: a message box takes a
    // button's letter without Alt, so a key typed just as the box appeared
    // would trust the certificate. Tab reaches them.
    const QString always = changed ? QStringLiteral("Always trust the new certificate")
                                   : QStringLiteral("Always trust this certificate");
    return AskWithButtons(bkYesNoCancel, text,
                          {always, QStringLiteral("Trust once"), QStringLiteral("Cancel")}, true);
}

QString UnknownCertificateText(const TCertificateRequest& request, const TCertificateInfo& certificate)
{
    return QStringLiteral("The certificate of %1 could not be verified (%2).\r\n\r\n")
               .arg(ServerName(request), request.Problem) +
           DetailsText(certificate) +
           QStringLiteral("SHA-256 fingerprint: %1\r\n\r\n").arg(certificate.Fingerprint()) +
           QStringLiteral("Do you trust this certificate?");
}

QString ChangedCertificateText(const TCertificateRequest& request, const TCertificateInfo& certificate,
                               const QString& oldFingerprint)
{
    return QStringLiteral(
               "WARNING: the certificate of %1 has CHANGED since you chose to trust it (%2).\r\n"
               "Someone may be intercepting the connection. Unless you know why the site "
               "changed its certificate, cancel.\r\n\r\n")
               .arg(ServerName(request), request.Problem) +
           QStringLiteral("Trusted SHA-256 fingerprint: %1\r\nNew SHA-256 fingerprint: %2\r\n\r\n")
               .arg(oldFingerprint, certificate.Fingerprint()) +
           DetailsText(certificate) + QStringLiteral("\r\nDo you trust the new certificate?");
}

TCertificateVerdict DecideOnCertificate(TCertificateTrust& trust, const TCertificateRequest& request,
                                        const TCertificateInfo& certificate)
{
    const QString server = ServerName(request);
    const TCertificateTrustState state = trust.Lookup(request.Host, request.Port, certificate.Sha256);
    if (state == TCertificateTrustState::Trusted)
        return Accepted(QStringLiteral("The certificate of %1 is the one trusted before").arg(server));
    if (request.Unattended) {
        TCertificateVerdict verdict = Refused(request);
        QString problem = request.Problem;
        if (state == TCertificateTrustState::Changed)
            problem += QStringLiteral("; it has changed since it was trusted");
        verdict.UnattendedFailure =
            QStringLiteral("the certificate of %1 is not trusted (%2)").arg(server, problem);
        return verdict;
    }
    const TModalResult answer =
        AskAbout(trust, request, certificate, state == TCertificateTrustState::Changed);
    switch (answer) {
    case mrYes: {
        TCertificateVerdict verdict =
            Accepted(QStringLiteral("The certificate of %1 is trusted from now on").arg(server));
        verdict.StoreFailed = !trust.Trust(request.Host, request.Port, certificate.Sha256);
        return verdict;
    }
    case mrNo:
        trust.TrustForSession(request.Host, request.Port, certificate.Sha256);
        return Accepted(QStringLiteral("The certificate of %1 was accepted for this session").arg(server));
    default: return Refused(request);
    }
}
