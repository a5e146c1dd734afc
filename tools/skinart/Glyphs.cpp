#include "Glyphs.h"

#include <QPainterPath>
#include <cmath>

namespace skinart {

namespace {

    QPainterPath Arc(qreal cx, qreal cy, qreal r, qreal startDeg, qreal spanDeg)
    {
        QPainterPath path;
        const QRectF box(cx - r, cy - r, 2 * r, 2 * r);
        path.arcMoveTo(box, startDeg);
        path.arcTo(box, startDeg, spanDeg);
        return path;
    }

    QPointF OnCircle(qreal cx, qreal cy, qreal r, qreal deg)
    {
        const qreal a = deg * M_PI / 180.0;
        return { cx + r * std::cos(a), cy - r * std::sin(a) };
    }

    // An arrow head at tip, pointing along the direction angle (degrees, y up).
    QPainterPath ArrowHead(QPointF tip, qreal dirDeg, qreal size)
    {
        QPainterPath path;
        const qreal a = dirDeg * M_PI / 180.0;
        const QPointF back(-std::cos(a) * size, std::sin(a) * size);
        const QPointF side(std::sin(a) * size * 0.8, std::cos(a) * size * 0.8);
        path.moveTo(tip + back + side);
        path.lineTo(tip);
        path.lineTo(tip + back - side);
        return path;
    }

    QPainterPath Lines(std::initializer_list<QLineF> lines)
    {
        QPainterPath path;
        for (const QLineF& l : lines) {
            path.moveTo(l.p1());
            path.lineTo(l.p2());
        }
        return path;
    }

    QPainterPath Polyline(std::initializer_list<QPointF> points)
    {
        QPainterPath path;
        bool first = true;
        for (const QPointF& pt : points) {
            if (first)
                path.moveTo(pt);
            else
                path.lineTo(pt);
            first = false;
        }
        return path;
    }

    struct Drawing {
        QPainterPath stroked;
        QPainterPath filled;
    };

    Drawing Build(Glyph glyph)
    {
        Drawing d;
        QPainterPath& s = d.stroked;
        QPainterPath& f = d.filled;
        switch (glyph) {
        case Glyph::Help:
            s.addEllipse(QPointF(12, 12), 9, 9);
            s.moveTo(9.2, 9.6);
            s.cubicTo(9.2, 7.6, 10.6, 6.7, 12.1, 6.7);
            s.cubicTo(13.8, 6.7, 15, 7.8, 15, 9.3);
            s.cubicTo(15, 11.3, 12.1, 11.6, 12.1, 13.9);
            f.addEllipse(QPointF(12.1, 17.1), 1.25, 1.25);
            break;
        case Glyph::Menu:
            s = Lines({ { 5, 7, 19, 7 }, { 5, 12, 19, 12 }, { 5, 17, 19, 17 } });
            break;
        case Glyph::Minimize:
            s = Lines({ { 6, 12.5, 18, 12.5 } });
            break;
        case Glyph::Maximize:
            s.addRect(QRectF(6.5, 6.5, 11, 11));
            break;
        case Glyph::Restore:
            s.addRect(QRectF(5.5, 9, 9.5, 9.5));
            s.addPath(Polyline({ { 9, 9 }, { 9, 5.5 }, { 18.5, 5.5 }, { 18.5, 15 }, { 15, 15 } }));
            break;
        case Glyph::Close:
        case Glyph::Cross:
            s = Lines({ { 6.5, 6.5, 17.5, 17.5 }, { 17.5, 6.5, 6.5, 17.5 } });
            break;
        case Glyph::User:
            s.addEllipse(QPointF(12, 8.3), 4, 4);
            s.moveTo(4.5, 20.5);
            s.cubicTo(4.5, 15.8, 8, 13.6, 12, 13.6);
            s.cubicTo(16, 13.6, 19.5, 15.8, 19.5, 20.5);
            break;
        case Glyph::Phone:
            s.addRoundedRect(QRectF(6.5, 2.5, 11, 19), 2.2, 2.2);
            s.addPath(Lines({ { 10.5, 18.3, 13.5, 18.3 } }));
            break;
        case Glyph::Coin:
            s.addEllipse(QPointF(12, 12), 9, 9);
            s.addPath(Lines({ { 8.8, 7.3, 12, 11.5 }, { 15.2, 7.3, 12, 11.5 }, { 12, 11.5, 12, 17.2 },
                { 9, 12.2, 15, 12.2 }, { 9, 14.8, 15, 14.8 } }));
            break;
        case Glyph::Cart:
            s = Polyline(
                { { 3, 4.5 }, { 5.6, 4.5 }, { 7.6, 15 }, { 17.8, 15 }, { 19.8, 7.8 }, { 6.4, 7.8 } });
            f.addEllipse(QPointF(9, 19), 1.6, 1.6);
            f.addEllipse(QPointF(16.6, 19), 1.6, 1.6);
            break;
        case Glyph::Gear: {
            s.addEllipse(QPointF(12, 12), 2.9, 2.9);
            QPainterPath rim;
            const int teeth = 8;
            for (int i = 0; i < teeth * 2; ++i) {
                const qreal base = i * 360.0 / (teeth * 2);
                const bool out = (i % 2) == 0;
                const qreal r = out ? 9.2 : 6.9;
                const QPointF a = OnCircle(12, 12, r, base - 9);
                const QPointF b = OnCircle(12, 12, r, base + 9);
                if (i == 0)
                    rim.moveTo(a);
                else
                    rim.lineTo(a);
                rim.lineTo(b);
            }
            rim.closeSubpath();
            s.addPath(rim);
            break;
        }
        case Glyph::Apps:
            s.addRoundedRect(QRectF(4, 4, 6.5, 6.5), 1.6, 1.6);
            s.addRoundedRect(QRectF(13.5, 4, 6.5, 6.5), 1.6, 1.6);
            s.addRoundedRect(QRectF(4, 13.5, 6.5, 6.5), 1.6, 1.6);
            s.addRoundedRect(QRectF(13.5, 13.5, 6.5, 6.5), 1.6, 1.6);
            break;
        case Glyph::Bell:
            s.moveTo(5.5, 17);
            s.cubicTo(7, 15.4, 7, 13.5, 7, 10.8);
            s.cubicTo(7, 7.6, 9.2, 5.2, 12, 5.2);
            s.cubicTo(14.8, 5.2, 17, 7.6, 17, 10.8);
            s.cubicTo(17, 13.5, 17, 15.4, 18.5, 17);
            s.closeSubpath();
            s.addPath(Lines({ { 10.2, 20, 13.8, 20 }, { 12, 3, 12, 5.2 } }));
            break;
        case Glyph::Refresh:
            s = Arc(12, 12, 7.5, 60, 290);
            s.addPath(ArrowHead(OnCircle(12, 12, 7.5, 60), -30, 3.4));
            break;
        case Glyph::Power:
            s = Arc(12, 13, 7.6, 125, 290);
            s.addPath(Lines({ { 12, 3.5, 12, 11.5 } }));
            break;
        case Glyph::Undo:
            s = Arc(12, 12.5, 7.5, 150, -300);
            s.addPath(ArrowHead(OnCircle(12, 12.5, 7.5, 150), 240, 3.4));
            f.addEllipse(QPointF(12, 12.5), 1.6, 1.6);
            break;
        case Glyph::Upload:
            s = Lines({ { 12, 15.5, 12, 4.5 } });
            s.addPath(Polyline({ { 7.8, 8.7 }, { 12, 4.5 }, { 16.2, 8.7 } }));
            s.addPath(Polyline({ { 4.5, 14 }, { 4.5, 19.5 }, { 19.5, 19.5 }, { 19.5, 14 } }));
            break;
        case Glyph::Install:
            s = Lines({ { 12, 4, 12, 15 } });
            s.addPath(Polyline({ { 7.8, 10.8 }, { 12, 15 }, { 16.2, 10.8 } }));
            s.addPath(Polyline({ { 4.5, 14 }, { 4.5, 19.5 }, { 19.5, 19.5 }, { 19.5, 14 } }));
            break;
        case Glyph::Pencil:
            s = Polyline(
                { { 5, 19 }, { 5.6, 15.4 }, { 15.6, 5.4 }, { 18.6, 8.4 }, { 8.6, 18.4 }, { 5, 19 } });
            s.addPath(Lines({ { 13.4, 7.6, 16.4, 10.6 } }));
            break;
        case Glyph::Play:
            f.moveTo(9, 6.5);
            f.lineTo(18, 12);
            f.lineTo(9, 17.5);
            f.closeSubpath();
            break;
        case Glyph::Pause:
            f.addRoundedRect(QRectF(7.5, 6.5, 3.2, 11), 1, 1);
            f.addRoundedRect(QRectF(13.3, 6.5, 3.2, 11), 1, 1);
            break;
        case Glyph::Check:
            s = Polyline({ { 6, 12.5 }, { 10.3, 16.7 }, { 18.2, 8 } });
            break;
        case Glyph::Search:
            s.addEllipse(QPointF(10.5, 10.5), 6, 6);
            s.addPath(Lines({ { 15, 15, 20, 20 } }));
            break;
        case Glyph::Plus:
            s = Lines({ { 12, 5.5, 12, 18.5 }, { 5.5, 12, 18.5, 12 } });
            break;
        case Glyph::Minus:
            s = Lines({ { 5.5, 12, 18.5, 12 } });
            break;
        case Glyph::Globe:
            s.addEllipse(QPointF(12, 12), 9, 9);
            s.addEllipse(QPointF(12, 12), 4, 9);
            s.addPath(Lines({ { 3, 12, 21, 12 }, { 4.5, 7.5, 19.5, 7.5 }, { 4.5, 16.5, 19.5, 16.5 } }));
            break;
        case Glyph::Scan:
            s = Polyline({ { 4, 9 }, { 4, 4 }, { 9, 4 } });
            s.addPath(Polyline({ { 15, 4 }, { 20, 4 }, { 20, 9 } }));
            s.addPath(Polyline({ { 20, 15 }, { 20, 20 }, { 15, 20 } }));
            s.addPath(Polyline({ { 9, 20 }, { 4, 20 }, { 4, 15 } }));
            s.addPath(Lines({ { 7, 12, 17, 12 } }));
            break;
        case Glyph::Cloud:
            s.moveTo(7, 18.5);
            s.cubicTo(4.2, 18.5, 2.5, 16.6, 2.5, 14.3);
            s.cubicTo(2.5, 12, 4.3, 10.3, 6.5, 10.2);
            s.cubicTo(7.2, 7.2, 9.5, 5.3, 12.4, 5.3);
            s.cubicTo(15.7, 5.3, 18.2, 7.7, 18.5, 10.8);
            s.cubicTo(20.4, 11.2, 21.6, 12.8, 21.6, 14.7);
            s.cubicTo(21.6, 16.8, 19.9, 18.5, 17.6, 18.5);
            s.closeSubpath();
            break;
        case Glyph::Folder:
            s = Polyline({ { 3.5, 18.5 }, { 3.5, 5.5 }, { 9.5, 5.5 }, { 11.5, 8 }, { 20.5, 8 },
                { 20.5, 18.5 }, { 3.5, 18.5 } });
            break;
        case Glyph::Group:
            s.addRoundedRect(QRectF(3.5, 5, 17, 14), 2, 2);
            s.addPath(Lines({ { 3.5, 9.5, 20.5, 9.5 }, { 8, 5, 8, 9.5 } }));
            break;
        case Glyph::Record:
            s.addRoundedRect(QRectF(5, 3.5, 14, 17), 2, 2);
            s.addPath(Lines({ { 8.5, 8.5, 15.5, 8.5 }, { 8.5, 12, 15.5, 12 }, { 8.5, 15.5, 13, 15.5 } }));
            break;
        case Glyph::Invite:
            s.addRoundedRect(QRectF(3.5, 6, 17, 12.5), 2, 2);
            s.addPath(Polyline({ { 3.8, 7 }, { 12, 13 }, { 20.2, 7 } }));
            break;
        }
        return d;
    }

} // namespace

void DrawGlyph(QPainter& p, Glyph glyph, const QRectF& box, const QColor& color, qreal stroke)
{
    const Drawing d = Build(glyph);
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 24.0, box.height() / 24.0);
    if (!d.stroked.isEmpty()) {
        QPen pen(color, stroke);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawPath(d.stroked);
    }
    if (!d.filled.isEmpty()) {
        QPen pen(color, 0.8);
        pen.setJoinStyle(Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(color);
        p.drawPath(d.filled);
    }
    p.restore();
}

} // namespace skinart
