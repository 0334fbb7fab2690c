#pragma once
#include <QStyledItemDelegate>

// Paints a catalogue row as usual (its table name) and, right-aligned beside it, the
// row's state in the last run, kept in the item under kStateRole. The item's text stays
// the table name. The state sits on a badge of its own colour, white on a dark ground,
// so it reads the same on a selected row, an unselected one and in a disabled list;
// a failed row also carries a red mark at its left edge.
class RowStateDelegate : public QStyledItemDelegate {
public:
    static constexpr int kStateRole = Qt::UserRole + 1;

    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // Tall enough for the badge.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The badge's ground for a state: green for done, red for failed or stopped, blue while
    // copying, dark grey otherwise. Each gives white text a contrast of at least 4.5:1.
    static QColor Ground(const QString& state);
};
