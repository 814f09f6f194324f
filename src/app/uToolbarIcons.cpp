#include "uToolbarIcons.h"

#include "uAppIcons.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace {

QPen Pen(const QColor& AColor, qreal AWidth = 1.7) { return QPen(AColor, AWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

// A letter as an outline filled with ink, centred on (ACx, ABaseline).
void Letter(QPainter& p, const QString& AText, qreal ACx, qreal ABaseline, qreal ASize, bool ABold, bool AItalic,
            const QColor& AColor) {
    QFont f("DejaVu Sans");
    f.setPixelSize(int(ASize));
    f.setBold(ABold);
    f.setItalic(AItalic);
    QPainterPath path;
    path.addText(0, 0, f, AText);
    const QRectF r = path.boundingRect();
    p.save();
    p.translate(ACx - r.center().x(), ABaseline);
    p.setPen(Qt::NoPen);
    p.setBrush(AColor);
    p.drawPath(path);
    p.restore();
}

void Lines(QPainter& p, const QColor& AInk, const qreal (*ARows)[2], int ACount, qreal AY0, qreal AStep) {
    p.setPen(Pen(AInk));
    for (int i = 0; i < ACount; ++i)
        p.drawLine(QPointF(ARows[i][0], AY0 + i * AStep), QPointF(ARows[i][1], AY0 + i * AStep));
}

void ChainLink(QPainter& p, const QColor& AInk) {
    p.setPen(Pen(AInk, 1.9));
    p.drawRoundedRect(QRectF(2.5, 8.5, 10, 7), 3.5, 3.5);
    p.drawRoundedRect(QRectF(11.5, 8.5, 10, 7), 3.5, 3.5);
}

void Picture(QPainter& p, const TIconInks& i, const QRectF& AFrame) {
    p.setPen(Pen(i.Ink));
    p.drawRoundedRect(AFrame, 1.5, 1.5);
    p.setPen(Pen(i.Accent));
    const qreal l = AFrame.left(), b = AFrame.bottom(), w = AFrame.width();
    p.drawPolyline(QPolygonF({QPointF(l + 2, b - 2), QPointF(l + w * 0.4, b - w * 0.4), QPointF(l + w * 0.6, b - w * 0.25),
                              QPointF(l + w * 0.75, b - w * 0.38), QPointF(l + w - 2, b - 2)}));
    p.drawEllipse(QPointF(l + w * 0.7, AFrame.top() + 4), 1.3, 1.3);
}

void Draw(QPainter& p, TToolbarIconKind AKind, const TIconInks& i) {
    static const qreal kLeft[][2] = {{4, 20}, {4, 14}, {4, 20}, {4, 12}};
    static const qreal kCenter[][2] = {{4, 20}, {7, 17}, {4, 20}, {8, 16}};
    static const qreal kRight[][2] = {{4, 20}, {10, 20}, {4, 20}, {12, 20}};
    switch (AKind) {
    case TToolbarIconKind::Bold:
        Letter(p, "B", 12, 18.5, 17, true, false, i.Ink);
        break;
    case TToolbarIconKind::Italic:
        Letter(p, "I", 12, 18.5, 17, false, true, i.Ink);
        break;
    case TToolbarIconKind::Underline:
        Letter(p, "U", 12, 16, 15, false, false, i.Ink);
        p.setPen(Pen(i.Accent, 2.0));
        p.drawLine(QPointF(6, 20.5), QPointF(18, 20.5));
        break;
    case TToolbarIconKind::BulletList:
    case TToolbarIconKind::NumericList:
        p.setPen(Pen(i.Ink));
        for (int r = 0; r < 3; ++r)
            p.drawLine(QPointF(10, 6 + r * 6), QPointF(20, 6 + r * 6));
        if (AKind == TToolbarIconKind::BulletList) {
            p.setPen(Qt::NoPen);
            p.setBrush(i.Accent);
            for (int r = 0; r < 3; ++r)
                p.drawEllipse(QPointF(5, 6 + r * 6), 1.7, 1.7);
        } else {
            for (int r = 0; r < 3; ++r)
                Letter(p, QString::number(r + 1), 5, 8.5 + r * 6, 7.5, true, false, i.Accent);
        }
        break;
    case TToolbarIconKind::AlignLeft:
        Lines(p, i.Ink, kLeft, 4, 5, 4.7);
        break;
    case TToolbarIconKind::AlignCenter:
        Lines(p, i.Ink, kCenter, 4, 5, 4.7);
        break;
    case TToolbarIconKind::AlignRight:
        Lines(p, i.Ink, kRight, 4, 5, 4.7);
        break;
    case TToolbarIconKind::Link:
        ChainLink(p, i.Ink);
        p.setPen(Pen(i.Accent, 2.0));
        p.drawLine(QPointF(8, 12), QPointF(16, 12));
        break;
    case TToolbarIconKind::TopicLink:
        p.setPen(Pen(i.Ink));
        p.drawPolyline(QPolygonF({QPointF(9, 21), QPointF(4, 21), QPointF(4, 3), QPointF(11, 3), QPointF(15, 7),
                                  QPointF(15, 11)}));
        p.setPen(Pen(i.Accent, 1.8));
        p.drawRoundedRect(QRectF(10.5, 14, 6.5, 5), 2.5, 2.5);
        p.drawRoundedRect(QRectF(15, 14, 6.5, 5), 2.5, 2.5);
        break;
    case TToolbarIconKind::Image:
        Picture(p, i, QRectF(3, 5, 18, 14));
        break;
    case TToolbarIconKind::ReplaceImage:
        Picture(p, i, QRectF(3, 3, 13, 11));
        p.setPen(Pen(i.Accent, 1.9));
        p.drawArc(QRectF(9, 9, 12, 12), 90 * 16, -180 * 16);
        p.drawPolyline(QPolygonF({QPointF(13, 19), QPointF(15, 21), QPointF(13, 23)}));
        break;
    case TToolbarIconKind::Table:
        p.setPen(Pen(i.Ink));
        p.drawRoundedRect(QRectF(3, 5, 18, 14), 1.5, 1.5);
        p.drawLine(QPointF(3, 12), QPointF(21, 12));
        p.drawLine(QPointF(12, 5), QPointF(12, 19));
        p.setPen(Pen(i.Accent, 2.0));
        p.drawLine(QPointF(3.5, 5.5), QPointF(20.5, 5.5));
        break;
    case TToolbarIconKind::DropDown:
        p.setPen(Qt::NoPen);
        p.setBrush(i.Ink);
        p.drawPolygon(QPolygonF({QPointF(7, 10), QPointF(17, 10), QPointF(12, 15.5)}));
        break;
    case TToolbarIconKind::ImportHtml:
        p.setPen(Pen(i.Ink));
        p.drawPolyline(QPolygonF({QPointF(8, 6), QPointF(3, 12), QPointF(8, 18)}));
        p.drawPolyline(QPolygonF({QPointF(16, 6), QPointF(21, 12), QPointF(16, 18)}));
        p.setPen(Pen(i.Accent, 2.0));
        p.drawLine(QPointF(12, 7), QPointF(12, 17));
        p.drawPolyline(QPolygonF({QPointF(9, 14), QPointF(12, 17), QPointF(15, 14)}));
        break;
    case TToolbarIconKind::LineSpacing:
        p.setPen(Pen(i.Ink));
        for (int r = 0; r < 3; ++r)
            p.drawLine(QPointF(11, 6 + r * 6), QPointF(21, 6 + r * 6));
        p.setPen(Pen(i.Accent));
        p.drawLine(QPointF(5, 4), QPointF(5, 20));
        p.drawPolyline(QPolygonF({QPointF(2.5, 6.5), QPointF(5, 4), QPointF(7.5, 6.5)}));
        p.drawPolyline(QPolygonF({QPointF(2.5, 17.5), QPointF(5, 20), QPointF(7.5, 17.5)}));
        break;
    case TToolbarIconKind::FontColor:
        Letter(p, "A", 12, 16, 15, true, false, i.Ink);
        p.setPen(Qt::NoPen);
        p.setBrush(i.Danger);
        p.drawRoundedRect(QRectF(4, 18.5, 16, 3.5), 1, 1);
        break;
    case TToolbarIconKind::Heading:
        Letter(p, "H", 9.5, 18, 15, true, false, i.Ink);
        Letter(p, "2", 19, 19, 9, true, false, i.Accent);
        break;
    case TToolbarIconKind::FontName:
        Letter(p, "T", 9, 18.5, 16, false, false, i.Ink);
        Letter(p, "f", 17.5, 18.5, 13, false, true, i.Accent);
        break;
    case TToolbarIconKind::FontSize:
        Letter(p, "A", 8, 19, 15, false, false, i.Ink);
        Letter(p, "A", 18, 19, 9, false, false, i.Accent);
        break;
    }
}

}  // namespace

QIcon ToolbarIcon(TToolbarIconKind AKind, int ASize) {
    return LineIcon([AKind](QPainter& p, const TIconInks& i) { Draw(p, AKind, i); }, ASize);
}
