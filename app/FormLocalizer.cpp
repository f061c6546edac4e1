#include "app/FormLocalizer.h"

#include <QAbstractButton>
#include <QAction>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMetaProperty>
#include <QSlider>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVariant>
#include <algorithm>

#include "platform/PrivateProfile.h"

namespace cinevan {
namespace {

constexpr char kMarker[] = "LocalizableProperties";

[[noreturn]] void cannotSet(const QObject* object, const QString& property) {
    throw ELocalizeError(QStringLiteral("Cannot set property %1.%2")
                             .arg(object->objectName(), property)
                             .toStdString());
}

template <typename T>
LocalizableProperty text(const char* name, void (T::*setter)(const QString&)) {
    return {QString::fromLatin1(name),
            [setter](QObject* object, const QString& value) {
                (static_cast<T*>(object)->*setter)(value);
            },
            {},
            {}};
}

// A text the program keeps for itself, stored as a dynamic property of the same name.
LocalizableProperty kept(const char* name) {
    return {QString::fromLatin1(name),
            [name](QObject* object, const QString& value) { object->setProperty(name, value); },
            {},
            {}};
}

LocalizableProperty hint() {
    return text("Hint", &QWidget::setToolTip);
}

LocalizableProperty statusHint() {
    return {QStringLiteral("Hint"),
            [](QObject* object, const QString& value) {
                if (auto* menu = qobject_cast<QMenu*>(object)) {
                    menu->setStatusTip(value);
                    menu->menuAction()->setStatusTip(value);
                } else {
                    static_cast<QAction*>(object)->setStatusTip(value);
                }
            },
            {},
            {}};
}

LocalizableProperty listItems() {
    return {QStringLiteral("Items"),
            {},
            [](QObject* object, QStringList& lines) {
                const auto* list = static_cast<QListWidget*>(object);
                for (int i = 0; i < list->count(); ++i) {
                    lines.append(list->item(i)->text());
                }
                return true;
            },
            [](QObject* object, const QStringList& lines) {
                auto* list = static_cast<QListWidget*>(object);
                for (int i = 0; i < lines.size(); ++i) {
                    if (i >= list->count()) {
                        list->addItem(lines[i]);
                    } else if (list->item(i)->text() != lines[i]) {
                        list->item(i)->setText(lines[i]);
                    }
                }
            }};
}

QTabWidget* tabWidgetOf(const QWidget* page) {
    auto* stack = qobject_cast<QStackedWidget*>(page->parentWidget());
    auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
    return tabs && tabs->indexOf(const_cast<QWidget*>(page)) >= 0 ? tabs : nullptr;
}

LocalizableProperty tabCaption() {
    return {QStringLiteral("Caption"),
            [](QObject* object, const QString& value) {
                auto* page = static_cast<QWidget*>(object);
                QTabWidget* tabs = tabWidgetOf(page);
                tabs->setTabText(tabs->indexOf(page), value);
            },
            {},
            {}};
}

// A Q_PROPERTY of a class of ours, as its class-info marker names it.
LocalizableProperty declared(QObject* object, const QString& name) {
    const QByteArray latin = name.toLatin1();
    const QMetaObject* meta = object->metaObject();
    const int index = meta->indexOfProperty(latin.constData());
    if (index < 0) {
        if (name == QLatin1String("Hint") && object->isWidgetType()) {
            return hint();
        }
        return {name, [name](QObject* o, const QString&) { cannotSet(o, name); }, {}, {}};
    }
    const QMetaProperty property = meta->property(index);
    const auto write = [property, name](QObject* o, const QVariant& value) {
        if (!property.isWritable() || !property.write(o, value)) {
            cannotSet(o, name);
        }
    };
    if (property.metaType().id() == QMetaType::QStringList) {
        return {name,
                {},
                [property](QObject* o, QStringList& lines) {
                    const QVariant value = property.read(o);
                    lines = value.toStringList();
                    return value.isValid();
                },
                [write](QObject* o, const QStringList& lines) { write(o, lines); }};
    }
    return {name, [write](QObject* o, const QString& value) { write(o, value); }, {}, {}};
}

QList<LocalizableProperty> declaredProperties(QObject* object) {
    const QMetaObject* meta = object->metaObject();
    const QString names =
        QString::fromLatin1(meta->classInfo(meta->indexOfClassInfo(kMarker)).value());
    QList<LocalizableProperty> properties;
    for (const QString& name : names.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        properties.append(declared(object, name.trimmed()));
    }
    return properties;
}

QList<LocalizableProperty> menuProperties(QObject* object) {
    if (auto* menu = qobject_cast<QMenu*>(object)) {
        QWidget* parent = menu->parentWidget();
        if (qobject_cast<QMenu*>(parent) || qobject_cast<QMenuBar*>(parent)) {
            return {text("Caption", &QMenu::setTitle), statusHint()};
        }
        return {};
    }
    return {text("Caption", &QAction::setText), statusHint()};
}

QList<LocalizableProperty> widgetProperties(QWidget* widget) {
    if (qobject_cast<QLabel*>(widget)) {
        return {text("Caption", &QLabel::setText), hint()};
    }
    if (qobject_cast<QAbstractButton*>(widget)) {
        return {text("Caption", &QAbstractButton::setText), hint()};
    }
    if (qobject_cast<QGroupBox*>(widget)) {
        return {text("Caption", &QGroupBox::setTitle), hint()};
    }
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        QList<LocalizableProperty> properties{hint(), kept("ImeName"),
                                              text("Text", &QLineEdit::setText)};
        if (!edit->inputMask().isEmpty()) {
            properties.append(text("EditMask", &QLineEdit::setInputMask));
        }
        return properties;
    }
    if (qobject_cast<QListWidget*>(widget)) {
        return {listItems(), hint(), kept("ImeName")};
    }
    if (qobject_cast<QMenuBar*>(widget)) {
        return {};
    }
    if (tabWidgetOf(widget)) {
        return {tabCaption(), hint()};
    }
    const QMetaObject* meta = widget->metaObject();
    auto* frame = qobject_cast<QFrame*>(widget);
    const bool line =
        frame && (frame->frameShape() == QFrame::HLine || frame->frameShape() == QFrame::VLine);
    if (!line && (meta == &QWidget::staticMetaObject || meta == &QFrame::staticMetaObject)) {
        return {kept("Caption"), hint()};
    }
    return {hint()};
}

QList<LocalizableProperty> kindProperties(QObject* object, bool isForm) {
    if (object->metaObject()->indexOfClassInfo(kMarker) >= 0) {
        return declaredProperties(object);
    }
    if (isForm && object->isWidgetType()) {
        return {text("Caption", &QWidget::setWindowTitle), kept("HelpFile"), hint()};
    }
    if (qobject_cast<QAction*>(object) || qobject_cast<QMenu*>(object)) {
        return menuProperties(object);
    }
    if (object->isWidgetType()) {
        return widgetProperties(static_cast<QWidget*>(object));
    }
    return {};
}

}  // namespace

QList<LocalizableProperty> localizableProperties(QObject* object, bool isForm) {
    QList<LocalizableProperty> properties = kindProperties(object, isForm);
    properties.removeIf(
        [](const LocalizableProperty& p) { return p.name == QLatin1String("Name"); });
    std::stable_sort(properties.begin(), properties.end(), [](const auto& a, const auto& b) {
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    return properties;
}

QStringList applyListSection(QStringList lines, int count,
                             const std::function<QString(int)>& valueOf) {
    for (int i = 0; i < count; ++i) {
        const QString value = valueOf(i);
        if (i >= lines.size()) {
            lines.append(value);
        } else if (!value.isEmpty()) {
            lines[i] = value;
        }
    }
    return lines;
}

void FormLocalizer::Localize(QWidget* form) const {
    const QByteArray section = form->objectName().toLocal8Bit();
    LocalizeObject(form, section, true);
    LocalizeChildren(form, section);
}

void FormLocalizer::LocalizeComponent(QObject* component, const QWidget& form) const {
    const QByteArray section = form.objectName().toLocal8Bit();
    LocalizeObject(component, section, false);
    LocalizeChildren(component, section);
}

void FormLocalizer::LocalizeChildren(QObject* parent, const QByteArray& section) const {
    const QObjectList children = parent->children();
    for (QObject* child : children) {
        const QString name = child->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_"))) {
            LocalizeObject(child, section, false);
        }
        LocalizeChildren(child, section);
    }
}

void FormLocalizer::LocalizeObject(QObject* object, const QByteArray& section, bool isForm) const {
    const QByteArray prefix = object->objectName().toLocal8Bit() + '.';
    for (const LocalizableProperty& property : localizableProperties(object, isForm)) {
        const QByteArray value = catalog_.ReadString(section, prefix + property.name.toLatin1());
        if (value.isEmpty()) {
            continue;
        }
        if (property.isList()) {
            ApplyList(object, property, value);
        } else {
            property.setText(object, QString::fromLocal8Bit(value));
        }
    }
}

void FormLocalizer::ApplyList(QObject* object, const LocalizableProperty& property,
                              const QByteArray& subSection) const {
    QStringList lines;
    if (!property.getList(object, lines)) {
        return;
    }
    const int count = static_cast<int>(catalog_.ReadSectionValues(subSection).size());
    const auto valueOf = [this, &subSection](int i) {
        return QString::fromLocal8Bit(catalog_.ReadString(subSection, QByteArray::number(i)));
    };
    property.setList(object, applyListSection(lines, count, valueOf));
}

}  // namespace cinevan
