#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

class QObject;
class QWidget;

namespace cinevan {

class PrivateProfile;

// Raised when a localised text cannot be set on a component.
class ELocalizeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One localisable property of a component kind: a text, or a list of lines.
struct LocalizableProperty {
    QString name;
    std::function<void(QObject*, const QString&)> setText;  // text properties
    std::function<bool(QObject*, QStringList&)> getList;    // list properties: false if none
    std::function<void(QObject*, const QStringList&)> setList;

    bool isList() const { return static_cast<bool>(getList); }
};

// The localisable properties of `object`, in alphabetical order compared without regard to case.
// `isForm` marks the window being localised. Built-in kinds:
//   window                     Caption (windowTitle), HelpFile (kept), Hint (toolTip)
//   QLabel, QAbstractButton    Caption (text), Hint (toolTip)
//   QGroupBox                  Caption (title), Hint
//   tab page of a QTabWidget   Caption (tab text), Hint
//   plain QWidget or QFrame    Caption (kept), Hint
//   QAction                    Caption (text), Hint (statusTip)
//   QMenu inside a menu        Caption (title), Hint (statusTip)
//   QLineEdit                  [EditMask (inputMask) if masked], Hint, ImeName (kept), Text
//   QListWidget                Hint, ImeName (kept), Items (list)
//   any other widget           Hint
//   menu bar, pop-up QMenu, other objects: none
// "Kept" values are stored as dynamic properties of that name for the program to read.
//
// A class of ours declares its own localisable properties, which replace the built-in entry,
// with a class-info marker naming Q_PROPERTYs of type QString (a text) or QStringList (a list):
//
//     class StrHolder : public QObject {
//         Q_OBJECT
//         Q_PROPERTY(QStringList Strings READ strings WRITE setStrings)
//         Q_PROPERTY(QString KeyString READ keyString WRITE setKeyString)
//         Q_CLASSINFO("LocalizableProperties", "Strings,KeyString")
//         ...
//     };
//
// On a widget, a listed "Hint" without a Q_PROPERTY of that name is its toolTip. A listed name
// that is neither, or a property that cannot be written, raises ELocalizeError when the
// catalog gives it a value. "Name" is never localised.
QList<LocalizableProperty> localizableProperties(QObject* object, bool isForm);

// Applies a list sub-section to `lines`: `count` values are looked up by the keys 0..count-1;
// a value beyond the current lines is appended (empty if missing), a non-empty value replaces
// its line, an empty one keeps it. Lists grow but never shrink.
QStringList applyListSection(QStringList lines, int count,
                             const std::function<QString(int)>& valueOf);

// Replaces the texts of a window and of every named object below it (in creation order) by the
// values of the catalog section named after the window: key "<object name>.<property>"; an
// empty value leaves the property as it is; a list property's value names the sub-section
// holding its lines. Objects named "qt_..." belong to Qt and are left alone. Throws
// ELocalizeError at the first property that cannot be set; what was set before it stays.
class FormLocalizer {
public:
    explicit FormLocalizer(const PrivateProfile& catalog) : catalog_(catalog) {}

    void Localize(QWidget* form) const;
    // The same for one component made after its window was localised, and what is below it.
    void LocalizeComponent(QObject* component, const QWidget& form) const;

private:
    void LocalizeObject(QObject* object, const QByteArray& section, bool isForm) const;
    void LocalizeChildren(QObject* parent, const QByteArray& section) const;
    void ApplyList(QObject* object, const LocalizableProperty& property,
                   const QByteArray& subSection) const;

    const PrivateProfile& catalog_;
};

}  // namespace cinevan
