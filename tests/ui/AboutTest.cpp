#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "app/ApplicationTitle.h"
#include "app/StrCont.h"
#include "controls/SecretPanel.h"
#include "controls/StrHolder.h"
#include "ui/About.h"

namespace cinevan {
namespace {

// The About window on injected memory figures. This test program carries its own version
// block (see CMakeLists.txt): language 0x0419, code page 0x04E3, file version 1.2.3.4.
class AboutTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(saved_); }

    AboutSources Sources(const QString& programFile = QCoreApplication::applicationFilePath()) {
        return {programFile,
                [this] {
                    ++measures_;
                    return status_;
                },
                [this] { return resources_; }};
    }

    QString WriteFile(const QString& name, const QByteArray& text) {
        const QString path = folder_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path;
    }

    QLocale saved_;
    QTemporaryDir folder_;
    MemoryStatus status_{0, 67108864, 0};
    std::optional<int> resources_;
    int measures_ = 0;
};

TEST_F(AboutTest, VersionAndCopyrightComeFromTheProgramFile) {
    TFormAbout about(nullptr, Sources());
    EXPECT_EQ(about.LabelPrgName->text(), ApplicationTitle());
    EXPECT_EQ(about.LabelPrgVersion->text(), QStringLiteral("version 1.2.3.4"));
    EXPECT_EQ(about.LabelCopyright->text(), QStringLiteral("Copyright (C) 2026 Vantrel"));
}

TEST_F(AboutTest, ProgramWithoutVersionBlockShowsEmptyVersionAndOneBlank) {
    TFormAbout about(nullptr, Sources(WriteFile(QStringLiteral("plain"), "no block here")));
    EXPECT_EQ(about.LabelPrgVersion->text(), QString());
    EXPECT_EQ(about.LabelCopyright->text(), QStringLiteral(" "));
}

TEST_F(AboutTest, MemoryShownInKilobytesWithThousandsSeparators) {
    TFormAbout about(nullptr, Sources());
    about.show();
    EXPECT_EQ(about.LabelMemory->text(), QStringLiteral("Physical Memory Available:"));
    EXPECT_EQ(about.LabelMemFree->text(), QStringLiteral("65,536 KB"));
    about.hide();
    status_.totalPhys = 1073741824ull * 16 + 512;  // half a kilobyte rounds up
    about.show();
    EXPECT_EQ(about.LabelMemFree->text(), QStringLiteral("16,777,217 KB"));
    EXPECT_EQ(measures_, 2);  // measured again at each opening
}

TEST_F(AboutTest, UnmeasurableResourcesShowTheMemoryLoad) {
    TFormAbout about(nullptr, Sources());
    status_.memoryLoad = 0;
    about.show();
    EXPECT_EQ(about.LabelResFree->text(), QStringLiteral("100%"));
    EXPECT_EQ(about.LabelResources->text(), QStringLiteral("Memory in Use"));
    about.hide();
    status_.memoryLoad = 37;
    about.show();
    EXPECT_EQ(about.LabelResFree->text(), QStringLiteral("37%"));
}

TEST_F(AboutTest, MeasurableResourcesShowTheFreePercentage) {
    resources_ = 85;
    TFormAbout about(nullptr, Sources());
    about.show();
    EXPECT_EQ(about.LabelResFree->text(), QStringLiteral("85% Free"));
    EXPECT_EQ(about.LabelResources->text(), QStringLiteral("System Resources:"));
}

TEST_F(AboutTest, SystemSourcesMeasureThisMachine) {
    TFormAbout about;
    about.show();
    EXPECT_TRUE(about.LabelMemFree->text().endsWith(QStringLiteral(" KB")));
    EXPECT_NE(about.LabelMemFree->text(), QStringLiteral("0 KB"));
    EXPECT_EQ(about.LabelResources->text(), QStringLiteral("Memory in Use"));
    EXPECT_TRUE(about.LabelResFree->text().endsWith(QLatin1Char('%')));
}

TEST_F(AboutTest, CreditsScrollThroughTheAboutPanel) {
    TFormAbout about(nullptr, Sources());
    const QStringList lines = about.SecretPanel->Lines();
    ASSERT_EQ(lines.size(), 13);
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(lines[i].isEmpty()) << i;
    }
    EXPECT_EQ(lines[6], QStringLiteral("Programmed && designed by"));
    EXPECT_EQ(lines[7], QString(19, QLatin1Char('~')));
    EXPECT_TRUE(lines.last().isEmpty());
    EXPECT_EQ(about.SecretPanel->Interval(), 50u);

    about.show();
    about.SecretPanel->SetActive(true);
    const int lineHeight = about.SecretPanel->LineHeight();
    EXPECT_EQ(about.SecretPanel->TextRect(), QRect(3, 3, 239, 83));
    EXPECT_EQ(about.SecretPanel->ScrollLimit(), 83 + 7 * lineHeight);
    if (lineHeight == 13) {
        EXPECT_EQ(about.SecretPanel->ScrollLimit(), 174);
    }
}

TEST_F(AboutTest, DoubleClickStartsCreditsAndClosingStopsThem) {
    TFormAbout about(nullptr, Sources());
    about.show();
    TSecretPanel& panel = *about.SecretPanel;
    QTest::mouseDClick(about.ImageIcon, Qt::LeftButton);
    ASSERT_TRUE(panel.Active());
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel.ScrollPos() >= 3; }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel.ShownFrame().isNull(); }, 10000));
    QTest::mouseDClick(about.ImageIcon, Qt::LeftButton);  // changes nothing while running
    EXPECT_GE(panel.ScrollPos(), 3);

    about.ButtonOK->click();
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
    EXPECT_FALSE(panel.Active());
    about.show();
    EXPECT_FALSE(panel.Active());
    EXPECT_EQ(panel.ScrollPos(), 0);
    EXPECT_TRUE(panel.ShownFrame().isNull());
}

TEST_F(AboutTest, CentredOnTheScreenNotOverTheMainWindow) {
    QWidget main;
    main.setGeometry(0, 0, 200, 150);
    main.show();
    TFormAbout about(&main, Sources());
    about.show();
    const QRect screen = about.screen()->availableGeometry();
    EXPECT_LE((about.frameGeometry().center() - screen.center()).manhattanLength(), 2)
        << "window at " << about.frameGeometry().x() << "," << about.frameGeometry().y();
    about.ButtonOK->click();
    main.move(screen.right() - 200, screen.bottom() - 150);
    about.show();
    EXPECT_LE((about.frameGeometry().center() - screen.center()).manhattanLength(), 2)
        << "and again at every showing";
}

TEST_F(AboutTest, EscapeClosesWithOk) {
    TFormAbout about(nullptr, Sources());
    about.show();
    QTest::mouseDClick(about.ImageIcon, Qt::LeftButton);
    QTest::keyClick(&about, Qt::Key_Escape);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
    EXPECT_FALSE(about.SecretPanel->Active());
}

TEST_F(AboutTest, CatalogReplacesTheMessageFormats) {
    const QString catalog = WriteFile(QStringLiteral("cinevan.str"),
                                      "[FormAbout]\n"
                                      "StrHolder.Strings=AboutStrings\n"
                                      "[AboutStrings]\n"
                                      "0=Memory:\n"
                                      "1=%.0n kilobytes\n"
                                      "2=Resources:\n"
                                      "3=%d%% free\n"
                                      "4=Memory used\n"
                                      "5=%d percent\n"
                                      "6=v%s\n");
    StringContainer().SetFileName(catalog);
    TFormAbout about(nullptr, Sources());
    StringContainer().SetFileName(QString());
    about.show();
    EXPECT_EQ(about.LabelPrgVersion->text(), QStringLiteral("v1.2.3.4"));
    EXPECT_EQ(about.LabelMemory->text(), QStringLiteral("Memory:"));
    EXPECT_EQ(about.LabelMemFree->text(), QStringLiteral("65,536 kilobytes"));
    EXPECT_EQ(about.LabelResources->text(), QStringLiteral("Memory used"));
    EXPECT_EQ(about.LabelResFree->text(), QStringLiteral("100 percent"));
}

TEST_F(AboutTest, ProgramIconIsShown) {
    TFormAbout about(nullptr, Sources());
    EXPECT_EQ(about.ImageIcon->pixmap().size(), QSize(32, 32));
    EXPECT_FALSE(about.windowIcon().isNull());
}

}  // namespace
}  // namespace cinevan
