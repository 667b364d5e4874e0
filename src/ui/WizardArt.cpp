#include "ui/WizardArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace wizardart {

namespace {
const QColor kDeep(18, 52, 110);
const QColor kLight(74, 140, 214);

void drawGlobe(QPainter &p, const QRectF &r) {
    p.setPen(QPen(QColor(255, 255, 255, 230), r.width() / 30.0));
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawEllipse(r);
    p.setBrush(Qt::NoBrush);
    // Meridians and parallels.
    p.drawEllipse(r.adjusted(r.width() * 0.3, 0, -r.width() * 0.3, 0));
    p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
    p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
    const double dy = r.height() * 0.25;
    const double inset = r.width() * 0.07;
    p.drawLine(QPointF(r.left() + inset, r.center().y() - dy), QPointF(r.right() - inset, r.center().y() - dy));
    p.drawLine(QPointF(r.left() + inset, r.center().y() + dy), QPointF(r.right() - inset, r.center().y() + dy));
}

void drawArrow(QPainter &p, const QRectF &r, const QColor &color) {
    QPainterPath arrow;
    const double w = r.width(), h = r.height();
    arrow.moveTo(r.left() + w * 0.35, r.top());
    arrow.lineTo(r.left() + w * 0.65, r.top());
    arrow.lineTo(r.left() + w * 0.65, r.top() + h * 0.5);
    arrow.lineTo(r.right(), r.top() + h * 0.5);
    arrow.lineTo(r.center().x(), r.bottom());
    arrow.lineTo(r.left(), r.top() + h * 0.5);
    arrow.lineTo(r.left() + w * 0.35, r.top() + h * 0.5);
    arrow.closeSubpath();
    p.setPen(QPen(QColor(255, 255, 255), w / 25.0));
    p.setBrush(color);
    p.drawPath(arrow);
}

void drawCheck(QPainter &p, const QRectF &r) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(46, 160, 67));
    p.drawEllipse(r);
    QPen pen(Qt::white, r.width() / 9.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    QPainterPath tick;
    tick.moveTo(r.left() + r.width() * 0.27, r.top() + r.height() * 0.52);
    tick.lineTo(r.left() + r.width() * 0.44, r.top() + r.height() * 0.69);
    tick.lineTo(r.left() + r.width() * 0.74, r.top() + r.height() * 0.34);
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
}

QPixmap banner(const QSize &size, bool finish) {
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, kLight);
    g.setColorAt(1, kDeep);
    p.fillRect(pixmap.rect(), g);
    const double side = size.width() * 0.7;
    const QRectF globe((size.width() - side) / 2, size.height() * 0.12, side, side);
    drawGlobe(p, globe);
    const QRectF badge(globe.right() - side * 0.45, globe.bottom() - side * 0.35, side * 0.5, side * 0.5);
    if (finish)
        drawCheck(p, badge);
    else
        drawArrow(p, badge, QColor(243, 156, 18));
    return pixmap;
}
}  // namespace

QPixmap DownloadPicture(const QSize &size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF globe(size.width() * 0.05, size.height() * 0.05, size.width() * 0.75, size.height() * 0.75);
    QRadialGradient g(globe.center(), globe.width() / 2);
    g.setColorAt(0, kLight);
    g.setColorAt(1, kDeep);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(globe);
    drawGlobe(p, globe);
    drawArrow(p, QRectF(size.width() * 0.5, size.height() * 0.45, size.width() * 0.45, size.height() * 0.5),
              QColor(243, 156, 18));
    return pixmap;
}

QPixmap WizardBanner(const QSize &size) { return banner(size, false); }
QPixmap FinishBanner(const QSize &size) { return banner(size, true); }

}  // namespace wizardart
