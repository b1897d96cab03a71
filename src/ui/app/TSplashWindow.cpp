#include "app/TSplashWindow.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include "widgets/Pictures.h"

namespace qz::ui {

TSplashWindow::TSplashWindow(int milliseconds)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      timer_(new QTimer(this)) {
    setObjectName(QStringLiteral("TSplashWindow"));
    setAccessibleName(QStringLiteral("Quenzor"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(420, 240);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    timer_->setObjectName(QStringLiteral("SplashTimer"));
    timer_->setSingleShot(true);
    timer_->setInterval(milliseconds);
    connect(timer_, &QTimer::timeout, this, [this] {
        timer_->stop();
        close();
        emit expired();
    });
    timer_->start();
}

void TSplashWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0, QColor(24, 60, 140));
    sky.setColorAt(1, QColor(10, 25, 60));
    p.fillRect(rect(), sky);
    // A small net: two places and a transition.
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(40, 60, 40, 40));
    p.drawEllipse(QRectF(180, 60, 40, 40));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(125, 62, 10, 36));
    p.drawEllipse(QRectF(55, 75, 10, 10));
    p.drawLine(QPointF(80, 80), QPointF(125, 80));
    p.drawLine(QPointF(135, 80), QPointF(180, 80));
    p.setFont(QFont(QStringLiteral("Liberation Sans"), 34, QFont::Bold));
    p.drawText(QRectF(0, 120, width(), 60), Qt::AlignCenter, QStringLiteral("Quenzor"));
    p.setFont(QFont(QStringLiteral("Liberation Sans"), 11));
    p.drawText(QRectF(0, 175, width(), 30), Qt::AlignCenter,
               QStringLiteral("Hybrid object-oriented Petri nets  ·  2.7a"));
}

} // namespace qz::ui
