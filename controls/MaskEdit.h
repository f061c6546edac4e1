#pragma once

#include <QLineEdit>
#include <QList>
#include <functional>

namespace cinevan {

// An edit box driven by an edit mask of the form "mask;saveLiterals;blank" (for example
// "!90:00:00;1;_"): '0' a required digit, '9' an optional digit, '#' an optional digit or sign,
// 'L'/'l' a required/optional letter, 'A'/'a' a required/optional letter or digit, 'C'/'c' a
// required/optional character, ':' the time separator, '/' the date separator, '_' a blank,
// '\' quotes the next character, '!' keeps optional positions as leading blanks, '>'/'<'
// convert to upper/lower case; anything else is a literal.
//
// Leaving the box after a change while a required position is unfilled beeps, keeps the focus
// on that position and shows the error box; Escape in a changed box restores its text from
// when it got the focus. Exited() follows every other departure.
class TMaskEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString EditMask READ EditMask WRITE SetEditMask)
    Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
    Q_PROPERTY(QString ImeName MEMBER FImeName)
    Q_PROPERTY(QString Text READ MaskedText WRITE SetMaskedText)
    Q_CLASSINFO("LocalizableProperties", "EditMask,Hint,ImeName,Text")

public:
    static const QString kInvalidInput;

    explicit TMaskEdit(QWidget* parent = nullptr);

    // Shows a failure of the check to the user; a critical message box unless replaced.
    std::function<void(QWidget*, const QString&)> ShowError;

    QString EditMask() const { return FEditMask; }
    void SetEditMask(const QString& mask);

    // The text with its literals (unless the mask drops them) and a blank in every unfilled
    // position.
    QString MaskedText() const;
    // Shows text, each group between literals aligned as the mask wants it; Escape goes back
    // to it.
    void SetMaskedText(const QString& text);

    // Position of the first required position still unfilled, -1 when there is none.
    int FirstMissingPosition() const;
    // Whether the box may be left: unchanged, or no required position unfilled. Otherwise
    // beeps, puts the focus and cursor on the unfilled position, shows the error box (unless
    // one for this box is already on its way) and returns false.
    bool ValidateEdit();

signals:
    // The focus left the box and its text passed the check.
    void Exited();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class SlotKind { Literal, Required, Optional };
    struct Slot {
        SlotKind kind;
        QChar literal;
    };

    static bool IsWindowSwitch(Qt::FocusReason reason);
    void RejectExit(bool showError);
    QString FitToMask(const QString& text) const;

    QString FEditMask;
    QString FImeName;
    QList<Slot> FSlots;
    bool FLeadingBlanks = false;
    bool FSaveLiterals = true;
    QChar FBlank{u'_'};
    QString FOldValue;
    bool FErrorPending = false;
    bool FRefocusing = false;
};

}  // namespace cinevan
