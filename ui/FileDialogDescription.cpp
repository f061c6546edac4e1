#include "ui/FileDialogDescription.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <utility>

#include "platform/BoundedCall.h"

namespace cinevan {

namespace {

constexpr int kEnterFolderLimitMs = 500;

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

// The extension of a filter's first pattern ("Playlists (*.m3u8 *.m3u)" gives "m3u8"); empty
// for a pattern such as "*" that names none.
QString ExtensionOf(const QString& nameFilter) {
    const qsizetype open = nameFilter.lastIndexOf(QLatin1Char('('));
    const qsizetype close = nameFilter.indexOf(QLatin1Char(')'), open);
    const QString patterns = nameFilter.mid(open + 1, close < 0 ? -1 : close - open - 1);
    const QString first =
        patterns.split(QRegularExpression(QStringLiteral("[ ;]")), Qt::SkipEmptyParts).value(0);
    const QString extension = first.startsWith(QLatin1String("*.")) ? first.mid(2) : QString();
    return extension.contains(QRegularExpression(QStringLiteral("[*?\\[]"))) ? QString()
                                                                             : extension;
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
    : QObject(parent), kind_(kind), options_(options) {
    setObjectName(name);
}

const QString& FileDialogDescription::Filter() const {
    if (makeFilter_) {
        filter_ = std::exchange(makeFilter_, nullptr)();
    }
    return filter_;
}

void FileDialogDescription::SetFilter(const QString& value) {
    makeFilter_ = nullptr;
    filter_ = value;
}

void FileDialogDescription::SetFilterMaker(std::function<QString()> make) {
    filter_.clear();
    makeFilter_ = std::move(make);
}

bool FileDialogDescription::Execute(QWidget* parent) {
    const QStringList chosen = runner_ ? runner_(*this, parent) : RunFileDialog(parent);
    if (chosen.isEmpty()) {
        return false;
    }
    files_.clear();
    for (const QString& name : chosen) {
        files_.append(QFileInfo(name).absoluteFilePath());
    }
    fileName_ = files_.first();
    // The folder chosen in becomes the current folder; one on a share that stopped answering
    // is left alone rather than waited for.
    callWithin(QDeadlineTimer(kEnterFolderLimitMs),
               [folder = QFileInfo(fileName_).absolutePath()] { return QDir::setCurrent(folder); });
    return true;
}

void FileDialogDescription::Configure(QFileDialog& dialog) const {
    dialog.setWindowTitle(title_);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (kind_ == Kind::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(options_.testFlag(AllowMultiSelect) ? QFileDialog::ExistingFiles
                                                               : QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !options_.testFlag(OverwritePrompt));
    }
    dialog.setDefaultSuffix(defaultExt_);
    const QStringList filters = NameFiltersOf(Filter());
    dialog.setNameFilters(filters);
    if (!defaultExt_.isEmpty()) {
        // A name typed without extension gets the one of the chosen file type, the default
        // extension where that type names none.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, fallback = defaultExt_](const QString& filter) {
                             const QString extension = ExtensionOf(filter);
                             dialog.setDefaultSuffix(extension.isEmpty() ? fallback : extension);
                         });
    }
    if (!filters.isEmpty()) {
        dialog.selectNameFilter(filters.value(filterIndex_ - 1, filters.first()));
    }
    dialog.setDirectory(initialDir_.isEmpty() ? QDir::currentPath() : initialDir_);
    if (!fileName_.isEmpty()) {
        dialog.selectFile(fileName_);
    }
}

QStringList FileDialogDescription::RunFileDialog(QWidget* parent) {
    QFileDialog dialog(parent);
    Configure(dialog);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    const int index =
        static_cast<int>(NameFiltersOf(Filter()).indexOf(dialog.selectedNameFilter()));
    if (index >= 0) {
        filterIndex_ = index + 1;
    }
    return dialog.selectedFiles();
}

}  // namespace cinevan
