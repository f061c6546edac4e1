#pragma once

#include <QFlags>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QFileDialog;
class QWidget;

namespace cinevan {

// A file dialog as a window describes it: its texts (which the message catalog may replace),
// its kind and its options. Each run builds a fresh QFileDialog from the description and keeps
// what the user chose. After a confirmed choice the folder of the chosen files becomes the
// process's current folder, so that relative names found later resolve against it.
class FileDialogDescription : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString DefaultExt READ DefaultExt WRITE SetDefaultExt)
    Q_PROPERTY(QString FileName READ FileName WRITE SetFileName)
    Q_PROPERTY(QString Filter READ Filter WRITE SetFilter)
    Q_PROPERTY(QString InitialDir READ InitialDir WRITE SetInitialDir)
    Q_PROPERTY(QString Title READ Title WRITE SetTitle)
    Q_CLASSINFO("LocalizableProperties", "DefaultExt,FileName,Filter,InitialDir,Title")

public:
    enum class Kind { Open, Save };
    enum Option {
        AllowMultiSelect = 0x1,
        OverwritePrompt = 0x2,
    };
    Q_DECLARE_FLAGS(Options, Option)

    // Shows the dialog and returns the chosen names, none when the user cancelled.
    using Runner = std::function<QStringList(FileDialogDescription& dialog, QWidget* parent)>;

    FileDialogDescription(Kind kind, const QString& name, Options options, QObject* parent);

    // Runs the dialog; true when the user confirmed a choice, which Files() then holds.
    bool Execute(QWidget* parent);
    const QStringList& Files() const { return FFiles; }

    // Gives `dialog` the title, filters, default extension, folder and options described here.
    void Configure(QFileDialog& dialog) const;
    // Replaces the interactive dialog, for example by a scripted choice.
    void SetRunner(Runner runner) { FRunner = std::move(runner); }

    Kind DialogKind() const { return FKind; }
    Options DialogOptions() const { return FOptions; }
    // 1-based index of the filter selected when the dialog opens; the last one chosen.
    int FilterIndex() const { return FFilterIndex; }

    const QString& DefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const QString& value) { FDefaultExt = value; }
    const QString& FileName() const { return FFileName; }
    void SetFileName(const QString& value) { FFileName = value; }
    // Pairs of description and patterns, all separated by '|'; patterns are separated by ';'.
    const QString& Filter() const { return FFilter; }
    void SetFilter(const QString& value) { FFilter = value; }
    const QString& InitialDir() const { return FInitialDir; }
    void SetInitialDir(const QString& value) { FInitialDir = value; }
    const QString& Title() const { return FTitle; }
    void SetTitle(const QString& value) { FTitle = value; }

private:
    QStringList RunFileDialog(QWidget* parent);

    Kind FKind;
    Options FOptions;
    Runner FRunner;
    QStringList FFiles;
    int FFilterIndex = 1;
    QString FDefaultExt;
    QString FFileName;
    QString FFilter;
    QString FInitialDir;
    QString FTitle;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(FileDialogDescription::Options)

// Qt name filters for a filter text of description and pattern pairs. "*.*" matches every
// file, as it does on the systems the pattern comes from.
QStringList NameFiltersOf(const QString& filter);

}  // namespace cinevan
