#include "ui/MovieItemDelegate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

namespace cinevan {

namespace {

QPalette::ColorGroup ColorGroupOf(const QStyleOptionViewItem& option) {
    if (!option.state.testFlag(QStyle::State_Enabled)) {
        return QPalette::Disabled;
    }
    return option.state.testFlag(QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
}

void DrawFocusFrame(QPainter* painter, const QStyleOptionViewItem& option,
                    const QColor& background) {
    QStyleOptionFocusRect frame;
    frame.QStyleOption::operator=(option);
    frame.rect = option.rect;
    frame.state |= QStyle::State_KeyboardFocusChange;
    frame.backgroundColor = background;
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, painter, option.widget);
}

}  // namespace

QString ElidedItemText(const QString& text, const QFontMetrics& metrics, int width) {
    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return metrics.elidedText(line, Qt::ElideRight, std::max(width, 0), Qt::TextSingleLine);
}

MovieItemDelegate::MovieItemDelegate(std::function<int()> currentEntry,
                                     std::function<int()> dragOverItem, QObject* parent)
    : QStyledItemDelegate(parent),
      currentEntry_(std::move(currentEntry)),
      dragOverItem_(std::move(dragOverItem)) {}

void MovieItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const bool focused = option.state.testFlag(QStyle::State_HasFocus);
    const bool highlighted = focused || option.state.testFlag(QStyle::State_Selected);
    const QPalette::ColorGroup group = ColorGroupOf(option);
    const QColor background =
        option.palette.color(group, highlighted ? QPalette::Highlight : QPalette::Base);
    const QColor foreground =
        option.palette.color(group, highlighted ? QPalette::HighlightedText : QPalette::Text);
    QFont font = option.font;
    font.setBold(index.row() == currentEntry_());

    painter->save();
    painter->fillRect(option.rect, background);
    const QRect textRect = option.rect.adjusted(kTextMargin, 0, -kTextMargin, 0);
    painter->setFont(font);
    painter->setPen(foreground);
    const QString text = index.data(Qt::DisplayRole).toString();
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      ElidedItemText(text, QFontMetrics(font), textRect.width()));
    if (focused || index.row() == dragOverItem_()) {
        DrawFocusFrame(painter, option, background);
    }
    painter->restore();
}

QSize MovieItemDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    // No width of its own: each item takes the list's width, and long titles are cut.
    return {2 * kTextMargin, kItemHeight};
}

}  // namespace cinevan
