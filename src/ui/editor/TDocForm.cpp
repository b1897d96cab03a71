#include "editor/TDocForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QProgressBar>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>

#include "NetPicture.h"
#include "app/TMainWindow.h"
#include "app/Workspace.h"
#include "editor/TOverviewForm.h"
#include "model/TNetList.h"
#include "model/TObjectFrame.h"
#include "model/TPNObjekt.h"
#include "platform/QtWindowSurface.h"
#include "platform/Services.h"
#include "settings/ProgramSettings.h"
#include "simulation/TSimuPanel.h"
#include "widgets/Pictures.h"
#include "widgets/TStatusPanels.h"

namespace qz::ui {

namespace {

constexpr int kBottomPanelHeight = 17;
constexpr const char* kExportFilter = "*.wmf|*.wmf|*.emf|*.emf|*.svg|*.svg|*.pdf|*.pdf|*.png|*.png";
// Cursor numbers of the view tools.
constexpr int kHandTool = 11, kZoomInTool = 13, kZoomOutTool = 14, kZoomAreaTool = 15;
// Scrolling by wheel or arrow buttons moves this many pixels per step.
constexpr int kScrollStep = 20;

// The export dialog starts at the net's own name, without extension.
std::string ExportStartName(const std::string& fileName) {
    if (fileName.empty()) return {};
    const std::size_t slash = fileName.find_last_of('/');
    const std::size_t dot = fileName.find_last_of('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash) ? fileName.substr(0, dot)
                                                                                   : fileName;
}

std::string ExportFailedText(const std::string& path, const std::string& reason) {
    return "The graphic could not be exported to " + path + ":\r" + reason;
}

} // namespace

TDocForm::TDocForm(TMainWindow& main, QWidget* parent)
    : QWidget(parent), main_(main), surface_(std::make_unique<QtWindowSurface>("TDocForm")) {
    setObjectName(QStringLiteral("TDocForm"));
    setAttribute(Qt::WA_DeleteOnClose);

    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("NetView"));
    client_->setAccessibleName(QStringLiteral("Net"));
    client_->setAttribute(Qt::WA_OpaquePaintEvent);
    client_->setMouseTracking(true);
    client_->setFocusPolicy(Qt::StrongFocus);
    client_->installEventFilter(this);
    client_->setMinimumSize(40, 40);

    hScroll_ = new QScrollBar(Qt::Horizontal, this);
    hScroll_->setObjectName(QStringLiteral("HorzScrollBar"));
    hScroll_->setAccessibleName(QStringLiteral("Horizontal scroll bar"));
    vScroll_ = new QScrollBar(Qt::Vertical, this);
    vScroll_->setObjectName(QStringLiteral("VertScrollBar"));
    vScroll_->setAccessibleName(QStringLiteral("Vertical scroll bar"));
    for (QScrollBar* bar : {hScroll_, vScroll_}) bar->setSingleStep(kScrollStep);
    connect(hScroll_, &QScrollBar::valueChanged, this, [this] { ScrollBarsMoved(); });
    connect(vScroll_, &QScrollBar::valueChanged, this, [this] { ScrollBarsMoved(); });

    auto* bottom = new QWidget(this);
    bottom->setObjectName(QStringLiteral("BottomPanel"));
    bottom->setFixedHeight(kBottomPanelHeight + 4);
    auto* bottomLayout = new QVBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    status_ = new TStatusPanels(QStringLiteral("StatusBar"), {100, 200, 100, 100, 150, 50}, bottom);
    progress_ = new QProgressBar(bottom);
    progress_->setObjectName(QStringLiteral("SaveProgressBar"));
    progress_->setAccessibleName(QStringLiteral("Save progress"));
    progress_->setRange(0, 100);
    progress_->setTextVisible(false);
    progress_->hide();
    bottomLayout->addWidget(status_);
    bottomLayout->addWidget(progress_);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(client_, 0, 0);
    grid->addWidget(vScroll_, 0, 1);
    grid->addWidget(hScroll_, 1, 0);
    grid->addWidget(bottom, 2, 0, 1, 2);

    saveTimer_ = new QTimer(this);
    saveTimer_->setObjectName(QStringLiteral("SaveTimer"));
    saveTimer_->setInterval(5);
    connect(saveTimer_, &QTimer::timeout, this, [this] { SaveTimerTimer(); });

    surface_->invalidated = [this] { client_->update(); };
    surface_->drawn = [this] { client_->update(); };

    // A new document window starts at 1:1, for every document.
    TViewState::SetScale(1.0);
    for (TDocForm* other : main_.Documents()) other->ScaleChanged();
    document_ = std::make_unique<TDocument>(main_.Workspace(), surface_.get());
    document_->status[2] = TViewState::ScaleText();
    document_->changed = [this] {
        RefreshCaption();
        RefreshStatus();
    };
    document_->saving = [this] { StartSaveProgress(); };
    setWindowIcon(NamedIcon(QStringLiteral("New")));
    RefreshCaption();
    RefreshStatus();
}

TDocForm::~TDocForm() {
    // The net's elements point at the surface: free them first.
    document_.reset();
}

QMdiSubWindow* TDocForm::SubWindow() const { return qobject_cast<QMdiSubWindow*>(parentWidget()); }

bool TDocForm::LoadDocument(const std::string& path) {
    const bool ok = document_->LoadDocument(path);
    document_->SetShowValues(main_.ShowValuesDown());
    FormResize();
    InvalidateWindow();
    return ok;
}

void TDocForm::SetShowValues(bool on) {
    document_->SetShowValues(on);
    if (main_.ActiveDocument() == this) main_.SetShowValuesButton(on);
    InvalidateWindow();
}

void TDocForm::SetSimulationMode(bool on) {
    TNetList* net = document_->Net();
    if (!net || net->Count() == 0) {
        document_->simulationMode = false;
        main_.SetSimulationControls(false);
    } else {
        document_->simulationMode = on;
    }
    main_.SimulationModeChanged(*this);
}

void TDocForm::SetTool(int cursorNumber) {
    tool_ = cursorNumber;
    client_->setCursor(ToolCursor(cursorNumber));
}

QString TDocForm::StatusText(int panel) const { return status_->Text(panel); }

void TDocForm::RefreshStatus() {
    for (int i = 0; i < 6; ++i) {
        status_->SetText(i, QString::fromStdString(document_->status[static_cast<std::size_t>(i)]));
    }
}

void TDocForm::RefreshCaption() {
    const QString caption = QString::fromStdString(document_->Caption());
    setWindowTitle(caption);
    setAccessibleName(caption);
    if (QMdiSubWindow* sub = SubWindow()) sub->setWindowTitle(caption);
}

TPoint TDocForm::ScreenToWorld(int x, int y) const { return document_->view.ScreenToWorld(x, y); }

void TDocForm::SyncScrollBars() {
    const TViewState& v = document_->view;
    syncing_ = true;
    hScroll_->setRange(0, v.HorzMax());
    hScroll_->setPageStep(std::max(1, v.ClientWidth()));
    hScroll_->setValue(v.HorzPosition());
    vScroll_->setRange(0, v.VertMax());
    vScroll_->setPageStep(std::max(1, v.ClientHeight()));
    vScroll_->setValue(v.VertPosition());
    syncing_ = false;
}

void TDocForm::ScrollBarsMoved() {
    if (syncing_) return;
    document_->view.SetPositions(hScroll_->value(), vScroll_->value());
    InvalidateWindow();
    emit viewChanged();
}

void TDocForm::FormResize() {
    TNetList* net = document_->Net();
    if (!net) return;
    TViewState& view = document_->view;
    view.SetClientSize(client_->width(), client_->height());
    view.UpdateRanges(net->BoundsOfAll(), net->Count() > 0);
    SyncScrollBars();
    if (TOverviewForm* navigator = main_.Windows().navigator; navigator && navigator->isVisible()) {
        navigator->RepaintNet();
    }
    emit viewChanged();
}

void TDocForm::ScaleChanged() {
    document_->status[2] = TViewState::ScaleText();
    status_->SetText(2, QString::fromStdString(document_->status[2]));
    document_->view.ScaleChanged();
    FormResize();
    InvalidateWindow();
}

void TDocForm::InvalidateWindow() {
    surface_->SetDirty(true);
    client_->update();
}

void TDocForm::ApplyViewMapping() {
    surface_->Resize(client_->size(), client_->devicePixelRatioF());
    surface_->WindowCanvas().SetMapping(document_->view.Mapping(client_->width(), client_->height()));
}

TRect TDocForm::VisibleWorld() const {
    // The inverse of the painter's window-to-viewport mapping over the
    // client, a unit wider on every side for rounding.
    QPainter& p = surface_->Painter();
    const QRect w = p.window(), v = p.viewport();
    const double sx = double(w.width()) / std::max(1, v.width());
    const double sy = double(w.height()) / std::max(1, v.height());
    const QSize c = surface_->LogicalSize();
    return {w.x() - 1, w.y() - 1, w.x() + int(std::ceil(c.width() * sx)) + 1,
            w.y() + int(std::ceil(c.height() * sy)) + 1};
}

void TDocForm::DrawGrid(QPainter& p, const QRect& window, const QRect& viewport) {
    const int g = Settings().gridSize;
    const GridDots dots = GridDotsOf(document_->view, g);
    if (dots.Empty()) return;
    // A dot is the client pixel that shows the centre of its world point
    // under the same mapping the elements draw with, so that an element
    // aligned to the grid meets its dots at every scale. One logical pixel:
    // a single pixel at 100 %, a sharp square of device pixels beyond.
    const double kx = double(viewport.width()) / std::max(1, window.width());
    const double ky = double(viewport.height()) / std::max(1, window.height());
    const auto column = [&](int j) {
        return viewport.x() + int(std::floor((double(g) * j + 0.5 - window.x()) * kx));
    };
    const auto row = [&](int i) {
        return viewport.y() + int(std::floor((double(g) * i + 0.5 - window.y()) * ky));
    };
    // Every dot row looks the same: make one and copy it to each row.
    const qreal ratio = surface_->Image().devicePixelRatio();
    const QSize rowSize(surface_->Image().width(), std::max(1, int(std::ceil(ratio))));
    if (gridRow_.size() != rowSize) gridRow_ = QImage(rowSize, QImage::Format_RGB32);
    gridRow_.setDevicePixelRatio(1);
    gridRow_.fill(Qt::white);
    const QRgb grey = qRgb(0x80, 0x80, 0x80);
    for (int j = dots.firstColumn; j <= dots.lastColumn; ++j) {
        const int x = column(j);
        const int from = std::max(0, int(std::floor(x * ratio)));
        const int to = std::min(rowSize.width(), std::max(from + 1, int(std::floor((x + 1) * ratio))));
        for (int line = 0; line < rowSize.height() && from < to; ++line) {
            auto* pixels = reinterpret_cast<QRgb*>(gridRow_.scanLine(line));
            std::fill(pixels + from, pixels + to, grey);
        }
    }
    gridRow_.setDevicePixelRatio(ratio);
    for (int i = dots.firstRow; i <= dots.lastRow; ++i) p.drawImage(QPointF(0, row(i)), gridRow_);
}

void TDocForm::FormPaint() {
    TNetList* net = document_->Net();
    if (!net) return;
    if (!draggingSelection) FormResize();
    ApplyViewMapping();
    surface_->BeginRedraw();
    QPainter& p = surface_->Painter();
    const QRect window = p.window(), viewport = p.viewport();
    const QRect client(QPoint(0, 0), surface_->LogicalSize());
    p.save();
    p.resetTransform();
    p.setWindow(client);
    p.setViewport(client);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.fillRect(client, Qt::white);
    if (Settings().gridVisible) DrawGrid(p, window, viewport);
    p.restore();
    net->DrawAll(VisibleWorld());
    TPNObjekt* root = document_->Root();
    document_->status[4] = ElementsText(net->Count(), root->TotalElementCount());
    status_->SetText(4, QString::fromStdString(document_->status[4]));
    if (!document_->topLevel) root->Frame().Draw();
    surface_->EndRedraw();
    // Called outside a paint event: show what was drawn.
    if (!inPaintEvent_) client_->update();
}

void TDocForm::RepaintNow() { client_->repaint(); }

void TDocForm::Vergrern1Click() {
    document_->view.ZoomIn();
    main_.ZoomChanged(*this);
}

void TDocForm::Verkleinern1Click() {
    document_->view.ZoomOut();
    main_.ZoomChanged(*this);
}

void TDocForm::N111Click() {
    document_->view.OneToOne();
    main_.ZoomChanged(*this);
}

void TDocForm::LetzteClick() {
    if (!document_->view.Previous()) return;
    main_.ZoomChanged(*this);
}

std::optional<std::vector<std::uint8_t>> TDocForm::ErstelleMetaFile(std::string* error) {
    TNetList* net = document_->Net();
    if (!net) return std::nullopt;
    auto bytes = render::SelectionMetafile(*net, {TViewState::Scale(), client_->width(), client_->height()}, error);
    InvalidateWindow();
    return bytes;
}

void TDocForm::PN_ExportClick() {
    TNetList* net = document_->Net();
    if (!net) return;
    const std::optional<std::string> path =
        Platform().dialogs->SaveFileName(ExportStartName(document_->FileName()), "*.wmf", kExportFilter);
    if (!path) return;
    std::string error;
    const render::ViewGeometry view{TViewState::Scale(), client_->width(), client_->height()};
    if (!render::ErstelleMetaFile(*net, view, *path, &error)) {
        Platform().messages->Error(ExportFailedText(*path, error.empty() ? "unknown error" : error));
    }
    InvalidateWindow();
}

bool TDocForm::CloseQuery() { return main_.CloseDocumentQuery(*this); }

void TDocForm::closeEvent(QCloseEvent* e) {
    if (!CloseQuery()) {
        e->ignore();
        return;
    }
    e->accept();
}

void TDocForm::StartSaveProgress() {
    status_->hide();
    progress_->setValue(0);
    progress_->show();
    saveTimer_->start();
}

void TDocForm::SaveTimerTimer() {
    progress_->setValue(progress_->value() + 2);
    if (progress_->value() < 100) return;
    saveTimer_->stop();
    progress_->setValue(0);
    progress_->hide();
    status_->show();
}

void TDocForm::FormMouseDown(QMouseEvent* e) {
    TNetList* net = document_->Net();
    if (e->button() != Qt::LeftButton || !net) return;
    const QPoint at = e->position().toPoint();
    switch (tool_) {
    case kZoomInTool:
    case kZoomOutTool:
        document_->view.ZoomAt(tool_ == kZoomInTool, at.x(), at.y());
        main_.ZoomChanged(*this);
        break;
    case kHandTool:
    case kZoomAreaTool:
        net->DeselectAll();
        InvalidateWindow();
        rubberBand_ = true;
        pressPoint_ = lastPoint_ = at;
        break;
    default: break;
    }
}

void TDocForm::FormMouseMove(QMouseEvent* e) {
    if (!rubberBand_) return;
    lastPoint_ = e->position().toPoint();
    client_->update();
}

void TDocForm::FormMouseUp(QMouseEvent* e) {
    if (!rubberBand_) return;
    rubberBand_ = false;
    client_->update();
    const QPoint at = e->position().toPoint();
    if (tool_ == kHandTool) {
        document_->view.Hand(pressPoint_.x(), pressPoint_.y(), at.x(), at.y());
        SyncScrollBars();
        InvalidateWindow();
        emit viewChanged();
    } else if (tool_ == kZoomAreaTool) {
        if (document_->view.ZoomArea({pressPoint_.x(), pressPoint_.y(), at.x(), at.y()})) main_.ZoomChanged(*this);
    }
}

void TDocForm::FormMouseWheel(QWheelEvent* e) {
    QPoint delta = e->angleDelta();
    if (e->modifiers() & Qt::ControlModifier) {
        // One zoom step per notch (120), however finely the wheel reports.
        wheelZoom_ += delta.y();
        const QPoint at = e->position().toPoint();
        bool zoomed = false;
        for (; std::abs(wheelZoom_) >= 120; wheelZoom_ -= wheelZoom_ > 0 ? 120 : -120) {
            document_->view.ZoomAbout(wheelZoom_ > 0, at.x(), at.y());
            zoomed = true;
        }
        if (zoomed) main_.ZoomChanged(*this);
        return;
    }
    if ((e->modifiers() & Qt::ShiftModifier) && delta.x() == 0) delta = QPoint(delta.y(), 0);
    const int lines = QApplication::wheelScrollLines();
    for (auto [bar, d] : {std::pair{hScroll_, delta.x()}, std::pair{vScroll_, delta.y()}}) {
        if (d != 0) bar->setValue(bar->value() - d * lines * bar->singleStep() / 120);
    }
}

void TDocForm::PaintClient() {
    inPaintEvent_ = true;
    if (surface_->Resize(client_->size(), client_->devicePixelRatioF()) || surface_->Dirty()) FormPaint();
    inPaintEvent_ = false;
    QPainter p(client_);
    surface_->Present(p);
    if (!rubberBand_) return;
    // The band inverts what it crosses where the platform can, so that it
    // shows on any colour.
    if (p.paintEngine() && p.paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) {
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
    }
    p.setPen(QPen(Qt::black, 0, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    if (tool_ == kHandTool) {
        p.drawLine(pressPoint_, lastPoint_);
    } else {
        p.drawRect(QRect(pressPoint_, lastPoint_).normalized());
    }
}

bool TDocForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched != client_) return QWidget::eventFilter(watched, e);
    switch (e->type()) {
    case QEvent::Paint: PaintClient(); return true;
    case QEvent::Resize:
        FormResize();
        InvalidateWindow();
        return false;
    case QEvent::MouseButtonPress: FormMouseDown(static_cast<QMouseEvent*>(e)); return true;
    case QEvent::MouseMove: FormMouseMove(static_cast<QMouseEvent*>(e)); return true;
    case QEvent::MouseButtonRelease: FormMouseUp(static_cast<QMouseEvent*>(e)); return true;
    case QEvent::Wheel: FormMouseWheel(static_cast<QWheelEvent*>(e)); return true;
    case QEvent::FocusIn: main_.DocumentActivated(*this); return false;
    default: return false;
    }
}

void TDocForm::Initialisieren1Click() {
    if (TSimuPanel* panel = main_.Windows().simulation) panel->InitNet(*this, false);
}

void TDocForm::InitAll1Click() {
    if (TSimuPanel* panel = main_.Windows().simulation) panel->InitNet(*this, true);
}

} // namespace qz::ui
