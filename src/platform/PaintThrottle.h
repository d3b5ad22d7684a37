#pragma once
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <vector>

class QWidget;

// Lets each watched window paint at most once per interval. Every pumped
// wait runs the event loop once per network event, and Qt paints whatever
// changed on each pass, so a job of many small files would otherwise repaint
// the windows for every reply, and a progress bar repaints itself at once on
// every value. A paint that comes too early is held back, not lost: the
// changed regions stay marked, and one paint of all of them follows when the
// interval is over.
class TPaintThrottle : public QObject {
public:
    explicit TPaintThrottle(int intervalMs, QObject* parent = nullptr);
    ~TPaintThrottle() override;

    // Watches the window that holds widget (nothing for nullptr or a window
    // already watched), at its own interval when one is given.
    void Watch(QWidget* widget, int intervalMs = 0);
    // Stops watching every window; a paint held back happens now.
    void Release();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TWatched {
        QPointer<QWidget> Window;
        QElapsedTimer LastPaint;
        bool Deferred = false;
        int IntervalMs = 0;
    };

    TWatched* Find(const QObject* window);
    void PaintLater(TWatched& watched, qint64 delayMs);

    int IntervalMs;
    std::vector<TWatched> Windows;
};
