#include "controls/MaskEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMessageBox>
#include <QTimer>

namespace cinevan {

namespace {

// Characters with a meaning in a Qt input mask; literals among them need a backslash.
const QString kQtMaskSpecials = QStringLiteral("AaNnXx90DdHhBb#><![]{}\\;");

QChar SeparatorOf(const QString& format, QChar fallback) {
    for (const QChar c : format) {
        if (!c.isLetter() && !c.isSpace()) {
            return c;
        }
    }
    return fallback;
}

// The Qt mask character of an edit mask character that takes input, or a null character.
QChar InputCharOf(QChar c, bool& required) {
    static const QString required_ = QStringLiteral("LAC0");
    static const QString requiredQt = QStringLiteral("ANX9");
    static const QString optional = QStringLiteral("lac9#");
    static const QString optionalQt = QStringLiteral("anx0#");
    if (const qsizetype i = required_.indexOf(c); i >= 0) {
        required = true;
        return requiredQt[i];
    }
    if (const qsizetype i = optional.indexOf(c); i >= 0) {
        required = false;
        return optionalQt[i];
    }
    return {};
}

// The mask's fields: the mask itself, whether literals are saved, the blank character.
QStringList MaskFields(const QString& mask) {
    QStringList fields{QString()};
    for (qsizetype i = 0; i < mask.size(); ++i) {
        if (mask[i] == u'\\' && i + 1 < mask.size()) {
            fields.last() += mask.mid(i, 2);
            ++i;
        } else if (mask[i] == u';') {
            fields.append(QString());
        } else {
            fields.last() += mask[i];
        }
    }
    return fields;
}

}  // namespace

const QString TMaskEdit::kInvalidInput =
    QStringLiteral("Invalid input value.  Use escape key to abandon changes");

TMaskEdit::TMaskEdit(QWidget* parent) : QLineEdit(parent) {
    ShowError = [](QWidget* owner, const QString& text) {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok,
                        owner);
        box.exec();
    };
}

void TMaskEdit::SetEditMask(const QString& mask) {
    FEditMask = mask;
    FSlots.clear();
    const QStringList fields = MaskFields(mask);
    FSaveLiterals = fields.size() < 2 || fields[1].trimmed() != QLatin1String("0");
    FBlank = fields.size() >= 3 && !fields[2].isEmpty() ? fields[2][0] : QChar(u'_');
    FLeadingBlanks = false;
    const QLocale locale;
    const QChar timeSeparator = SeparatorOf(locale.timeFormat(QLocale::ShortFormat), u':');
    const QChar dateSeparator = SeparatorOf(locale.dateFormat(QLocale::ShortFormat), u'/');
    QString qtMask;
    const QString& source = fields[0];
    for (qsizetype i = 0; i < source.size(); ++i) {
        QChar c = source[i];
        bool required = false;
        if (c == u'!') {
            FLeadingBlanks = true;
        } else if (c == u'>' || c == u'<') {
            const bool both = c == u'<' && i + 1 < source.size() && source[i + 1] == u'>';
            qtMask += both ? QChar(u'!') : c;
            i += both ? 1 : 0;
        } else if (const QChar input = InputCharOf(c, required); !input.isNull()) {
            qtMask += input;
            FSlots.append({required ? SlotKind::Required : SlotKind::Optional, {}});
        } else {
            if (c == u'\\' && i + 1 < source.size()) {
                c = source[++i];
            } else if (c == u':') {
                c = timeSeparator;
            } else if (c == u'/') {
                c = dateSeparator;
            } else if (c == u'_') {
                c = u' ';
            }
            qtMask += kQtMaskSpecials.contains(c) ? QStringLiteral("\\") + c : QString(c);
            FSlots.append({SlotKind::Literal, c});
        }
    }
    setInputMask(FSlots.isEmpty() ? QString() : qtMask + u';' + FBlank);
}

QString TMaskEdit::MaskedText() const {
    if (FSlots.isEmpty()) {
        return text();
    }
    const QString shown = displayText();
    QString result;
    for (qsizetype i = 0; i < FSlots.size(); ++i) {
        if (FSlots[i].kind == SlotKind::Literal) {
            result += FSaveLiterals ? FSlots[i].literal : QString();
        } else {
            const QChar c = i < shown.size() ? shown[i] : FBlank;
            result += c == FBlank ? QChar(u' ') : c;
        }
    }
    return result;
}

void TMaskEdit::SetMaskedText(const QString& text) {
    setText(FSlots.isEmpty() ? text : FitToMask(text));
    FOldValue = MaskedText();
}

QString TMaskEdit::FitToMask(const QString& text) const {
    QString result;
    qsizetype t = 0;
    for (qsizetype i = 0; i < FSlots.size();) {
        if (FSlots[i].kind == SlotKind::Literal) {
            result += FSlots[i].literal;
            t += t < text.size() && text[t] == FSlots[i].literal ? 1 : 0;
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < FSlots.size() && FSlots[end].kind != SlotKind::Literal) {
            ++end;
        }
        const qsizetype width = end - i;
        const QChar stop = end < FSlots.size() ? FSlots[end].literal : QChar();
        QString part;
        while (t < text.size() && part.size() < width && (stop.isNull() || text[t] != stop)) {
            part += text[t] == u' ' ? FBlank : text[t];
            ++t;
        }
        const QString fill(width - part.size(), FBlank);
        result += FLeadingBlanks ? fill + part : part + fill;
        i = end;
    }
    return result;
}

int TMaskEdit::FirstMissingPosition() const {
    const QString shown = displayText();
    for (qsizetype i = 0; i < FSlots.size(); ++i) {
        if (FSlots[i].kind == SlotKind::Required && (i >= shown.size() || shown[i] == FBlank)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool TMaskEdit::ValidateEdit() {
    if (!isModified() || FirstMissingPosition() < 0) {
        return true;
    }
    RejectExit(!FErrorPending);
    return false;
}

void TMaskEdit::RejectExit(bool showError) {
    QApplication::beep();
    FRefocusing = true;
    setFocus(Qt::OtherFocusReason);
    FRefocusing = false;
    setCursorPosition(FirstMissingPosition());
    if (!showError) {
        return;
    }
    // The error box waits until the focus change that led here is over.
    FErrorPending = true;
    QTimer::singleShot(0, this, [this] {
        // A click that closed the window meanwhile (Cancel) makes the error moot.
        if (isVisible()) {
            ShowError(window(), kInvalidInput);
        }
        FErrorPending = false;
    });
}

bool TMaskEdit::IsWindowSwitch(Qt::FocusReason reason) {
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

void TMaskEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // Coming back after a refused exit, or to the window after the error box or another
    // window, keeps the value to go back to with Escape.
    if (!FRefocusing && !IsWindowSwitch(event->reason())) {
        FOldValue = MaskedText();
    }
}

void TMaskEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // Switching windows leaves the focus where it is within this one.
    if (IsWindowSwitch(event->reason())) {
        return;
    }
    if (ValidateEdit()) {
        emit Exited();
    }
}

void TMaskEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && !FSlots.isEmpty() && isModified()) {
        SetMaskedText(FOldValue);
        setModified(false);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace cinevan
