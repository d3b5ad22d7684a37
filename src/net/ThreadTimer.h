#pragma once
#include <QObject>
#include <QTimer>
#include <functional>

// A small repeating timer: it runs only while Enabled, Interval > 0 and OnTimer
// is assigned. Any change of the three re-arms it.
class TThreadTimer : public QObject {
public:
    explicit TThreadTimer(QObject* owner = nullptr);

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    quint32 Interval() const { return FInterval; }
    void SetInterval(quint32 ms);
    const std::function<void()>& OnTimer() const { return FOnTimer; }
    void SetOnTimer(std::function<void()> handler);

private:
    void Rearm();
    void Tick();

    bool FEnabled = true;
    quint32 FInterval = 1000;
    std::function<void()> FOnTimer;
    QTimer Timer;
};
