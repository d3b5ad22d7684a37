#pragma once
// The site the window tests log in to on their scripted server.
#include "sites/SiteSettings.h"

inline TSiteSettings TestSite(const QString& address = QStringLiteral("127.0.0.1"))
{
    TSiteSettings site;
    site.SiteName = QStringLiteral("Test site");
    site.Address = address;
    site.UserName = QStringLiteral("alice");
    site.Password = QStringLiteral("secret");
    site.NormalLogin = true;
    // The scripted server knows no "AUTH TLS": the tests keep their exact
    // command sequences unless they are about encryption.
    site.Encryption = enPlainOnly;
    return site;
}
