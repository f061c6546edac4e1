#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QTest>
#include <QThread>
#include <atomic>
#include <memory>
#include <stdexcept>

#include "controls/RxTimer.h"
#include "controls/SecretPanel.h"

namespace cinevan {
namespace {

QFont SmallSans() {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setPixelSize(11);
    return font;
}

QStringList Credits() {
    QStringList lines(6, QString());
    lines << QStringLiteral("Programmed && designed by") << QString(19, QLatin1Char('~'))
          << QStringLiteral("A") << QStringLiteral("B") << QStringLiteral("C")
          << QStringLiteral("D") << QString();
    return lines;
}

// The background of an off-screen frame rather than of the panel itself.
bool IsFrame(const QPainter& painter) {
    return painter.device()->devType() == QInternal::Image;
}

// A shown panel laid out like the About window's: 245 by 89, no bevel.
class SecretPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        panel_ = std::make_unique<TSecretPanel>();
        panel_->resize(245, 89);
        panel_->SetBevelOuter(TPanelBevel::bvNone);
        panel_->setFont(SmallSans());
        panel_->SetInterval(1);
        panel_->OnPaintClient = [this](TSecretPanel&, QPainter& painter, const QRect& rect) {
            frames_ += IsFrame(painter);
            painter.fillRect(rect, Qt::white);
        };
        panel_->show();
    }

    bool WaitInactive(int timeoutMs = 20000) {
        return QTest::qWaitFor([this] { return !panel_->Active(); }, timeoutMs);
    }

    std::unique_ptr<TSecretPanel> panel_;
    std::atomic<int> frames_ = 0;
};

TEST_F(SecretPanelTest, AboutPanelScrollLimitIsTextHeightPlusTextLines) {
    panel_->SetInterval(100000);  // no tick during the test
    panel_->SetLines(Credits());
    panel_->SetActive(true);
    const QFontMetrics metrics(SmallSans());
    const int lineHeight = metrics.height() + metrics.leading();
    EXPECT_EQ(panel_->InnerRect(), QRect(0, 0, 245, 89));
    EXPECT_EQ(panel_->TextRect(), QRect(QPoint(3, 3), QPoint(241, 85)));  // (3, 3, 242, 86)
    EXPECT_EQ(panel_->FirstTextLine(), 6);
    EXPECT_EQ(panel_->LineHeight(), lineHeight);
    EXPECT_EQ(panel_->ScrollLimit(), 83 + 7 * lineHeight);
    if (lineHeight == 13) {
        EXPECT_EQ(panel_->ScrollLimit(), 174);
    }
}

TEST_F(SecretPanelTest, EngravedTextAddsOnePixelToTheLinePitch) {
    panel_->SetInterval(100000);
    panel_->SetLines(Credits());
    panel_->SetActive(true);
    const int plain = panel_->LineHeight();
    panel_->SetTextStyle(TPanelBevel::bvLowered);
    EXPECT_EQ(panel_->LineHeight(), plain + 1);
    EXPECT_EQ(panel_->ScrollLimit(), 83 + 7 * (plain + 1));
}

TEST_F(SecretPanelTest, BevelsAndBorderShrinkTheTextRectangle) {
    panel_->SetInterval(100000);
    panel_->SetBevelOuter(TPanelBevel::bvRaised);
    panel_->SetBevelInner(TPanelBevel::bvLowered);
    panel_->SetBevelWidth(2);
    panel_->SetBorderWidth(1);
    panel_->SetActive(true);
    EXPECT_EQ(panel_->InnerRect(), QRect(5, 5, 235, 79));
    EXPECT_EQ(panel_->TextRect(), QRect(8, 8, 229, 73));
}

// All-blank lines draw only the background; the run lasts as many ticks as the text
// rectangle is high, one frame per tick, and then the panel deactivates itself.
TEST_F(SecretPanelTest, BlankLinesRunForTheTextRectangleHeight) {
    std::atomic<int> stops = 0;
    std::atomic<bool> stoppedOnUiThread = false;
    panel_->OnStopPlay = [&](TSecretPanel&) {
        ++stops;
        stoppedOnUiThread = QThread::currentThread() == qApp->thread();
    };
    panel_->SetLines({QString(), QStringLiteral("  \t"), QString()});
    panel_->SetActive(true);
    EXPECT_EQ(panel_->FirstTextLine(), 3);
    EXPECT_EQ(panel_->ScrollLimit(), 83);
    ASSERT_TRUE(WaitInactive());
    EXPECT_EQ(frames_, 83);
    EXPECT_EQ(stops, 1);
    EXPECT_TRUE(stoppedOnUiThread);
    EXPECT_EQ(panel_->ScrollPos(), 0);
    EXPECT_TRUE(panel_->ShownFrame().isNull());
}

TEST_F(SecretPanelTest, DrawsTheTextInTheFontColour) {
    QPalette palette = panel_->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    panel_->setPalette(palette);
    panel_->SetLines({QString(40, QLatin1Char('W'))});
    panel_->SetActive(true);
    const auto hasBlue = [this] {
        const QImage frame = panel_->ShownFrame();
        for (int y = 0; y < frame.height(); ++y) {
            for (int x = 0; x < frame.width(); ++x) {
                const QColor c = frame.pixelColor(x, y);
                if (c.blue() > 200 && c.red() < 100 && c.green() < 100) {
                    return true;
                }
            }
        }
        return false;
    };
    EXPECT_TRUE(QTest::qWaitFor(hasBlue, 10000));
    EXPECT_EQ(panel_->ShownFrame().size(), panel_->TextRect().size());
    panel_->SetActive(false);
}

TEST_F(SecretPanelTest, LinesChangedWhileActiveRestartFromTheBottom) {
    panel_->SetLines(Credits());
    panel_->SetActive(true);
    ASSERT_TRUE(QTest::qWaitFor([this] { return panel_->ScrollPos() >= 20; }, 10000));
    panel_->SetInterval(100000);  // hold the run where it is
    const QStringList two = {QStringLiteral("one"), QStringLiteral("two")};
    panel_->SetLines(two);
    EXPECT_TRUE(panel_->Active());
    EXPECT_EQ(panel_->ScrollPos(), 0);
    EXPECT_EQ(panel_->FirstTextLine(), 0);
    EXPECT_EQ(panel_->ScrollLimit(), 83 + 2 * panel_->LineHeight());
    EXPECT_EQ(panel_->Lines(), two);
}

TEST_F(SecretPanelTest, CycledRunStartsAgainUntilSwitchedOff) {
    panel_->SetLines({QStringLiteral("again")});
    panel_->SetCycled(true);
    panel_->SetActive(true);
    const int limit = panel_->ScrollLimit();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames_ > 2 * limit + 10; }, 20000));
    EXPECT_TRUE(panel_->Active());
    EXPECT_LE(panel_->ScrollPos(), limit);
    panel_->SetActive(false);
    EXPECT_FALSE(panel_->Active());
    EXPECT_EQ(panel_->ScrollPos(), 0);
}

TEST_F(SecretPanelTest, ChildrenHiddenWhileActiveAndRestoredAfter) {
    auto* shown = new QLabel(QStringLiteral("shown"), panel_.get());
    auto* hidden = new QLabel(QStringLiteral("hidden"), panel_.get());
    hidden->hide();
    shown->show();
    panel_->SetInterval(100000);
    panel_->SetLines({QStringLiteral("x")});
    panel_->SetActive(true);
    EXPECT_TRUE(shown->isHidden());
    EXPECT_TRUE(hidden->isHidden());
    panel_->SetActive(false);
    EXPECT_FALSE(shown->isHidden());
    EXPECT_TRUE(hidden->isHidden());
}

TEST_F(SecretPanelTest, FailedStartLeavesThePanelInactive) {
    panel_->SetLines({QStringLiteral("x")});
    panel_->OnStartPlay = [](TSecretPanel&) { throw std::runtime_error("no start"); };
    EXPECT_THROW(panel_->SetActive(true), std::runtime_error);
    EXPECT_FALSE(panel_->Active());
    QTest::qWait(30);
    EXPECT_EQ(frames_, 0);
}

TEST_F(SecretPanelTest, UiThreadDrawingRunsToTheEnd) {
    std::atomic<bool> offUiThread = false;
    panel_->OnPaintClient = [&](TSecretPanel&, QPainter& painter, const QRect& rect) {
        frames_ += IsFrame(painter);
        offUiThread = offUiThread || QThread::currentThread() != qApp->thread();
        painter.fillRect(rect, Qt::white);
    };
    panel_->SetAsyncDrawing(false);
    panel_->SetLines({QStringLiteral("sync")});
    panel_->SetActive(true);
    const int limit = panel_->ScrollLimit();
    ASSERT_TRUE(WaitInactive());
    EXPECT_EQ(frames_, limit);
    EXPECT_FALSE(offUiThread);
}

TEST_F(SecretPanelTest, LongLinesAreCutTo255Characters) {
    panel_->SetInterval(100000);
    panel_->SetScrollDirection(TScrollDirection::sdHorizontal);
    panel_->SetLines({QString(400, QLatin1Char('m'))});
    panel_->SetActive(true);
    const int width255 = QFontMetrics(SmallSans()).horizontalAdvance(QString(255, 'm'));
    EXPECT_EQ(panel_->ScrollLimit(), panel_->TextRect().width() + width255);
}

TEST_F(SecretPanelTest, HorizontalRowsSitCentred) {
    panel_->SetInterval(100000);
    panel_->SetScrollDirection(TScrollDirection::sdHorizontal);
    panel_->SetLines({QString(), QStringLiteral("left"), QString()});
    panel_->SetActive(true);
    const int spare = 83 - panel_->LineHeight();
    EXPECT_EQ(panel_->TextRect().top(), 3 + spare / 2);
    EXPECT_EQ(panel_->TextRect().height(), 83 - 2 * (spare / 2));
}

TEST_F(SecretPanelTest, GlyphTakesItsPlaceBesideTheText) {
    panel_->SetInterval(100000);
    QImage glyph(16, 20, QImage::Format_RGB32);
    glyph.fill(Qt::red);
    panel_->SetGlyph(glyph);
    panel_->SetActive(true);
    // Left: the glyph starts 3 pixels in, the text 3 pixels after it.
    EXPECT_EQ(panel_->TextRect().left(), 3 + 3 + 16 + 0 + 3);
    panel_->SetGlyphLayout(TGlyphLayout::glGlyphBottom);
    EXPECT_EQ(panel_->TextRect().left(), 3);
    EXPECT_EQ(panel_->TextRect().bottom() + 1, (86 - 20 - 3) - 6);
}

TEST_F(SecretPanelTest, TooSmallPanelShowsNothingAndStillEnds) {
    panel_->resize(5, 5);
    panel_->SetLines({QStringLiteral("x")});
    panel_->SetActive(true);
    EXPECT_TRUE(panel_->TextRect().isEmpty());
    ASSERT_TRUE(WaitInactive());
    EXPECT_EQ(frames_, 0);
}

// Deactivation never releases the frame while the timer thread draws it; ASan reports a use
// after free if it does.
TEST_F(SecretPanelTest, SwitchingOnAndOffWhileFramesAreDrawnIsSafe) {
    panel_->SetLines(Credits());
    panel_->SetCycled(true);
    for (int i = 0; i < 300; ++i) {
        panel_->SetActive(true);
        if (i % 3 == 0) {
            QTest::qWait(2);
        }
        if (i % 5 == 0) {
            panel_->SetLines(i % 2 ? Credits() : QStringList{QStringLiteral("x")});
        }
        QCoreApplication::processEvents();
        panel_->SetActive(false);
        ASSERT_TRUE(panel_->ShownFrame().isNull());
    }
    panel_->SetActive(true);
    QTest::qWait(5);
    panel_.reset();  // destroyed while active
    QCoreApplication::processEvents();
}

TEST(RxTimerTest, TicksOnItsOwnThreadUntilDisabled) {
    TRxTimer timer;
    std::atomic<int> ticks = 0;
    std::atomic<bool> onUiThread = false;
    timer.SetSyncEvent(false);
    timer.SetInterval(1);
    timer.SetOnTimer([&] {
        ++ticks;
        onUiThread = onUiThread || QThread::currentThread() == qApp->thread();
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks >= 5; }, 10000));
    EXPECT_FALSE(onUiThread);
    timer.SetEnabled(false);
    const int stopped = ticks;
    QTest::qWait(30);
    EXPECT_LE(ticks - stopped, 1);  // at most the tick that was already running
}

TEST(RxTimerTest, SyncEventAndWindowTimerTickOnTheUiThread) {
    for (const bool threaded : {true, false}) {
        TRxTimer timer;
        timer.SetThreaded(threaded);
        timer.SetInterval(1);
        std::atomic<int> ticks = 0;
        std::atomic<bool> offUiThread = false;
        timer.SetOnTimer([&] {
            ++ticks;
            offUiThread = offUiThread || QThread::currentThread() != qApp->thread();
        });
        ASSERT_TRUE(QTest::qWaitFor([&] { return ticks >= 5; }, 10000)) << threaded;
        EXPECT_FALSE(offUiThread) << threaded;
    }
}

TEST(RxTimerTest, ZeroIntervalOrNoHandlerNeverTicks) {
    TRxTimer timer;
    std::atomic<int> ticks = 0;
    timer.SetSyncEvent(false);
    timer.SetInterval(0);
    timer.SetOnTimer([&] { ++ticks; });
    QTest::qWait(30);
    EXPECT_EQ(ticks, 0);
}

TEST(RxTimerTest, FailingTickIsReportedAndTheTimerGoesOn) {
    TRxTimer timer;
    std::atomic<int> ticks = 0;
    QStringList messages;
    bool offUiThread = false;
    QObject::connect(&timer, &TRxTimer::TickFailed, &timer, [&](const QString& message) {
        offUiThread = offUiThread || QThread::currentThread() != qApp->thread();
        messages.append(message);
    });
    timer.SetSyncEvent(false);
    timer.SetInterval(1);
    timer.SetOnTimer([&] {
        ++ticks;
        throw std::runtime_error("tick failed");
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.size() >= 3; }, 10000));
    EXPECT_EQ(messages.first(), QStringLiteral("tick failed"));
    EXPECT_FALSE(offUiThread);
}

}  // namespace
}  // namespace cinevan
