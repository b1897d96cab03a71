#pragma once
#include <QWidget>

namespace qz::ui {

// A frame with eight handles over a graphical object: dragging a handle
// moves its edges, dragging inside moves the frame; a double click ends the
// resizing. The frame is a rectangle, or a rounded rectangle like the
// object it stands over.
class TResizeFrame final : public QWidget {
    Q_OBJECT
public:
    explicit TResizeFrame(QWidget* parent);

    // Shows the frame around a rectangle of the parent (client pixels).
    void ShowOver(const QRect& r, bool rounded, int radius);
    // The rectangle the frame stands for now.
    QRect Rect() const { return rect_; }

signals:
    void finished();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    static constexpr int kHandle = 7;
    // Handles 0..7 clockwise from the top-left corner; -1 inside, -2 none.
    int HandleAt(const QPoint& p) const;
    QRect HandleRect(int i) const;
    void Place();

    QRect rect_;
    bool rounded_ = false;
    int radius_ = 0;
    int dragged_ = -2;
    QPoint last_;
};

} // namespace qz::ui
