#include "gui/RowStateDelegate.h"

#include <QPainter>
#include <algorithm>

#include "gui/KoreanUi.h"

namespace {
const QColor kGood(0, 110, 0);      // 6.5:1 under white
const QColor kBad(180, 0, 0);       // 7.1:1
const QColor kBusy(0, 80, 170);     // 7.7:1
const QColor kNeutral(85, 85, 85);  // 7.5:1
const QColor kUnsure(140, 75, 0);   // 5.8:1: copied, not yet known to be right

struct Tone {
    const char* prefix;
    const QColor& ground;
};
// By the state's first word; a new state takes its place here.
const Tone kTones[] = {{"완료", kGood}, {"검증됨", kGood},  {"실패", kBad},         {"불일치", kBad},
                       {"중지", kBad},  {"복사 중", kBusy}, {"검증 안 됨", kUnsure}};
}  // namespace

QColor RowStateDelegate::Ground(const QString& state) {
    for (const Tone& tone : kTones)
        if (state.startsWith(QString::fromUtf8(tone.prefix))) return tone.ground;
    return kNeutral;
}

void RowStateDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    // The table name keeps its full colours in a list disabled during a run.
    QStyleOptionViewItem name(option);
    for (const QPalette::ColorRole role : {QPalette::Text, QPalette::Highlight, QPalette::HighlightedText})
        name.palette.setColor(QPalette::Disabled, role, option.palette.color(QPalette::Active, role));
    QStyledItemDelegate::paint(painter, name, index);
    const QString state = index.data(kStateRole).toString();
    if (state.isEmpty()) return;
    const QColor ground = Ground(state);
    painter->save();
    painter->setFont(FiguresFont());
    const QFontMetrics metrics(painter->font());
    const int width = metrics.horizontalAdvance(state) + 10;
    const QRect badge(option.rect.right() - 3 - width, option.rect.top() + 1, width, option.rect.height() - 2);
    painter->fillRect(badge, ground);
    if (ground == kBad) painter->fillRect(QRect(option.rect.left(), option.rect.top(), 4, option.rect.height()), kBad);
    painter->setPen(Qt::white);
    painter->drawText(badge, Qt::AlignCenter, state);
    painter->restore();
}

QSize RowStateDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const QSize size = QStyledItemDelegate::sizeHint(option, index);
    return {size.width(), std::max(size.height(), QFontMetrics(FiguresFont()).height() + 4)};
}
