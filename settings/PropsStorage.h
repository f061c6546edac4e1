#pragma once

#include <QString>
#include <functional>

class QObject;

namespace cinevan {

// Reads and writes properties of one object as strings through two callbacks bound to a
// settings section. A value is named after the object's part of the entry, an underscore and
// the property ("CheckBoxLoop_Checked"). Booleans and other enumerations are kept as the
// identifier of their value ("True", "False"); texts and numbers as their text.
class TPropsStorage {
public:
    using Reader = std::function<QString(const QString& name, const QString& fallback)>;
    using Writer = std::function<void(const QString& name, const QString& value)>;

    TPropsStorage(Reader reader, Writer writer)
        : FReader(std::move(reader)), FWriter(std::move(writer)) {}

    static QString ValueName(const QString& component, const QString& property);

    // Writes `property` of `object` under the value named from `component`; false when the
    // object has no such property.
    bool StoreProperty(const QObject& object, const QString& component,
                       const QString& property) const;
    // Reads the value back; a text that names none of the property's values leaves it as it is.
    bool LoadProperty(QObject& object, const QString& component, const QString& property) const;

private:
    Reader FReader;
    Writer FWriter;
};

}  // namespace cinevan
