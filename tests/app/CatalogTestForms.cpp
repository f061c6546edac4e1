#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include "app/FormLocalizer.h"
#include "app/StrCont.h"

namespace cinevan {
namespace {

// Every write of a RecordingComponent, as "<object>.<property>".
QStringList writeLog;

// A component of ours that declares its localisable properties and records the writes.
class RecordingComponent : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Gamma READ gamma WRITE setGamma)
    Q_PROPERTY(QString alpha READ alpha WRITE setAlpha)
    Q_PROPERTY(QString Beta READ beta WRITE setBeta)
    Q_PROPERTY(QStringList Lines READ lines WRITE setLines)
    Q_PROPERTY(QString Name READ name WRITE setName)
    Q_CLASSINFO("LocalizableProperties", "Gamma, alpha, Beta, Lines, Name")

public:
    using QObject::QObject;

    QString gamma() const { return values.value("Gamma"); }
    QString alpha() const { return values.value("alpha"); }
    QString beta() const { return values.value("Beta"); }
    QString name() const { return values.value("Name"); }
    QStringList lines() const { return lines_; }
    void setGamma(const QString& v) { record("Gamma", v); }
    void setAlpha(const QString& v) { record("alpha", v); }
    void setBeta(const QString& v) { record("Beta", v); }
    void setName(const QString& v) { record("Name", v); }
    void setLines(const QStringList& v) {
        writes.append("Lines");
        lines_ = v;
    }

    QStringList writes;
    QHash<QString, QString> values;

private:
    void record(const QString& property, const QString& value) {
        writeLog.append(objectName() + '.' + property);
        writes.append(property);
        values[property] = value;
    }
    QStringList lines_{"one"};
};

// A component whose declared property cannot be written.
class LockedComponent : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Locked READ locked)
    Q_CLASSINFO("LocalizableProperties", "Hint,Locked")

public:
    using QWidget::QWidget;
    QString locked() const { return "fixed"; }
};

template <typename T, typename... Args>
T* named(const char* name, Args&&... args) {
    T* object = new T(std::forward<Args>(args)...);
    object->setObjectName(name);
    return object;
}

class FormLocalizerTest : public ::testing::Test {
protected:
    void localize(QWidget* form, const QByteArray& catalogText) {
        const QString name = dir.filePath("cinevan.str");
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(catalogText);
        file.close();
        catalog.SetFileName(name);
        catalog.LocalizeForm(form);
    }

    QTemporaryDir dir;
    TStringContainer catalog;
};

TEST_F(FormLocalizerTest, WindowTextsButNeverTheName) {
    QWidget form;
    form.setObjectName("FormAbout");
    form.setWindowTitle("About");
    localize(&form,
             "[FormAbout]\nFormAbout.Caption=Info\nFormAbout.Name=Other\n"
             "FormAbout.Hint=tip\nFormAbout.HelpFile=help.chm\n");
    EXPECT_EQ(form.windowTitle(), "Info");
    EXPECT_EQ(form.objectName(), "FormAbout");
    EXPECT_EQ(form.toolTip(), "tip");
    EXPECT_EQ(form.property("HelpFile").toString(), "help.chm");
}

TEST_F(FormLocalizerTest, EmptyValueKeepsTheText) {
    QWidget form;
    form.setObjectName("FormEdit");
    auto* label = named<QLabel>("LabelTitle", "&Title:", &form);
    localize(&form, "[FormEdit]\nLabelTitle.Caption=\nLabelTitle.Hint=  \n");
    EXPECT_EQ(label->text(), "&Title:");
    EXPECT_EQ(label->toolTip(), "");
}

TEST_F(FormLocalizerTest, WidgetKindsMapOntoQt) {
    QMainWindow form;
    form.setObjectName("FormMain");
    auto* central = new QWidget(&form);  // unnamed containers are passed through
    form.setCentralWidget(central);
    auto* button = named<QPushButton>("BitBtnPlay", "&Play", central);
    auto* group = named<QGroupBox>("GroupBoxSel", "Selection", central);
    auto* edit = named<QLineEdit>("EditFile", central);
    auto* panel = named<QWidget>("PanelInfo", central);
    auto* tabs = named<QTabWidget>("PageControl", central);
    auto* page = named<QWidget>("TabSheetPreview");
    tabs->addTab(page, "Preview");
    auto* file = named<QMenu>("MenuFile", "&File", form.menuBar());
    form.menuBar()->addMenu(file);
    auto* exit = named<QAction>("MenuItemExit", "E&xit", file);
    file->addAction(exit);
    auto* popup = named<QMenu>("PopupMenu", "popup", &form);
    auto* timer = named<QTimer>("Timer", &form);
    localize(&form,
             "[FormMain]\n"
             "BitBtnPlay.Caption=&Abspielen\nBitBtnPlay.Hint=Spielt ab\n"
             "GroupBoxSel.Caption=Auswahl\n"
             "EditFile.Text=datei\nEditFile.ImeName=ime\nEditFile.EditMask=00\n"
             "PanelInfo.Caption=panel\nPanelInfo.Hint=panel tip\n"
             "TabSheetPreview.Caption=Vorschau\nPageControl.Caption=no\n"
             "MenuFile.Caption=&Datei\nMenuFile.Hint=Dateimenue\n"
             "MenuItemExit.Caption=&Beenden\nMenuItemExit.Hint=Beendet %s\n"
             "PopupMenu.Caption=changed\nTimer.Caption=changed\n");
    EXPECT_EQ(button->text(), "&Abspielen");
    EXPECT_EQ(button->toolTip(), "Spielt ab");
    EXPECT_EQ(group->title(), "Auswahl");
    EXPECT_EQ(edit->text(), "datei");
    EXPECT_EQ(edit->property("ImeName").toString(), "ime");
    EXPECT_EQ(edit->inputMask(), "");  // only a masked edit has EditMask
    EXPECT_EQ(panel->property("Caption").toString(), "panel");
    EXPECT_EQ(panel->toolTip(), "panel tip");
    EXPECT_EQ(tabs->tabText(0), "Vorschau");
    EXPECT_FALSE(tabs->property("Caption").isValid());
    EXPECT_EQ(file->title(), "&Datei");
    EXPECT_EQ(file->menuAction()->statusTip(), "Dateimenue");
    EXPECT_EQ(exit->text(), "&Beenden");
    EXPECT_EQ(exit->statusTip(), "Beendet %s");
    EXPECT_NE(exit->toolTip(), "Beendet %s");  // a menu item's hint is no tool tip
    EXPECT_EQ(popup->title(), "popup");
    EXPECT_FALSE(timer->property("Caption").isValid());
}

TEST_F(FormLocalizerTest, MaskedEditGetsTheMaskBeforeTheText) {
    QWidget form;
    form.setObjectName("FormEdit");
    auto* edit = named<QLineEdit>("MaskEditStart", &form);
    edit->setInputMask("AAA");  // takes no digits: text set before the new mask would be lost
    localize(&form, "[FormEdit]\nMaskEditStart.Text=12345\nMaskEditStart.EditMask=99:99:9\n");
    EXPECT_EQ(edit->inputMask(), "99:99:9");
    EXPECT_EQ(edit->text(), "12:34:5");
}

TEST_F(FormLocalizerTest, ListSubSectionReplacesAndAppends) {
    QWidget form;
    form.setObjectName("FormMovieList");
    auto* list = named<QListWidget>("ListBoxMovies", &form);
    list->addItem("old");
    auto* empty = named<QListWidget>("ListBoxEmpty", &form);
    localize(&form,
             "[FormMovieList]\nListBoxMovies.Items=Lines1\nListBoxEmpty.Items=Lines2\n"
             "[Lines1]\n0=A\n1=B\n[Lines2]\n0=A\n2=B\n");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "A");
    EXPECT_EQ(list->item(1)->text(), "B");
    ASSERT_EQ(empty->count(), 2);
    EXPECT_EQ(empty->item(0)->text(), "A");
    EXPECT_EQ(empty->item(1)->text(), "");
}

TEST(ApplyListSection, GrowsButNeverShrinks) {
    const auto values = [](const QStringList& v) {
        return [v](int i) { return i < v.size() ? v[i] : QString(); };
    };
    EXPECT_EQ(applyListSection({"x", "y", "z"}, 1, values({"A"})), (QStringList{"A", "y", "z"}));
    EXPECT_EQ(applyListSection({"x", "y"}, 2, values({"", "B"})), (QStringList{"x", "B"}));
    EXPECT_EQ(applyListSection({}, 3, values({"A", "", "C"})), (QStringList{"A", "", "C"}));
}

TEST_F(FormLocalizerTest, DeclaredPropertiesInCaseInsensitiveOrder) {
    QWidget form;
    form.setObjectName("FormAbout");
    auto* holder = named<RecordingComponent>("StrHolder", &form);
    localize(&form,
             "[FormAbout]\nStrHolder.Gamma=g\nStrHolder.Beta=b\nStrHolder.alpha=a\n"
             "StrHolder.Name=n\nStrHolder.Lines=Credits\n[Credits]\n0=first\n1=second\n");
    EXPECT_EQ(holder->writes, (QStringList{"alpha", "Beta", "Gamma", "Lines"}));
    EXPECT_EQ(holder->lines(), (QStringList{"first", "second"}));
    EXPECT_EQ(holder->name(), "");
}

TEST_F(FormLocalizerTest, FailureStopsTheRestOfTheWindow) {
    QWidget form;
    form.setObjectName("FormAbout");
    auto* before = named<QLabel>("LabelBefore", "before", &form);
    auto* locked = named<LockedComponent>("Locked", &form);
    auto* after = named<QLabel>("LabelAfter", "after", &form);
    EXPECT_THROW(localize(&form,
                          "[FormAbout]\nLabelBefore.Caption=B\nLocked.Hint=tip\n"
                          "Locked.Locked=x\nLabelAfter.Caption=A\n"),
                 ELocalizeError);
    EXPECT_EQ(before->text(), "B");
    EXPECT_EQ(locked->toolTip(), "tip");
    EXPECT_EQ(after->text(), "after");
}

TEST_F(FormLocalizerTest, ChildrenFollowTheirParentInCreationOrder) {
    QWidget form;
    form.setObjectName("FormAbout");
    auto* first = named<RecordingComponent>("First", &form);
    named<RecordingComponent>("Nested", new QObject(first));  // below an unnamed object
    named<RecordingComponent>("Second", &form);
    writeLog.clear();
    localize(&form, "[FormAbout]\nSecond.Beta=3\nNested.Beta=2\nFirst.Beta=1\n");
    EXPECT_EQ(writeLog, (QStringList{"First.Beta", "Nested.Beta", "Second.Beta"}));
}

}  // namespace
}  // namespace cinevan

#include "CatalogTestForms.moc"
