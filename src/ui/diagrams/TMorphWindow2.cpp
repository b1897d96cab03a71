#include "diagrams/TMorphWindow2.h"

#include <QTimer>

#include "editor/TDocForm.h"

namespace qz::ui {

namespace {

// How far the window rises off its shadow, in steps of one unit.
constexpr int kLift = 3;

} // namespace

TMorphWindow2::TMorphWindow2(TDocForm& owner, TPlatz* place)
    : QWidget(owner.ClientArea()), owner_(owner), place_(place), timer1_(new QTimer(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    shadow_ = new QWidget(owner.ClientArea());
    shadow_->setObjectName(QStringLiteral("Schatten"));
    shadow_->setAccessibleName(QStringLiteral("Shadow"));
    shadow_->setAutoFillBackground(true);
    QPalette pal = shadow_->palette();
    pal.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    shadow_->setPalette(pal);
    shadow_->hide();
    connect(timer1_, &QTimer::timeout, this, [this] { Timer1Timer(); });
}

TMorphWindow2::~TMorphWindow2() {
    delete shadow_.data();
    // The line to the place goes with the window.
    if (connector_) owner_.InvalidateWindow();
}

void TMorphWindow2::SetConnectorShown(bool on) {
    connector_ = on;
    owner_.InvalidateWindow();
}

void TMorphWindow2::moveEvent(QMoveEvent*) {
    if (connector_) owner_.InvalidateWindow();
}

void TMorphWindow2::resizeEvent(QResizeEvent*) {
    if (connector_) owner_.InvalidateWindow();
}

void TMorphWindow2::PlaceShadow(int offset) {
    if (!shadow_) return;
    shadow_->setGeometry(geometry().translated(offset, offset));
    shadow_->stackUnder(this);
}

void TMorphWindow2::DragPress(const QPoint& global) {
    dragging_ = true;
    lowering_ = false;
    lift_ = 0;
    grab_ = global - pos();
    raise();
    PlaceShadow(2);
    if (shadow_) shadow_->show();
    timer1_->start(10);
}

void TMorphWindow2::DragMove(const QPoint& global) {
    if (!dragging_ || timer1_->isActive()) return;
    move(global - grab_);
    PlaceShadow(7);
}

void TMorphWindow2::DragRelease() {
    if (!dragging_) return;
    dragging_ = false;
    lowering_ = true;
    timer1_->start(30);
}

void TMorphWindow2::Timer1Timer() {
    if (!lowering_) {
        // Rising: the window up and left, the shadow down and right.
        if (lift_ >= kLift) {
            timer1_->stop();
            return;
        }
        ++lift_;
        // The window stays lifted while it follows the mouse and lands
        // where the mouse put it.
        grab_ += QPoint(1, 1);
        move(pos() - QPoint(1, 1));
        PlaceShadow(2 + 2 * lift_);
        // Fully lifted: the window follows the mouse from now on.
        if (lift_ >= kLift) timer1_->stop();
        return;
    }
    if (lift_ <= 0) {
        timer1_->stop();
        if (shadow_) shadow_->hide();
        return;
    }
    --lift_;
    move(pos() + QPoint(1, 1));
    PlaceShadow(2 + 2 * lift_);
}

} // namespace qz::ui
