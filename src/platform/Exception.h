#pragma once
#include <QByteArray>
#include <QString>
#include <exception>

// Base of every exception the program raises on purpose. It carries the
// message text that ends up in the status log or a message box.
class Exception : public std::exception {
public:
    explicit Exception(QString message) : Msg(std::move(message)), Utf8(Msg.toUtf8()) {}
    const QString& Message() const noexcept { return Msg; }
    const char* what() const noexcept override { return Utf8.constData(); }

private:
    QString Msg;
    QByteArray Utf8;
};
