#include "widgets/TResizeFrame.h"

#include <QMouseEvent>
#include <QPainter>

namespace qz::ui {

TResizeFrame::TResizeFrame(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ShapeFrame"));
    setAccessibleName(QStringLiteral("Resize frame"));
    setMouseTracking(true);
    hide();
}

void TResizeFrame::ShowOver(const QRect& r, bool rounded, int radius) {
    rect_ = r.normalized();
    rounded_ = rounded;
    radius_ = radius;
    Place();
    show();
    raise();
}

void TResizeFrame::Place() {
    // The widget reaches half a handle beyond the frame on every side.
    const int m = kHandle / 2 + 1;
    setGeometry(rect_.adjusted(-m, -m, m, m));
    update();
}

QRect TResizeFrame::HandleRect(int i) const {
    const QRect r = rect_.translated(-geometry().topLeft());
    const int xs[3] = {r.left(), r.center().x(), r.right()};
    const int ys[3] = {r.top(), r.center().y(), r.bottom()};
    static constexpr int kCol[8] = {0, 1, 2, 2, 2, 1, 0, 0};
    static constexpr int kRow[8] = {0, 0, 0, 1, 2, 2, 2, 1};
    return {xs[kCol[i]] - kHandle / 2, ys[kRow[i]] - kHandle / 2, kHandle, kHandle};
}

int TResizeFrame::HandleAt(const QPoint& p) const {
    for (int i = 0; i < 8; ++i) {
        if (HandleRect(i).adjusted(-1, -1, 1, 1).contains(p)) return i;
    }
    return rect_.translated(-geometry().topLeft()).contains(p) ? -1 : -2;
}

void TResizeFrame::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect_.translated(-geometry().topLeft());
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    if (rounded_) {
        p.drawRoundedRect(r, radius_ / 2.0, radius_ / 2.0);
    } else {
        p.drawRect(r);
    }
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    for (int i = 0; i < 8; ++i) p.drawRect(HandleRect(i));
}

void TResizeFrame::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    dragged_ = HandleAt(e->position().toPoint());
    last_ = e->position().toPoint() + geometry().topLeft();
}

void TResizeFrame::mouseMoveEvent(QMouseEvent* e) {
    const QPoint at = e->position().toPoint();
    if (dragged_ == -2 || !(e->buttons() & Qt::LeftButton)) {
        static const Qt::CursorShape kShapes[8] = {Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeBDiagCursor,
                                                   Qt::SizeHorCursor,   Qt::SizeFDiagCursor, Qt::SizeVerCursor,
                                                   Qt::SizeBDiagCursor, Qt::SizeHorCursor};
        const int h = HandleAt(at);
        setCursor(h >= 0 ? kShapes[h] : (h == -1 ? Qt::SizeAllCursor : Qt::ArrowCursor));
        return;
    }
    const QPoint global = at + geometry().topLeft();
    const QPoint d = global - last_;
    last_ = global;
    QRect r = rect_;
    switch (dragged_) {
    case -1: r.translate(d); break;
    case 0: r.setTopLeft(r.topLeft() + d); break;
    case 1: r.setTop(r.top() + d.y()); break;
    case 2: r.setTopRight(r.topRight() + d); break;
    case 3: r.setRight(r.right() + d.x()); break;
    case 4: r.setBottomRight(r.bottomRight() + d); break;
    case 5: r.setBottom(r.bottom() + d.y()); break;
    case 6: r.setBottomLeft(r.bottomLeft() + d); break;
    case 7: r.setLeft(r.left() + d.x()); break;
    }
    // A frame keeps a few pixels of size.
    if (r.width() >= 4 && r.height() >= 4) {
        rect_ = r;
        Place();
    }
}

void TResizeFrame::mouseReleaseEvent(QMouseEvent*) { dragged_ = -2; }

void TResizeFrame::mouseDoubleClickEvent(QMouseEvent*) { emit finished(); }

} // namespace qz::ui
