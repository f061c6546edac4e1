#include "ui/MovieLink.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "app/StrCont.h"
#include "controls/ImageEx.h"
#include "ui/Fonts.h"

namespace cinevan {

namespace {

template <class Widget, class... Args>
Widget* Make(const char* name, QWidget* parent, const QRect& bounds, Args&&... args) {
    auto* widget = new Widget(std::forward<Args>(args)..., parent);
    widget->setObjectName(QString::fromLatin1(name));
    if (bounds.isValid()) {
        widget->setGeometry(bounds);
    } else {
        widget->move(bounds.topLeft());
    }
    return widget;
}

}  // namespace

TFormEdit::TFormEdit(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormEdit"));
    setWindowTitle(QStringLiteral("Edit Movie Link"));
    setFont(SansFont(11));
    setFixedSize(386, 194);
    CreateControls();
    FormCreate();
}

void TFormEdit::CreateControls() {
    LabelImage =
        Make<QLabel>("LabelImage", this, QRect(6, 4, -1, -1), QStringLiteral("Cover image"));
    PanelImage = Make<QFrame>("PanelImage", this, QRect(5, 20, 128, 109));
    PanelImage->setFrameStyle(QFrame::Box | QFrame::Plain);
    ImageLink = new TImageEx(PanelImage);
    ImageLink->setObjectName(QStringLiteral("ImageLink"));
    ImageLink->setGeometry(PanelImage->contentsRect());
    ButtonClear =
        Make<QPushButton>("ButtonClear", this, QRect(5, 136, 60, 21), QStringLiteral("&Clear"));
    ButtonImage = Make<QPushButton>("ButtonImage", this, QRect(73, 136, 60, 21),
                                    QStringLiteral("&Browse..."));
    LabelFileName =
        Make<QLabel>("LabelFileName", this, QRect(139, 4, -1, -1), QStringLiteral("&File name"));
    EditFileName = Make<QLineEdit>("EditFileName", this, QRect(139, 20, 242, 21));
    EditFileName->setReadOnly(true);
    LabelTitle = Make<QLabel>("LabelTitle", this, QRect(139, 44, -1, -1), QStringLiteral("&Title"));
    EditTitle = Make<QLineEdit>("EditTitle", this, QRect(139, 60, 242, 21));
    CheckBoxSelection = Make<QCheckBox>("CheckBoxSelection", this, QRect(139, 86, 65, 17),
                                        QStringLiteral("&Selection"));
    CheckBoxSelection->setChecked(true);
    GroupBoxSelection = Make<QGroupBox>("GroupBoxSelection", this, QRect(139, 98, 242, 59));
    LabelStart = Make<QLabel>("LabelStart", GroupBoxSelection, QRect(8, 14, -1, -1),
                              QStringLiteral("St&art"));
    EditStart = Make<QLineEdit>("EditStart", GroupBoxSelection, QRect(8, 30, 89, 21));
    SpeedButtonStart =
        Make<QToolButton>("SpeedButtonStart", GroupBoxSelection, QRect(97, 31, 20, 20));
    SpeedButtonStart->setToolTip(QStringLiteral("Set current position (Alt+Enter)"));
    LabelStop = Make<QLabel>("LabelStop", GroupBoxSelection, QRect(124, 14, -1, -1),
                             QStringLiteral("St&op"));
    EditStop = Make<QLineEdit>("EditStop", GroupBoxSelection, QRect(124, 30, 89, 21));
    SpeedButtonStop =
        Make<QToolButton>("SpeedButtonStop", GroupBoxSelection, QRect(213, 31, 20, 20));
    SpeedButtonStop->setToolTip(QStringLiteral("Set current position (Alt+Enter)"));
    PanelBottom = Make<QFrame>("PanelBottom", this, QRect(0, 194 - 29, 386, 29));
    ButtonOK = Make<QPushButton>("ButtonOK", PanelBottom, QRect(386 - 160, 4, 75, 21),
                                 QStringLiteral("OK"));
    ButtonCancel = Make<QPushButton>("ButtonCancel", PanelBottom, QRect(386 - 80, 4, 75, 21),
                                     QStringLiteral("Cancel"));
    ButtonOK->setDefault(true);
    LabelFileName->setBuddy(EditFileName);
    LabelTitle->setBuddy(EditTitle);
    LabelStart->setBuddy(EditStart);
    LabelStop->setBuddy(EditStop);
    connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormEdit::FormCreate() {
    try {
        StringContainer().LocalizeForm(this);
    } catch (...) {
        // The dialog keeps its built-in texts.
    }
}

}  // namespace cinevan
