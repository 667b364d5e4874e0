#include "ui/ProgramIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace programicon {

// A blue tile with three rising bars and an upward stroke: bids and positions.
QPixmap Picture(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QLinearGradient bg(0, 0, 0, s);
    bg.setColorAt(0, QColor(0x2f, 0x6f, 0xc9));
    bg.setColorAt(1, QColor(0x12, 0x3a, 0x7a));
    p.setPen(Qt::NoPen);
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), s * 0.18, s * 0.18);

    const qreal base = s * 0.80, barW = s * 0.16;
    const qreal heights[3] = {0.22, 0.36, 0.52};
    p.setBrush(QColor(0xf4, 0xf8, 0xff));
    for (int i = 0; i < 3; ++i) {
        const qreal x = s * 0.17 + i * s * 0.24;
        p.drawRect(QRectF(x, base - s * heights[i], barW, s * heights[i]));
    }
    QPen pen(QColor(0xff, 0xc4, 0x3d), qMax(1.0, s * 0.07), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(s * 0.16, s * 0.50);
    path.lineTo(s * 0.42, s * 0.34);
    path.lineTo(s * 0.58, s * 0.40);
    path.lineTo(s * 0.84, s * 0.17);
    p.drawPath(path);
    return pm;
}

QIcon Icon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128})
        icon.addPixmap(Picture(size));
    return icon;
}

}  // namespace programicon
