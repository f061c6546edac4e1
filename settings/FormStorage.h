#pragma once

#include <QList>
#include <QPointer>
#include <QStringList>

#include "settings/FormPlacement.h"

namespace cinevan {

// The settings key under which this program's windows keep their placement and properties.
inline QString ProgramSettingsKey() {
    return QStringLiteral("Software\\Vantrel\\Cinevan\\1.0");
}

// A window placement store that also keeps properties of the window's components, listed as
// "Component.Property" (for example "CheckBoxLoop.Checked"). Entries are resolved against the
// window's components at the first save or restore; entries that name no component are
// dropped, and so are entries whose component is destroyed.
class TFormStorage : public TFormPlacement {
    Q_OBJECT
    Q_PROPERTY(QStringList StoredProps READ StoredProps WRITE SetStoredProps)
    Q_CLASSINFO("LocalizableProperties", "IniFileName,IniSection,StoredProps")

public:
    explicit TFormStorage(QWidget* owner);
    ~TFormStorage() override;

    QStringList StoredProps() const;
    void SetStoredProps(const QStringList& props);

protected:
    void WriteStoredProps() override;
    void ReadStoredProps() override;

private:
    struct Entry {
        QString text;
        QString component;
        QString property;
        QPointer<QObject> object;
        bool resolved = false;
    };

    void ResolveEntries();

    QList<Entry> FEntries;
};

}  // namespace cinevan
