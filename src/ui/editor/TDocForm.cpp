#include "editor/TDocForm.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "NetPicture.h"
#include "app/TMainWindow.h"
#include "app/Workspace.h"
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

    // A new document window starts at 1:1 for every document.
    TViewState::SetScale(1.0);
    document_ = std::make_unique<TDocument>(main_.Workspace(), surface_.get());
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
    emit viewChanged();
}

void TDocForm::InvalidateWindow() {
    surface_->SetDirty(true);
    client_->update();
}

void TDocForm::ApplyViewMapping() {
    surface_->Resize(client_->size(), client_->devicePixelRatioF());
    surface_->WindowCanvas().SetMapping(document_->view.Mapping(client_->width(), client_->height()));
}

void TDocForm::DrawGrid() {
    const int g = Settings().gridSize;
    const GridDots dots = GridDotsOf(document_->view, g);
    if (dots.lastColumn < dots.firstColumn || dots.lastRow < dots.firstRow) return;
    // Single device pixels at the world points of the grid, at every zoom.
    QPainter& p = surface_->Painter();
    p.save();
    p.resetTransform();
    p.setWindow(QRect(QPoint(0, 0), surface_->LogicalSize()));
    p.setViewport(QRect(QPoint(0, 0), surface_->LogicalSize()));
    p.setPen(QPen(QColor(0x80, 0x80, 0x80), 0));
    const double s = TViewState::Scale();
    const TPoint o = document_->view.Origin();
    QVector<QPointF> points;
    for (int i = dots.firstRow; i <= dots.lastRow; ++i) {
        const double y = (double(g) * i - o.y) / s;
        for (int j = dots.firstColumn; j <= dots.lastColumn; ++j) points << QPointF((double(g) * j - o.x) / s, y);
    }
    p.drawPoints(points);
    p.restore();
}

void TDocForm::FormPaint() {
    TNetList* net = document_->Net();
    if (!net) return;
    FormResize();
    ApplyViewMapping();
    QPainter& p = surface_->Painter();
    p.save();
    p.resetTransform();
    p.setWindow(QRect(QPoint(0, 0), surface_->LogicalSize()));
    p.setViewport(QRect(QPoint(0, 0), surface_->LogicalSize()));
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.fillRect(QRect(QPoint(0, 0), surface_->LogicalSize()), Qt::white);
    p.restore();
    surface_->WindowCanvas().SetMapping(surface_->WindowCanvas().Mapping());
    if (Settings().gridVisible) DrawGrid();
    net->DrawAll();
    TPNObjekt* root = document_->Root();
    document_->status[4] = ElementsText(net->Count(), root->TotalElementCount());
    status_->SetText(4, QString::fromStdString(document_->status[4]));
    if (!document_->topLevel) root->Frame().Draw();
    surface_->SetDirty(false);
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

void TDocForm::PN_ExportClick() {
    TNetList* net = document_->Net();
    if (!net) return;
    const std::optional<std::string> path = Platform().dialogs->SaveFileName("", "*.wmf", kExportFilter);
    if (!path) return;
    std::string error;
    const render::ViewGeometry view{TViewState::Scale(), client_->width(), client_->height()};
    if (!render::ErstelleMetaFile(*net, view, *path, &error)) {
        Platform().messages->Error(SaveFailedText(*path, error.empty() ? "unknown error" : error));
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

void TDocForm::DrawRubberBand(const QRect& r, bool line) {
    // An inverted dotted figure: drawn twice it vanishes.
    QPainter& p = surface_->Painter();
    p.save();
    p.resetTransform();
    p.setWindow(QRect(QPoint(0, 0), surface_->LogicalSize()));
    p.setViewport(QRect(QPoint(0, 0), surface_->LogicalSize()));
    p.setCompositionMode(QPainter::RasterOp_NotDestination);
    p.setPen(QPen(Qt::black, 0, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    if (line) {
        p.drawLine(r.topLeft(), r.bottomRight());
    } else {
        p.drawRect(r.normalized());
    }
    p.restore();
    surface_->Drawn();
}

void TDocForm::FormMouseDown(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !document_->Net()) return;
    const QPoint at = e->position().toPoint();
    switch (tool_) {
    case 13:
    case 14:
        document_->view.ZoomAt(tool_ == 13, at.x(), at.y());
        main_.ZoomChanged(*this);
        break;
    case 11:
    case 15:
        document_->Net()->DeselectAll();
        rubberBand_ = true;
        bandDrawn_ = false;
        pressPoint_ = lastPoint_ = at;
        break;
    default: break;
    }
}

void TDocForm::FormMouseMove(QMouseEvent* e) {
    if (!rubberBand_) return;
    const QPoint at = e->position().toPoint();
    const bool line = tool_ == 11;
    if (bandDrawn_) DrawRubberBand(QRect(pressPoint_, lastPoint_), line);
    DrawRubberBand(QRect(pressPoint_, at), line);
    bandDrawn_ = true;
    lastPoint_ = at;
}

void TDocForm::FormMouseUp(QMouseEvent* e) {
    if (!rubberBand_) return;
    rubberBand_ = false;
    if (bandDrawn_) DrawRubberBand(QRect(pressPoint_, lastPoint_), tool_ == 11);
    bandDrawn_ = false;
    const QPoint at = e->position().toPoint();
    if (tool_ == 11) {
        document_->view.Hand(pressPoint_.x(), pressPoint_.y(), at.x(), at.y());
        SyncScrollBars();
        InvalidateWindow();
        emit viewChanged();
    } else if (tool_ == 15) {
        if (document_->view.ZoomArea({pressPoint_.x(), pressPoint_.y(), at.x(), at.y()})) {
            main_.ZoomChanged(*this);
        }
    }
}

bool TDocForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched != client_) return QWidget::eventFilter(watched, e);
    switch (e->type()) {
    case QEvent::Paint: {
        if (surface_->Resize(client_->size(), client_->devicePixelRatioF()) || surface_->Dirty()) FormPaint();
        QPainter p(client_);
        surface_->Present(p);
        return true;
    }
    case QEvent::Resize:
        FormResize();
        InvalidateWindow();
        return false;
    case QEvent::MouseButtonPress: FormMouseDown(static_cast<QMouseEvent*>(e)); return true;
    case QEvent::MouseMove: FormMouseMove(static_cast<QMouseEvent*>(e)); return true;
    case QEvent::MouseButtonRelease: FormMouseUp(static_cast<QMouseEvent*>(e)); return true;
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
