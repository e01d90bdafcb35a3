#include "shell/command_icons.h"

#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <functional>
#include <numbers>

namespace tessarin::shell {

namespace {

const QColor kInk(40, 52, 70);
const QColor kPaper(246, 248, 251);
const QColor kFront(51, 170, 240);  // the rake material's hue
const QColor kBack(178, 102, 153);  // the flank material's hue
const QColor kEdge(235, 205, 50);   // the cutting edge
const QColor kPlane(40, 180, 95);   // the working plane
const QColor kRemove(205, 40, 50);
const QColor kSystem(235, 40, 80);  // the base disc of "Отображать СК"

using TGlyph = std::function<void(QPainter&)>;

QPen InkPen(double width = 1.4) {
    return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// ---- shapes on the 24-unit grid ----------------------------------------------------

void Page(QPainter& p) {
    QPainterPath path;
    path.moveTo(5, 2.5);
    path.lineTo(14.5, 2.5);
    path.lineTo(19.5, 7.5);
    path.lineTo(19.5, 21.5);
    path.lineTo(5, 21.5);
    path.closeSubpath();
    p.setPen(InkPen());
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawPolyline(QPolygonF({{14.5, 2.5}, {14.5, 7.5}, {19.5, 7.5}}));
}

void Folder(QPainter& p) {
    QPainterPath back;
    back.moveTo(2.5, 6);
    back.lineTo(9, 6);
    back.lineTo(11, 8);
    back.lineTo(20.5, 8);
    back.lineTo(20.5, 19.5);
    back.lineTo(2.5, 19.5);
    back.closeSubpath();
    p.setPen(InkPen());
    p.setBrush(QColor(232, 196, 110));
    p.drawPath(back);
    QPainterPath front;
    front.moveTo(2.5, 19.5);
    front.lineTo(5.5, 11);
    front.lineTo(22.5, 11);
    front.lineTo(20.5, 19.5);
    front.closeSubpath();
    p.setBrush(QColor(248, 216, 135));
    p.drawPath(front);
}

void Mesh(QPainter& p, double dx = 0, double dy = 0, double s = 1) {
    p.save();
    p.translate(dx, dy);
    p.scale(s, s);
    const QPolygonF outer({{3, 19}, {12, 4}, {21, 19}});
    p.setPen(InkPen(1.3));
    p.setBrush(QColor(210, 220, 232));
    p.drawPolygon(outer);
    p.drawLine(QPointF(7.5, 11.5), QPointF(16.5, 11.5));
    p.drawLine(QPointF(7.5, 11.5), QPointF(12, 19));
    p.drawLine(QPointF(16.5, 11.5), QPointF(12, 19));
    p.restore();
}

void Floppy(QPainter& p) {
    QPainterPath body;
    body.moveTo(3.5, 3.5);
    body.lineTo(17.5, 3.5);
    body.lineTo(20.5, 6.5);
    body.lineTo(20.5, 20.5);
    body.lineTo(3.5, 20.5);
    body.closeSubpath();
    p.setPen(InkPen());
    p.setBrush(QColor(70, 110, 170));
    p.drawPath(body);
    p.setBrush(kPaper);
    p.drawRect(QRectF(7, 3.5, 9, 6));
    p.drawRect(QRectF(6.5, 13, 11, 7.5));
    p.setBrush(kInk);
    p.drawRect(QRectF(12.5, 4.8, 2, 3.4));
}

void Pencil(QPainter& p) {
    p.save();
    p.translate(16, 16);
    p.rotate(-45);
    p.setPen(InkPen(1.1));
    p.setBrush(kEdge);
    p.drawRect(QRectF(-2, -7, 4, 10));
    QPolygonF tip({{-2, 3}, {2, 3}, {0, 7}});
    p.setBrush(kPaper);
    p.drawPolygon(tip);
    p.restore();
}

void Gear(QPainter& p) {
    QPainterPath gear;
    const QPointF c(12, 12);
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = (i * 180.0 / teeth - 9) * std::numbers::pi / 180.0;
        const double a1 = (i * 180.0 / teeth + 9) * std::numbers::pi / 180.0;
        const double r = i % 2 == 0 ? 9.5 : 7.2;
        const QPointF p0 = c + QPointF(std::cos(a0) * r, std::sin(a0) * r);
        const QPointF p1 = c + QPointF(std::cos(a1) * r, std::sin(a1) * r);
        if (i == 0) {
            gear.moveTo(p0);
        } else {
            gear.lineTo(p0);
        }
        gear.lineTo(p1);
    }
    gear.closeSubpath();
    gear.addEllipse(c, 3, 3);
    gear.setFillRule(Qt::OddEvenFill);
    p.setPen(InkPen(1.2));
    p.setBrush(QColor(160, 172, 188));
    p.drawPath(gear);
}

// Two faces of an insert meeting at an edge: rake on top, flank below.
void Faces(QPainter& p, bool coloured, bool edge) {
    const QPolygonF rake({{3, 9}, {13, 4}, {21, 8}, {11, 13}});
    const QPolygonF flank({{3, 9}, {11, 13}, {11, 21}, {3, 17}});
    const QPolygonF side({{11, 13}, {21, 8}, {21, 16}, {11, 21}});
    p.setPen(InkPen(1.2));
    p.setBrush(coloured ? kFront : QColor(200, 208, 220));
    p.drawPolygon(rake);
    p.setBrush(coloured ? kBack : QColor(170, 180, 194));
    p.drawPolygon(flank);
    p.setBrush(coloured ? QColor(150, 160, 172) : QColor(185, 194, 206));
    p.drawPolygon(side);
    if (edge) {
        p.setPen(QPen(kInk, 4.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3, 9), QPointF(11, 13));
        p.drawLine(QPointF(11, 13), QPointF(21, 8));
        p.setPen(QPen(kEdge, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3, 9), QPointF(11, 13));
        p.drawLine(QPointF(11, 13), QPointF(21, 8));
    }
}

void EdgeLine(QPainter& p) {
    const QPolygonF line({{3, 17}, {8, 10}, {14, 13}, {21, 6}});
    p.setPen(QPen(kInk, 4.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(line);
    p.setPen(QPen(kEdge, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(line);
}

void Funnel(QPainter& p) {
    const QPolygonF funnel({{3, 4}, {21, 4}, {14, 12}, {14, 20}, {10, 18}, {10, 12}});
    p.setPen(InkPen(1.3));
    p.setBrush(kFront);
    p.drawPolygon(funnel);
}

// A small red cross in the lower right corner: the removals.
void Cross(QPainter& p) {
    p.setPen(QPen(Qt::white, 4.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(15, 15), QPointF(21.5, 21.5));
    p.drawLine(QPointF(21.5, 15), QPointF(15, 21.5));
    p.setPen(QPen(kRemove, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(15, 15), QPointF(21.5, 21.5));
    p.drawLine(QPointF(21.5, 15), QPointF(15, 21.5));
}

void Scissors(QPainter& p) {
    p.setPen(InkPen(1.3));
    p.setBrush(kPaper);
    p.drawEllipse(QPointF(7, 18), 2.6, 2.6);
    p.drawEllipse(QPointF(17, 18), 2.6, 2.6);
    p.drawLine(QPointF(8.5, 16), QPointF(17, 3.5));
    p.drawLine(QPointF(15.5, 16), QPointF(7, 3.5));
}

void Arrowhead(QPainter& p, QPointF tip, double angleDegrees, double size = 4.2) {
    p.save();
    p.translate(tip);
    p.rotate(angleDegrees);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawPolygon(QPolygonF({{0, 0}, {-size, -size * 0.6}, {-size, size * 0.6}}));
    p.restore();
}

void RotateArrow(QPainter& p) {
    p.setPen(InkPen(2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(4, 4, 16, 16), 60 * 16, 280 * 16);
    Arrowhead(p, QPointF(16.2, 5.2), -25);
}

void PanArrows(QPainter& p) {
    p.setPen(InkPen(1.8));
    p.drawLine(QPointF(12, 4), QPointF(12, 20));
    p.drawLine(QPointF(4, 12), QPointF(20, 12));
    Arrowhead(p, QPointF(12, 2.5), -90);
    Arrowhead(p, QPointF(12, 21.5), 90);
    Arrowhead(p, QPointF(2.5, 12), 180);
    Arrowhead(p, QPointF(21.5, 12), 0);
}

void Magnifier(QPainter& p) {
    p.setPen(InkPen(1.8));
    p.setBrush(QColor(220, 236, 250));
    p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
    p.setPen(QPen(kInk, 3.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(15, 15), QPointF(21, 21));
    p.setPen(InkPen(1.5));
    p.drawLine(QPointF(7, 10), QPointF(13, 10));
    p.drawLine(QPointF(10, 7), QPointF(10, 13));
}

void RotateZ(QPainter& p) {
    p.setPen(InkPen(1.6));
    p.drawLine(QPointF(12, 2.5), QPointF(12, 21.5));
    p.setBrush(Qt::NoBrush);
    p.setPen(InkPen(2));
    p.drawArc(QRectF(3, 9, 18, 8), 200 * 16, 300 * 16);
    Arrowhead(p, QPointF(4.2, 14.8), 140);
}

void ShadedSphere(QPainter& p) {
    QRadialGradient gradient(QPointF(9, 8), 12);
    gradient.setColorAt(0, QColor(225, 240, 255));
    gradient.setColorAt(0.6, kFront);
    gradient.setColorAt(1, QColor(20, 80, 130));
    p.setPen(InkPen(1.2));
    p.setBrush(gradient);
    p.drawEllipse(QPointF(12, 12), 9, 9);
}

void WireSphere(QPainter& p) {
    p.setPen(InkPen(1.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(12, 12), 9, 9);
    p.drawEllipse(QPointF(12, 12), 4, 9);
    p.drawEllipse(QPointF(12, 12), 9, 3.5);
}

// A cube seen from the front, one face filled: the standard views.
void Cube(QPainter& p, int face) {
    const QPointF a(4, 8), b(16, 8), c(16, 20), d(4, 20);  // front
    const QPointF e(8, 4), f(20, 4), g(20, 16), h(8, 16);  // back
    auto quad = [](QPointF p1, QPointF p2, QPointF p3, QPointF p4) {
        return QPolygonF({p1, p2, p3, p4});
    };
    const QPolygonF faces[6] = {
        quad(a, b, c, d),  // front
        quad(e, f, g, h),  // back
        quad(e, f, b, a),  // top
        quad(h, g, c, d),  // bottom
        quad(e, a, d, h),  // left
        quad(b, f, g, c),  // right
    };
    p.setPen(QPen(QColor(150, 160, 175), 1.0, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawLine(h, e);
    p.drawLine(h, g);
    p.drawLine(h, d);
    if (face >= 0) {
        p.setPen(Qt::NoPen);
        QColor fill = kFront;
        fill.setAlpha(200);
        p.setBrush(fill);
        p.drawPolygon(faces[face]);
    }
    p.setPen(InkPen(1.3));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(faces[0]);
    p.drawLine(a, e);
    p.drawLine(e, f);
    p.drawLine(f, b);
    p.drawLine(f, g);
    p.drawLine(g, c);
}

void IsoCube(QPainter& p) {
    const QPointF top(12, 3), left(4, 7.5), right(20, 7.5), centre(12, 12), bottomLeft(4, 16.5),
        bottomRight(20, 16.5), bottom(12, 21);
    p.setPen(InkPen(1.2));
    p.setBrush(QColor(200, 222, 245));
    p.drawPolygon(QPolygonF({top, right, centre, left}));
    p.setBrush(kFront);
    p.drawPolygon(QPolygonF({left, centre, bottom, bottomLeft}));
    p.setBrush(QColor(30, 120, 190));
    p.drawPolygon(QPolygonF({centre, right, bottomRight, bottom}));
}

void Disc(QPainter& p, QColor colour) {
    colour.setAlpha(150);
    p.setPen(InkPen(1.1));
    p.setBrush(colour);
    p.drawEllipse(QPointF(12, 14), 10, 5);
}

void CoordinateSystem(QPainter& p) {
    Disc(p, kSystem);
    p.setPen(InkPen(1.5));
    p.drawLine(QPointF(12, 14), QPointF(12, 2.5));
    Arrowhead(p, QPointF(12, 2), -90, 3.4);
}

void FeedPlane(QPainter& p) {
    Disc(p, kPlane);
    p.setPen(QPen(QColor(210, 60, 80), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(6, 14), QPointF(17, 9));
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(210, 60, 80));
    p.translate(19, 8);
    p.rotate(-24);
    p.drawPolygon(QPolygonF({{0, 0}, {-4, -2.4}, {-4, 2.4}}));
    p.restore();
}

void Windows(QPainter& p, bool cascade) {
    p.setPen(InkPen(1.2));
    auto window = [&p](QRectF r) {
        p.setBrush(kPaper);
        p.drawRect(r);
        p.setBrush(QColor(70, 110, 170));
        p.drawRect(QRectF(r.left(), r.top(), r.width(), 2.6));
    };
    if (cascade) {
        window(QRectF(2.5, 2.5, 12, 10));
        window(QRectF(6.5, 6.5, 12, 10));
        window(QRectF(10.5, 10.5, 11, 10));
    } else {
        window(QRectF(2.5, 2.5, 9, 9));
        window(QRectF(12.5, 2.5, 9, 9));
        window(QRectF(2.5, 12.5, 9, 9));
        window(QRectF(12.5, 12.5, 9, 9));
    }
}

void Badge(QPainter& p, const QString& letter, QColor colour) {
    p.setPen(InkPen(1.2));
    p.setBrush(colour);
    p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
    QFont font;
    font.setPixelSize(14);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(2, 2, 20, 20), Qt::AlignCenter, letter);
}

void Picture(QPainter& p) {
    p.setPen(InkPen(1.2));
    p.setBrush(kPaper);
    p.drawRect(QRectF(2.5, 4.5, 19, 15));
    p.setPen(Qt::NoPen);
    p.setBrush(kPlane);
    p.drawPolygon(QPolygonF({{3.5, 18.5}, {9, 10}, {13, 15}, {16, 12}, {20.5, 18.5}}));
    p.setBrush(kEdge);
    p.drawEllipse(QPointF(16.5, 8.5), 2, 2);
}

void Exit(QPainter& p) {
    p.setPen(InkPen(1.3));
    p.setBrush(kPaper);
    p.drawRect(QRectF(3.5, 3.5, 10, 17));
    p.setPen(QPen(kRemove, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 12), QPointF(20, 12));
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(kRemove);
    p.translate(21.5, 12);
    p.drawPolygon(QPolygonF({{0, 0}, {-4, -3}, {-4, 3}}));
    p.restore();
}

const QHash<QString, TGlyph>& Glyphs() {
    static const QHash<QString, TGlyph> glyphs{
        {"ButtonNew", [](QPainter& p) { Page(p); }},
        {"ButtonOpen", [](QPainter& p) { Folder(p); }},
        {"ButtonOpenSTL",
         [](QPainter& p) {
             Folder(p);
             Mesh(p, 8, 7, 0.62);
         }},
        {"ButtonSave", [](QPainter& p) { Floppy(p); }},
        {"ButtonSaveAs",
         [](QPainter& p) {
             Floppy(p);
             Pencil(p);
         }},
        {"ButtonSettings", [](QPainter& p) { Gear(p); }},
        {"ButtonExit", [](QPainter& p) { Exit(p); }},
        {"ButtonSortFaces", [](QPainter& p) { Faces(p, true, false); }},
        {"ButtonCutEdge", [](QPainter& p) { Faces(p, true, true); }},
        {"ButtonDiscardCutEdge",
         [](QPainter& p) {
             EdgeLine(p);
             p.save();
             p.translate(9, 9);
             p.scale(0.6, 0.6);
             Scissors(p);
             p.restore();
         }},
        {"ButtonSelection", [](QPainter& p) { Funnel(p); }},
        {"ButtonRemoveSortFaces",
         [](QPainter& p) {
             Faces(p, true, false);
             Cross(p);
         }},
        {"ButtonRemoveCE",
         [](QPainter& p) {
             EdgeLine(p);
             Cross(p);
         }},
        {"ButtonRemoveSelect",
         [](QPainter& p) {
             Funnel(p);
             Cross(p);
         }},
        {"ButtonRotate", [](QPainter& p) { RotateArrow(p); }},
        {"ButtonPan", [](QPainter& p) { PanArrows(p); }},
        {"ButtonZoom", [](QPainter& p) { Magnifier(p); }},
        {"ButtonRotateZ", [](QPainter& p) { RotateZ(p); }},
        {"ButtonViewShaded", [](QPainter& p) { ShadedSphere(p); }},
        {"ButtonViewKarkas", [](QPainter& p) { WireSphere(p); }},
        {"ButtonViewFront", [](QPainter& p) { Cube(p, 0); }},
        {"ButtonViewBack", [](QPainter& p) { Cube(p, 1); }},
        {"ButtonViewTop", [](QPainter& p) { Cube(p, 2); }},
        {"ButtonViewBottom", [](QPainter& p) { Cube(p, 3); }},
        {"ButtonViewLeft", [](QPainter& p) { Cube(p, 4); }},
        {"ButtonViewRight", [](QPainter& p) { Cube(p, 5); }},
        {"ButtonViewIso", [](QPainter& p) { IsoCube(p); }},
        {"ButtonViewFaces", [](QPainter& p) { Faces(p, true, false); }},
        {"ButtonViewCutEdge", [](QPainter& p) { EdgeLine(p); }},
        {"ButtonViewCS", [](QPainter& p) { CoordinateSystem(p); }},
        {"ButtonViewFeedPlan", [](QPainter& p) { FeedPlane(p); }},
        {"ButtonSaveImage", [](QPainter& p) { Picture(p); }},
        {"ButtonTiled", [](QPainter& p) { Windows(p, false); }},
        {"ButtonCascade", [](QPainter& p) { Windows(p, true); }},
        {"ButtonHelp", [](QPainter& p) { Badge(p, QStringLiteral("?"), QColor(70, 110, 170)); }},
        {"ButtonAbout", [](QPainter& p) { Badge(p, QStringLiteral("i"), kPlane); }},
    };
    return glyphs;
}

QIcon Draw(const TGlyph& glyph) {
    QIcon icon;
    for (const int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 24.0, size / 24.0);
        glyph(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace

QIcon CommandIcon(const QString& buttonName) {
    static QHash<QString, QIcon> cache;
    if (const auto found = cache.constFind(buttonName); found != cache.constEnd()) {
        return *found;
    }
    const auto glyph = Glyphs().constFind(buttonName);
    QIcon icon = glyph == Glyphs().constEnd() ? QIcon() : Draw(*glyph);
    cache.insert(buttonName, icon);
    return icon;
}

QIcon ApplicationIcon() {
    return Draw([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(236, 241, 247));
        p.drawRoundedRect(QRectF(0.5, 0.5, 23, 23), 4, 4);
        Faces(p, true, true);
    });
}

QPixmap BannerPixmap() {
    QPixmap banner(292, 64);
    QPainter p(&banner);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 292, 64);
    background.setColorAt(0, QColor(28, 44, 68));
    background.setColorAt(1, QColor(52, 92, 140));
    p.fillRect(banner.rect(), background);

    p.save();
    p.translate(10, 6);
    p.scale(52 / 24.0, 52 / 24.0);
    Faces(p, true, true);
    p.restore();

    QFont title;
    title.setPixelSize(30);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRectF(74, 4, 210, 36), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Tessarin"));
    QFont subtitle;
    subtitle.setPixelSize(11);
    p.setFont(subtitle);
    p.setPen(QColor(200, 215, 235));
    p.drawText(QRectF(75, 38, 214, 22), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Геометрия инструмента с СМП"));
    p.end();
    return banner;
}

}  // namespace tessarin::shell
