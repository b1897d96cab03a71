#include "editor/TDocForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMimeData>
#include <QPointer>
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
#include "diagrams/TOsziFenster.h"
#include "editor/DocumentCommands.h"
#include "editor/EditGestures.h"
#include "editor/InPlaceEdit.h"
#include "editor/FrameCommands.h"
#include "editor/TCMIWindow.h"
#include "editor/TDocumentationWindow.h"
#include "editor/PopupMenus.h"
#include "editor/TInPlaceEditor.h"
#include "editor/TPopupMenu.h"
#include "editor/TOverviewForm.h"
#include "editor/TPropertyWindow.h"
#include "formula/TFormelEditor.h"
#include "model/TEdge.h"
#include "model/TInterfacePlace.h"
#include "model/TNetList.h"
#include "model/TObjectFrame.h"
#include "model/TObjekt.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"
#include "platform/QtWindowSurface.h"
#include "platform/Services.h"
#include "settings/ProgramSettings.h"
#include "settings/TOptionsWindow.h"
#include "simulation/TSimuPanel.h"
#include "widgets/Pictures.h"
#include "widgets/TResizeFrame.h"
#include "widgets/TStatusPanels.h"
#include "workspace/MainFrame.h"
#include "workspace/TActionSet.h"
#include "workspace/TAppWindows.h"
#include "workspace/ClassDrag.h"
#include "workspace/Workspace.h"

namespace qz::ui {

namespace {

constexpr int kBottomPanelHeight = 17;
constexpr const char* kExportFilter = "*.wmf|*.wmf|*.emf|*.emf|*.svg|*.svg|*.pdf|*.pdf|*.png|*.png";
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

TDocForm::TDocForm(MainFrame& main, QWidget* parent)
    : QWidget(parent), main_(main), surface_(std::make_unique<QtWindowSurface>("TDocForm")) {
    Build(nullptr, nullptr, true);
}

TDocForm::TDocForm(MainFrame& main, TDocForm& owner, TPNObjekt& object, bool editable, QWidget* parent)
    : QWidget(parent), main_(main),
      owner_(owner.OwnerForm() ? owner.OwnerForm() : &owner),
      surface_(std::make_unique<QtWindowSurface>("TDocForm")) {
    Build(owner_, &object, editable);
}

void TDocForm::Build(TDocForm* owner, TPNObjekt* object, bool editable) {
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
    client_->setAcceptDrops(true);

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
    auto* bottomLayout = new QVBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    status_ = new TStatusPanels(QStringLiteral("StatusBar"), {100, 200, 100, 100, 150, 50}, bottom);
    // The element count of a large net is shown whole.
    status_->Hold(4, QString::fromStdString(ElementsText(200000, 200000)));
    bottom->setFixedHeight(std::max(kBottomPanelHeight, status_->height()) + 4);
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
    if (owner && object) {
        document_ = std::make_unique<TDocument>(main_.Workspace(), surface_.get(), owner->Document(), *object, editable);
        document_->objectGone = [this] { ObjectGone(); };
    } else {
        document_ = std::make_unique<TDocument>(main_.Workspace(), surface_.get());
    }
    document_->status[2] = TViewState::ScaleText();
    document_->changed = [this] {
        RefreshCaption();
        RefreshStatus();
        // Undo and redo follow the steps.
        main_.UpdateCommands();
    };
    document_->saving = [this] { StartSaveProgress(); };
    EditorHost& host = *this;
    gestures_ = std::make_unique<EditGestures>(*document_, host);
    commands_ = std::make_unique<DocumentCommands>(*document_, host);
    editor_ = new TInPlaceEditor(client_);
    connect(editor_, &TInPlaceEditor::accepted, this, [this] { InPlaceAccepted(); });
    connect(editor_, &TInPlaceEditor::cancelled, this, [this] { InPlaceCancelled(); });
    shapeFrame_ = new TResizeFrame(client_);
    shapeFrame_->setToolTip(QString::fromLatin1(kResizeFrameHint));
    connect(shapeFrame_, &TResizeFrame::finished, this, [this] { HideShape(); });
    setFocusProxy(client_);
    setWindowIcon(NamedIcon(QStringLiteral("New")));
    RefreshCaption();
    RefreshStatus();
}

TDocForm::~TDocForm() {
    // The net's elements point at the surface: free them first.
    gestures_.reset();
    commands_.reset();
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
    if (document_->simulationMode) {
        // The session works on the net as it is: what was drawn before
        // cannot be taken back any more, and no gesture or editor runs on.
        document_->History().Clear();
        CloseEditors();
    }
    main_.SimulationModeChanged(*this);
}

void TDocForm::SetTool(int cursorNumber) {
    gestures_->SetTool(cursorNumber);
    client_->setCursor(ToolCursor(cursorNumber));
}

int TDocForm::Tool() const { return gestures_->Tool(); }

bool TDocForm::DraggingSelection() const { return gestures_->DraggingSelection(); }

bool TDocForm::InPlaceEditorOpen() const { return editor_->IsOpen(); }

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

void TDocForm::SetScrollPosition(int h, int v) {
    document_->view.SetPositions(h, v);
    SyncScrollBars();
    InvalidateWindow();
    emit viewChanged();
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
    if (!DraggingSelection()) FormResize();
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
    p.save();
    p.resetTransform();
    p.setWindow(client);
    p.setViewport(client);
    DrawConnectors(p);
    p.restore();
    TPNObjekt* root = document_->Root();
    document_->status[4] = ElementsText(net->Count(), root->TotalElementCount());
    status_->SetText(4, QString::fromStdString(document_->status[4]));
    surface_->EndRedraw();
    // Called outside a paint event: show what was drawn.
    if (!inPaintEvent_) client_->update();
}

void TDocForm::RepaintNow() { client_->repaint(); }

void TDocForm::DrawConnectors(QPainter& p) {
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (TOsziFenster* w : client_->findChildren<TOsziFenster*>(Qt::FindDirectChildrenOnly)) {
        TPlatz* place = w->Place();
        if (!w->ConnectorShown() || !place || !w->isVisible()) continue;
        // A place of this net, or the interface place that shows it.
        const TGraphItem* shown = place->owner == document_->Root() ? place : nullptr;
        for (TGraphItem* e : document_->Net()->Elements()) {
            if (!shown && e->Kind() == kind::Frame) shown = static_cast<TObjectFrame*>(e)->FindInterfacePlaceOf(place);
        }
        if (!shown) continue;
        const QPoint from = w->geometry().center();
        const QPoint to = WorldToClient(shown->hit).center();
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(from, to);
        p.setBrush(Qt::blue);
        for (const QPoint& end : {from, to}) p.drawRect(QRect(end - QPoint(3, 3), QSize(6, 6)));
        p.setBrush(Qt::NoBrush);
    }
}

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
    closed_ = true;
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

// ---------------------------------------------------------------------------
// Mouse and keys

namespace {

PointerEvent Pointer(const QMouseEvent* e) {
    const QPoint at = e->position().toPoint();
    return {at.x(), at.y(), (e->modifiers() & Qt::ShiftModifier) != 0, (e->modifiers() & Qt::AltModifier) != 0};
}

MouseButton ButtonOf(const QMouseEvent* e) {
    switch (e->button()) {
    case Qt::LeftButton: return MouseButton::Left;
    case Qt::RightButton: return MouseButton::Right;
    default: return MouseButton::Middle;
    }
}

} // namespace

void TDocForm::FormMouseDown(QMouseEvent* e) {
    if (!document_->Net()) return;
    // The net does not change under a running maximum-speed loop; its popup
    // commands wait for the loop to end.
    if (main_.Workspace().EngineLoopRunning() && e->button() != Qt::RightButton) return;
    ApplyViewMapping();
    gestures_->Press(ButtonOf(e), Pointer(e));
}

void TDocForm::FormMouseMove(QMouseEvent* e) {
    if (!document_->Net()) return;
    gestures_->Move(Pointer(e));
}

void TDocForm::FormMouseUp(QMouseEvent* e) {
    if (!document_->Net()) return;
    if (main_.Workspace().EngineLoopRunning() && !gestures_->Active()) return;
    gestures_->Release(ButtonOf(e), Pointer(e));
    main_.UpdateCommands();
}

void TDocForm::FormDblClick(QMouseEvent* e) {
    if (!document_->Net() || e->button() != Qt::LeftButton || main_.Workspace().EngineLoopRunning()) return;
    if (!document_->MayEdit()) {
        SetStatusText(document_->RefusalText());
        return;
    }
    if (shapeFrame_->isVisible()) {
        HideShape();
        return;
    }
    const InPlaceEdit edit =
        ChooseInPlaceEdit(document_->current, Tool(), document_->ShowValues(), document_->simulationMode);
    if (!edit.Open()) return;
    if (edit.leavesSimulation) {
        LeaveSimulation();
        if (document_->simulationMode || !main_.IsOpen(this)) return;
    }
    OpenInPlaceEditor(edit);
}

void TDocForm::FormKeyDown(QKeyEvent* e) {
    const Qt::KeyboardModifiers m = e->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    const auto enabled = [this](Cmd c) { return main_.Actions()[c]->isEnabled(); };
    TNetList* net = document_->Net();
    // Nothing changes the net under a gesture that holds its elements.
    if (!net || gestures_->Active()) {
        e->ignore();
        return;
    }
    if (e->key() == Qt::Key_Delete && m == Qt::NoModifier) {
        if (net->SelectedCount() > 0) ItemsDeleteClick();
    } else if (m == Qt::ControlModifier && e->key() == Qt::Key_C && enabled(Cmd::Copy)) {
        SetStatusText(kCopyReady);
        KopierenClick();
    } else if (m == Qt::ControlModifier && e->key() == Qt::Key_V && enabled(Cmd::Paste)) {
        SetStatusText(kPasteReady);
        EinfuegenClick();
    } else if (m == Qt::ControlModifier && e->key() == Qt::Key_D && enabled(Cmd::Duplicate)) {
        SetStatusText(kDuplicateReady);
        TransDuplicateClick();
    } else if (m == Qt::ControlModifier && e->key() == Qt::Key_A && enabled(Cmd::SelectAll)) {
        allesmarkieren1Click();
    } else if (m == Qt::ControlModifier && e->key() == Qt::Key_Z) {
        UndoClick();
    } else if ((m == Qt::ControlModifier && e->key() == Qt::Key_Y) ||
               (m == (Qt::ControlModifier | Qt::ShiftModifier) && e->key() == Qt::Key_Z)) {
        RedoClick();
    } else if (m == (Qt::ControlModifier | Qt::ShiftModifier) && e->key() == Qt::Key_D) {
        for (Cmd c : {Cmd::DebugInfos, Cmd::DebugInformations, Cmd::ShowObjects}) main_.Actions()[c]->setVisible(true);
        if (TOptionsWindow* options = main_.Windows().options) options->ShowDebugPage();
    } else {
        e->ignore();
        return;
    }
    e->accept();
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
    DrawOverlay(p);
}

void TDocForm::DrawOverlay(QPainter& p) {
    const Overlay& o = gestures_->CurrentOverlay();
    if (o.kind == Overlay::Kind::None) return;
    // Bands, outlines and connect lines invert what they cross where the
    // platform can, so that they show on any colour.
    if (p.paintEngine() && p.paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) {
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
    }
    p.setPen(QPen(Qt::black, 0, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    if (o.kind == Overlay::Kind::Line) {
        p.drawLine(o.x0, o.y0, o.x1, o.y1);
    } else {
        p.drawRect(QRect(QPoint(o.x0, o.y0), QPoint(o.x1, o.y1)).normalized());
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
    case QEvent::MouseButtonDblClick: FormDblClick(static_cast<QMouseEvent*>(e)); return true;
    case QEvent::KeyPress: FormKeyDown(static_cast<QKeyEvent*>(e)); return e->isAccepted();
    case QEvent::Wheel: FormMouseWheel(static_cast<QWheelEvent*>(e)); return true;
    case QEvent::DragEnter:
    case QEvent::DragMove: FormDragOver(static_cast<QDragMoveEvent*>(e)); return true;
    case QEvent::Drop: FormDragDrop(static_cast<QDropEvent*>(e)); return true;
    case QEvent::FocusIn: main_.DocumentActivated(*this); return false;
    default: return false;
    }
}

// ---------------------------------------------------------------------------
// What the gestures and commands ask of the window

void TDocForm::SelectElement(TGraphItem* e) {
    TDocument& d = *document_;
    TPropertyWindow* properties = main_.Windows().properties;
    // What was typed for the element before is taken first.
    if (properties && d.current != e) properties->SavePending();
    d.current = e;
    d.anchor = e;
    if (e) {
        if (TNetList* net = d.Net(); net && !e->selected && net->IndexOf(e) < net->Count()) net->SetSelected(e, true);
        if (properties) properties->Selected(e);
    } else if (properties) {
        properties->Deselected();
    }
    main_.UpdateCommands();
}

void TDocForm::SetCurrentElement(TGraphItem* e) {
    TPropertyWindow* properties = main_.Windows().properties;
    if (properties && document_->current != e) properties->SavePending();
    document_->current = e;
    if (properties) {
        if (e) {
            properties->Selected(e);
        } else {
            properties->Deselected();
        }
    }
}

TGraphItem* TDocForm::CurrentElement() const { return document_->current; }

void TDocForm::SelectionChanged() { main_.UpdateCommands(); }

void TDocForm::ClearProperties() {
    if (TPropertyWindow* p = main_.Windows().properties) p->Deselected();
}

bool TDocForm::TextEditorOpen() const { return editor_->IsOpen(); }

bool TDocForm::ResizeFrameOpen() const { return shapeFrame_->isVisible(); }

void TDocForm::CloseTextEditor() { InPlaceCancelled(); }

void TDocForm::CommitResizeFrame() { HideShape(); }

void TDocForm::Modified() {
    document_->SetModified(true);
    // The owner shows the frame of what changed here, and its windows onto
    // objects what changed there.
    if (TDocForm* owner = OwnerForm()) owner->InvalidateWindow();
    for (TDocForm* w : (OwnerForm() ? OwnerForm() : this)->ObjectWindows()) {
        if (w != this) w->InvalidateWindow();
    }
    if (TPropertyWindow* p = main_.Windows().properties) p->RefreshList();
    main_.UpdateCommands();
}

void TDocForm::ShowValues() {
    if (!document_->ShowValues()) SetShowValues(true);
}

void TDocForm::RefreshPropertyList() {
    if (TPropertyWindow* p = main_.Windows().properties) p->RefreshList();
}

void TDocForm::Redraw() { InvalidateWindow(); }

void TDocForm::OverlayChanged() { client_->update(); }

void TDocForm::ChooseSelectTool() {
    main_.Actions()[Cmd::SelectTool]->setChecked(true);
    main_.ChooseTool(Cmd::SelectTool);
    SetTool(tool::Select);
}

void TDocForm::ZoomAt(bool in, int x, int y) {
    document_->view.ZoomAt(in, x, y);
    main_.ZoomChanged(*this);
}

void TDocForm::ZoomArea(const TRect& pixels) {
    if (document_->view.ZoomArea(pixels)) main_.ZoomChanged(*this);
}

void TDocForm::Hand(int x0, int y0, int x1, int y1) {
    document_->view.Hand(x0, y0, x1, y1);
    SyncScrollBars();
    InvalidateWindow();
    emit viewChanged();
}

void TDocForm::ShowPopup(const PopupChoice& choice, int x, int y) {
    TActionSet& actions = main_.Actions();
    const bool debugItems = actions[Cmd::DebugInfos]->isVisible();
    if (choice.element && choice.element->Kind() == kind::Frame) {
        actions[Cmd::ShowOnlyUsed]->setChecked(static_cast<TObjectFrame*>(choice.element)->showOnlyUsed != 0);
    }
    main_.UpdateCommands();
    // Not modal: whatever happens while it is open (the document may even
    // close), the menu goes with its window.
    auto* popup = new TPopupMenu(choice, actions, debugItems, this);
    popup->popup(client_->mapToGlobal(QPoint(x, y)));
}

void TDocForm::LeaveSimulation() {
    if (!document_->simulationMode) return;
    // As "Edit Modus": the simulation button is released.
    main_.Actions()[Cmd::Simulation]->setChecked(false);
}

void TDocForm::SetStatusText(const std::string& text) {
    document_->status[0] = text;
    status_->SetText(0, QString::fromStdString(text));
}

void TDocForm::ReloadProperties() {
    if (TPropertyWindow* p = main_.Windows().properties) {
        if (document_->current) {
            p->Selected(document_->current);
        } else {
            p->Deselected();
        }
        p->RefreshValues();
    }
}

QRect TDocForm::WorldToClient(const TRect& r) const {
    const double s = TViewState::Scale();
    const TPoint o = document_->view.Origin();
    const auto px = [s](int v, int origin) { return int(std::lround((v - origin) / s)); };
    return QRect(QPoint(px(r.left, o.x), px(r.top, o.y)), QPoint(px(r.right, o.x), px(r.bottom, o.y)));
}

void TDocForm::WhenIdle(std::function<void(TDocForm&)> command) {
    QPointer<TDocForm> self(this);
    main_.Workspace().RunWhenIdle([self, command = std::move(command)] {
        if (self && self->Document().Root() && self->Main().IsOpen(self)) command(*self);
    });
}

// ---------------------------------------------------------------------------
// In-place editors

void TDocForm::OpenInPlaceEditor(const InPlaceEdit& edit) {
    if (edit.editor == InPlaceEdit::Editor::ResizeFrame) {
        auto* shape = static_cast<TObjekt*>(edit.element);
        resizedShape_ = shape;
        // The object makes room for its frame.
        shape->placed = 0;
        InvalidateWindow();
        shapeFrame_->ShowOver(WorldToClient(shape->bounds), shape->shapeKind == skRoundRect,
                              int(std::lround(shape->radius / TViewState::Scale())));
        return;
    }
    // A free label makes room for its editor.
    if (edit.label) {
        edit.label->visible = 0;
        InvalidateWindow();
    }
    editor_->Open(edit, WorldToClient(edit.world).topLeft(), TViewState::Scale());
}

void TDocForm::InPlaceAccepted() {
    if (!editor_->IsOpen()) return;
    const InPlaceEdit edit = editor_->Edit();
    const std::string text = editor_->Text();
    if (edit.label) edit.label->visible = 1;
    document_->BeginChange("Edit");
    const bool taken = ApplyInPlaceText(edit, text);
    if (taken) Modified();
    document_->EndChange();
    if (!taken) {
        // Refused: the user corrects the text.
        if (edit.label) edit.label->visible = 0;
        return;
    }
    editor_->Close();
    // A changed time, speed or weight takes effect in edit mode.
    if (edit.target == InPlaceEdit::Target::DelayOrSpeed || edit.target == InPlaceEdit::Target::Weight) {
        LeaveSimulation();
    }
    ReloadProperties();
    InvalidateWindow();
}

void TDocForm::InPlaceCancelled() {
    if (!editor_->IsOpen()) return;
    if (TSchriftObjekt* label = editor_->Edit().label) label->visible = 1;
    editor_->Close();
    ReloadProperties();
    InvalidateWindow();
}

void TDocForm::HideShape() {
    if (!shapeFrame_->isVisible()) return;
    shapeFrame_->hide();
    TGraphItem* shape = resizedShape_;
    resizedShape_ = nullptr;
    TNetList* net = document_->Net();
    if (!shape || !net || net->IndexOf(shape) >= net->Count()) return;
    static_cast<TObjekt*>(shape)->placed = 1;
    const QRect r = shapeFrame_->Rect();
    const TPoint a = ScreenToWorld(r.left(), r.top());
    const TPoint b = ScreenToWorld(r.right() + 1, r.bottom() + 1);
    if (TRect{a.x, a.y, b.x, b.y} != shape->bounds) {
        document_->BeginChange("Resize");
        shape->SetBounds({a.x, a.y, b.x, b.y});
        Modified();
        document_->EndChange();
    }
    InvalidateWindow();
}

// ---------------------------------------------------------------------------
// Commands

void TDocForm::NewPlaceClick() { main_.Actions()[Cmd::DPlaceTool]->trigger(); }
void TDocForm::NewTransitionClick() { main_.Actions()[Cmd::DTransTool]->trigger(); }
void TDocForm::NewArc1Click() { main_.Actions()[Cmd::ArcTool]->trigger(); }
void TDocForm::NewLabelClick() { main_.Actions()[Cmd::LabelTool]->trigger(); }
void TDocForm::NewObjectClick() { main_.Actions()[Cmd::ShapeTool]->trigger(); }

void TDocForm::KopierenClick() {
    // The picture of the selection goes to the system clipboard too.
    if (const auto picture = ErstelleMetaFile()) Platform().clipboard->SetMetafile(picture->data(), picture->size());
    commands_->Copy();
    main_.UpdateCommands();
}

void TDocForm::EinfuegenClick() {
    WhenIdle([](TDocForm& d) { d.commands_->Paste(); });
}

void TDocForm::DocPasteClick() {
    const TPoint at = gestures_->PopupWorld();
    WhenIdle([at](TDocForm& d) { d.commands_->PasteAt(at); });
}

void TDocForm::TransDuplicateClick() {
    WhenIdle([](TDocForm& d) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        d.commands_->Duplicate();
        d.RefreshPropertyList();
        QApplication::restoreOverrideCursor();
    });
}

void TDocForm::ItemsDeleteClick() {
    WhenIdle([](TDocForm& d) { d.commands_->Delete(); });
}

void TDocForm::allesmarkieren1Click() { commands_->SelectAll(); }

void TDocForm::UndoClick() {
    if (TDocForm* owner = OwnerForm()) {
        // The steps are the owner's.
        if (document_->MayEdit()) {
            owner->UndoClick();
        } else {
            SetStatusText(document_->RefusalText());
        }
        return;
    }
    WhenIdle([](TDocForm& d) { d.StepHistory(true); });
}

void TDocForm::RedoClick() {
    if (TDocForm* owner = OwnerForm()) {
        if (document_->MayEdit()) {
            owner->RedoClick();
        } else {
            SetStatusText(document_->RefusalText());
        }
        return;
    }
    WhenIdle([](TDocForm& d) { d.StepHistory(false); });
}

void TDocForm::StepHistory(bool back) {
    TPNObjekt* root = document_->Root();
    if (!root) return;
    std::vector<std::pair<QPointer<TDocForm>, std::optional<ObjectPath>>> windows;
    for (TDocForm* w : ObjectWindows()) {
        const TPNObjekt* shown = w->Document().Root();
        windows.emplace_back(w, shown ? PathOf(*root, *shown) : std::nullopt);
    }
    if (!(back ? document_->Undo() : document_->Redo())) return;
    NetReplaced();
    for (auto& [w, path] : windows) {
        if (!w || !path) continue;
        // A window whose object is gone closes (it was told so).
        if (TPNObjekt* object = ObjectAt(*root, *path)) w->Reattach(*object);
    }
}

void TDocForm::CloseEditors() {
    gestures_->Reset();
    InPlaceCancelled();
    HideShape();
}

void TDocForm::NetReplaced() {
    gestures_->Reset();
    editor_->Close();
    shapeFrame_->hide();
    resizedShape_ = nullptr;
    if (TPropertyWindow* p = main_.Windows().properties) {
        p->ForgetSelection();
        if (p->Net() == document_->Net()) p->SetNet(document_->Net(), &document_->Root()->Variables());
        p->RefreshList();
    }
    emit netReplaced();
    FormResize();
    InvalidateWindow();
    RefreshCaption();
    RefreshStatus();
    main_.UpdateCommands();
}

void TDocForm::ToFrontClick() {
    WhenIdle([](TDocForm& d) { d.commands_->ToFront(); });
}
void TDocForm::ToBackClick() {
    WhenIdle([](TDocForm& d) { d.commands_->ToBack(); });
}
void TDocForm::NamenClick() {
    WhenIdle([](TDocForm& d) { d.commands_->ArrangeLabel(); });
}
void TDocForm::AlignClick(Alignment a) {
    WhenIdle([a](TDocForm& d) { d.commands_->Align(a); });
}
void TDocForm::SizeClick(int sizeClass) {
    WhenIdle([sizeClass](TDocForm& d) { d.commands_->SetSizeClass(sizeClass); });
}
void TDocForm::TurnClick() {
    const TPoint at = gestures_->PopupWorld();
    WhenIdle([at](TDocForm& d) { d.commands_->Turn(at); });
}
void TDocForm::Richtungtauschen1Click() {
    WhenIdle([](TDocForm& d) { d.commands_->ChangeDirection(); });
}
void TDocForm::ArcTypeClick(std::uint8_t arcKind) {
    WhenIdle([arcKind](TDocForm& d) { d.commands_->SetArcKind(arcKind); });
}
void TDocForm::AllePunkteLschen1Click() {
    WhenIdle([](TDocForm& d) { d.commands_->DeleteAllPoints(); });
}
void TDocForm::PunktLschenClick() {
    const BendHit bend = gestures_->PopupBendHit();
    if (bend.kind != BendHit::Kind::Point) return;
    WhenIdle([index = bend.point](TDocForm& d) { d.commands_->DeletePoint(index); });
}
void TDocForm::allePltzeautomatischbezeichnen1Click() {
    WhenIdle([](TDocForm& d) { d.commands_->NamePlaces(); });
}
void TDocForm::alleTransitionenautomatischbezeichnen1Click() {
    WhenIdle([](TDocForm& d) { d.commands_->NameTransitions(); });
}
void TDocForm::alleObjekteautomatischbezeichnen1Click() {
    WhenIdle([](TDocForm& d) { d.commands_->NameObjects(); });
}
void TDocForm::ChangeSideClick() {
    WhenIdle([](TDocForm& d) { d.commands_->ChangeSide(); });
}
void TDocForm::BringUpClick() {
    WhenIdle([](TDocForm& d) { d.commands_->BringUp(); });
}
void TDocForm::BringDownClick() {
    WhenIdle([](TDocForm& d) { d.commands_->BringDown(); });
}
void TDocForm::ShowOnlyUsedClick(bool on) {
    WhenIdle([on](TDocForm& d) { d.commands_->SetShowOnlyUsed(on); });
}
void TDocForm::InitSizeClick() {
    WhenIdle([](TDocForm& d) { d.commands_->InitSize(); });
}

void TDocForm::ShowDiagramWindowClick() {
    TGraphItem* e = document_->current;
    TPlatz* place = nullptr;
    if (e && e->Kind() == kind::Place) {
        place = static_cast<TPlatz*>(e);
    } else if (e && e->Kind() == kind::Frame) {
        if (TInterfacePlace* ip = static_cast<TObjectFrame*>(e)->FirstSelectedInterfacePlace()) place = ip->innerPlace;
    }
    if (!place) return;
    if (auto* open = dynamic_cast<TOsziFenster*>(place->Diagram())) {
        open->show();
        open->raise();
        return;
    }
    // A window that plots, in place of a recorder that did not.
    auto window = std::make_unique<TOsziFenster>(*this, place);
    TOsziFenster* w = window.get();
    place->SetDiagram(std::move(window));
    place->UpdateOscilloscopeCaption();
    const TPoint pixel = gestures_->PopupPixel();
    const QPoint at(pixel.x, pixel.y);
    w->move(std::clamp(at.x(), 0, std::max(0, client_->width() - w->width())),
            std::clamp(at.y(), 0, std::max(0, client_->height() - w->height())));
    w->show();
    w->raise();
}

void TDocForm::EditierModusClick() {
    main_.ChooseTool(Cmd::SelectTool);
    LeaveSimulation();
}

void TDocForm::Schritt1Click() {
    if (TSimuPanel* panel = main_.Windows().simulation) panel->StepBtnClick();
}

void TDocForm::RuntoNextEvent1Click() {
    if (TSimuPanel* panel = main_.Windows().simulation) panel->RunToEventBtnClick();
}

void TDocForm::Initialisieren1Click() {
    if (TSimuPanel* panel = main_.Windows().simulation) panel->InitNet(*this, false);
}

void TDocForm::InitAll1Click() {
    if (TSimuPanel* panel = main_.Windows().simulation) panel->InitNet(*this, true);
}

// ---------------------------------------------------------------------------
// Windows onto objects

TDocForm* TDocForm::OwnerForm() const { return owner_.data(); }

std::vector<TDocForm*> TDocForm::ObjectWindows() const {
    std::vector<TDocForm*> windows;
    for (TDocForm* d : main_.Documents()) {
        if (d != this && d->Document().Owner() == document_.get()) windows.push_back(d);
    }
    return windows;
}

void TDocForm::CloseObjectWindows() {
    for (TDocForm* w : ObjectWindows()) {
        if (QMdiSubWindow* sub = w->SubWindow()) sub->close();
    }
}

void TDocForm::ObjectGone() {
    // What holds elements of the object lets go of them now.
    gestures_->Reset();
    editor_->Close();
    shapeFrame_->hide();
    resizedShape_ = nullptr;
    if (TNetList* net = document_->Net()) {
        if (TPropertyWindow* p = main_.Windows().properties; p && p->Net() == net) {
            p->ForgetSelection();
            p->SetNet(nullptr, nullptr);
        }
        if (TFormelEditor* f = main_.Windows().formulaEditor; f && f->Net() == net) f->SetNet(nullptr);
    }
    // The window closes, unless it is shown another object at once (the
    // owner's net was read anew).
    QPointer<TDocForm> self(this);
    QMetaObject::invokeMethod(
        this,
        [self] {
            if (!self || self->closed_ || self->document_->Root()) return;
            if (QMdiSubWindow* sub = self->SubWindow()) sub->close();
        },
        Qt::QueuedConnection);
}

void TDocForm::Reattach(TPNObjekt& object) {
    document_->Attach(object);
    FormResize();
    InvalidateWindow();
    RefreshCaption();
    RefreshStatus();
    if (main_.ActiveDocument() == this) main_.DocumentActivated(*this);
}

TObjectFrame* TDocForm::CurrentFrame() const {
    TGraphItem* e = document_->current;
    return e && e->Kind() == kind::Frame ? static_cast<TObjectFrame*>(e) : nullptr;
}

void TDocForm::OpenObject(TPNObjekt& object, bool editable) {
    // A view opens views only: what it shows is not kept in the document.
    main_.OpenObjectWindow(*this, object, editable && document_->editingEnabled);
}

void TDocForm::OpenInstancedObjectClick() {
    TObjectFrame* frame = CurrentFrame();
    if (!frame) return;
    // The frame of a class inside a derived class is viewed only: its net
    // is the class's file, not this document's.
    if (TPNObjekt* object = InstancedObjectOf(*frame)) OpenObject(*object, frame->inherited == 0);
}

void TDocForm::ViewInstancedObjectClick() {
    if (TObjectFrame* frame = CurrentFrame()) {
        if (TPNObjekt* object = InstancedObjectOf(*frame)) OpenObject(*object, false);
    }
}

void TDocForm::ViewParentObjectClick() {
    if (TObjectFrame* frame = CurrentFrame()) {
        if (TPNObjekt* base = ParentObjectOf(*frame)) OpenObject(*base, false);
    }
}

void TDocForm::OpenParentObjectClick() {
    TPNObjekt* root = document_->Root();
    if (!root) return;
    // Reading a class file sets what the engine reads: not under a run.
    WhenIdle([name = root->baseName](TDocForm& d) { d.main_.OpenClass(name); });
}

void TDocForm::ShowDocumentation(const DocumentationRequest& request) {
    TDocumentationWindow* window = main_.Windows().documentation;
    if (!window || !request.instance) return;
    // The dialog edits a copy; what it writes back is one step.
    std::vector<std::string> lines = *request.instance;
    DocumentationRequest shown = request;
    shown.instance = &lines;
    if (!window->ShowDocumentation(shown) || !main_.IsOpen(this) || !document_->MayEdit()) return;
    document_->BeginChange("Documentation");
    *request.instance = std::move(lines);
    Modified();
    document_->EndChange();
}

void TDocForm::EditDocumentationClick() {
    if (TObjectFrame* frame = CurrentFrame()) ShowDocumentation(EditDocumentationOf(*frame, document_->MayEdit()));
}

void TDocForm::ViewClassDocumentationClick() {
    if (TObjectFrame* frame = CurrentFrame()) ShowDocumentation(ViewClassDocumentationOf(*frame));
}

void TDocForm::EditClassDescriptionClick() {
    if (TPNObjekt* root = document_->Root()) ShowDocumentation(ClassDescriptionOf(*root, document_->MayEdit()));
}

void TDocForm::SetInitialValueClick() {
    TObjectFrame* frame = CurrentFrame();
    TCMIWindow* dialog = main_.Windows().initialMarking;
    if (!frame || !frame->FirstSelectedInterfacePlace() || !dialog) return;
    if (!document_->MayEdit()) {
        Platform().messages->Info(document_->RefusalText());
        return;
    }
    const std::string answer = dialog->Execute(frame->SelectedValueText());
    if (answer.empty()) return;
    WhenIdle([answer](TDocForm& d) { d.commands_->SetInitialValue(answer); });
}

// ---------------------------------------------------------------------------
// Classes dropped on the net

void TDocForm::FormDragOver(QDragMoveEvent* e) {
    if (e->mimeData() && e->mimeData()->hasFormat(QString::fromLatin1(kClassDragFormat)) &&
        commands_->MayPlaceClass()) {
        e->acceptProposedAction();
    } else {
        e->ignore();
    }
}

void TDocForm::FormDragDrop(QDropEvent* e) {
    const QString format = QString::fromLatin1(kClassDragFormat);
    if (!e->mimeData() || !e->mimeData()->hasFormat(format)) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
    const QByteArray name = e->mimeData()->data(format);
    const QPoint at = e->position().toPoint();
    PlaceClassAt(std::string(name.constData(), std::size_t(name.size())), at.x(), at.y());
}

void TDocForm::PlaceClassAt(const std::string& className, int x, int y) {
    ApplyViewMapping();
    const TPoint world = ScreenToWorld(x, y);
    WhenIdle([className, world](TDocForm& d) { d.commands_->PlaceClass(className, world); });
}

} // namespace qz::ui
