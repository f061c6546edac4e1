#include "ui/About.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "app/ApplicationTitle.h"
#include "app/StrCont.h"
#include "ui/Fonts.h"

namespace cinevan {

namespace {

QLabel* MakeLabel(const char* name, const QString& text, QWidget* parent, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    return label;
}

}  // namespace

TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormAbout"));
    setWindowTitle(QStringLiteral("About this program"));
    setFont(SansFont(11));
    setFixedSize(340, 256);
    CreateControls();
    FormCreate();
}

void TFormAbout::CreateControls() {
    PanelIcon = new QFrame(this);
    PanelIcon->setObjectName(QStringLiteral("PanelIcon"));
    PanelIcon->setGeometry(0, 0, 74, 256);
    ImageIcon = new QLabel(PanelIcon);
    ImageIcon->setObjectName(QStringLiteral("ImageIcon"));
    ImageIcon->setGeometry(5, 8, 66, 68);
    PanelMain = new QFrame(this);
    PanelMain->setObjectName(QStringLiteral("PanelMain"));
    PanelMain->setGeometry(74, 0, 266, 256);
    LabelPrgName = MakeLabel("LabelPrgName", QStringLiteral("Program Name"), PanelMain, 8, 16);
    QFont bold = SansFont(12);
    bold.setBold(true);
    LabelPrgName->setFont(bold);
    LabelPrgVersion =
        MakeLabel("LabelPrgVersion", QStringLiteral("File Version"), PanelMain, 8, 32);
    LabelCopyright =
        MakeLabel("LabelCopyright", QStringLiteral("Legal Copyright"), PanelMain, 8, 48);
    LabelMemory =
        MakeLabel("LabelMemory", QStringLiteral("Physical Memory Available:"), PanelMain, 8, 168);
    LabelResources =
        MakeLabel("LabelResources", QStringLiteral("System Resources:"), PanelMain, 8, 188);
    PanelValues = new QFrame(PanelMain);
    PanelValues->setObjectName(QStringLiteral("PanelValues"));
    PanelValues->setGeometry(172, 160, 81, 49);
    LabelMemFree = MakeLabel("LabelMemFree", QStringLiteral("Memory"), PanelValues, 8, 8);
    LabelResFree = MakeLabel("LabelResFree", QStringLiteral("Resources"), PanelValues, 8, 28);
    ButtonOK = new QPushButton(QStringLiteral("OK"), PanelMain);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setGeometry(181, 223, 75, 23);
    ButtonOK->setDefault(true);
    connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
}

void TFormAbout::FormCreate() {
    try {
        StringContainer().LocalizeForm(this);
    } catch (...) {
        // The window keeps its built-in texts.
    }
    LabelPrgName->setText(ApplicationTitle());
    LabelPrgName->adjustSize();
}

}  // namespace cinevan
