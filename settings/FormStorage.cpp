#include "settings/FormStorage.h"

#include <QWidget>

#include "settings/PropsStorage.h"

namespace cinevan {

TFormStorage::TFormStorage(QWidget* owner) : TFormPlacement(owner) {}

TFormStorage::~TFormStorage() {
    // Runs the destroy hook while the stored properties can still be written.
    OwnerDestroy();
}

QStringList TFormStorage::StoredProps() const {
    QStringList props;
    for (const Entry& entry : FEntries) {
        if (!entry.resolved || entry.object) {
            props.append(entry.text);
        }
    }
    return props;
}

void TFormStorage::SetStoredProps(const QStringList& props) {
    FEntries.clear();
    for (const QString& text : props) {
        FEntries.append(Entry{text, {}, {}, {}, false});
    }
}

// Splits each entry at its first full stop and looks the component up among the window's
// components; entries that do not resolve, or whose component is gone, are dropped.
void TFormStorage::ResolveEntries() {
    QWidget* owner = Owner();
    for (qsizetype i = FEntries.size() - 1; i >= 0; --i) {
        Entry& entry = FEntries[i];
        if (!entry.resolved) {
            entry.resolved = true;
            const qsizetype dot = entry.text.indexOf(QLatin1Char('.'));
            if (dot > 0) {
                entry.component = entry.text.left(dot).trimmed();
                entry.property = entry.text.mid(dot + 1).trimmed();
            }
            if (owner && !entry.component.isEmpty() && !entry.property.isEmpty()) {
                entry.object = owner->findChild<QObject*>(entry.component);
            }
        }
        if (!entry.object) {
            FEntries.removeAt(i);
        }
    }
}

void TFormStorage::WriteStoredProps() {
    ResolveEntries();
    const TPropsStorage storage(
        [this](const QString& name, const QString& fallback) { return ReadValue(name, fallback); },
        [this](const QString& name, const QString& value) { WriteValue(name, value); });
    for (const Entry& entry : FEntries) {
        if (entry.object) {
            storage.StoreProperty(*entry.object, entry.component, entry.property);
        }
    }
}

void TFormStorage::ReadStoredProps() {
    try {
        ResolveEntries();
        const TPropsStorage storage(
            [this](const QString& name, const QString& fallback) {
                return ReadValue(name, fallback);
            },
            [this](const QString& name, const QString& value) { WriteValue(name, value); });
        // Copies of the guarded pointers: setting a property may run handlers that change
        // the window.
        const QList<Entry> entries = FEntries;
        for (const Entry& entry : entries) {
            try {
                if (entry.object) {
                    storage.LoadProperty(*entry.object, entry.component, entry.property);
                }
            } catch (...) {
                // A value that cannot be read leaves its property as it is.
            }
        }
    } catch (...) {
        // The window keeps the properties it has.
    }
}

}  // namespace cinevan
