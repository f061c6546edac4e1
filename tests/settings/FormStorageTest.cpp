#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRect>
#include <QScopeGuard>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cstring>
#include <memory>

#include "app/FormLocalizer.h"
#include "platform/PrivateProfile.h"
#include "settings/FormStorage.h"
#include "settings/PlacementText.h"
#include "settings/SettingsKey.h"
#include "tests/support/TestEnvironment.h"

namespace cinevan {
namespace {

// A window with a settings store first among its components and two check boxes.
class StoredWindow : public QWidget {
public:
    StoredWindow() {
        setObjectName(QStringLiteral("FormMain"));
        Storage = new TFormStorage(this);
        Storage->SetIniFileName(ProgramSettingsKey());
        Storage->SetIniSection(QStringLiteral("Main"));
        Storage->SetStoredProps(
            {QStringLiteral("CheckBoxFullScreen.Checked"), QStringLiteral("CheckBoxLoop.Checked")});
        CheckBoxFullScreen = new QCheckBox(QStringLiteral("&Full"), this);
        CheckBoxFullScreen->setObjectName(QStringLiteral("CheckBoxFullScreen"));
        CheckBoxLoop = new QCheckBox(QStringLiteral("&Loop"), this);
        CheckBoxLoop->setObjectName(QStringLiteral("CheckBoxLoop"));
        CheckBoxLoop->move(0, 20);
        connect(CheckBoxLoop, &QCheckBox::toggled, this, [this] { ++LoopClicks; });
        move(309, 105);
        resize(364, 411);
    }

    // Frame geometry (left, top, width, height) as the window manager shows it.
    void SetFrameRect(const QRect& frame) {
        const QSize extra = frameGeometry().size() - size();
        move(frame.topLeft());
        resize(frame.size() - extra);
    }

    TFormStorage* Storage;
    QCheckBox* CheckBoxFullScreen;
    QCheckBox* CheckBoxLoop;
    int LoopClicks = 0;
    bool RefuseClose = false;
    std::function<void()> OnClose;

protected:
    void closeEvent(QCloseEvent* event) override {
        if (OnClose) {
            OnClose();
        }
        event->setAccepted(!RefuseClose);
    }
};

// Counts the times a file is written in its folder: in place, or replaced by a finished copy
// linked or renamed to its name.
class FileWrites {
public:
    explicit FileWrites(const QString& file)
        : name_(QFile::encodeName(QFileInfo(file).fileName())),
          fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        inotify_add_watch(fd_, QFile::encodeName(QFileInfo(file).absolutePath()).constData(),
                          IN_CREATE | IN_CLOSE_WRITE | IN_MOVED_TO);
    }
    ~FileWrites() { ::close(fd_); }
    FileWrites(const FileWrites&) = delete;
    FileWrites& operator=(const FileWrites&) = delete;

    int Count() {
        alignas(inotify_event) char buffer[16384];
        for (ssize_t length; (length = ::read(fd_, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && name_ == event->name) {
                    ++count_;
                }
                at += ssize_t(sizeof(inotify_event)) + event->len;
            }
        }
        return count_;
    }

private:
    QByteArray name_;
    int fd_;
    int count_ = 0;
};

class FormStorageTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir(ConfigFolder()).removeRecursively();
        QFile::remove(ConfigFolder());
        TFormPlacement::SetErrorDisplay(
            [this](QWidget*, const QString& text) { errors_.append(text); });
        TFormPlacement::SetApplicationMainWindow(nullptr);
    }
    void TearDown() override {
        TFormPlacement::SetErrorDisplay(nullptr);
        QDir(ConfigFolder()).removeRecursively();
        QFile::remove(ConfigFolder());
    }

    static QString ConfigFolder() { return test::privateHome() + "/config/Vantrel"; }
    static QString ConfigFile() { return ConfigFolder() + "/Cinevan/1.0.conf"; }
    static QString Suffix() {
        return placement::ResolutionSuffix(QGuiApplication::primaryScreen()->size());
    }
    static QString PixelsPerInch() {
        return QString::number(qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch()));
    }

    static QVariant Raw(const QString& name, const QString& section = "Main") {
        QSettings settings(ConfigFile(), QSettings::IniFormat);
        return settings.value(section + "/" + name);
    }
    static QString Stored(const QString& name, const QString& section = "Main") {
        return Raw(name, section).toString();
    }
    static void Store(const QString& name, const QVariant& value) {
        QSettings settings(ConfigFile(), QSettings::IniFormat);
        settings.setValue("Main/" + name, value);
    }

    static void ShowAndWait(QWidget& window) {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QCoreApplication::processEvents();
    }

    QStringList errors_;
};

TEST_F(FormStorageTest, CloseSavesPlacementUnderPlainAndResolutionNames) {
    StoredWindow window;
    ShowAndWait(window);
    window.SetFrameRect(QRect(100, 80, 400, 500));
    ASSERT_EQ(window.frameGeometry(), QRect(100, 80, 400, 500));
    window.CheckBoxLoop->setChecked(true);
    ASSERT_TRUE(window.close());

    EXPECT_TRUE(QFile::exists(ConfigFile())) << "settings belong in $XDG_CONFIG_HOME/Vantrel";
    EXPECT_EQ(Stored("NormPos"), "100,80,500,580");
    EXPECT_EQ(Stored("NormPos" + Suffix()), "100,80,500,580");
    EXPECT_EQ(Stored("ShowCmd"), "1");
    EXPECT_EQ(Stored("Flags"), "0");
    EXPECT_EQ(Stored("Visible"), "0");
    EXPECT_EQ(Stored("PixelsPerInch"), PixelsPerInch());
    EXPECT_EQ(Stored("MinMaxPos").count(','), 3);
    EXPECT_EQ(Stored("MinMaxPos" + Suffix()), Stored("MinMaxPos"));
    EXPECT_EQ(Stored("CheckBoxLoop_Checked"), "True");
    EXPECT_EQ(Stored("CheckBoxFullScreen_Checked"), "False");
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join('\n').toStdString();
}

TEST_F(FormStorageTest, CloseWritesTheFileOnceAndANewWindowReadsEverythingBack) {
    QString restoredDevice;
    const auto storeDevice = [&restoredDevice](StoredWindow& window) {
        TFormPlacement& storage = *window.Storage;
        QObject::connect(&storage, &TFormPlacement::OnSavePlacement, &storage,
                         [&storage] { storage.WriteValue("CurrentDevice", "MPEGVideo"); });
        QObject::connect(&storage, &TFormPlacement::OnRestorePlacement, &storage,
                         [&storage, &restoredDevice] {
                             restoredDevice = storage.ReadValue("CurrentDevice", "ActiveMovie");
                         });
    };
    ASSERT_TRUE(QDir().mkpath(QFileInfo(ConfigFile()).absolutePath()));
    {
        StoredWindow window;
        storeDevice(window);
        ShowAndWait(window);
        EXPECT_EQ(restoredDevice, "ActiveMovie");
        window.SetFrameRect(QRect(130, 70, 320, 240));
        window.CheckBoxLoop->setChecked(true);
        window.CheckBoxFullScreen->setChecked(true);
        FileWrites writes(ConfigFile());
        ASSERT_TRUE(window.close());
        EXPECT_EQ(writes.Count(), 1) << "one rewrite for all values of the window";
    }
    EXPECT_EQ(Stored("Visible"), "0") << "nothing is left for the destruction to save";

    StoredWindow restarted;
    storeDevice(restarted);
    ShowAndWait(restarted);
    EXPECT_EQ(restarted.frameGeometry(), QRect(130, 70, 320, 240));
    EXPECT_TRUE(restarted.CheckBoxLoop->isChecked());
    EXPECT_TRUE(restarted.CheckBoxFullScreen->isChecked());
    EXPECT_EQ(restoredDevice, "MPEGVideo");
    for (const char* name : {"Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos", "NormPos"}) {
        EXPECT_TRUE(Raw(name).isValid()) << name;
    }
    EXPECT_EQ(Stored("NormPos" + Suffix()), "130,70,450,310");
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join('\n').toStdString();
}

TEST_F(FormStorageTest, SaveStoppedByAFailingHandlerKeepsWhatItHadWritten) {
    StoredWindow window;
    TFormPlacement& storage = *window.Storage;
    QObject::connect(&storage, &TFormPlacement::OnSavePlacement, &storage, [&storage] {
        storage.WriteValue("CurrentDevice", "MPEGVideo");
        throw ESettingsError("Invalid data type for 'Other'");
    });
    ShowAndWait(window);
    window.CheckBoxLoop->setChecked(true);
    ASSERT_TRUE(window.close());
    storage.SetActive(false);  // no second try at destruction
    EXPECT_EQ(errors_, QStringList{"Invalid data type for 'Other'"});
    EXPECT_EQ(Stored("ShowCmd"), "1");
    EXPECT_EQ(Stored("CheckBoxLoop_Checked"), "True");
    EXPECT_EQ(Stored("CurrentDevice"), "MPEGVideo");
}

TEST_F(FormStorageTest, ShowRestoresTheRectangleOfThisScreenSizeFirst) {
    Store("NormPos" + Suffix(), "50,60,350,460");
    Store("NormPos", "10,20,310,420");
    Store("PixelsPerInch", PixelsPerInch());
    StoredWindow window;
    ShowAndWait(window);
    EXPECT_EQ(window.frameGeometry(), QRect(50, 60, 300, 400));
}

TEST_F(FormStorageTest, AnotherScreenSizeFallsBackOnThePlainName) {
    Store("NormPos(1x1)", "50,60,350,460");
    Store("NormPos", "10,20,310,420");
    StoredWindow window;
    ShowAndWait(window);
    EXPECT_EQ(window.frameGeometry(), QRect(10, 20, 300, 400));
}

TEST_F(FormStorageTest, RectangleThatNoScreenShowsIsMovedOntoTheScreen) {
    Store("NormPos", "5000,4000,5300,4200");
    StoredWindow window;
    ShowAndWait(window);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(window.frameGeometry().size(), QSize(300, 200));
    EXPECT_TRUE(screen.contains(window.frameGeometry())) << "the stored size is kept";
}

TEST_F(FormStorageTest, MissingWordsKeepTheCurrentEdges) {
    Store("NormPos", "40,30");
    StoredWindow window;
    const QRect design = window.geometry();
    ShowAndWait(window);
    const QPoint frame = window.frameGeometry().bottomRight() - window.geometry().bottomRight();
    EXPECT_EQ(window.frameGeometry(), QRect(QPoint(40, 30), design.bottomRight() + frame));
}

TEST_F(FormStorageTest, MaximisedWindowComesBackMaximisedOverItsNormalPlace) {
    {
        StoredWindow window;
        ShowAndWait(window);
        window.SetFrameRect(QRect(100, 80, 400, 500));
        window.showMaximized();
        QCoreApplication::processEvents();
        ASSERT_TRUE(window.close());
    }
    EXPECT_EQ(Stored("ShowCmd"), "3");
    EXPECT_EQ(Stored("NormPos"), "100,80,500,580");

    StoredWindow window;
    ShowAndWait(window);
    EXPECT_TRUE(window.isMaximized());
    window.showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.frameGeometry(), QRect(100, 80, 400, 500));
}

TEST_F(FormStorageTest, OtherPixelsPerInchIgnoresPositionButKeepsStateAndBoxes) {
    Store("NormPos", "10,20,310,420");
    Store("PixelsPerInch", QString::number(PixelsPerInch().toInt() + 24));
    Store("ShowCmd", "3");
    Store("CheckBoxLoop_Checked", "True");
    StoredWindow window;
    const QRect design = window.geometry();
    ShowAndWait(window);
    EXPECT_TRUE(window.isMaximized());
    EXPECT_EQ(window.normalGeometry().topLeft(), design.topLeft());
    EXPECT_TRUE(window.CheckBoxLoop->isChecked());
}

TEST_F(FormStorageTest, BooleanTextsCompareWithoutRegardToCase) {
    Store("CheckBoxLoop_Checked", "true");
    Store("CheckBoxFullScreen_Checked", " yes ");
    StoredWindow window;
    window.CheckBoxFullScreen->setChecked(true);
    ShowAndWait(window);
    EXPECT_TRUE(window.CheckBoxLoop->isChecked());
    EXPECT_EQ(window.LoopClicks, 1) << "restoring a check box runs its click handler";
    EXPECT_TRUE(window.CheckBoxFullScreen->isChecked()) << "an unknown text leaves the box";
}

TEST_F(FormStorageTest, YesLeavesLoopUnchecked) {
    Store("CheckBoxLoop_Checked", "yes");
    StoredWindow window;
    ShowAndWait(window);
    EXPECT_FALSE(window.CheckBoxLoop->isChecked());
    EXPECT_EQ(window.LoopClicks, 0);
}

TEST_F(FormStorageTest, WindowNeverShownWritesNothing) {
    {
        StoredWindow window;
        window.CheckBoxLoop->setChecked(true);
        window.close();
    }
    EXPECT_FALSE(Raw("NormPos").isValid());
    EXPECT_FALSE(Raw("CheckBoxLoop_Checked").isValid());
}

TEST_F(FormStorageTest, DestroyedAfterShowingSavesOnceWithVisibleOne) {
    {
        StoredWindow window;
        ShowAndWait(window);
        window.CheckBoxLoop->setChecked(true);
    }
    EXPECT_EQ(Stored("Visible"), "1");
    EXPECT_EQ(Stored("CheckBoxLoop_Checked"), "True") << "components outlive the store";

    {
        StoredWindow window;
        ShowAndWait(window);
        ASSERT_TRUE(window.close());
        Store("Visible", "after close");
    }
    EXPECT_EQ(Stored("Visible"), "after close") << "nothing more is written at destruction";
}

TEST_F(FormStorageTest, RefusedCloseSavesNothing) {
    StoredWindow window;
    ShowAndWait(window);
    window.RefuseClose = true;
    EXPECT_FALSE(window.close());
    EXPECT_FALSE(Raw("ShowCmd").isValid());
    window.RefuseClose = false;
    EXPECT_TRUE(window.close());
    EXPECT_EQ(Stored("ShowCmd"), "1");
}

TEST_F(FormStorageTest, SaveFromTheWindowsOwnCloseHandlerIsTheOnlySave) {
    StoredWindow window;
    ShowAndWait(window);
    window.CheckBoxFullScreen->setChecked(true);
    // As the main window does: save, then tear down what would change the stored values.
    window.OnClose = [&] {
        window.Storage->SaveOnClose();
        window.CheckBoxFullScreen->setChecked(false);
    };
    ASSERT_TRUE(window.close());
    EXPECT_EQ(Stored("CheckBoxFullScreen_Checked"), "True");
}

TEST_F(FormStorageTest, EveryShowingRestoresTheLastSavedPlace) {
    StoredWindow window;
    ShowAndWait(window);
    window.SetFrameRect(QRect(120, 90, 300, 200));
    ASSERT_TRUE(window.close());
    ShowAndWait(window);
    window.SetFrameRect(QRect(10, 10, 250, 150));
    window.hide();  // hiding is no close: nothing is saved
    ShowAndWait(window);
    EXPECT_EQ(window.frameGeometry(), QRect(120, 90, 300, 200));
}

TEST_F(FormStorageTest, MinMaxInfoLimitsTheWindowSize) {
    StoredWindow window;
    TWinMinMaxInfo limits;
    limits.MinTrackWidth = 180;
    limits.MinTrackHeight = 132;
    limits.MaxTrackWidth = 600;
    window.Storage->SetMinMaxInfo(limits);
    ShowAndWait(window);
    // Tracking sizes count the window's frame.
    window.resize(10, 10);
    EXPECT_EQ(window.frameGeometry().size(), QSize(180, 132));
    window.resize(900, 300);
    EXPECT_EQ(window.frameGeometry().width(), 600);
    EXPECT_FALSE(window.Storage->MinMaxInfo().IsDefault());
    EXPECT_TRUE(TWinMinMaxInfo{}.IsDefault());
}

TEST_F(FormStorageTest, ValueOfAnotherTypeStopsTheRestoreAndTheNextSave) {
    Store("NormPos", QRect(1, 2, 3, 4));
    Store("CheckBoxLoop_Checked", "True");
    StoredWindow window;
    ShowAndWait(window);
    EXPECT_TRUE(window.isVisible()) << "the window is shown anyway";
    EXPECT_EQ(errors_, QStringList{"Invalid data type for 'NormPos'"});
    EXPECT_FALSE(window.CheckBoxLoop->isChecked());
    ASSERT_TRUE(window.close());
    EXPECT_FALSE(Raw("ShowCmd").isValid());
}

TEST_F(FormStorageTest, ValueThatCannotBeWrittenIsShownAndTheWindowCloses) {
    StoredWindow window;
    ShowAndWait(window);
    ASSERT_TRUE(QDir().mkpath(ConfigFile()));  // a folder where the settings file belongs
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(errors_, QStringList{"Failed to set data for 'Flags'"});
}

// The damage lies in a section this window does not read, so that it is first met when the
// save writes the whole file back. (Nothing else may read the file before: QSettings shares
// what it has read of a file between its objects.)
TEST_F(FormStorageTest, DamagedFileIsRewrittenWholeWithoutAnError) {
    ASSERT_TRUE(QDir().mkpath(ConfigFolder() + "/Cinevan"));
    QFile file(ConfigFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    static const char kDamaged[] =
        "[Main]\nCheckBoxLoop_Checked=True\nCurrentDevice=MPEGVideo\n"
        "[Playlist]\nCheckBoxLink_Checked=True\n\x01\xff\xfe\x7f\x80\nFlags=3\n";
    file.write(kDamaged, sizeof kDamaged - 1);
    file.close();
    const auto statusOfWholeFile = [] {
        QSettings settings(ConfigFile(), QSettings::IniFormat);
        settings.allKeys();  // sections are read when first used
        return settings.status();
    };

    StoredWindow window;
    ShowAndWait(window);
    EXPECT_TRUE(window.CheckBoxLoop->isChecked()) << "what could be read is restored";
    window.CheckBoxFullScreen->setChecked(true);
    ASSERT_TRUE(window.close());

    EXPECT_EQ(errors_, QStringList());
    EXPECT_EQ(statusOfWholeFile(), QSettings::NoError);
    for (const char* name : {"Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos", "NormPos"}) {
        EXPECT_TRUE(Raw(name).isValid()) << name;
    }
    EXPECT_EQ(Stored("Visible"), "0");
    EXPECT_EQ(Stored("CheckBoxLoop_Checked"), "True");
    EXPECT_EQ(Stored("CheckBoxFullScreen_Checked"), "True");
    EXPECT_EQ(Stored("CurrentDevice"), "MPEGVideo") << "values this window does not own stay";
    EXPECT_EQ(Stored("CheckBoxLink_Checked", "Playlist"), "True");
    EXPECT_EQ(Stored("Flags", "Playlist"), "3") << "lines after the damaged one stay";
}

// A damaged file on a disk without room for its rewrite: the failure is still reported.
TEST_F(FormStorageTest, DamagedFileThatCannotBeRewrittenIsShown) {
    const QByteArray folder = QFile::encodeName(ConfigFolder() + "/Cinevan");
    ASSERT_TRUE(QDir().mkpath(ConfigFolder() + "/Cinevan"));
    if (::mount("tmpfs", folder.constData(), "tmpfs", 0, "size=4k") != 0) {
        GTEST_SKIP() << "a one-page tmpfs cannot be mounted here (mounting needs root with "
                        "CAP_SYS_ADMIN): "
                     << std::strerror(errno);
    }
    const auto unmount = qScopeGuard([&] { ::umount2(folder.constData(), MNT_DETACH); });
    static const char kDamaged[] = "[Main]\nCheckBoxLoop_Checked=True\n[Playlist]\n\x01\xff\n";
    QFile file(ConfigFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(kDamaged, sizeof kDamaged - 1);
    file.close();

    StoredWindow window;
    ShowAndWait(window);
    EXPECT_TRUE(window.close());
    EXPECT_EQ(errors_, QStringList{"Failed to set data for 'Flags'"});
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray(kDamaged, sizeof kDamaged - 1));
}

TEST_F(FormStorageTest, SectionThatCannotBeCreatedIsShown) {
    StoredWindow window;
    ShowAndWait(window);
    QFile blocker(ConfigFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_TRUE(window.close());
    EXPECT_EQ(errors_, QStringList{"Failed to create key Main"});
}

TEST_F(FormStorageTest, SingleValuesInsideAndOutsideThePlacementSignals) {
    StoredWindow window;
    window.Storage->WriteValue("CurrentDevice", "MPEGVideo");
    EXPECT_EQ(Stored("CurrentDevice"), "MPEGVideo");
    EXPECT_EQ(window.Storage->ReadValue("Missing", "fallback"), "fallback");

    QString restored;
    QObject::connect(window.Storage, &TFormPlacement::OnRestorePlacement, &window,
                     [&] { restored = window.Storage->ReadValue("CurrentDevice", "ActiveMovie"); });
    QObject::connect(window.Storage, &TFormPlacement::OnSavePlacement, &window,
                     [&] { window.Storage->WriteValue("CurrentDevice", "WaveAudio"); });
    ShowAndWait(window);
    EXPECT_EQ(restored, "MPEGVideo");
    ASSERT_TRUE(window.close());
    EXPECT_EQ(Stored("CurrentDevice"), "WaveAudio");
}

TEST_F(FormStorageTest, StoredPropsKeepOnlyEntriesThatNameAComponent) {
    StoredWindow window;
    window.Storage->SetStoredProps({"NoSuchBox.Checked", "CheckBoxLoop.", ".Checked",
                                    " CheckBoxLoop . Checked ", "CheckBoxFullScreen.Checked"});
    Store("CheckBoxLoop_Checked", "True");
    ShowAndWait(window);
    EXPECT_TRUE(window.CheckBoxLoop->isChecked());
    EXPECT_EQ(window.Storage->StoredProps(),
              QStringList({" CheckBoxLoop . Checked ", "CheckBoxFullScreen.Checked"}));
    delete window.CheckBoxFullScreen;
    EXPECT_EQ(window.Storage->StoredProps(), QStringList{" CheckBoxLoop . Checked "});
    ASSERT_TRUE(window.close());
    EXPECT_FALSE(Raw("CheckBoxFullScreen_Checked").isValid());
}

TEST_F(FormStorageTest, MinimisedMainWindowMinimisesOnceShown) {
    Store("ShowCmd", "2");
    StoredWindow window;
    TFormPlacement::SetApplicationMainWindow(&window);
    window.show();
    EXPECT_FALSE(window.isMinimized()) << "shown normal first";
    QTRY_VERIFY(window.isMinimized());
}

TEST_F(FormStorageTest, CatalogMovesTheSectionBeforeTheFirstShowing) {
    QTemporaryDir folder;
    const QString catalog = folder.filePath("cinevan.str");
    QFile file(catalog);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[FormMain]\nFormStorage.IniSection=Elsewhere\n");
    file.close();
    StoredWindow window;
    FormLocalizer(PrivateProfile(catalog)).Localize(&window);
    ShowAndWait(window);
    window.CheckBoxLoop->setChecked(true);
    ASSERT_TRUE(window.close());
    EXPECT_EQ(Stored("CheckBoxLoop_Checked", "Elsewhere"), "True");
    EXPECT_FALSE(Raw("CheckBoxLoop_Checked").isValid());
}

TEST_F(FormStorageTest, WithoutTheUserKeyTheNameIsAnIniFile) {
    QTemporaryDir folder;
    const QString ini = folder.filePath("placement.ini");
    StoredWindow window;
    window.Storage->SetUseRegistry(false);
    window.Storage->SetIniFileName(ini);
    ShowAndWait(window);
    ASSERT_TRUE(window.close());
    EXPECT_EQ(QSettings(ini, QSettings::IniFormat).value("Main/ShowCmd").toString(), "1");
    EXPECT_FALSE(QFile::exists(ConfigFile()));
}

TEST_F(FormStorageTest, StoreTextsAreLocalisable) {
    StoredWindow window;
    QStringList names;
    for (const LocalizableProperty& property : localizableProperties(window.Storage, false)) {
        names.append(property.name);
    }
    names.sort(Qt::CaseInsensitive);
    EXPECT_EQ(names, QStringList({"IniFileName", "IniSection", "StoredProps"}));
    EXPECT_EQ(window.Storage->objectName(), "FormStorage");
}

}  // namespace
}  // namespace cinevan
