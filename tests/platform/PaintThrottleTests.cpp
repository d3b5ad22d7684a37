// The paint throttle holds back paints that come too early and never loses
// one: what changed meanwhile is painted once the interval is over, or at
// once when the throttle lets go.
#include "platform/PaintThrottle.h"

#include <QProgressBar>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

class TCountingWidget : public QWidget {
public:
    int Paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++Paints; }
};

class PaintThrottleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(Window.get());
        Counted = new TCountingWidget;
        Bar = new QProgressBar;
        layout->addWidget(Counted);
        layout->addWidget(Bar);
        Window->resize(200, 100);
        Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        QTRY_VERIFY_WITH_TIMEOUT(Counted->Paints > 0, 5000);
    }

    // Runs the event loop until nothing is left to do, as a pumped wait would.
    static void Pump()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }

    std::unique_ptr<QWidget> Window;
    TCountingWidget* Counted = nullptr;
    QProgressBar* Bar = nullptr;
};

TEST_F(PaintThrottleTest, HoldsBackEarlyPaintsUntilReleased)
{
    // An interval no test run outlasts: every second paint is held back.
    TPaintThrottle throttle(600000);
    throttle.Watch(Counted);  // any widget stands for its window
    throttle.Watch(Window.get());
    const int before = Counted->Paints;

    Counted->update();
    Pump();
    EXPECT_EQ(Counted->Paints, before + 1) << "the first paint is not held back";

    for (int i = 0; i < 10; ++i) {
        Counted->update();
        Bar->setValue(i * 10);  // a progress bar repaints at once, bypassing update()
        Pump();
    }
    EXPECT_EQ(Counted->Paints, before + 1) << "paints within the interval wait";

    throttle.Release();
    QTRY_COMPARE_WITH_TIMEOUT(Counted->Paints, before + 2, 5000);
}

TEST_F(PaintThrottleTest, HeldPaintFollowsWhenTheWindowsIntervalIsOver)
{
    // The window's own interval rules, not the throttle's.
    TPaintThrottle throttle(600000);
    throttle.Watch(Window.get(), 50);
    const int before = Counted->Paints;
    Counted->update();
    Pump();
    Counted->update();
    Pump();
    // Whether the second came early or not, it is painted: none is lost.
    QTRY_COMPARE_WITH_TIMEOUT(Counted->Paints, before + 2, 5000);
}

TEST_F(PaintThrottleTest, WindowClosedWhileHeldIsForgotten)
{
    TPaintThrottle throttle(600000);
    throttle.Watch(Window.get());
    Counted->update();
    Pump();
    Counted->update();
    Pump();
    Window.reset();  // with a paint held back
    Pump();
    throttle.Release();

    TCountingWidget other;
    other.resize(50, 50);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    throttle.Watch(&other);
    const int before = other.Paints;
    other.update();
    QTRY_COMPARE_WITH_TIMEOUT(other.Paints, before + 1, 5000);
}

}  // namespace
