#include "controls/OpenPictureDialog.h"

#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <cstdlib>
#include <functional>
#include <limits>

#include "controls/FileCheck.h"
#include "controls/ImageEx.h"
#include "pictures/Picture.h"
#include "pictures/PictureFormats.h"

namespace cinevan {

namespace {

const QString kPictureText = QStringLiteral("Picture:");
const QString kSizeText = QStringLiteral(" (%1x%2)");
const QString kNoneText = QStringLiteral("(None)");
const QString kPreviewText = QStringLiteral("Preview");

constexpr int kPanelWidth = 169;
constexpr int kPanelBorder = 6;
constexpr int kLabelHeight = 23;
constexpr QSize kPreviewButtonSize(23, 22);
constexpr int kPreviewBorder = 5;

// A plain drawing surface whose painting and double clicks belong to its owner.
class PaintBoxWidget : public QWidget {
public:
    using QWidget::QWidget;

    std::function<void(QPainter&)> onPaint;
    std::function<void()> onDoubleClick;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        onPaint(painter);
    }
    void mouseDoubleClickEvent(QMouseEvent*) override { onDoubleClick(); }
};

// A magnifying glass, 16 by 16 pixels.
QIcon PreviewGlyph() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(QColor(0xc0, 0xe0, 0xff));
    painter.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    painter.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(10, 10), QPointF(14, 14));
    painter.end();
    return QIcon(pixmap);
}

}  // namespace

int MulDiv(int a, int b, int c) {
    if (c == 0) {
        return -1;
    }
    const qint64 product = static_cast<qint64>(a) * b;
    const qint64 magnitude = (std::llabs(product) + std::llabs(c) / 2) / std::llabs(c);
    const qint64 result = (product < 0) != (c < 0) ? -magnitude : magnitude;
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min()) {
        return -1;
    }
    return static_cast<int>(result);
}

QRect PreviewRect(const QRect& box, QSize picture) {
    const int pw = picture.width();
    const int ph = picture.height();
    if (box.width() >= pw && box.height() >= ph) {
        return {box.left() + (box.width() - pw) / 2, box.top() + (box.height() - ph) / 2, pw, ph};
    }
    if (ph < pw) {
        return {box.left(), box.top(), box.width(), MulDiv(ph, box.width(), pw)};
    }
    return {box.left(), box.top(), MulDiv(pw, box.height(), ph), box.height()};
}

QStringList PictureNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern =
                pattern.trimmed() == QLatin1String("*.*") ? QStringLiteral("*") : pattern.trimmed();
        }
        result.append(QStringLiteral("%1 (%2)").arg(parts[i], patterns.join(QLatin1Char(' '))));
    }
    return result;
}

QString DefaultPictureFilter() {
    QStringList all;
    QStringList entries;
    for (const pictures::PictureFormat& format : pictures::pictureFormats()) {
        QStringList patterns;
        for (const QString& extension : format.extensions) {
            patterns.append(QStringLiteral("*.") + extension);
        }
        const QString joined = patterns.join(QLatin1Char(';'));
        entries.append(QStringLiteral("%1 (%2)|%2").arg(format.description, joined));
        all.append(patterns);
    }
    const QString joined = all.join(QLatin1Char(';'));
    entries.prepend(QStringLiteral("All (%1)|%1").arg(joined));
    return entries.join(QLatin1Char('|'));
}

TPicturePanel::TPicturePanel(Picture& picture, QWidget* parent)
    : QFrame(parent), FPicture(picture) {
    setObjectName(QStringLiteral("PicturePanel"));
    setFrameShape(QFrame::NoFrame);
    setFixedWidth(kPanelWidth);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kPanelBorder, kPanelBorder, kPanelBorder, kPanelBorder);
    layout->setSpacing(0);

    PictureLabel = new QLabel(this);
    PictureLabel->setObjectName(QStringLiteral("PictureLabel"));
    PictureLabel->setFixedHeight(kLabelHeight);
    PictureLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(PictureLabel);

    PaintPanel = new QFrame(this);
    PaintPanel->setObjectName(QStringLiteral("PaintPanel"));
    PaintPanel->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    layout->addWidget(PaintPanel, 1);
    auto* paintLayout = new QVBoxLayout(PaintPanel);
    paintLayout->setContentsMargins(0, 0, 0, 0);
    auto* paintBox = new PaintBoxWidget(PaintPanel);
    paintBox->onPaint = [this](QPainter& painter) { PaintPreview(painter); };
    paintBox->onDoubleClick = [this] { ShowPreviewWindow(); };
    PaintBox = paintBox;
    PaintBox->setObjectName(QStringLiteral("PaintBox"));
    paintLayout->addWidget(PaintBox);

    PreviewButton = new QToolButton(this);
    PreviewButton->setObjectName(QStringLiteral("PreviewButton"));
    PreviewButton->setFixedSize(kPreviewButtonSize);
    PreviewButton->setIcon(PreviewGlyph());
    PreviewButton->setAutoRaise(true);
    PreviewButton->setToolTip(kPreviewText);
    PreviewButton->setEnabled(false);
    connect(PreviewButton, &QToolButton::clicked, this, &TPicturePanel::ShowPreviewWindow);
}

void TPicturePanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    PlacePreviewButton();
}

void TPicturePanel::PlacePreviewButton() {
    const QRect paint = PaintPanel->geometry();
    PreviewButton->move(paint.left() + paint.width() - PreviewButton->width() - 2, 1);
    PreviewButton->raise();
}

void TPicturePanel::SelectionChange(const QString& path) {
    bool valid = IsLoadableFile(path);
    if (valid) {
        try {
            FPicture.loadFromFile(path);
            PictureLabel->setText(kPictureText +
                                  kSizeText.arg(FPicture.width()).arg(FPicture.height()));
            PreviewButton->setEnabled(true);
        } catch (const std::exception&) {
            valid = false;
        }
    }
    if (!valid) {
        PictureLabel->setText(kPictureText);
        PreviewButton->setEnabled(false);
        FPicture.clear();
    }
    PaintBox->update();
}

void TPicturePanel::PaintPreview(QPainter& painter) const {
    const QRect box = PaintBox->rect();
    painter.setBrush(PaintBox->palette().color(PaintBox->backgroundRole()));
    const Graphic* graphic = FPicture.graphic();
    if (!graphic || FPicture.width() <= 0) {
        const QFontMetrics metrics(PaintBox->font());
        const QSize text(metrics.horizontalAdvance(kNoneText), metrics.height());
        painter.setPen(PaintBox->palette().color(QPalette::WindowText));
        painter.drawText(QRect(QPoint(box.left() + (box.width() - text.width()) / 2,
                                      box.top() + (box.height() - text.height()) / 2),
                               text),
                         Qt::AlignLeft | Qt::AlignTop, kNoneText);
        return;
    }
    graphic->draw(painter, PreviewRect(box, graphic->size()));
}

std::unique_ptr<QDialog> TPicturePanel::CreatePreviewWindow() const {
    auto window = std::make_unique<QDialog>(
        this->window(), Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    window->setObjectName(QStringLiteral("PreviewForm"));
    window->setWindowTitle(kPreviewText);
    auto* windowLayout = new QVBoxLayout(window.get());
    windowLayout->setContentsMargins(0, 0, 0, 0);

    auto* panel = new QFrame(window.get());
    panel->setObjectName(QStringLiteral("Panel"));
    panel->setFrameStyle(QFrame::Box | QFrame::Plain);
    panel->setLineWidth(1);
    panel->setAutoFillBackground(true);
    panel->setBackgroundRole(QPalette::Window);
    windowLayout->addWidget(panel);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(kPreviewBorder, kPreviewBorder, kPreviewBorder, kPreviewBorder);

    auto* image = new TImageEx(panel);
    image->setObjectName(QStringLiteral("Image"));
    image->setStretch(true);
    image->setPicture(&FPicture);
    panelLayout->addWidget(image);

    if (FPicture.width() > 0) {
        const int frame = 2 * panel->frameWidth();
        window->resize(FPicture.width() + 2 * kPreviewBorder + frame,
                       FPicture.height() + 2 * kPreviewBorder + frame);
    }
    if (const QScreen* screen = window->screen()) {
        QRect bounds(QPoint(), window->size());
        bounds.moveCenter(screen->availableGeometry().center());
        window->move(bounds.topLeft());
    }
    return window;
}

void TPicturePanel::ShowPreviewWindow() {
    const std::unique_ptr<QDialog> window = CreatePreviewWindow();
    window->exec();
}

TOpenPictureDialog::TOpenPictureDialog(QObject* parent)
    : QObject(parent), FFilter(DefaultPictureFilter()), FPicture(std::make_unique<Picture>()) {}

TOpenPictureDialog::~TOpenPictureDialog() = default;

QWidget* TOpenPictureDialog::DialogParent() const {
    auto* widget = qobject_cast<QWidget*>(parent());
    return widget ? widget->window() : nullptr;
}

void TOpenPictureDialog::Configure(QFileDialog& dialog) const {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(FOptions.testFlag(ofFileMustExist) ? QFileDialog::ExistingFile
                                                          : QFileDialog::AnyFile);
    if (!FTitle.isEmpty()) {
        dialog.setWindowTitle(FTitle);
    }
    dialog.setDefaultSuffix(FDefaultExt);
    const QStringList filters = PictureNameFilters(FFilter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(FFilterIndex - 1, filters.first()));
    }
    // The file dialog looks names up on the window's thread: one on a share that stopped
    // answering is left out rather than waited for.
    const QString folder = QFileInfo(FFileName).absolutePath();
    const std::optional<bool> folderExists =
        FFileName.isEmpty() ? std::optional(false) : FolderExists(folder);
    if (!FInitialDir.isEmpty()) {
        if (FolderExists(FInitialDir)) {
            dialog.setDirectory(FInitialDir);
        }
    } else if (folderExists.value_or(false)) {
        dialog.setDirectory(folder);
    }
    if (!FFileName.isEmpty() && folderExists) {
        dialog.selectFile(FFileName);
    }
}

TPicturePanel* TOpenPictureDialog::AttachPreview(QFileDialog& dialog) {
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (!grid) {
        return nullptr;
    }
    auto* panel = new TPicturePanel(*FPicture, &dialog);
    grid->addWidget(panel, 0, grid->columnCount(), grid->rowCount(), 1);
    return panel;
}

bool TOpenPictureDialog::Execute() {
    QFileDialog dialog(DialogParent());
    FPicture->clear();
    TPicturePanel* panel = FOptions.testFlag(ofOldStyleDialog) ? nullptr : AttachPreview(dialog);
    QString selection;
    const auto selectionChange = [this, panel, &selection](const QString& path) {
        if (path == selection) {
            return;
        }
        selection = path;
        if (panel) {
            panel->SelectionChange(path);
        }
        emit OnSelectionChange(path);
    };
    // The list's current item changes on clicks and arrow keys; a name typed or chosen
    // otherwise only reaches the file name box.
    connect(&dialog, &QFileDialog::currentChanged, this, selectionChange);
    if (auto* nameEdit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
        connect(nameEdit, &QLineEdit::textChanged, this,
                [&dialog, selectionChange](const QString& name) {
                    if (!name.isEmpty() && !name.startsWith(QLatin1Char('"'))) {
                        selectionChange(dialog.directory().absoluteFilePath(name));
                    }
                });
    }
    Configure(dialog);
    connect(&dialog, &QFileDialog::directoryEntered, this, &TOpenPictureDialog::OnFolderChange);
    connect(&dialog, &QFileDialog::filterSelected, this, [this, &dialog](const QString& filter) {
        emit OnTypeChange(static_cast<int>(dialog.nameFilters().indexOf(filter)) + 1);
    });
    emit OnShow();
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    emit OnClose();
    QToolTip::hideText();
    if (chosen) {
        FFileName = dialog.selectedFiles().constFirst();
        FFilterIndex =
            static_cast<int>(dialog.nameFilters().indexOf(dialog.selectedNameFilter())) + 1;
    }
    return chosen;
}

}  // namespace cinevan
