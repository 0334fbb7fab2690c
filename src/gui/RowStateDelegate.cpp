#include "gui/RowStateDelegate.h"

#include <QPainter>

namespace {
// Done in green, failed or stopped in red, the rest in the palette's muted text colour.
QColor StateColour(const QString& state, const QPalette& palette, bool selected) {
    if (selected) return palette.color(QPalette::HighlightedText);
    if (state.startsWith(QStringLiteral("완료"))) return QColor(0, 110, 0);
    if (state.startsWith(QStringLiteral("실패")) || state.startsWith(QStringLiteral("중지"))) return QColor(180, 0, 0);
    return palette.color(QPalette::PlaceholderText);
}
}  // namespace

void RowStateDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    const QString state = index.data(kStateRole).toString();
    if (state.isEmpty()) return;
    painter->save();
    painter->setPen(StateColour(state, option.palette, option.state & QStyle::State_Selected));
    painter->drawText(option.rect.adjusted(0, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter, state);
    painter->restore();
}
