#include "app/BusyAnimation.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

constexpr int DotCount = 12;
constexpr double OrbitRadius = 17.0;
constexpr double DotRadius = 3.6;
const QColor DotColour(0x1f, 0x5f, 0xbf);
const QColor ArrowColour(0x70, 0x70, 0x70);

// Dots on a ring, brightest just behind a head that turns once per loop, so
// the 12 dots fade smoothly through all 60 frames.
void PaintDots(QPainter& painter, int frame)
{
    const double head = 360.0 * frame / TBusyAnimation::FrameCount;
    for (int i = 0; i < DotCount; ++i) {
        const double angle = 360.0 * i / DotCount;
        const double behind = std::fmod(head - angle + 720.0, 360.0);
        QColor colour = DotColour;
        colour.setAlphaF(float(0.12 + 0.88 * (1.0 - behind / 360.0)));
        const double radians = angle * M_PI / 180.0;
        const QPointF centre(24.0 + OrbitRadius * std::sin(radians), 24.0 - OrbitRadius * std::cos(radians));
        painter.setBrush(colour);
        painter.drawEllipse(centre, DotRadius, DotRadius);
    }
}

// An up and a down arrow in the middle: something is going to and from the site.
void PaintArrows(QPainter& painter)
{
    QPainterPath up;
    up.moveTo(19, 16);
    for (const QPointF& corner : {QPointF(23.5, 22), QPointF(20.5, 22), QPointF(20.5, 31), QPointF(17.5, 31),
                                  QPointF(17.5, 22), QPointF(14.5, 22)})
        up.lineTo(corner);
    up.closeSubpath();
    painter.setBrush(ArrowColour);
    painter.drawPath(up);
    painter.drawPath(QTransform(1, 0, 0, -1, 10, 47).map(up));
}

class TAnimationView : public QWidget {
public:
    TAnimationView(const TBusyAnimation& owner, QWidget* parent) : QWidget(parent), Owner(owner)
    {
        setObjectName(QStringLiteral("aniBusy"));
        setFixedSize(TBusyAnimation::FrameSize, TBusyAnimation::FrameSize);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.drawImage(0, 0, TBusyAnimation::RenderFrame(Owner.Frame()));
    }

private:
    const TBusyAnimation& Owner;
};

}  // namespace

TBusyAnimation::TBusyAnimation(QWidget* parent) : QFrame(parent), View(new TAnimationView(*this, this))
{
    setObjectName(QStringLiteral("panAniBusy"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setFixedSize(FrameSize + 2, FrameSize + 2);
    View->move(1, 1);
    Timer.setInterval(FrameIntervalMs);
    connect(&Timer, &QTimer::timeout, this, &TBusyAnimation::Advance);
}

void TBusyAnimation::Start()
{
    if (!Timer.isActive()) Timer.start();
}

void TBusyAnimation::Stop()
{
    Timer.stop();
    ShowFrame(0);
}

void TBusyAnimation::Advance()
{
    ShowFrame((CurrentFrame + 1) % FrameCount);
}

void TBusyAnimation::ShowFrame(int frame)
{
    CurrentFrame = frame;
    View->update();
}

QImage TBusyAnimation::RenderFrame(int frame)
{
    QImage image(FrameSize, FrameSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    PaintDots(painter, ((frame % FrameCount) + FrameCount) % FrameCount);
    PaintArrows(painter);
    return image;
}
