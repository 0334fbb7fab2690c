#include "gui/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// One database drum in a 256-unit square: a body and a lighter top ellipse.
void PaintDrum(QPainter& p, qreal x, qreal y, const QColor& color) {
    const qreal w = 80, h = 100, rim = 22;
    QPainterPath body;
    body.moveTo(x, y + rim / 2);
    body.lineTo(x, y + h - rim / 2);
    body.arcTo(x, y + h - rim, w, rim, 180, 180);
    body.lineTo(x + w, y + rim / 2);
    body.arcTo(x, y, w, rim, 0, -180);
    p.setPen(QPen(color.darker(150), 4));
    p.setBrush(color);
    p.drawPath(body);
    p.setBrush(color.lighter(140));
    p.drawEllipse(QRectF(x, y, w, rim));
    // Two bands, as drums are usually drawn.
    p.setBrush(Qt::NoBrush);
    for (qreal band : {h / 3, 2 * h / 3}) p.drawArc(QRectF(x, y + band - rim / 2, w, rim), 180 * 16, 180 * 16);
}

}  // namespace

QImage PaintAppIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x4e, 0x8c));
    p.drawRoundedRect(QRectF(8, 8, 240, 240), 40, 40);

    PaintDrum(p, 20, 90, QColor(0xe0, 0x8a, 0x2e));   // older edition
    PaintDrum(p, 156, 90, QColor(0x3c, 0xb3, 0x71));  // newer edition

    // The arrow from the left drum to the right one.
    QPainterPath arrow;
    arrow.moveTo(104, 128);
    arrow.lineTo(130, 128);
    arrow.lineTo(130, 112);
    arrow.lineTo(152, 140);
    arrow.lineTo(130, 168);
    arrow.lineTo(130, 152);
    arrow.lineTo(104, 152);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(arrow);
    p.end();
    return image;
}

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(QPixmap::fromImage(PaintAppIcon(size)));
    return icon;
}
