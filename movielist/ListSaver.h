#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace cinevan {

// Writes list files (see movielistfile::writeText) on a thread of their own, so that a save to
// a share that stopped answering does not hold up the window.
//
// A save that ends within kQuickWait is reported as a plain write is: Save throws the
// EFCreateError. A longer one is reported when it ends, through `failed` on the GUI thread;
// one still not ended after kGiveUp is reported as failed then, and is kept from replacing the
// file should it ever get that far. The list itself is never touched. A save still going on
// when the saver goes may yet complete, unreported.
class ListSaver : public QObject {
public:
    static constexpr std::chrono::milliseconds kQuickWait{500};
    static constexpr std::chrono::milliseconds kGiveUp{10000};

    // Receives the failure's text ("Cannot create file ...").
    using Failed = std::function<void(const QString& message)>;

    explicit ListSaver(QObject* parent = nullptr, std::chrono::milliseconds giveUp = kGiveUp);
    ~ListSaver() override;
    ListSaver(const ListSaver&) = delete;
    ListSaver& operator=(const ListSaver&) = delete;

    void Save(const QByteArray& fileName, const QByteArray& text, Failed failed);

    // Saves started and not yet reported.
    int Pending() const;

    // The shared state of one save; defined with the saver.
    class Write;

private:
    void Report(const std::shared_ptr<Write>& write);
    void GiveUp(const std::shared_ptr<Write>& write);
    void Forget(const std::shared_ptr<Write>& write);

    const std::chrono::milliseconds FGiveUp;
    std::vector<std::shared_ptr<Write>> FPending;
};

}  // namespace cinevan
