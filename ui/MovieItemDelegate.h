#pragma once

#include <QStyledItemDelegate>
#include <functional>

class QFontMetrics;

namespace cinevan {

// Draws the Movie List Editor's items: one line of text 2 pixels in from both sides, cut with
// an ellipsis, "&" shown as it is, the current entry in bold, selected and focused items in
// the highlight colours, and a focus rectangle around the focused item and around the item
// under a drag.
class MovieItemDelegate : public QStyledItemDelegate {
public:
    static constexpr int kItemHeight = 16;
    static constexpr int kTextMargin = 2;

    // `currentEntry` and `dragOverItem` give the rows to draw bold and framed (-1 for none).
    MovieItemDelegate(std::function<int()> currentEntry, std::function<int()> dragOverItem,
                      QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    std::function<int()> currentEntry_;
    std::function<int()> dragOverItem_;
};

// `text` as one line that fits `width`, cut with an ellipsis at the end when it does not.
QString ElidedItemText(const QString& text, const QFontMetrics& metrics, int width);

}  // namespace cinevan
