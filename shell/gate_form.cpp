#include "shell/gate_form.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <algorithm>

#include "shell/command_icons.h"

namespace tessarin::shell {

TGateForm::TGateForm(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("GateForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(306, 76);
    // Where the banner has always appeared; centred instead on screens too small for it.
    QPoint place(465, 351);
    if (const QScreen* screen = QGuiApplication::primaryScreen(); screen != nullptr) {
        const QRect available = screen->availableGeometry();
        if (!available.contains(QRect(place, size()))) {
            place = available.center() - QPoint(width() / 2, height() / 2);
        }
    }
    move(place);
}

void TGateForm::ShowNow() {
    show();
    raise();
    repaint();
    Shown.start();
    QApplication::processEvents();
}

void TGateForm::ReleaseWhenReady(int minimumMs) {
    const qint64 remaining = std::max<qint64>(0, minimumMs - ShownFor());
    QTimer::singleShot(static_cast<int>(remaining), this, [this] { close(); });
}

void TGateForm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(236, 241, 247));
    painter.drawPixmap(8, 4, BannerPixmap());
    painter.setPen(QColor(120, 132, 150));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace tessarin::shell
