#include "AppInfo.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

namespace app {

QString applicationTitle()
{
    return QStringLiteral("Fenwarda de Vídeo");
}

QString versionNumber()
{
    return QStringLiteral("%1.%2.%3")
        .arg(FENWARDA_VERSION_MAJOR)
        .arg(FENWARDA_VERSION_MINOR)
        .arg(FENWARDA_VERSION_PATCH);
}

QString splashVersionText()
{
    return QStringLiteral("Version ") + versionNumber();
}

QPixmap logoPixmap(int side, qreal devicePixelRatio)
{
    QPixmap pixmap(qRound(side * devicePixelRatio), qRound(side * devicePixelRatio));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);

    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = side;

    // Film strip leaving the reel towards the lower right.
    {
        p.save();
        p.translate(s * 0.50, s * 0.72);
        p.rotate(-12);
        const QRectF strip(0, 0, s * 0.46, s * 0.19);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2b, 0x2b, 0x2b));
        p.drawRoundedRect(strip, s * 0.02, s * 0.02);
        p.setBrush(QColor(0xf2, 0xe6, 0xc4));
        const qreal hole = s * 0.035;
        for (qreal x = s * 0.03; x + hole < strip.width(); x += s * 0.07) {
            p.drawRect(QRectF(x, s * 0.02, hole, hole));
            p.drawRect(QRectF(x, strip.height() - s * 0.02 - hole, hole, hole));
        }
        p.setBrush(QColor(0x7f, 0xa7, 0xd6));
        for (qreal x = s * 0.04; x + s * 0.09 < strip.width(); x += s * 0.12)
            p.drawRect(QRectF(x, s * 0.07, s * 0.09, s * 0.06));
        p.restore();
    }

    // The reel.
    const QPointF c(s * 0.42, s * 0.42);
    const qreal r = s * 0.38;
    QRadialGradient metal(c - QPointF(r * 0.3, r * 0.3), r * 1.4);
    metal.setColorAt(0.0, QColor(0xe8, 0xc5, 0x6a));
    metal.setColorAt(1.0, QColor(0xa8, 0x7a, 0x1e));
    QPainterPath reel;
    reel.addEllipse(c, r, r);
    // Five windows around the hub, cut out of the plate.
    const qreal holeR = r * 0.24;
    for (int i = 0; i < 5; ++i) {
        const qreal a = qDegreesToRadians(-90.0 + i * 72.0);
        reel.addEllipse(c + QPointF(std::cos(a), std::sin(a)) * r * 0.56, holeR, holeR);
    }
    reel.addEllipse(c, r * 0.09, r * 0.09);
    reel.setFillRule(Qt::OddEvenFill);
    p.setPen(QPen(QColor(0x5a, 0x3d, 0x0a), s * 0.015));
    p.setBrush(metal);
    p.drawPath(reel);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x5a, 0x3d, 0x0a, 160), s * 0.01));
    p.drawEllipse(c, r * 0.2, r * 0.2);
    return pixmap;
}

} // namespace app
