#pragma once
#include <QFrame>
#include <QImage>
#include <QTimer>

// The busy animation: the lowered 50×50 panel `panAniBusy` holding the 48×48
// picture `aniBusy`, which loops through 60 frames drawn on white while the
// program waits for the site. Stopped, it shows frame 0.
class TBusyAnimation : public QFrame {
    Q_OBJECT
public:
    static constexpr int FrameCount = 60;
    static constexpr int FrameSize = 48;
    static constexpr int FrameIntervalMs = 40;

    explicit TBusyAnimation(QWidget* parent = nullptr);

    void Start();  // running on: keeps its place
    void Stop();
    bool IsActive() const { return Timer.isActive(); }
    int Frame() const { return CurrentFrame; }

    // Frame number frame (taken modulo FrameCount) as a 48×48 picture.
    static QImage RenderFrame(int frame);

private:
    void Advance();
    void ShowFrame(int frame);

    QTimer Timer;
    int CurrentFrame = 0;
    QWidget* View;
};
