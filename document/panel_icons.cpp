#include "document/panel_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>

namespace tessarin::document {

namespace {

QPixmap Canvas(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A rounded badge with one or two letters: the systems and the groups.
QIcon Badge(const QColor& fill, const QString& letters) {
    QPixmap pixmap = Canvas(16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(fill.darker(150));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    QFont font = p.font();
    font.setPixelSize(letters.size() > 1 ? 8 : 11);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, letters);
    return QIcon(pixmap);
}

// An angle between two strokes in the colour of its chart line.
QIcon AngleIcon(const QColor& colour, double degrees) {
    QPixmap pixmap = Canvas(16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::darkGray, 1.5));
    const QPointF apex(2.5, 13.5);
    p.drawLine(apex, QPointF(14.5, 13.5));
    QTransform turn;
    turn.rotate(-degrees);
    const QPointF arm = turn.map(QPointF(12.0, 0.0));
    p.setPen(QPen(colour, 2.0));
    p.drawLine(apex, apex + arm);
    p.setPen(QPen(colour, 1.2));
    p.drawArc(QRectF(apex.x() - 7, apex.y() - 7, 14, 14), 0, static_cast<int>(degrees * 16));
    return QIcon(pixmap);
}

}  // namespace

QIcon TreeIcon(int index) {
    switch (index) {
        case 0: {
            // A cutting edge: a zig-zag of segments.
            QPixmap pixmap = Canvas(16);
            QPainter p(&pixmap);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(200, 60, 140), 2.0));
            const std::array<QPointF, 5> points{QPointF(1.5, 12), QPointF(5, 4), QPointF(8.5, 11),
                                                QPointF(12, 3), QPointF(14.5, 9)};
            p.drawPolyline(points.data(), static_cast<int>(points.size()));
            return QIcon(pixmap);
        }
        case 1:
            return Badge(QColor(90, 90, 90), QStringLiteral("И"));
        case 2:
            return Badge(QColor(30, 110, 200), QStringLiteral("С"));
        case 3:
            return Badge(QColor(200, 120, 20), QStringLiteral("К"));
        case 4:
            return Badge(QColor(130, 60, 170), QStringLiteral("Д"));
        case 5:
            return AngleIcon(QColor(0, 0, 255), 25);
        case 6:
            return AngleIcon(QColor(255, 0, 0), 40);
        case 7:
            return AngleIcon(QColor(0, 128, 0), 55);
        case 8:
            return AngleIcon(Qt::black, 70);
        default:
            return Badge(QColor(110, 110, 220), QStringLiteral("В"));
    }
}

QIcon SideBarIcon(int index) {
    QPixmap pixmap = Canvas(48);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (index == 0) {
        // Compute: a protractor with its needle.
        p.setPen(QPen(QColor(40, 60, 120), 2.5));
        p.setBrush(QColor(255, 250, 220));
        QPainterPath half;
        half.moveTo(4, 38);
        half.arcTo(QRectF(4, 6, 40, 64), 180, -180);
        half.closeSubpath();
        p.drawPath(half);
        p.setPen(QPen(QColor(220, 40, 40), 3));
        p.drawLine(QPointF(24, 38), QPointF(36, 16));
        p.setPen(QPen(QColor(40, 60, 120), 1.5));
        for (int tick = 0; tick <= 6; ++tick) {
            QTransform turn;
            turn.translate(24, 38);
            turn.rotate(-30.0 * tick);
            p.drawLine(turn.map(QPointF(16, 0)), turn.map(QPointF(20, 0)));
        }
    } else if (index == 1) {
        // Define a coordinate system: three axes.
        const QPointF origin(18, 32);
        p.setPen(QPen(QColor(220, 40, 40), 3));
        p.drawLine(origin, QPointF(44, 32));
        p.setPen(QPen(QColor(0, 140, 0), 3));
        p.drawLine(origin, QPointF(18, 4));
        p.setPen(QPen(QColor(30, 60, 220), 3));
        p.drawLine(origin, QPointF(4, 44));
        p.setBrush(QColor(60, 60, 60));
        p.setPen(Qt::NoPen);
        p.drawEllipse(origin, 3.5, 3.5);
    } else {
        // Define the working plane: a tilted plane with its normal.
        QPolygonF plane;
        plane << QPointF(4, 34) << QPointF(28, 24) << QPointF(44, 34) << QPointF(20, 44);
        p.setPen(QPen(QColor(40, 110, 40), 2));
        p.setBrush(QColor(150, 220, 150, 200));
        p.drawPolygon(plane);
        p.setPen(QPen(QColor(220, 40, 40), 3));
        p.drawLine(QPointF(24, 34), QPointF(24, 6));
        p.drawLine(QPointF(24, 6), QPointF(19, 13));
        p.drawLine(QPointF(24, 6), QPointF(29, 13));
    }
    return QIcon(pixmap);
}

}  // namespace tessarin::document
