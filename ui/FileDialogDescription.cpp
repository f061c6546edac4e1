#include "ui/FileDialogDescription.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace cinevan {

namespace {

QString QtPatterns(const QString& patterns) {
    QStringList list = patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& pattern : list) {
        pattern = pattern.trimmed();
        if (pattern == QLatin1String("*.*")) {
            pattern = QStringLiteral("*");
        }
    }
    return list.join(QLatin1Char(' '));
}

}  // namespace

QStringList NameFiltersOf(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        // The dialog hides this trailing pattern list and shows the description as written.
        filters.append(parts[i] + QStringLiteral(" (") + QtPatterns(parts[i + 1]) +
                       QLatin1Char(')'));
    }
    return filters;
}

FileDialogDescription::FileDialogDescription(Kind kind, const QString& name, Options options,
                                             QObject* parent)
    : QObject(parent), FKind(kind), FOptions(options) {
    setObjectName(name);
}

bool FileDialogDescription::Execute(QWidget* parent) {
    const QStringList chosen = FRunner ? FRunner(*this, parent) : RunFileDialog(parent);
    if (chosen.isEmpty()) {
        return false;
    }
    FFiles.clear();
    for (const QString& name : chosen) {
        FFiles.append(QFileInfo(name).absoluteFilePath());
    }
    FFileName = FFiles.first();
    QDir::setCurrent(QFileInfo(FFileName).absolutePath());
    return true;
}

void FileDialogDescription::Configure(QFileDialog& dialog) const {
    dialog.setWindowTitle(FTitle);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (FKind == Kind::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(FOptions.testFlag(AllowMultiSelect) ? QFileDialog::ExistingFiles
                                                               : QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !FOptions.testFlag(OverwritePrompt));
    }
    dialog.setDefaultSuffix(FDefaultExt);
    const QStringList filters = NameFiltersOf(FFilter);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty()) {
        dialog.selectNameFilter(filters.value(FFilterIndex - 1, filters.first()));
    }
    dialog.setDirectory(FInitialDir.isEmpty() ? QDir::currentPath() : FInitialDir);
    if (!FFileName.isEmpty()) {
        dialog.selectFile(FFileName);
    }
}

QStringList FileDialogDescription::RunFileDialog(QWidget* parent) {
    QFileDialog dialog(parent);
    Configure(dialog);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    const int index = static_cast<int>(NameFiltersOf(FFilter).indexOf(dialog.selectedNameFilter()));
    if (index >= 0) {
        FFilterIndex = index + 1;
    }
    return dialog.selectedFiles();
}

}  // namespace cinevan
