#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "playback/PlayerController.h"
#include "playback/mci/DeviceLayer.h"
#include "playback/mci/simulated/SimulatedDevice.h"
#include "tests/playback/FakeView.h"

namespace cinevan::test {

// The player logic on simulated devices that share one virtual clock and one command log.
// Movie files are real (empty) files in a temporary folder; how each behaves on a device is
// scripted by its full name.
class PlayerControllerTest : public ::testing::Test {
protected:
    static constexpr qint64 kTickMs = 500;

    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        savedFolder_ = QDir::currentPath();
        root_ = QDir(folder_.path()).canonicalPath();
        player = std::make_unique<PlayerController>(view, layer);
        view.Attach(*player);
        player->SetDeviceName(QStringLiteral("ActiveMovie"));
    }

    // Reading a command line or dropped files changes the process's current folder.
    void TearDown() override { QDir::setCurrent(savedFolder_); }

    // The two device types of a usual installation.
    void AddStandardTypes() {
        activeMovie = &AddType(QStringLiteral("ActiveMovie"));
        mpegVideo = &AddType(QStringLiteral("MPEGVideo"));
    }

    mci::SimulatedDeviceType& AddType(const QString& name, quint32 hasVideo = 1,
                                      quint32 usesFiles = 1) {
        mci::SimulatedTypeScript script;
        script.name = name;
        script.hasVideo = hasVideo;
        script.usesFiles = usesFiles;
        script.product = name + QStringLiteral(" product");
        types_.push_back(&sim.add(layer, script));
        return *types_.back();
    }

    // Creates a movie file that plays `element` on every registered type.
    QString MakeMovie(const QString& name, mci::SimulatedElement element = {}) {
        const QString path = root_ + QLatin1Char('/') + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        ScriptElement(path, element);
        return path;
    }
    QString MakeMovie(const QString& name, quint32 lengthMs) {
        mci::SimulatedElement element;
        element.lengthMs = lengthMs;
        return MakeMovie(name, element);
    }
    // A name in the temporary folder with no file behind it.
    QString MissingMovie(const QString& name) const { return root_ + QLatin1Char('/') + name; }

    void ScriptElement(const QString& path, const mci::SimulatedElement& element) {
        for (mci::SimulatedDeviceType* type : types_) {
            type->script().elements.insert(path, element);
        }
    }

    void AddMovies(const QStringList& paths) {
        QByteArrayList names;
        for (const QString& path : paths) {
            names << QFile::encodeName(path);
        }
        player->List().AddMovies(names, false);
    }
    void SetSelection(int index, const QByteArray& start, const QByteArray& stop) {
        player->List().SetMovieField(index, MovieList::kStart, start);
        player->List().SetMovieField(index, MovieList::kStop, stop);
    }
    QString CurrentFile() const {
        const MovieList& list = player->List();
        return QFile::decodeName(list.GetMovieField(list.Current(), MovieList::kFileName));
    }

    // The timer: the clock moves on by one interval, then the timer's handler runs.
    void Tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            sim.clock->advance(kTickMs);
            player->ActiveMovieTimer();
        }
    }
    // Ticks until `virtualMs` of clock time have passed in all.
    void RunUntil(qint64 virtualMs) {
        while (sim.clock->nowMs() + kTickMs <= virtualMs) {
            Tick();
        }
    }

    // Commands that act on the devices (no queries), without the video window's placement.
    QStringList Transport() const {
        QStringList kept;
        for (const QString& command : sim.log->commands(mci::SimulatedLog::Filter::Actions)) {
            if (!command.startsWith(QStringLiteral("window ")) &&
                !command.startsWith(QStringLiteral("put "))) {
                kept << command;
            }
        }
        return kept;
    }
    // The first and last of `texts`, empty when there is none.
    static QString First(const QStringList& texts) { return texts.value(0); }
    static QString Last(const QStringList& texts) { return texts.value(texts.size() - 1); }

    QStringList AllCommands() const { return sim.log->commands(); }
    void ClearLog() {
        sim.log->clear();
        view.ClearEvents();
    }

    // The engine's own bookkeeping agrees with the device layer.
    void ExpectConsistent() const {
        const bool open = player->MovieOpen();
        EXPECT_EQ(open, player->State() != PlayState::Closed);
        EXPECT_EQ(layer.openCount(), open ? 1u : 0u);
        const MovieList& list = player->List();
        if (list.MovieCount() == 0) {
            EXPECT_EQ(list.Current(), -1);
        } else {
            EXPECT_GE(list.Current(), 0);
            EXPECT_LT(list.Current(), list.MovieCount());
        }
        EXPECT_NE(player->LastError(), mci::Error::InvalidDeviceId)
            << "a command went to a device that is not open";
    }

    QString Open(const QString& path) const { return QStringLiteral("open ") + path; }

    mci::SimulatedDevices sim;
    mci::DeviceLayer layer;
    FakeView view;
    std::unique_ptr<PlayerController> player;
    mci::SimulatedDeviceType* activeMovie = nullptr;
    mci::SimulatedDeviceType* mpegVideo = nullptr;

private:
    QTemporaryDir folder_;
    QString savedFolder_;
    QString root_;
    std::vector<mci::SimulatedDeviceType*> types_;
};

// Most tests run on the usual two device types.
class PlayerTest : public PlayerControllerTest {
protected:
    void SetUp() override {
        PlayerControllerTest::SetUp();
        AddStandardTypes();
    }
};

}  // namespace cinevan::test
