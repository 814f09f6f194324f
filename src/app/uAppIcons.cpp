#include "uAppIcons.h"

#include <QPainter>
#include <cmath>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor InkColor(0x33, 0x3D, 0x4A);
const QColor AccentColor(0x2B, 0x6C, 0xD4);
const QColor DangerColor(0xC8, 0x3E, 0x3E);

// Draws on a 24 x 24 grid scaled to the pixmap.
void DrawGlyph(QPainter& p, TAppIconKind AKind, const QColor& AInk, const QColor& AAccent, const QColor& ADanger) {
    QPen ink(AInk, 1.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    QPen accent(AAccent, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setBrush(Qt::NoBrush);
    switch (AKind) {
    case TAppIconKind::NewProject: {
        p.setPen(ink);
        QPainterPath doc;
        doc.moveTo(6, 3); doc.lineTo(14, 3); doc.lineTo(19, 8); doc.lineTo(19, 21); doc.lineTo(6, 21); doc.closeSubpath();
        p.drawPath(doc);
        p.drawPolyline(QPolygonF({QPointF(14, 3), QPointF(14, 8), QPointF(19, 8)}));
        p.setPen(accent);
        p.drawLine(QPointF(12.5, 11.5), QPointF(12.5, 17.5));
        p.drawLine(QPointF(9.5, 14.5), QPointF(15.5, 14.5));
        break;
    }
    case TAppIconKind::OpenProject: {
        p.setPen(ink);
        QPainterPath f;
        f.moveTo(3, 19); f.lineTo(3, 6); f.lineTo(9, 6); f.lineTo(11, 8); f.lineTo(19, 8); f.lineTo(19, 11);
        p.drawPath(f);
        p.setPen(accent);
        QPainterPath front;
        front.moveTo(3, 19); front.lineTo(6.5, 11); front.lineTo(21.5, 11); front.lineTo(18, 19); front.closeSubpath();
        p.drawPath(front);
        break;
    }
    case TAppIconKind::Save: {
        p.setPen(ink);
        QPainterPath d;
        d.moveTo(4, 4); d.lineTo(17, 4); d.lineTo(20, 7); d.lineTo(20, 20); d.lineTo(4, 20); d.closeSubpath();
        p.drawPath(d);
        p.drawRect(QRectF(8, 4, 7, 5));
        p.setPen(accent);
        p.drawRect(QRectF(7.5, 13, 9, 7));
        break;
    }
    case TAppIconKind::Settings: {
        p.setPen(ink);
        const QPointF c(12, 12);
        QPainterPath gear;
        for (int i = 0; i < 8; ++i) {
            double a = i * 3.14159265 / 4;
            QPointF dir(std::cos(a), std::sin(a));
            p.drawLine(c + dir * 6.5, c + dir * 9.0);
        }
        p.drawEllipse(c, 6.5, 6.5);
        p.setPen(accent);
        p.drawEllipse(c, 2.6, 2.6);
        break;
    }
    case TAppIconKind::NewRootTopic: {
        p.setPen(ink);
        p.drawLine(QPointF(4, 6), QPointF(14, 6));
        p.drawLine(QPointF(4, 12), QPointF(11, 12));
        p.drawLine(QPointF(4, 18), QPointF(11, 18));
        p.setPen(accent);
        p.drawLine(QPointF(17, 12), QPointF(17, 20));
        p.drawLine(QPointF(13, 16), QPointF(21, 16));
        break;
    }
    case TAppIconKind::NewChildTopic: {
        p.setPen(ink);
        p.drawLine(QPointF(4, 5), QPointF(14, 5));
        p.drawPolyline(QPolygonF({QPointF(6, 5), QPointF(6, 12), QPointF(10, 12)}));
        p.setPen(accent);
        p.drawLine(QPointF(16, 10), QPointF(16, 20));
        p.drawLine(QPointF(11, 15), QPointF(21, 15));
        break;
    }
    case TAppIconKind::DeleteTopic: {
        p.setPen(ink);
        p.drawLine(QPointF(4, 7), QPointF(20, 7));
        p.drawPolyline(QPolygonF({QPointF(9, 7), QPointF(9, 4), QPointF(15, 4), QPointF(15, 7)}));
        QPainterPath bin;
        bin.moveTo(6, 7); bin.lineTo(7, 20); bin.lineTo(17, 20); bin.lineTo(18, 7);
        p.drawPath(bin);
        p.setPen(QPen(ADanger, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 11), QPointF(10, 16.5));
        p.drawLine(QPointF(14, 11), QPointF(14, 16.5));
        break;
    }
    case TAppIconKind::Reusable: {
        p.setPen(ink);
        QPainterPath l;
        l.moveTo(9, 4); l.cubicTo(6, 4, 7, 9, 6, 11); l.cubicTo(5.5, 12, 4.5, 12, 4, 12);
        l.moveTo(4, 12); l.cubicTo(4.5, 12, 5.5, 12, 6, 13); l.cubicTo(7, 15, 6, 20, 9, 20);
        p.drawPath(l);
        QPainterPath r;
        r.moveTo(15, 4); r.cubicTo(18, 4, 17, 9, 18, 11); r.cubicTo(18.5, 12, 19.5, 12, 20, 12);
        r.moveTo(20, 12); r.cubicTo(19.5, 12, 18.5, 12, 18, 13); r.cubicTo(17, 15, 18, 20, 15, 20);
        p.drawPath(r);
        p.setPen(Qt::NoPen);
        p.setBrush(AAccent);
        p.drawEllipse(QPointF(12, 12), 1.8, 1.8);
        break;
    }
    case TAppIconKind::Application: {
        p.setPen(Qt::NoPen);
        p.setBrush(AAccent);
        p.drawRoundedRect(QRectF(2, 2, 20, 20), 5, 5);
        p.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(7, 8), QPointF(17, 8));
        p.drawLine(QPointF(7, 12), QPointF(17, 12));
        p.drawLine(QPointF(7, 16), QPointF(13, 16));
        break;
    }
    }
}

QPixmap GlyphPixmap(const TGlyphPainter& ADraw, int ASize, bool ADisabled) {
    const qreal ratio = 2.0;
    QPixmap pm(int(ASize * ratio), int(ASize * ratio));
    pm.setDevicePixelRatio(ratio);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(ASize / 24.0, ASize / 24.0);
    const QColor grey(0xB4, 0xBA, 0xC2);
    p.setBrush(Qt::NoBrush);
    ADraw(p, ADisabled ? TIconInks{grey, grey, grey} : TIconInks{InkColor, AccentColor, DangerColor});
    return pm;
}

}  // namespace

QIcon LineIcon(const TGlyphPainter& ADraw, int ASize) {
    QIcon icon;
    icon.addPixmap(GlyphPixmap(ADraw, ASize, false), QIcon::Normal);
    icon.addPixmap(GlyphPixmap(ADraw, ASize, true), QIcon::Disabled);
    return icon;
}

QIcon AppIcon(TAppIconKind AKind, int ASize) {
    return LineIcon([AKind](QPainter& p, const TIconInks& i) { DrawGlyph(p, AKind, i.Ink, i.Accent, i.Danger); }, ASize);
}
