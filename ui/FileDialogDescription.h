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
    const QStringList& Files() const { return files_; }

    // Gives `dialog` the title, filters, default extension, folder and options described here.
    void Configure(QFileDialog& dialog) const;
    // Replaces the interactive dialog, for example by a scripted choice.
    void SetRunner(Runner runner) { runner_ = std::move(runner); }

    Kind DialogKind() const { return kind_; }
    Options DialogOptions() const { return options_; }
    // 1-based index of the filter selected when the dialog opens; the last one chosen.
    int FilterIndex() const { return filterIndex_; }

    const QString& DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(const QString& value) { defaultExt_ = value; }
    const QString& FileName() const { return fileName_; }
    void SetFileName(const QString& value) { fileName_ = value; }
    // Pairs of description and patterns, all separated by '|'; patterns are separated by ';'.
    const QString& Filter() const;
    void SetFilter(const QString& value);
    // A filter that is costly to make is made by `make` when it is first read, unless
    // SetFilter() replaces it before.
    void SetFilterMaker(std::function<QString()> make);
    const QString& InitialDir() const { return initialDir_; }
    void SetInitialDir(const QString& value) { initialDir_ = value; }
    const QString& Title() const { return title_; }
    void SetTitle(const QString& value) { title_ = value; }

private:
    QStringList RunFileDialog(QWidget* parent);

    Kind kind_;
    Options options_;
    Runner runner_;
    QStringList files_;
    int filterIndex_ = 1;
    QString defaultExt_;
    QString fileName_;
    mutable QString filter_;
    mutable std::function<QString()> makeFilter_;
    QString initialDir_;
    QString title_;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(FileDialogDescription::Options)

// Qt name filters for a filter text of description and pattern pairs. "*.*" matches every
// file, as it does on the systems the pattern comes from.
QStringList NameFiltersOf(const QString& filter);

}  // namespace cinevan
