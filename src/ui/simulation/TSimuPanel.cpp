#include "simulation/TSimuPanel.h"

#include <QAction>
#include <QFontMetrics>
#include <algorithm>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "workspace/TActionSet.h"
#include "workspace/MainFrame.h"
#include "workspace/TAppWindows.h"
#include "workspace/Workspace.h"
#include "editor/TDocForm.h"
#include "editor/TPropertyWindow.h"
#include "model/TEdge.h"
#include "model/TPNObjekt.h"
#include "platform/QtTokenSprites.h"
#include "platform/QtWindowSurface.h"
#include "platform/Services.h"
#include "settings/ProgramSettings.h"
#include "settings/TOptionsWindow.h"
#include "simulation/ArcAnimation.h"
#include "simulation/SimulationSession.h"
#include "widgets/ControlNames.h"
#include "widgets/Pictures.h"
#include "widgets/TStatusPanels.h"
#include "widgets/TypedTextFilter.h"
#include "widgets/WindowAccessibility.h"

namespace qz::ui {

namespace {

QToolButton* SpeedButton(QWidget* parent, const char* objectName, const QString& caption) {
    auto* b = Named(new QToolButton(parent), objectName, caption);
    b->setText(caption);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return b;
}

QCheckBox* CheckBox(QWidget* parent, const char* objectName, const QString& caption, bool checked) {
    auto* c = Named(new QCheckBox(caption, parent), objectName, caption);
    c->setChecked(checked);
    return c;
}

void SetBold(QWidget* w, bool bold) {
    QFont f = w->font();
    if (f.bold() == bold) return;
    f.setBold(bold);
    w->setFont(f);
}

void SetCaption(QToolButton* b, const std::string& caption) {
    const QString text = Q(caption);
    if (b->text() == text) return;
    b->setText(text);
    b->setAccessibleName(text);
}

} // namespace

void ReportError(const std::exception& e) { Platform().messages->Error(e.what()); }

TSimuPanel::TSimuPanel(MainFrame& main, QWidget* parent)
    // No border icons: the panel lives as long as the session, and the
    // simulation switch ends both.
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      main_(main),
      workspace_(main.Workspace()) {
    ExposeToolWindowsAsWindows();
    setObjectName(QStringLiteral("TSimuPanel"));
    setWindowTitle(QStringLiteral("Simulation"));
    setAccessibleName(windowTitle());
    BuildControls();

    TSimulationSession& s = Session();
    // Ticks of the session's timer come here, so that the panel shows each
    // step.
    s.simulationTimer->onTick = [this] { SimulationTimerTick(); };
    ShowState();
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

TSimuPanel::~TSimuPanel() {
    TSimulationSession& s = Session();
    s.simulationTimer->onTick = [&s] { s.SimulationTimerTimer(); };
    s.engine.view = {};
    s.showStatistics = nullptr;
}

TSimulationSession& TSimuPanel::Session() const { return workspace_.Session(); }

void TSimuPanel::BuildControls() {
    pages_ = Named(new QTabWidget(this), "PageControl", QStringLiteral("Pages"));

    auto* manager = Named(new QWidget(pages_), "Manager", QStringLiteral("Panel"));
    stepBtn_ = SpeedButton(manager, "StepBtn", QStringLiteral("> Step"));
    stopBtn_ = SpeedButton(manager, "StopBtn", QStringLiteral("Stop"));
    runToEventBtn_ = SpeedButton(manager, "RunToEventBtn", QStringLiteral("Run to Event"));
    runBtn_ = SpeedButton(manager, "RunBtn", QStringLiteral(">> Run"));
    speedBar_ = Named(new QSlider(Qt::Horizontal, manager), "SpeedBar", QStringLiteral("Step interval"));
    speedBar_->setRange(1, 1000);
    speedBar_->setTickInterval(100);
    speedBar_->setTickPosition(QSlider::TicksBelow);
    speedBar_->setPageStep(100);
    highSpeed_ = CheckBox(manager, "HighSpeedCheckBox", QStringLiteral("Max Speed"), false);
    statistic_ = CheckBox(manager, "StatisticCheckBox", QStringLiteral("Evaluation"), false);
    auto* grid = new QGridLayout(manager);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(2);
    grid->addWidget(stepBtn_, 0, 0);
    grid->addWidget(stopBtn_, 0, 1);
    grid->addWidget(runToEventBtn_, 1, 0);
    grid->addWidget(runBtn_, 1, 1);
    grid->addWidget(speedBar_, 2, 0, 1, 2);
    grid->addWidget(highSpeed_, 3, 0);
    grid->addWidget(statistic_, 3, 1);
    pages_->addTab(manager, QStringLiteral("Panel"));

    auto* properties = Named(new QWidget(pages_), "Properties", QStringLiteral("Properties"));
    showAnimations_ = CheckBox(properties, "ShowAnimationsCheckBox", QStringLiteral("Show Animations"), true);
    showTime_ = CheckBox(properties, "ShowTimeCheckBox", QStringLiteral("Show Time"), true);
    logFile_ = CheckBox(properties, "LogFileCheckBox", QStringLiteral("create log file"), false);
    zeitCheck_ = CheckBox(properties, "ZeitCheck", QStringLiteral("Automatic Stop after"), true);
    stopZeit_ = Named(new QLineEdit(QStringLiteral("2000"), properties), "StopZeitEdit", QStringLiteral("Stop time"));
    stopZeit_->setValidator(TypedTextFilter::Decimal(stopZeit_));
    auto* seconds = Named(new QLabel(QStringLiteral("Seconds"), properties), "SecondsLabel", QStringLiteral("Seconds"));
    auto* props = new QGridLayout(properties);
    props->setContentsMargins(4, 4, 4, 4);
    props->setSpacing(2);
    props->addWidget(showAnimations_, 0, 0, 1, 2);
    props->addWidget(showTime_, 1, 0, 1, 2);
    props->addWidget(logFile_, 2, 0, 1, 2);
    props->addWidget(zeitCheck_, 3, 0, 1, 2);
    props->addWidget(stopZeit_, 4, 0);
    props->addWidget(seconds, 4, 1);
    pages_->addTab(properties, QStringLiteral("Properties"));

    auto* extras = Named(new QWidget(pages_), "Extras", QStringLiteral("Extras"));
    auto* show = Named(new QGroupBox(QStringLiteral(" Show  "), extras), "ShowGroup", QStringLiteral("Show"));
    showDis_ = SpeedButton(show, "ShowDisBtn", QStringLiteral("Enabled D-Trans."));
    showKon_ = SpeedButton(show, "ShowKonBtn", QStringLiteral("Enabled C-Trans."));
    speedy_ = SpeedButton(show, "Speedy", QStringLiteral("Conflict Groups"));
    auto* showLayout = new QVBoxLayout(show);
    showLayout->setContentsMargins(4, 4, 4, 4);
    showLayout->setSpacing(2);
    for (QWidget* w : {showDis_, showKon_, speedy_}) showLayout->addWidget(w);
    auto* extrasLayout = new QVBoxLayout(extras);
    extrasLayout->setContentsMargins(4, 4, 4, 4);
    extrasLayout->addWidget(show);
    pages_->addTab(extras, QStringLiteral("Extras"));

    // Panels of 60 and 70 pixels, or as wide as their longest texts in this
    // font.
    const QFontMetrics metrics(font());
    status_ = new TStatusPanels(QStringLiteral("StatusBar"),
                                {std::max(60, metrics.horizontalAdvance(QStringLiteral("Running...")) + 8),
                                 std::max(70, metrics.horizontalAdvance(QStringLiteral("Time : 0,00000000")) + 8)},
                                this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(pages_);
    layout->addWidget(status_);

    connect(stepBtn_, &QToolButton::clicked, this, [this] { StepBtnClick(); });
    connect(stopBtn_, &QToolButton::clicked, this, [this] { StopBtnClick(); });
    connect(runToEventBtn_, &QToolButton::clicked, this, [this] { RunToEventBtnClick(); });
    connect(runBtn_, &QToolButton::clicked, this, [this] { RunBtnClick(); });
    connect(showDis_, &QToolButton::clicked, this, [this] { ShowDisBtnClick(); });
    connect(showKon_, &QToolButton::clicked, this, [this] { ShowKonBtnClick(); });
    connect(speedy_, &QToolButton::clicked, this, [this] { SpeedyClick(); });
    connect(speedBar_, &QSlider::valueChanged, this, [this](int p) { SpeedBarChange(p); });
    connect(highSpeed_, &QCheckBox::toggled, this, [this](bool on) { HighSpeedCheckBoxClick(on); });
    connect(showAnimations_, &QCheckBox::toggled, this, [this](bool on) { ShowAnimationsCheckBoxClick(on); });
    connect(statistic_, &QCheckBox::toggled, this, [this](bool on) { Session().evaluation = on; });
    connect(showTime_, &QCheckBox::toggled, this, [this](bool on) { Session().showTime = on; });
    connect(logFile_, &QCheckBox::toggled, this, [this](bool on) { Session().logFile = on; });
    connect(zeitCheck_, &QCheckBox::toggled, this, [this](bool on) { Session().automaticStop = on; });
    connect(stopZeit_, &QLineEdit::textEdited, this, [this](const QString& t) { StopZeitEditChange(t); });
    connect(status_, &TStatusPanels::clicked, this, [this] { StatusBarClick(); });
}

TDocForm* TSimuPanel::Document() const { return form_.data(); }

QString TSimuPanel::StatusText(int panel) const { return status_->Text(panel); }

void TSimuPanel::ShowState() {
    // A run about to begin keeps the controls it set.
    if (runPending_) return;
    const TSimulationSession& s = Session();
    const bool looping = workspace_.EngineLoopRunning();
    setWindowTitle(Q(s.caption));
    SetBold(runBtn_, s.runBold);
    SetBold(runToEventBtn_, s.runToEventBold);
    SetBold(stopBtn_, s.stopBold);
    // A maximum-speed loop takes no second run or step until it ends.
    for (QToolButton* b : {stepBtn_, runBtn_, runToEventBtn_}) b->setEnabled(!looping);
    status_->SetText(0, Q(s.status0));
    status_->SetText(1, Q(s.status1));
    SetCaption(showDis_, s.showDisCaption);
    SetCaption(showKon_, s.showKonCaption);
    const auto set = [](QCheckBox* c, bool checked, bool enabled = true) {
        const QSignalBlocker block(c);
        c->setChecked(checked);
        c->setEnabled(enabled);
    };
    set(highSpeed_, s.engine.maxSpeed, s.maxSpeedEnabled);
    set(statistic_, s.evaluation, s.evaluationEnabled);
    set(showAnimations_, s.engine.showAnimations);
    set(showTime_, s.showTime);
    set(logFile_, s.logFile);
    set(zeitCheck_, s.automaticStop);
    if (stopZeit_->text() != Q(s.stopTimeText)) stopZeit_->setText(Q(s.stopTimeText));
    const QSignalBlocker block(speedBar_);
    speedBar_->setValue(s.speedBarPosition);
}

// ---------------------------------------------------------------------------
// The session's document

void TSimuPanel::StartPanel(TDocForm& form) {
    form_ = &form;
    inverted_.clear();
    BindView(form);
    Session().showStatistics = [this](const RunStatistics& statistics) {
        if (TOptionsWindow* options = main_.Windows().options) options->ShowPerformance(statistics);
    };
    // Every open document shows the markings.
    for (TDocForm* d : main_.Documents()) d->SetShowValues(true);
    main_.SetShowValuesButton(true);
    pages_->setCurrentIndex(0);
    ShowState();
    show();
    raise();
}

void TSimuPanel::StopPanel() {
    if (form_) {
        form_->Document().status[3].clear();
        form_->RefreshStatus();
        form_->InvalidateWindow();
    }
    Session().engine.view = {};
    form_ = nullptr;
    inverted_.clear();
    hide();
}

void TSimuPanel::BindView(TDocForm& form) {
    QPointer<TDocForm> f(&form);
    SimulationView& v = Session().engine.view;
    v.refreshViewMapping = [f] {
        if (f && f->Document().Net()) f->ApplyViewMapping();
    };
    v.redrawNet = [this, f] {
        if (f) RedrawNet(*f);
    };
    // The surface draws the whole net again at the next paint; that also
    // takes the flow animation off the arcs.
    v.redrawArcs = [f] {
        if (f) f->InvalidateWindow();
    };
    v.refreshPropertyList = [this] {
        if (TPropertyWindow* p = main_.Windows().properties) p->RefreshValues();
    };
    v.animateTokens = [this, f](const TokenAnimation& plan) {
        if (f && Settings().animateDiscrete) AnimateTokens(*f, plan);
    };
    v.drawFlowingArcs = [this, f](const std::vector<FlowArc>& arcs) {
        if (f) DrawFlows(*f, arcs);
    };
}

void TSimuPanel::AnimateTokens(TDocForm& form, const TokenAnimation& plan) {
    form.ApplyViewMapping();
    // The tokens travel over the net as it is now.
    if (form.WindowSurface().Dirty()) form.FormPaint();
    QtTokenSprites sprites(form.WindowSurface(), [&form] { form.RepaintNow(); });
    PlayTokenAnimation(plan, sprites, *Platform().clock);
}

void TSimuPanel::DrawFlows(TDocForm& form, const std::vector<FlowArc>& arcs) {
    if (arcs.empty() || !form.Document().Net()) return;
    form.ApplyViewMapping();
    QtWindowSurface& surface = form.WindowSurface();
    if (surface.Dirty()) form.FormPaint();
    for (const FlowArc& a : arcs) {
        bool& inverted = inverted_[a.arc];
        inverted = a.first ? false : !inverted;
        DrawFlow(*a.arc, inverted);
    }
    surface.Drawn();
}

void TSimuPanel::DrawFlow(TEdge& arc, bool inverted) {
    // Each drawing starts from the plain arc, so a repaint between two ticks
    // does not turn the blinking around.
    arc.Draw();
    DrawFlowingArc(arc, true);
    if (inverted) DrawFlowingArc(arc, false);
}

void TSimuPanel::RedrawNet(TDocForm& form) {
    TSimulationSession& s = Session();
    if (!s.animationTimer->Enabled() || inverted_.empty() || !form.Document().Net()) {
        form.InvalidateWindow();
        return;
    }
    // The net drawn now, with the flowing arcs as the animation last showed
    // them: they keep blinking across the steps of a run.
    form.ApplyViewMapping();
    form.FormPaint();
    for (TEdge* arc : s.engine.FlowingArcs()) {
        const auto it = inverted_.find(arc);
        if (it != inverted_.end()) DrawFlow(*arc, it->second);
    }
    form.WindowSurface().Drawn();
}

void TSimuPanel::Redraw() {
    if (form_) form_->InvalidateWindow();
}

// ---------------------------------------------------------------------------
// Buttons

void TSimuPanel::ChooseSelectTool() {
    main_.Actions()[Cmd::SelectTool]->setChecked(true);
    main_.ChooseTool(Cmd::SelectTool);
}

void TSimuPanel::StepBtnClick() {
    ChooseSelectTool();
    if (workspace_.EngineLoopRunning()) return;
    try {
        Session().StepBtnClick();
    } catch (const std::exception& e) {
        ShowState();
        ReportError(e);
    }
    ShowState();
}

void TSimuPanel::RunBtnClick() { Run(false); }

void TSimuPanel::RunToEventBtnClick() { Run(true); }

void TSimuPanel::Run(bool toEvent) {
    ChooseSelectTool();
    TWorkspace& workspace = workspace_;
    TSimulationSession& s = Session();
    if (!s.Active() || workspace.EngineLoopRunning() || runPending_) return;
    if (!s.engine.maxSpeed) {
        // The simulation timer takes over.
        if (toEvent) {
            s.RunToEventBtnClick();
        } else {
            s.RunBtnClick();
        }
        ShowState();
        return;
    }
    SetBold(toEvent ? runToEventBtn_ : runBtn_, true);
    SetBold(stopBtn_, false);
    for (QToolButton* b : {stepBtn_, runBtn_, runToEventBtn_}) b->setEnabled(false);
    status_->SetText(0, QStringLiteral("Running..."));
    // The loop begins from the event queue, so that the click (or a screen
    // reader's press) is answered before the run.
    runPending_ = true;
    QMetaObject::invokeMethod(this, [this, toEvent] { RunLoop(toEvent); }, Qt::QueuedConnection);
}

void TSimuPanel::RunLoop(bool toEvent) {
    if (!runPending_) return; // stopped before it began
    runPending_ = false;
    TWorkspace& workspace = workspace_;
    TSimulationSession& s = Session();
    // The session ended or "Max Speed" was unchecked in between.
    if (!s.Active() || workspace.EngineLoopRunning() || !s.engine.maxSpeed) {
        ShowState();
        return;
    }
    // The loop lets window messages run between its steps: commands that
    // would change or close the net wait until it has ended.
    workspace.LoopStarted();
    try {
        if (toEvent) {
            s.RunToEventBtnClick();
        } else {
            s.RunBtnClick();
        }
        // "Max Speed" unchecked during the run ends the loop without Stop:
        // the run is over all the same.
        if (s.Active() && (s.runBold || s.runToEventBold)) s.StopBtnClick();
    } catch (const std::exception& e) {
        ShowState();
        ReportError(e);
    }
    ShowState();
    workspace.LoopEnded();
    ShowState();
}

void TSimuPanel::closeEvent(QCloseEvent* e) {
    // A window manager's close (Alt+F4) would hide the panel while the
    // session goes on, with nothing to show it again.
    if (workspace_.Session().Active()) {
        e->ignore();
        return;
    }
    QWidget::closeEvent(e);
}

void TSimuPanel::StopBtnClick() {
    ChooseSelectTool();
    runPending_ = false;
    Session().StopBtnClick();
    ShowState();
}

void TSimuPanel::Display(void (*button)(TSimulationSession&)) {
    ChooseSelectTool();
    try {
        button(Session());
    } catch (const std::exception& e) {
        // A weight formula that fails to evaluate.
        ReportError(e);
    }
    Redraw();
    ShowState();
}

void TSimuPanel::ShowDisBtnClick() {
    Display([](TSimulationSession& s) { s.ShowDisBtnClick(); });
}

void TSimuPanel::ShowKonBtnClick() {
    Display([](TSimulationSession& s) {
        // The fire flags of a running maximum-speed loop reach the
        // transitions first.
        s.engine.PublishWorkingFields();
        s.ShowKonBtnClick();
    });
}

void TSimuPanel::SpeedyClick() {
    Display([](TSimulationSession& s) { s.SpeedyClick(); });
}

void TSimuPanel::SpeedBarChange(int position) { Session().SpeedBarChange(position); }

void TSimuPanel::HighSpeedCheckBoxClick(bool checked) {
    Session().HighSpeedCheckBoxClick(checked);
    ShowState();
}

void TSimuPanel::ShowAnimationsCheckBoxClick(bool checked) {
    Session().ShowAnimationsCheckBoxClick(checked);
    if (TOptionsWindow* options = main_.Windows().options) options->ShowSettings();
    ShowState();
}

void TSimuPanel::StopZeitEditChange(const QString& text) { Session().StopZeitEditChange(text.toStdString()); }

void TSimuPanel::StatusBarClick() {
    Session().StatusBarClick();
    ShowState();
}

void TSimuPanel::SimulationTimerTick() {
    // Qt delivers no tick of a timer while its last tick still runs (shows a
    // message, for example), so ticks never overlap a step.
    Session().SimulationTimerTimer();
    ShowState();
}

// ---------------------------------------------------------------------------
// Init Net

void TSimuPanel::InitNet(TDocForm& form, bool clearDiagrams) {
    QPointer<TDocForm> f(&form);
    workspace_.RunWhenIdle([this, f, clearDiagrams] {
        if (!f || !f->Document().Root()) return;
        TSimulationSession& s = Session();
        const std::string shown = s.status1;
        s.InitNet(*f->Document().Root(), clearDiagrams);
        // The panel's time is that of the simulated document.
        if (s.Active() && s.engine.Root() != f->Document().Root()) s.status1 = shown;
        f->InvalidateWindow();
        ShowState();
    });
}

} // namespace qz::ui
