#include "settings/PropsStorage.h"

#include <QMetaEnum>
#include <QMetaProperty>
#include <QObject>
#include <QVariant>
#include <optional>

namespace cinevan {

namespace {

// Property names compare without regard to case: the stored entry says "Checked", Qt's
// property is "checked".
std::optional<QMetaProperty> FindProperty(const QObject& object, const QString& name) {
    const QMetaObject* meta = object.metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (name.compare(QLatin1String(property.name()), Qt::CaseInsensitive) == 0) {
            return property;
        }
    }
    return std::nullopt;
}

QString TextOf(const QMetaProperty& property, const QVariant& value) {
    if (property.typeId() == QMetaType::Bool) {
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    }
    if (property.isEnumType()) {
        const QMetaEnum enumerator = property.enumerator();
        return QString::fromLatin1(enumerator.valueToKey(value.toInt()));
    }
    return value.toString();
}

// The value whose identifier matches `text` without regard to case, from the lowest value up.
std::optional<QVariant> EnumValueOf(const QMetaProperty& property, const QString& text) {
    if (property.typeId() == QMetaType::Bool) {
        for (const bool value : {false, true}) {
            if (text.compare(value ? QLatin1String("True") : QLatin1String("False"),
                             Qt::CaseInsensitive) == 0) {
                return QVariant(value);
            }
        }
        return std::nullopt;
    }
    const QMetaEnum enumerator = property.enumerator();
    std::optional<int> match;
    for (int i = 0; i < enumerator.keyCount(); ++i) {
        const int value = enumerator.value(i);
        if (text.compare(QLatin1String(enumerator.key(i)), Qt::CaseInsensitive) == 0 &&
            (!match || value < *match)) {
            match = value;
        }
    }
    return match ? std::optional<QVariant>(*match) : std::nullopt;
}

}  // namespace

QString TPropsStorage::ValueName(const QString& component, const QString& property) {
    return component + QLatin1Char('_') + property;
}

bool TPropsStorage::StoreProperty(const QObject& object, const QString& component,
                                  const QString& property) const {
    const std::optional<QMetaProperty> meta = FindProperty(object, property);
    if (!meta || !meta->isReadable()) {
        return false;
    }
    FWriter(ValueName(component, property), TextOf(*meta, meta->read(&object)).trimmed());
    return true;
}

bool TPropsStorage::LoadProperty(QObject& object, const QString& component,
                                 const QString& property) const {
    const std::optional<QMetaProperty> meta = FindProperty(object, property);
    if (!meta || !meta->isWritable()) {
        return false;
    }
    const QVariant current = meta->read(&object);
    const QString text = FReader(ValueName(component, property), TextOf(*meta, current)).trimmed();
    if (meta->typeId() == QMetaType::Bool || meta->isEnumType()) {
        if (const std::optional<QVariant> value = EnumValueOf(*meta, text)) {
            meta->write(&object, *value);
        }
        return true;
    }
    QVariant value(text);
    if (value.convert(meta->metaType())) {
        meta->write(&object, value);
    }
    return true;
}

}  // namespace cinevan
