#include "controls/SecretPanel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "controls/RxTimer.h"

namespace cinevan {
namespace {

constexpr int kGap = 3;
constexpr int kLongestLine = 255;

// A line counts as blank when nothing but blanks and control characters remain.
bool IsBlank(const QString& line) {
    return std::all_of(line.begin(), line.end(), [](QChar c) { return c.unicode() <= ' '; });
}

// (a + b - size) div 2, but never before the near edge a.
int Centred(int a, int b, int size) {
    return std::max(a, (a + b - size) / 2);
}

QImage WithTransparentCorner(const QImage& glyph) {
    if (glyph.isNull()) {
        return {};
    }
    QImage image = glyph.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::replace(row, row + image.width(), key, QRgb{0});
    }
    return image;
}

}  // namespace

TSecretPanel::TSecretPanel(QWidget* parent) : QFrame(parent), FTimer(new TRxTimer) {
    FTimer->SetEnabled(false);
    FTimer->SetInterval(30);
    FTimer->SetSyncEvent(false);
    FTimer->SetOnTimer([this] { ScrollTick(); });
    connect(FTimer.get(), &TRxTimer::TickFailed, this, &TSecretPanel::TickFailed);
    setAutoFillBackground(false);
}

TSecretPanel::~TSecretPanel() {
    if (FActive) {
        Deactivate();
    }
    FTimer.reset();
}

void TSecretPanel::SetActive(bool active) {
    if (active == FActive) {
        return;
    }
    if (active) {
        Activate();
    } else {
        Deactivate();
    }
}

void TSecretPanel::Activate() {
    FActive = true;
    {
        const std::lock_guard lock(FFrameLock);
        RestartRun();
    }
    PrepareFrame();
    // The start handler runs before the timer: a start that fails must not have drawn a frame.
    try {
        if (OnStartPlay) {
            OnStartPlay(*this);
        }
    } catch (...) {
        FActive = false;
        const std::lock_guard lock(FFrameLock);
        FFrameBitmap = QImage();
        FHasFrame = false;
        throw;
    }
    FTimer->SetEnabled(true);
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isHidden()) {
            child->hide();
            FHiddenControls.append(child);
        }
    }
    update();
}

void TSecretPanel::Deactivate() {
    FActive = false;
    {
        // Waits for a frame being drawn on the timer thread before the frame goes.
        const std::lock_guard lock(FFrameLock);
        FTimer->SetEnabled(false);
        FScrollPos = 0;
        ++FRun;
        FFrameBitmap = QImage();
        FHasFrame = false;
        const std::lock_guard canvas(FCanvasLock);
        FShownFrame = QImage();
    }
    if (OnStopPlay) {
        OnStopPlay(*this);
    }
    for (const QPointer<QWidget>& child : std::as_const(FHiddenControls)) {
        if (child) {
            child->show();
            child->update();
        }
    }
    FHiddenControls.clear();
    update();
}

void TSecretPanel::RestartRun() {
    FScrollPos = 0;
    ++FRun;
}

int TSecretPanel::FrameInset() const {
    int inset = FBorderWidth;
    if (FBevelOuter != TPanelBevel::bvNone) {
        inset += FBevelWidth;
    }
    if (FBevelInner != TPanelBevel::bvNone) {
        inset += FBevelWidth;
    }
    return inset;
}

void TSecretPanel::PrepareFrame() {
    const QFontMetrics metrics(font());
    const std::lock_guard lock(FFrameLock);
    FHasFrame = true;
    const auto first = std::find_if(FLines.cbegin(), FLines.cend(),
                                    [](const QString& line) { return !IsBlank(line); });
    FFirstTextLine = static_cast<int>(first - FLines.cbegin());
    FLineHeight = static_cast<quint8>(metrics.height() + metrics.leading());
    if (FTextStyle != TPanelBevel::bvNone) {
        FLineHeight = static_cast<quint8>(FLineHeight + 1);
    }
    LayoutRects();
    if (FScrollDirection == TScrollDirection::sdVertical) {
        FScrollLimit = FTextRect.height() + (FLines.size() - FFirstTextLine) * FLineHeight;
    } else {
        int widest = 0;
        for (qsizetype i = FFirstTextLine; i < FLines.size(); ++i) {
            widest = std::max(widest, metrics.horizontalAdvance(FLines[i].left(kLongestLine)));
        }
        FScrollLimit = FTextRect.width() + widest;
    }
    FFrameBitmap = FTextRect.isEmpty()
                       ? QImage()
                       : QImage(FTextRect.size(), QImage::Format_ARGB32_Premultiplied);
    FFrameFont = font();
    FFrameColor = palette().color(backgroundRole());
    FTextColor = palette().color(foregroundRole());
    FHighlightColor = palette().color(QPalette::Light);
    FHasWindow = FHasWindow || testAttribute(Qt::WA_WState_Created);
}

void TSecretPanel::LayoutRects() {
    const int inset = FrameInset();
    FInnerRect = rect().adjusted(inset, inset, -inset, -inset);
    int left = inset + kGap;
    int top = inset + kGap;
    int right = width() - inset - kGap;
    int bottom = height() - inset - kGap;
    const int gw = FGlyph.width();
    const int gh = FGlyph.height();
    int x = 0;
    int y = 0;
    switch (FGlyphLayout) {
        case TGlyphLayout::glGlyphLeft:
            x = left;
            y = Centred(top, bottom, gh);
            if (gw > 0) {
                x += kGap;
                left = x + gw + inset + kGap;
            }
            break;
        case TGlyphLayout::glGlyphRight:
            x = right - gw;
            y = Centred(top, bottom, gh);
            if (gw > 0) {
                x = std::max(x - kGap, left);
                right = x - (inset + kGap);
            }
            break;
        case TGlyphLayout::glGlyphTop:
            y = top;
            x = Centred(left, right, gw);
            if (gh > 0) {
                y += kGap;
                top = y + gh + inset + 2 * kGap;
            }
            break;
        case TGlyphLayout::glGlyphBottom:
            y = bottom - gh;
            x = Centred(left, right, gw);
            if (gh > 0) {
                y = std::max(y - kGap, top);
                bottom = y - (inset + 2 * kGap);
            }
            break;
    }
    FGlyphPos = QPoint(x, y);
    if (FScrollDirection == TScrollDirection::sdHorizontal) {
        int last = static_cast<int>(FLines.size()) - 1;
        while (last >= 0 && IsBlank(FLines[last])) {
            --last;
        }
        const int spare = (bottom - top) - (last - FFirstTextLine + 1) * FLineHeight;
        if (spare > 0) {
            top += spare / 2;
            bottom -= spare / 2;
        }
    }
    FTextRect =
        left >= right || top >= bottom ? QRect() : QRect(left, top, right - left, bottom - top);
}

void TSecretPanel::ScrollTick() {
    std::unique_lock lock(FFrameLock);
    if (!FActive) {
        return;  // a tick that started just before the panel was deactivated
    }
    if (FScrollPos < FScrollLimit) {
        ++FScrollPos;
        DrawFrame();
        return;
    }
    if (FCycled) {
        FScrollPos = 0;
        DrawFrame();
        return;
    }
    const quint64 run = FRun;
    lock.unlock();
    EndRun(run);
}

void TSecretPanel::EndRun(quint64 run) {
    // Deactivation releases the frame and shows child controls: user-interface work.
    FTimer->RunOnOwnerThread([this, run] {
        bool sameRun = false;
        {
            const std::lock_guard lock(FFrameLock);
            sameRun = run == FRun;
        }
        if (sameRun) {
            SetActive(false);
        }
    });
}

void TSecretPanel::DrawFrame() {
    if (!FHasFrame || FLines.isEmpty() || FTextRect.isEmpty() || !FHasWindow) {
        return;
    }
    QPainter painter(&FFrameBitmap);
    painter.translate(-FTextRect.topLeft());
    PaintBackground(painter, FInnerRect, FFrameColor);
    painter.resetTransform();
    painter.setFont(FFrameFont);
    const int w = FTextRect.width();
    const int h = FTextRect.height();
    QRect row(0, 0, w, FLineHeight);
    if (FScrollDirection == TScrollDirection::sdVertical) {
        row.moveTop(h - FScrollPos);
    } else {
        row = QRect(w - FScrollPos, 0, FScrollLimit - w, FLineHeight);
    }
    for (qsizetype i = FFirstTextLine; i < FLines.size() && row.top() < h; ++i) {
        if (row.top() + FLineHeight > 0) {
            DrawLine(painter, row, FLines[i].left(kLongestLine));
        }
        row.translate(0, FLineHeight);
    }
    painter.end();
    {
        const std::lock_guard canvas(FCanvasLock);
        FShownFrame = FFrameBitmap;
    }
    QMetaObject::invokeMethod(
        this, [this] { update(TextRect()); }, Qt::QueuedConnection);
}

void TSecretPanel::DrawLine(QPainter& painter, const QRect& row, const QString& line) const {
    const int flags = static_cast<int>(FAlignment) | Qt::AlignTop | Qt::TextSingleLine |
                      Qt::TextExpandTabs | Qt::TextDontClip;
    if (FTextStyle != TPanelBevel::bvNone) {
        const int shift = FTextStyle == TPanelBevel::bvLowered ? 1 : -1;
        painter.setPen(FHighlightColor);
        painter.drawText(row.translated(shift, shift), flags, line);
    }
    painter.setPen(FTextColor);
    painter.drawText(row, flags, line);
}

void TSecretPanel::PaintBackground(QPainter& painter, const QRect& rect, const QColor& color) {
    if (OnPaintClient) {
        OnPaintClient(*this, painter, rect);
    } else {
        painter.fillRect(rect, color);
    }
}

QImage TSecretPanel::ShownFrame() const {
    const std::lock_guard canvas(FCanvasLock);
    return FShownFrame;
}

void TSecretPanel::PaintBevel(QPainter& painter, QRect& rect, TPanelBevel bevel) const {
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    const QColor& topLeft = bevel == TPanelBevel::bvRaised ? light : dark;
    const QColor& bottomRight = bevel == TPanelBevel::bvRaised ? dark : light;
    for (int i = 0; i < FBevelWidth && !rect.isEmpty(); ++i) {
        painter.setPen(topLeft);
        painter.drawLine(rect.topLeft(), rect.topRight());
        painter.drawLine(rect.topLeft(), rect.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(rect.bottomLeft(), rect.bottomRight());
        painter.drawLine(rect.topRight(), rect.bottomRight());
        rect.adjust(1, 1, -1, -1);
    }
}

void TSecretPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor color = palette().color(backgroundRole());
    QRect area = rect();
    if (FBevelOuter != TPanelBevel::bvNone) {
        PaintBevel(painter, area, FBevelOuter);
    }
    if (FBorderWidth > 0) {
        painter.fillRect(area, color);
        area.adjust(FBorderWidth, FBorderWidth, -FBorderWidth, -FBorderWidth);
    }
    if (FBevelInner != TPanelBevel::bvNone) {
        PaintBevel(painter, area, FBevelInner);
    }
    painter.setClipRect(area);
    PaintBackground(painter, area, color);
    if (!FActive) {
        return;
    }
    QPoint glyphPos;
    QRect textRect;
    {
        const std::lock_guard lock(FFrameLock);
        LayoutRects();
        glyphPos = FGlyphPos;
        textRect = FTextRect;
    }
    if (!FGlyph.isNull()) {
        painter.drawImage(glyphPos, FGlyph);
    }
    const std::lock_guard canvas(FCanvasLock);
    if (!FShownFrame.isNull()) {
        painter.drawImage(textRect.topLeft(), FShownFrame);
    }
}

void TSecretPanel::PropertyChanged(bool prepare) {
    if (prepare && FActive) {
        PrepareFrame();
    }
    update();
}

void TSecretPanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    PropertyChanged(true);
}

void TSecretPanel::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) {
        PropertyChanged(true);
    }
}

void TSecretPanel::showEvent(QShowEvent* event) {
    QFrame::showEvent(event);
    FHasWindow = true;
}

Qt::Alignment TSecretPanel::Alignment() const {
    const std::lock_guard lock(FFrameLock);
    return FAlignment;
}

void TSecretPanel::SetAlignment(Qt::Alignment alignment) {
    {
        const std::lock_guard lock(FFrameLock);
        if (FAlignment == alignment) {
            return;
        }
        FAlignment = alignment;
    }
    PropertyChanged(false);
}

bool TSecretPanel::Cycled() const {
    const std::lock_guard lock(FFrameLock);
    return FCycled;
}

void TSecretPanel::SetCycled(bool cycled) {
    const std::lock_guard lock(FFrameLock);
    FCycled = cycled;
}

void TSecretPanel::SetGlyph(const QImage& glyph) {
    FGlyph = WithTransparentCorner(glyph);
    PropertyChanged(true);
}

void TSecretPanel::SetGlyphLayout(TGlyphLayout layout) {
    if (FGlyphLayout == layout) {
        return;
    }
    {
        const std::lock_guard lock(FFrameLock);
        FGlyphLayout = layout;
    }
    PropertyChanged(true);
}

quint32 TSecretPanel::Interval() const {
    return FTimer->Interval();
}

void TSecretPanel::SetInterval(quint32 milliseconds) {
    FTimer->SetInterval(milliseconds);
}

QStringList TSecretPanel::Lines() const {
    const std::lock_guard lock(FFrameLock);
    return FLines;
}

void TSecretPanel::SetLines(const QStringList& lines) {
    {
        const std::lock_guard lock(FFrameLock);
        FLines = lines;
        if (FActive) {
            RestartRun();
        }
    }
    PropertyChanged(true);
}

void TSecretPanel::SetScrollDirection(TScrollDirection direction) {
    if (FScrollDirection == direction) {
        return;
    }
    {
        const std::lock_guard lock(FFrameLock);
        FScrollDirection = direction;
        if (FActive) {
            RestartRun();
        }
    }
    PropertyChanged(true);
}

void TSecretPanel::SetTextStyle(TPanelBevel style) {
    if (FTextStyle == style) {
        return;
    }
    {
        const std::lock_guard lock(FFrameLock);
        FTextStyle = style;
    }
    PropertyChanged(true);
}

void TSecretPanel::SetAsyncDrawing(bool async) {
    if (FAsyncDrawing == async) {
        return;
    }
    FAsyncDrawing = async;
    FTimer->SetSyncEvent(!async);
}

void TSecretPanel::SetBevelOuter(TPanelBevel bevel) {
    {
        const std::lock_guard lock(FFrameLock);
        FBevelOuter = bevel;
    }
    PropertyChanged(true);
}

void TSecretPanel::SetBevelInner(TPanelBevel bevel) {
    {
        const std::lock_guard lock(FFrameLock);
        FBevelInner = bevel;
    }
    PropertyChanged(true);
}

void TSecretPanel::SetBevelWidth(int width) {
    {
        const std::lock_guard lock(FFrameLock);
        FBevelWidth = std::max(0, width);
    }
    PropertyChanged(true);
}

void TSecretPanel::SetBorderWidth(int width) {
    {
        const std::lock_guard lock(FFrameLock);
        FBorderWidth = std::max(0, width);
    }
    PropertyChanged(true);
}

int TSecretPanel::ScrollPos() const {
    const std::lock_guard lock(FFrameLock);
    return FScrollPos;
}

int TSecretPanel::ScrollLimit() const {
    const std::lock_guard lock(FFrameLock);
    return FScrollLimit;
}

int TSecretPanel::LineHeight() const {
    const std::lock_guard lock(FFrameLock);
    return FLineHeight;
}

int TSecretPanel::FirstTextLine() const {
    const std::lock_guard lock(FFrameLock);
    return FFirstTextLine;
}

QRect TSecretPanel::TextRect() const {
    const std::lock_guard lock(FFrameLock);
    return FTextRect;
}

QRect TSecretPanel::InnerRect() const {
    const std::lock_guard lock(FFrameLock);
    return FInnerRect;
}

}  // namespace cinevan
