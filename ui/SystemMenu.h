#pragma once

#include <QList>
#include <QString>

namespace cinevan {

// Items the program adds to its main window's system menu. Linux window managers offer no
// system menu to extend, so the main window shows these items in the context menu of its
// information strip; the texts keep the system-menu form: caption, a tab, the shortcut.
class SystemMenu {
public:
    struct Item {
        int position;   // place among the menu's items
        int commandId;  // 0 for a separator
        QString text;   // "&About...\tF1"
    };

    static constexpr int kAboutCommand = 1;

    void InsertSeparator(int position) { items_.append({position, 0, QString()}); }
    void InsertItem(int position, int commandId, const QString& caption, const QString& shortcut) {
        items_.append({position, commandId, caption + '\t' + shortcut});
    }
    const QList<Item>& Items() const { return items_; }

private:
    QList<Item> items_;
};

}  // namespace cinevan
