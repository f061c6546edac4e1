#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QThread>
#include <atomic>

#include "playback/mci/gst/GstConfigDialog.h"
#include "playback/mci/gst/GstOptions.h"
#include "playback/mci/mpv/MpvConfigDialog.h"
#include "playback/mci/mpv/MpvOptions.h"

namespace cinevan::test {

namespace {

using mci::MpvConfigDialog;
using mci::MpvOptions;
using mci::gst::GstConfigDialog;
using mci::gst::GstOptions;

// Options are shared by the whole process: every case starts and ends with the defaults.
class EngineOptionsTest : public ::testing::Test {
protected:
    void SetUp() override { restoreDefaults(); }
    void TearDown() override { restoreDefaults(); }

    static void restoreDefaults() {
        MpvOptions::set(MpvOptions{});
        GstOptions::set(GstOptions{});
    }

    // The check box whose text contains `text` (without the shortcut marks).
    static QCheckBox* box(QDialog& dialog, const QString& text) {
        for (QCheckBox* candidate : dialog.findChildren<QCheckBox*>()) {
            if (candidate->text().remove('&').contains(text, Qt::CaseInsensitive)) {
                return candidate;
            }
        }
        return nullptr;
    }

    static void press(QDialog& dialog, QDialogButtonBox::StandardButton which) {
        auto* buttons = dialog.findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        ASSERT_NE(buttons->button(which), nullptr);
        buttons->button(which)->click();
    }
};

}  // namespace

TEST_F(EngineOptionsTest, LibmpvDialogStoresOnOkOnlyAndShowsWhatIsStored) {
    const quint64 before = MpvOptions::generation();
    {
        MpvConfigDialog dialog(QStringLiteral("mpv test"));
        QCheckBox* hardware = box(dialog, QStringLiteral("hardware"));
        ASSERT_NE(hardware, nullptr);
        hardware->setChecked(true);
        press(dialog, QDialogButtonBox::Cancel);
    }
    EXPECT_FALSE(MpvOptions::current().hardwareDecoding);
    EXPECT_EQ(MpvOptions::generation(), before);

    {
        MpvConfigDialog dialog(QStringLiteral("mpv test"));
        box(dialog, QStringLiteral("hardware"))->setChecked(true);
        auto* audio = dialog.findChild<QComboBox*>();
        ASSERT_NE(audio, nullptr);
        audio->setCurrentIndex(audio->findData(QStringLiteral("null")));
        press(dialog, QDialogButtonBox::Ok);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_TRUE(MpvOptions::current().hardwareDecoding);
    EXPECT_EQ(MpvOptions::current().audioOutput, QStringLiteral("null"));
    EXPECT_EQ(MpvOptions::generation(), before + 1);

    MpvConfigDialog again(QStringLiteral("mpv test"));
    EXPECT_TRUE(box(again, QStringLiteral("hardware"))->isChecked());
    EXPECT_EQ(again.findChild<QComboBox*>()->currentData().toString(), QStringLiteral("null"));
}

TEST_F(EngineOptionsTest, GStreamerDialogStoresOnOkOnlyAndShowsWhatIsStored) {
    {
        GstConfigDialog dialog(QStringLiteral("GStreamer test"));
        QCheckBox* sound = box(dialog, QStringLiteral("sound"));
        ASSERT_NE(sound, nullptr);
        EXPECT_TRUE(sound->isChecked());
        sound->setChecked(false);
        press(dialog, QDialogButtonBox::Cancel);
    }
    EXPECT_TRUE(GstOptions::current().sound);

    {
        GstConfigDialog dialog(QStringLiteral("GStreamer test"));
        box(dialog, QStringLiteral("sound"))->setChecked(false);
        QCheckBox* smooth = box(dialog, QStringLiteral("smooth"));
        ASSERT_NE(smooth, nullptr);
        smooth->setChecked(false);
        press(dialog, QDialogButtonBox::Ok);
    }
    EXPECT_FALSE(GstOptions::current().sound);
    EXPECT_FALSE(GstOptions::current().smoothScaling);

    GstConfigDialog again(QStringLiteral("GStreamer test"));
    EXPECT_FALSE(box(again, QStringLiteral("sound"))->isChecked());
    EXPECT_FALSE(box(again, QStringLiteral("smooth"))->isChecked());
}

// The engines read their options on threads of their own while the dialog may store new ones:
// a reader gets one whole set of options, never half of an old one and half of a new one.
TEST_F(EngineOptionsTest, ReadersOnOtherThreadsGetWholeSets) {
    const QString pulse = QStringLiteral("pulse").repeated(50);
    const QString alsa = QStringLiteral("alsa").repeated(50);
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::atomic<int> reads{0};
    QThread* reader = QThread::create([&] {
        for (; !done; ++reads) {
            const MpvOptions options = MpvOptions::current();
            const QString& expected = options.hardwareDecoding ? pulse : alsa;
            torn += options.audioOutput == expected || options.audioOutput.isEmpty() ? 0 : 1;
        }
    });
    reader->start();
    for (int i = 0; i < 20000 || reads < 20000; ++i) {
        MpvOptions options;
        options.hardwareDecoding = (i % 2) == 0;
        options.audioOutput = options.hardwareDecoding ? pulse : alsa;
        MpvOptions::set(options);
    }
    done = true;
    reader->wait();
    delete reader;
    EXPECT_EQ(torn, 0);
}

}  // namespace cinevan::test
