#pragma once
#include <QPoint>
#include <QPointer>
#include <QWidget>

class QTimer;

namespace qz {
class TPlatz;
}

namespace qz::ui {

class TDocForm;

// A window without a frame that lives inside a document window, watches one
// place there and can be dragged, lifted off its shadow while it moves, and
// joined to its place by a connector line that the document draws.
class TMorphWindow2 : public QWidget {
    Q_OBJECT
public:
    TMorphWindow2(TDocForm& owner, TPlatz* place);
    ~TMorphWindow2() override;

    TDocForm& Owner() const { return owner_; }
    TPlatz* Place() const { return place_; }
    // The window watches another place (the net was read anew).
    void SetPlace(TPlatz* place) { place_ = place; }
    bool ConnectorShown() const { return connector_; }
    void SetConnectorShown(bool on);

    // Dragging: pressing lifts the window off its shadow, moving takes it
    // along, releasing puts it down.
    void DragPress(const QPoint& global);
    void DragMove(const QPoint& global);
    void DragRelease();
    bool Dragging() const { return dragging_; }

protected:
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void Timer1Timer();
    void PlaceShadow(int offset);

    TDocForm& owner_;
    TPlatz* place_;
    bool connector_ = false;
    QPointer<QWidget> shadow_;
    QTimer* timer1_;
    bool dragging_ = false;
    bool lowering_ = false;
    int lift_ = 0;
    QPoint grab_;
};

} // namespace qz::ui
