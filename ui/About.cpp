#include "ui/About.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVariant>
#include <stdexcept>

#include "app/AlterEgo.h"
#include "app/ApplicationTitle.h"
#include "app/StrCont.h"
#include "controls/SecretPanel.h"
#include "controls/StrHolder.h"
#include "platform/FileVersionInfo.h"
#include "ui/ErrorDisplay.h"
#include "ui/Fonts.h"
#include "ui/Forms.h"
#include "ui/ProgramIcon.h"

namespace cinevan {

namespace {

// Indexes of the string holder's lines.
enum AboutString {
    kMemoryCaption = 0,
    kMemoryFormat = 1,
    kResourcesCaption = 2,
    kResourcesFormat = 3,
    kMemoryLoadCaption = 4,
    kMemoryLoadFormat = 5,
    kVersionFormat = 6,
};

const QStringList kAboutStrings = {
    QStringLiteral("Physical Memory Available:"),
    QStringLiteral("%.0n KB"),
    QStringLiteral("System Resources:"),
    QStringLiteral("%d%% Free"),
    QStringLiteral("Memory in Use"),
    QStringLiteral("%d%%"),
    QStringLiteral("version %s"),
};

QStringList CreditLines() {
    QStringList lines(6, QString());
    lines << QStringLiteral("Programmed && designed by") << QString(19, QLatin1Char('~'))
          << QStringLiteral("The Cinevan team at Vantrel")
          << QStringLiteral("Movie lists and playback")
          << QStringLiteral("Windows, pictures and controls")
          << QStringLiteral("Tests, tools and packaging") << QString();
    return lines;
}

[[noreturn]] void BadFormat(const QString& format) {
    throw std::runtime_error(QStringLiteral("Format '%1' invalid or incompatible with argument")
                                 .arg(format)
                                 .toStdString());
}

bool IsIntegral(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            return true;
        default:
            return false;
    }
}

// One conversion of a message format: %d (integer), %s (text), %n (number with the locale's
// thousands separators), %f (number without them); precision defaults to 2 for %n and %f.
QString Convert(QChar type, int precision, const QVariant& arg, const QString& format) {
    QLocale locale;
    switch (type.toLower().unicode()) {
        case 'd':
            if (!IsIntegral(arg)) {
                BadFormat(format);
            }
            return QStringLiteral("%1").arg(arg.toLongLong(), std::max(precision, 0), 10,
                                            QLatin1Char('0'));
        case 's':
            if (arg.typeId() != QMetaType::QString) {
                BadFormat(format);
            }
            return precision >= 0 ? arg.toString().left(precision) : arg.toString();
        case 'f':
            locale.setNumberOptions(QLocale::OmitGroupSeparator);
            [[fallthrough]];
        case 'n':
            if (arg.typeId() != QMetaType::Double) {
                BadFormat(format);
            }
            return locale.toString(arg.toDouble(), 'f', precision >= 0 ? precision : 2);
        default:
            BadFormat(format);
    }
}

int ReadNumber(const QString& format, qsizetype& i) {
    int number = 0;
    while (i < format.size() && format[i].isDigit()) {
        number = std::min(number * 10 + format[i].digitValue(), 1024);
        ++i;
    }
    return number;
}

// Formats a message text of the catalog: "%" [-] [width] [.precision] type, and "%%" for a
// percent sign. A conversion that does not fit its argument, or a missing argument, throws.
QString FormatMessage(const QString& format, const QVariantList& args) {
    QString out;
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] != QLatin1Char('%')) {
            out += format[i];
            continue;
        }
        if (++i < format.size() && format[i] == QLatin1Char('%')) {
            out += QLatin1Char('%');
            continue;
        }
        const bool leftAligned = i < format.size() && format[i] == QLatin1Char('-');
        i += leftAligned ? 1 : 0;
        const int width = ReadNumber(format, i);
        int precision = -1;
        if (i < format.size() && format[i] == QLatin1Char('.')) {
            precision = ReadNumber(format, ++i);
        }
        if (i >= format.size() || next >= args.size()) {
            BadFormat(format);
        }
        const QString text = Convert(format[i], precision, args[next++], format);
        out += leftAligned ? text.leftJustified(width) : text.rightJustified(width);
    }
    return out;
}

QLabel* MakeLabel(const char* name, const QString& text, QWidget* parent, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    return label;
}

}  // namespace

AboutSources AboutSources::System() {
    return {ProgramFilePath(), [] { return GlobalMemoryStatus(); },
            [] { return std::optional<int>(); }};
}

TFormAbout::TFormAbout(QWidget* parent, AboutSources sources)
    : QDialog(parent), FSources(std::move(sources)) {
    setObjectName(QStringLiteral("FormAbout"));
    setWindowTitle(QStringLiteral("About this program"));
    setWindowIcon(ProgramIcon());
    setFont(SansFont(11));
    setFixedSize(340, 256);
    CreateControls();
    RunGuarded(this, [this] { FormCreate(); });
}

void TFormAbout::CreateControls() {
    PanelIcon = new QFrame(this);
    PanelIcon->setObjectName(QStringLiteral("PanelIcon"));
    PanelIcon->setGeometry(0, 0, 74, 256);
    ImageIcon = new QLabel(PanelIcon);
    ImageIcon->setObjectName(QStringLiteral("ImageIcon"));
    ImageIcon->setGeometry(5, 8, 66, 68);
    ImageIcon->setAlignment(Qt::AlignCenter);
    ImageIcon->setPixmap(ProgramIconPixmap(32));
    ImageIcon->installEventFilter(this);
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
    CreateSecretPanel();
    Bevel = new QFrame(PanelMain);
    Bevel->setObjectName(QStringLiteral("Bevel"));
    Bevel->setFrameShape(QFrame::HLine);
    Bevel->setFrameShadow(QFrame::Sunken);
    Bevel->setGeometry(8, 156, 245, 3);
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
    StrHolder = new TStrHolder(this);
    StrHolder->setObjectName(QStringLiteral("StrHolder"));
    StrHolder->SetStrings(kAboutStrings);
}

void TFormAbout::CreateSecretPanel() {
    SecretPanel = new TSecretPanel(PanelMain);
    SecretPanel->setObjectName(QStringLiteral("SecretPanel"));
    SecretPanel->setGeometry(8, 64, 245, 89);
    SecretPanel->SetBevelOuter(TPanelBevel::bvNone);
    QPalette palette = SecretPanel->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    SecretPanel->setPalette(palette);
    SecretPanel->SetInterval(50);
    SecretPanel->SetLines(CreditLines());
    connect(SecretPanel, &TSecretPanel::TickFailed, this,
            [this](const QString& message) { ShowErrorBox(this, message); });
}

void TFormAbout::SetLabel(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();
}

void TFormAbout::FormCreate() {
    try {
        StringContainer().LocalizeForm(this);
    } catch (...) {
        // The window keeps its built-in texts.
    }
    SetLabel(LabelPrgName, ApplicationTitle());
    const TFileVersionInfo info(FSources.programFile);
    SetLabel(LabelPrgVersion, info.Valid()
                                  ? FormatMessage(StrHolder->Line(kVersionFormat),
                                                  {info.GetValue(QStringLiteral("FileVersion"))})
                                  : QString());
    SetLabel(LabelCopyright, FormatMessage(QStringLiteral("%s %s"),
                                           {info.GetValue(QStringLiteral("LegalCopyright")),
                                            info.GetValue(QStringLiteral("CompanyName"))}));
}

void TFormAbout::FormShow() {
    SetLabel(LabelMemory, StrHolder->Line(kMemoryCaption));
    const MemoryStatus status = FSources.memoryStatus ? FSources.memoryStatus() : MemoryStatus{};
    SetLabel(LabelMemFree, FormatMessage(StrHolder->Line(kMemoryFormat),
                                         {static_cast<double>(status.totalPhys) / 1024}));
    try {
        const std::optional<int> resources =
            FSources.freeResources ? FSources.freeResources() : std::nullopt;
        if (!resources) {
            throw std::runtime_error("System resources cannot be measured");
        }
        SetLabel(LabelResFree,
                 FormatMessage(StrHolder->Line(kResourcesFormat), {*resources & 0xFFFF}));
        SetLabel(LabelResources, StrHolder->Line(kResourcesCaption));
    } catch (const std::exception&) {
        const int load = status.memoryLoad == 0 ? 100 : static_cast<int>(status.memoryLoad);
        SetLabel(LabelResFree, FormatMessage(StrHolder->Line(kMemoryLoadFormat), {load}));
        SetLabel(LabelResources, StrHolder->Line(kMemoryLoadCaption));
    }
}

void TFormAbout::FormHide() {
    SecretPanel->SetActive(false);
}

void TFormAbout::ImageIconDblClick() {
    SecretPanel->SetActive(true);
}

void TFormAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        // Centred on the screen, not over the main window as a dialog would be.
        CentreOnScreen(*this);
        RunGuarded(this, [this] { FormShow(); });
    }
}

void TFormAbout::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (!event->spontaneous()) {
        RunGuarded(this, [this] { FormHide(); });
    }
}

bool TFormAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ImageIcon && event->type() == QEvent::MouseButtonDblClick) {
        RunGuarded(this, [this] { ImageIconDblClick(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFormAbout::keyPressEvent(QKeyEvent* event) {
    // OK is also the cancel button: Escape closes the window with the result OK.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        ButtonOK->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace cinevan
