// The busy animation: its frames, and running and stopping on its timer.
#include "app/BusyAnimation.h"

#include "platform/PumpedWait.h"

#include <gtest/gtest.h>

namespace {

TEST(BusyAnimationFrames, SixtyDistinctFramesOnWhiteThatLoop)
{
    QImage previous = TBusyAnimation::RenderFrame(TBusyAnimation::FrameCount - 1);
    for (int frame = 0; frame < TBusyAnimation::FrameCount; ++frame) {
        const QImage image = TBusyAnimation::RenderFrame(frame);
        ASSERT_EQ(image.size(), QSize(48, 48));
        EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::white)) << frame;
        EXPECT_EQ(image.pixelColor(47, 47), QColor(Qt::white)) << frame;
        EXPECT_NE(image, previous) << "frame " << frame << " repeats the one before";
        previous = image;
    }
    EXPECT_EQ(TBusyAnimation::RenderFrame(TBusyAnimation::FrameCount), TBusyAnimation::RenderFrame(0));
}

TEST(BusyAnimationRun, RunsOnItsTimerAndStopsOnFrameZero)
{
    TBusyAnimation animation;
    QWidget* picture = animation.findChild<QWidget*>("aniBusy");
    ASSERT_NE(picture, nullptr);
    EXPECT_FALSE(animation.IsActive());

    animation.Start();
    EXPECT_TRUE(animation.IsActive());
    ASSERT_TRUE(WaitUntilFor([&] { return animation.Frame() >= 2; }, 5000));
    animation.Start();  // running on keeps its place
    EXPECT_GE(animation.Frame(), 2);
    EXPECT_EQ(picture->grab().toImage().convertToFormat(QImage::Format_RGB32),
              TBusyAnimation::RenderFrame(animation.Frame()));

    animation.Stop();
    EXPECT_FALSE(animation.IsActive());
    EXPECT_EQ(animation.Frame(), 0);
    EXPECT_EQ(picture->grab().toImage().convertToFormat(QImage::Format_RGB32),
              TBusyAnimation::RenderFrame(0));
}

}  // namespace
