#pragma once

#include <QFrame>
#include <QImage>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace cinevan {

class TRxTimer;

// Bevel of a panel edge, and the engraving of the scrolling text.
enum class TPanelBevel { bvNone, bvLowered, bvRaised };
enum class TScrollDirection { sdVertical, sdHorizontal };
enum class TGlyphLayout { glGlyphLeft, glGlyphRight, glGlyphTop, glGlyphBottom };

// A panel that, while active, hides its child controls and scrolls its lines through the
// inner area one pixel per timer tick: upwards (vertical) or leftwards (horizontal). At the
// end of the text it starts again (Cycled) or deactivates itself. While inactive it is a plain
// panel.
//
// With AsyncDrawing (the default) the ticks run on the timer's own thread: each tick renders
// the text rectangle into an off-screen image under the frame lock, then, still holding it,
// takes the canvas lock to hand the image over as the shown frame and asks the user-interface
// thread to repaint; the paint draws the shown frame under the canvas lock. The worker never
// touches a widget: it draws with copies of the font, colours and lines that PrepareFrame and
// the setters take under the frame lock. Deactivation takes the frame lock, so it never
// releases the frame while a tick draws. Lock order: frame lock, then canvas lock; the paint
// takes them one after the other, never the canvas lock first.
class TSecretPanel : public QFrame {
    Q_OBJECT
    Q_PROPERTY(QStringList Lines READ Lines WRITE SetLines)
    Q_CLASSINFO("LocalizableProperties", "Hint,Lines")

public:
    using PaintClientEvent = std::function<void(TSecretPanel&, QPainter&, const QRect&)>;
    using NotifyEvent = std::function<void(TSecretPanel&)>;

    explicit TSecretPanel(QWidget* parent = nullptr);
    ~TSecretPanel() override;

    bool Active() const { return FActive; }
    void SetActive(bool active);
    Qt::Alignment Alignment() const;
    void SetAlignment(Qt::Alignment alignment);  // Qt::AlignLeft, AlignRight or AlignHCenter
    bool Cycled() const;
    void SetCycled(bool cycled);
    const QImage& Glyph() const { return FGlyph; }
    void SetGlyph(const QImage& glyph);
    TGlyphLayout GlyphLayout() const { return FGlyphLayout; }
    void SetGlyphLayout(TGlyphLayout layout);
    quint32 Interval() const;
    void SetInterval(quint32 milliseconds);
    QStringList Lines() const;
    void SetLines(const QStringList& lines);
    TScrollDirection ScrollDirection() const { return FScrollDirection; }
    void SetScrollDirection(TScrollDirection direction);
    TPanelBevel TextStyle() const { return FTextStyle; }
    void SetTextStyle(TPanelBevel style);
    bool AsyncDrawing() const { return FAsyncDrawing; }
    void SetAsyncDrawing(bool async);

    TPanelBevel BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TPanelBevel bevel);
    TPanelBevel BevelInner() const { return FBevelInner; }
    void SetBevelInner(TPanelBevel bevel);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int width);
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int width);

    // Events. OnPaintClient replaces the plain background fill of the inner area; with
    // AsyncDrawing it is also called on the timer thread and must not touch widgets.
    PaintClientEvent OnPaintClient;
    NotifyEvent OnStartPlay;
    NotifyEvent OnStopPlay;

    // Layout and progress of the current run.
    int ScrollPos() const;
    int ScrollLimit() const;
    int LineHeight() const;
    int FirstTextLine() const;
    QRect TextRect() const;
    QRect InnerRect() const;
    // The last frame handed to the user-interface thread; null while inactive.
    QImage ShownFrame() const;

signals:
    // A tick failed; shown by the owner in its error display.
    void TickFailed(const QString& message);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Activate();
    void Deactivate();
    void RestartRun();  // call with the frame lock held
    void PrepareFrame();
    void LayoutRects();
    int FrameInset() const;
    void ScrollTick();
    void DrawFrame();  // call with the frame lock held
    void DrawLine(QPainter& painter, const QRect& row, const QString& line) const;
    void PaintBackground(QPainter& painter, const QRect& rect, const QColor& color);
    void EndRun(quint64 run);
    void PaintBevel(QPainter& painter, QRect& rect, TPanelBevel bevel) const;
    void PropertyChanged(bool prepare);

    std::atomic<bool> FActive = false;
    Qt::Alignment FAlignment = Qt::AlignHCenter;
    QStringList FLines;
    bool FCycled = false;
    int FScrollPos = 0;
    int FScrollLimit = 0;
    quint8 FLineHeight = 1;
    int FFirstTextLine = 0;
    std::unique_ptr<TRxTimer> FTimer;
    QRect FTextRect;
    QRect FInnerRect;
    QPoint FGlyphPos;
    QImage FFrameBitmap;
    bool FHasFrame = false;  // the frame exists (also when the text rectangle is empty)
    QImage FGlyph;
    QList<QPointer<QWidget>> FHiddenControls;
    TPanelBevel FTextStyle = TPanelBevel::bvNone;
    TScrollDirection FScrollDirection = TScrollDirection::sdVertical;
    TGlyphLayout FGlyphLayout = TGlyphLayout::glGlyphLeft;
    bool FAsyncDrawing = true;

    TPanelBevel FBevelOuter = TPanelBevel::bvLowered;
    TPanelBevel FBevelInner = TPanelBevel::bvNone;
    int FBevelWidth = 1;
    int FBorderWidth = 0;

    // Copies for drawing off the user-interface thread, taken under the frame lock.
    QFont FFrameFont;
    QColor FFrameColor;
    QColor FTextColor;
    QColor FHighlightColor;

    mutable std::mutex FFrameLock;
    std::atomic<bool> FHasWindow = false;
    quint64 FRun = 0;  // counts runs, so that the end of an old run is ignored
    mutable std::mutex FCanvasLock;
    QImage FShownFrame;  // guarded by the canvas lock
};

}  // namespace cinevan
