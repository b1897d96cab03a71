#include "editor/TOverviewForm.h"

#include <QCloseEvent>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QVBoxLayout>

#include "NetPicture.h"
#include "QtCanvas.h"
#include "editor/Document.h"
#include "editor/TDocForm.h"
#include "model/TNetList.h"
#include "workspace/MainFrame.h"
#include "widgets/ScreenFit.h"

namespace qz::ui {

namespace {

const QColor kBorder(0, 0, 255);
const QColor kMark(0, 255, 255);
// Names and values smaller than this (pixels) would only grey the picture.
constexpr double kSmallestText = 4;

} // namespace

TOverviewForm::TOverviewForm(MainFrame& main, QWidget* parent)
    : TToolWindow(QStringLiteral("TOverviewForm"), QStringLiteral("Net Navigator"), parent,
                  Qt::Tool | Qt::WindowStaysOnTopHint),
      main_(main), area_(new QWidget(this)) {
    area_->setObjectName(QStringLiteral("DrawingArea"));
    area_->setAccessibleName(QStringLiteral("Whole net"));
    area_->setAccessibleDescription(QStringLiteral("Drag the marked part to scroll the document."));
    area_->setAttribute(Qt::WA_OpaquePaintEvent);
    area_->setCursor(Qt::OpenHandCursor);
    area_->installEventFilter(this);
    Layout()->setContentsMargins(0, 0, 0, 0);
    Layout()->addWidget(area_);
    setMinimumSize(30, 30);
    resize(220, 180);
}

void TOverviewForm::RepaintNet() {
    dirty_ = true;
    area_->update();
}

void TOverviewForm::Watch(TDocForm* doc) {
    if (watched_ == doc) return;
    disconnect(watch_);
    watched_ = doc;
    if (doc) watch_ = connect(doc, &TDocForm::viewChanged, this, [this] { RepaintNet(); });
}

void TOverviewForm::DrawNet() {
    dirty_ = false;
    const qreal ratio = area_->devicePixelRatioF();
    const QSize size = area_->size().expandedTo(QSize(1, 1));
    if (picture_.size() != size * ratio || picture_.devicePixelRatio() != ratio) {
        picture_ = QImage(size * ratio, QImage::Format_RGB32);
        picture_.setDevicePixelRatio(ratio);
    }
    picture_.fill(Qt::white);
    QPainter p(&picture_);
    TDocForm* doc = main_.ActiveDocument();
    Watch(doc);
    TNetList* net = doc ? doc->Document().Net() : nullptr;
    view_ = {};
    if (net) {
        const TViewState& shown = doc->Document().view;
        const DocumentViewport viewport{shown.Origin(), shown.ClientWidth(), shown.ClientHeight(), TViewState::Scale()};
        view_ = NavigatorViewOf(net->BoundsOfAll(), net->Count() > 0, size.width(), size.height(), viewport);
    }
    if (!view_.empty) {
        // The part the document shows, below the elements.
        const TRect& m = view_.mark;
        p.setPen(Qt::black);
        p.setBrush(kMark);
        p.drawRect(QRect(QPoint(m.left, m.top), QPoint(m.right - 1, m.bottom - 1)));
        // The elements, on this window's own canvas at the navigator's scale.
        p.save();
        render::QtCanvas canvas(p);
        canvas.smallestText = kSmallestText;
        canvas.SetMapping(view_.Mapping(size.width(), size.height()));
        render::DrawNetElements(canvas, *net, false);
        p.restore();
    }
    // The border frames whatever reaches the edges.
    p.setPen(kBorder);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(QPoint(0, 0), size).adjusted(0, 0, -1, -1));
}

void TOverviewForm::PaintDrawingArea() {
    if (dirty_ || picture_.size() != area_->size().expandedTo(QSize(1, 1)) * area_->devicePixelRatioF()) DrawNet();
    QPainter p(area_);
    p.drawImage(QPointF(0, 0), picture_);
    if (!dragging_ || !moved_ || view_.empty) return;
    // The mark where the drag has taken it, dotted, inverting what it crosses
    // where the platform can, so that it shows on any colour.
    if (p.paintEngine() && p.paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) {
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
    }
    p.setPen(QPen(Qt::black, 0, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    const TRect& m = view_.mark;
    p.drawRect(QRect(QPoint(m.left, m.top), QPoint(m.right - 1, m.bottom - 1)).translated(last_ - press_));
}

void TOverviewForm::DrawingAreaMouseDown(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    dragging_ = true;
    moved_ = false;
    press_ = last_ = e->position().toPoint();
    dragged_ = main_.ActiveDocument();
    area_->setCursor(Qt::ClosedHandCursor);
    RepaintNet();
}

void TOverviewForm::DrawingAreaMouseMove(QMouseEvent* e) {
    if (!dragging_) return;
    moved_ = true;
    last_ = e->position().toPoint();
    area_->update();
}

void TOverviewForm::DrawingAreaMouseUp(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !dragging_) return;
    const bool moved = moved_;
    dragging_ = false;
    moved_ = false;
    area_->setCursor(Qt::OpenHandCursor);
    last_ = e->position().toPoint();
    TDocForm* doc = main_.ActiveDocument();
    // The document that was dragged, if it is still the one shown.
    if (moved && doc && doc == dragged_ && doc->Document().Net()) {
        const TViewState& v = doc->Document().view;
        const TPoint to = NavigatorDragScroll(view_, {press_.x(), press_.y()}, {last_.x(), last_.y()}, v.HorzPosition(),
                                              v.VertPosition(), TViewState::Scale());
        doc->SetScrollPosition(to.x, to.y);
    }
    dragged_ = nullptr;
    RepaintNet();
}

void TOverviewForm::closeEvent(QCloseEvent* e) {
    TToolWindow::closeEvent(e);
    emit closed();
}

void TOverviewForm::PlaceFirstTime() {
    placed_ = true;
    const auto* main = qobject_cast<const QMainWindow*>(parentWidget());
    const QWidget* area = main && main->centralWidget() ? main->centralWidget() : parentWidget();
    if (!area) return;
    const QRect r(area->mapToGlobal(QPoint(0, 0)), area->size());
    // Below the title bar and buttons of a document window at the top.
    QPoint at(r.right() - width() - 24, r.top() + 40);
    move(at);
    // Never off the screen, whatever the main window's size.
    FitOnScreen(this);
}

void TOverviewForm::showEvent(QShowEvent* e) {
    if (!placed_) PlaceFirstTime();
    TToolWindow::showEvent(e);
    RepaintNet();
}

bool TOverviewForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched != area_) return TToolWindow::eventFilter(watched, e);
    switch (e->type()) {
    case QEvent::Paint:
        PaintDrawingArea();
        return true;
    case QEvent::Resize:
        RepaintNet();
        return false;
    case QEvent::MouseButtonPress:
        DrawingAreaMouseDown(static_cast<QMouseEvent*>(e));
        return true;
    case QEvent::MouseMove:
        DrawingAreaMouseMove(static_cast<QMouseEvent*>(e));
        return true;
    case QEvent::MouseButtonRelease:
        DrawingAreaMouseUp(static_cast<QMouseEvent*>(e));
        return true;
    default:
        return false;
    }
}

} // namespace qz::ui
