#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace cinevan {

// A non-visual holder of a window's message texts: a list of lines that the message catalog
// can localise like any list property, and a key text.
class TStrHolder : public QObject {
    Q_OBJECT
    Q_PROPERTY(QStringList Strings READ Strings WRITE SetStrings)
    Q_PROPERTY(QString KeyString READ KeyString WRITE SetKeyString)
    Q_CLASSINFO("LocalizableProperties", "Strings,KeyString")

public:
    explicit TStrHolder(QObject* parent = nullptr) : QObject(parent) {}

    const QStringList& Strings() const { return FStrings; }
    void SetStrings(const QStringList& strings) { FStrings = strings; }
    const QString& KeyString() const { return FKeyString; }
    void SetKeyString(const QString& key) { FKeyString = key; }

    // Line `index`, empty when there is none.
    QString Line(int index) const { return FStrings.value(index); }

private:
    QStringList FStrings;
    QString FKeyString;
};

}  // namespace cinevan
