#pragma once
#include <QStyledItemDelegate>

// Paints a catalogue row as usual (its table name) and, right-aligned beside it, the
// row's state in the last run, kept in the item under kStateRole. The item's text stays
// the table name.
class RowStateDelegate : public QStyledItemDelegate {
public:
    static constexpr int kStateRole = Qt::UserRole + 1;

    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
