#include "settings/TOptionsWindow.h"

#include <QCheckBox>
#include <algorithm>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QScreen>
#include <QTabBar>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "workspace/MainFrame.h"
#include "workspace/TAppWindows.h"
#include "workspace/Workspace.h"
#include "common/NumberFormat.h"
#include "editor/TDocForm.h"
#include "model/TPNObjekt.h"
#include "platform/Services.h"
#include "settings/ConfigFile.h"
#include "settings/DebugTables.h"
#include "settings/RemarkLists.h"
#include "settings/SampleTime.h"
#include "simulation/SimulationSession.h"
#include "widgets/ControlNames.h"
#include "widgets/TypedTextFilter.h"
#include "widgets/WindowAccessibility.h"

namespace qz::ui {

namespace {

// The enhanced firing rule of continuous transitions belongs to the
// document (its file holds it); a session running on the document takes the
// change.
bool EnhancedRuleOf(const TPNObjekt& root) { return root.enhancedFiringRule != 0; }
void SetEnhancedRule(TPNObjekt& root, TSimulationSession& session, bool on) {
    root.enhancedFiringRule = on ? 1 : 0;
    if (session.engine.Root() == &root) session.engine.SetEnhancedRule(on);
}

enum Page { kRepresentation, kSimulation, kPerformance, kShortRemarks, kLongRemarks, kDebug };

template <class B>
B* Captioned(QWidget* parent, const char* objectName, const QString& caption) {
    return Named(new B(caption, parent), objectName, caption);
}

std::vector<std::string> Lines(const QPlainTextEdit* memo) {
    std::vector<std::string> lines;
    const QString text = memo->toPlainText();
    if (text.isEmpty()) return lines;
    for (const QString& line : text.split(QLatin1Char('\n'))) lines.push_back(line.toStdString());
    return lines;
}

void ShowLines(QPlainTextEdit* memo, const std::vector<std::string>& lines) {
    QStringList text;
    for (const std::string& line : lines) text << Q(line);
    memo->setPlainText(text.join(QLatin1Char('\n')));
}

} // namespace

TOptionsWindow::TOptionsWindow(QWidget* parent) : QWidget(parent, Qt::Tool) {
    ExposeToolWindowsAsWindows();
    setObjectName(QStringLiteral("TOptionsWindow"));
    setWindowTitle(QStringLiteral("Options"));
    setAccessibleName(windowTitle());
    LoadConfig();

    pages_ = Named(new QTabWidget(this), "PageControl", QStringLiteral("Pages"));
    apply_ = Captioned<QPushButton>(this, "ApplyBtn", QStringLiteral("Apply"));
    BuildRepresentationPage();
    BuildSimulationPage();
    BuildPerformancePage();
    BuildRemarkPages();
    BuildDebugPage();

    auto* close = Captioned<QPushButton>(this, "CloseBtn", QStringLiteral("Close"));
    auto* cancel = Captioned<QPushButton>(this, "CancelBtn", QStringLiteral("Cancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addLayout(buttons);

    connect(apply_, &QPushButton::clicked, this, [this] { ApplyBtnClick(); });
    connect(close, &QPushButton::clicked, this, [this] { CloseBtnClick(); });
    connect(cancel, &QPushButton::clicked, this, [this] { CancelBtnClick(); });
    connect(pages_, &QTabWidget::currentChanged, this, [this](int i) { PageChanged(i); });

    ShowSettings();
    timeUnit_->setCurrentIndex(1);
    pages_->setCurrentIndex(kRepresentation);
    PageChanged(kRepresentation);
    // Wide enough for every page's tab; the debug page shows on request.
    const int tabs = pages_->tabBar()->sizeHint().width();
    pages_->setTabVisible(kDebug, false);
    adjustSize();
    resize(std::max(width(), tabs + 40), std::max(height(), 380));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void TOptionsWindow::BuildRepresentationPage() {
    auto* page = Named(new QWidget(pages_), "Representation", QStringLiteral("Representation"));
    auto* moving = Captioned<QGroupBox>(page, "DetailGroup", QStringLiteral("Grad of Details During Moving"));
    detail_ = Captioned<QRadioButton>(moving, "DetailRadioButton", QStringLiteral("Detail"));
    quick_ = Captioned<QRadioButton>(moving, "SchnellRadioButton", QStringLiteral("Quick"));
    automatic_ = Captioned<QRadioButton>(moving, "AutoRadioButton", QStringLiteral("Automatic"));
    auto* movingLayout = new QVBoxLayout(moving);
    for (QRadioButton* r : {detail_, quick_, automatic_}) movingLayout->addWidget(r);
    alignToGrid_ = Captioned<QCheckBox>(page, "RasterCheckBox", QStringLiteral("Align to Grid"));
    gridVisible_ = Captioned<QCheckBox>(page, "RasterVisibleCheckBox", QStringLiteral("Grid Visible"));
    gridBar_ = Named(new QSlider(Qt::Horizontal, page), "RasterTrackBar", QStringLiteral("Grid size"));
    gridBar_->setRange(kGridSizeMin, kGridSizeMax);
    gridBar_->setTickPosition(QSlider::TicksBelow);
    gridBar_->setTickInterval(4);
    gridEdit_ = Named(new QLineEdit(page), "RasterEdit", QStringLiteral("Points"));
    gridEdit_->setValidator(TypedTextFilter::Digits(gridEdit_));
    gridEdit_->setMaximumWidth(60);
    auto* points = Named(new QLabel(QStringLiteral("Points"), page), "PointsLabel", QStringLiteral("Points"));

    auto* grid = new QGridLayout(page);
    grid->addWidget(moving, 0, 0, 1, 3);
    grid->addWidget(alignToGrid_, 1, 0, 1, 3);
    grid->addWidget(gridVisible_, 2, 0, 1, 3);
    grid->addWidget(gridBar_, 3, 0);
    grid->addWidget(gridEdit_, 3, 1);
    grid->addWidget(points, 3, 2);
    grid->setRowStretch(4, 1);
    applyRows_[0] = new QHBoxLayout;
    applyRows_[0]->addStretch(1);
    grid->addLayout(applyRows_[0], 5, 0, 1, 3);
    pages_->addTab(page, QStringLiteral("Representation"));

    const auto moved = [](MovingDetail d) {
        return [d](bool on) {
            if (on) Settings().movingDetail = d;
        };
    };
    connect(detail_, &QRadioButton::toggled, this, moved(MovingDetail::Detail));
    connect(quick_, &QRadioButton::toggled, this, moved(MovingDetail::Quick));
    connect(automatic_, &QRadioButton::toggled, this, moved(MovingDetail::Automatic));
    connect(alignToGrid_, &QCheckBox::toggled, this, [](bool on) { Settings().alignToGrid = on; });
    connect(gridVisible_, &QCheckBox::toggled, this, [](bool on) { Settings().gridVisible = on; });
    connect(gridBar_, &QSlider::valueChanged, this, [this](int p) { RasterTrackBarChange(p); });
    connect(gridEdit_, &QLineEdit::returnPressed, this, [this] { RasterEditReturn(); });
}

void TOptionsWindow::BuildSimulationPage() {
    auto* page = Named(new QWidget(pages_), "Simulation", QStringLiteral("Simulation"));
    animateContinuous_ = Captioned<QCheckBox>(page, "animierenContinuous",
                                              QStringLiteral("Animate Continuous Arcs During Simulation"));
    animateDiscrete_ = Captioned<QCheckBox>(page, "animierendiskret",
                                            QStringLiteral("Animate Discrete Arcs During Simulation"));
    auto* label = Named(new QLabel(QStringLiteral("Sample Time:"), page), "TastZeitLabel",
                        QStringLiteral("Sample Time:"));
    sampleTime_ = Named(new QLineEdit(Q(kDefaultSampleTimeText), page), "TastZeitEdit", QStringLiteral("Sample Time:"));
    sampleTime_->setValidator(TypedTextFilter::Decimal(sampleTime_));
    label->setBuddy(sampleTime_);
    timeUnit_ = Named(new QComboBox(page), "ZeitEinheitCombo", QStringLiteral("Time unit"));
    timeUnit_->addItems({QStringLiteral("Seconds"), QStringLiteral("Milliseconds")});
    enhancedRule_ = Captioned<QCheckBox>(page, "ZeroBasedCheckBox",
                                         QStringLiteral("Enhanced firing rule of continuous transitions"));
    auto* grid = new QGridLayout(page);
    grid->addWidget(animateContinuous_, 0, 0, 1, 3);
    grid->addWidget(animateDiscrete_, 1, 0, 1, 3);
    grid->addWidget(label, 2, 0);
    grid->addWidget(sampleTime_, 2, 1);
    grid->addWidget(timeUnit_, 2, 2);
    grid->addWidget(enhancedRule_, 3, 0, 1, 3);
    grid->setRowStretch(4, 1);
    applyRows_[1] = new QHBoxLayout;
    applyRows_[1]->addStretch(1);
    grid->addLayout(applyRows_[1], 5, 0, 1, 3);
    pages_->addTab(page, QStringLiteral("Simulation"));

    connect(animateContinuous_, &QCheckBox::toggled, this, [](bool on) { Settings().animateContinuous = on; });
    connect(animateDiscrete_, &QCheckBox::toggled, this, [](bool on) { Settings().animateDiscrete = on; });
}

void TOptionsWindow::BuildPerformancePage() {
    auto* page = Named(new QWidget(pages_), "Performance", QStringLiteral("Performance"));
    auto* layout = new QVBoxLayout(page);
    const auto label = [page, layout](const char* name, const char* caption) {
        auto* l = Captioned<QLabel>(page, name, QString::fromLatin1(caption));
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(l);
        return l;
    };
    stepLabel_ = label("StepLabel", "Steps:");
    allTimeLabel_ = label("AllTimeLabel", "Total Time: ");
    stepSpeedLabel_ = label("StepSpeedLabel", "Steps per sec:");
    transSpeedLabel_ = label("TransSpeedLabel", "Transitions per sec:");
    osziTimeLabel_ = label("OsziTimeLabel", "Time to draw diagrams: ");
    layout->addStretch(1);
    pages_->addTab(page, QStringLiteral("Performance"));
}

void TOptionsWindow::BuildRemarkPages() {
    const auto memo = [this](const char* pageName, const char* memoName, const QString& caption) {
        auto* page = Named(new QWidget(pages_), pageName, caption);
        auto* m = Named(new QPlainTextEdit(page), memoName, caption);
        m->installEventFilter(this);
        auto* layout = new QVBoxLayout(page);
        layout->addWidget(m);
        pages_->addTab(page, caption);
        return m;
    };
    shortRemarks_ = memo("ShortTermRemarks", "Memo1", QStringLiteral("Short-Term Remarks"));
    longRemarks_ = memo("LongTermRemarks", "Memo2", QStringLiteral("Long-Term Remarks"));
}

void TOptionsWindow::BuildDebugPage() {
    debugPage_ = Named(new QWidget(pages_), "DebugInformations", QStringLiteral("Debug Informations"));
    auto* layout = new QVBoxLayout(debugPage_);
    static const char* const kCountNames[5] = {"PlacesCountLabel", "TransitionsCountLabel", "ArcsCountLabel",
                                               "LabelsCountLabel", "ObjectsCountLabel"};
    for (std::size_t i = 0; i < countLabels_.size(); ++i) {
        countLabels_[i] = Named(new QLabel(debugPage_), kCountNames[i], QString());
        layout->addWidget(countLabels_[i]);
    }
    static const char* const kChoiceNames[5] = {"PlacesRadioButton", "TransitionsRadioButton", "ArcsRadioButton",
                                                "VariablesRadioButton", "AllTransitionsRadioButton"};
    static const char* const kChoiceCaptions[5] = {"Places", "Transitions", "Arcs", "Known Variables",
                                                   "List of all Transitions"};
    auto* choices = new QHBoxLayout;
    for (std::size_t i = 0; i < debugChoices_.size(); ++i) {
        debugChoices_[i] = Captioned<QRadioButton>(debugPage_, kChoiceNames[i], QString::fromLatin1(kChoiceCaptions[i]));
        choices->addWidget(debugChoices_[i]);
        debugChoices_[i]->setChecked(i == 0);
        connect(debugChoices_[i], &QRadioButton::toggled, this, [this](bool on) {
            if (on) RefreshDebugPage();
        });
    }
    layout->addLayout(choices);
    debugGrid_ = Named(new QTableWidget(debugPage_), "DebugGrid", QStringLiteral("Debug Informations"));
    debugGrid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    debugGrid_->verticalHeader()->hide();
    layout->addWidget(debugGrid_, 1);
    pages_->addTab(debugPage_, QStringLiteral("Debug Informations"));
}

// ---------------------------------------------------------------------------
// Settings and the current document

void TOptionsWindow::ShowSettings() {
    const ProgramSettings& s = Settings();
    const QSignalBlocker b1(detail_), b2(quick_), b3(automatic_), b4(alignToGrid_), b5(gridVisible_), b6(gridBar_),
        b7(animateContinuous_), b8(animateDiscrete_);
    detail_->setChecked(s.movingDetail == MovingDetail::Detail);
    quick_->setChecked(s.movingDetail == MovingDetail::Quick);
    automatic_->setChecked(s.movingDetail == MovingDetail::Automatic);
    alignToGrid_->setChecked(s.alignToGrid);
    gridVisible_->setChecked(s.gridVisible);
    gridBar_->setValue(ClampGridSize(s.gridSize));
    gridEdit_->setText(QString::number(gridBar_->value()));
    animateContinuous_->setChecked(s.animateContinuous);
    animateDiscrete_->setChecked(s.animateDiscrete);
}

TDocForm* TOptionsWindow::CurrentWindow() const { return current_.data(); }

void TOptionsWindow::SetCurrentWindow(TDocForm* form) {
    current_ = form;
    TPNObjekt* root = form ? form->Document().Root() : nullptr;
    if (!root) return;
    sampleTime_->setText(Q(SampleTimeFieldText(*root)));
    timeUnit_->setCurrentIndex(root->timeUnit == 0 ? 0 : 1);
    enhancedRule_->setChecked(EnhancedRuleOf(*root));
    if (pages_->currentIndex() == kDebug) RefreshDebugPage();
}

void TOptionsWindow::RasterTrackBarChange(int position) {
    gridEdit_->setText(QString::number(position));
    Settings().gridSize = position;
}

void TOptionsWindow::TakeGridSize() {
    const QString text = gridEdit_->text().trimmed();
    if (!text.isEmpty()) {
        // Only digits get in: a number too long to read is far above the maximum.
        const std::optional<long long> v = num::ParseInteger(text.toStdString());
        gridBar_->setValue(ClampGridSize(v.value_or(kGridSizeMax)));
    }
    gridEdit_->setText(QString::number(gridBar_->value()));
    Settings().gridSize = gridBar_->value();
}

void TOptionsWindow::RasterEditReturn() { TakeGridSize(); }

void TOptionsWindow::ApplySimulationSettings() {
    if (sampleTime_->text().isEmpty()) sampleTime_->setText(Q(kDefaultSampleTimeText));
    QPointer<TDocForm> form = current_;
    TPNObjekt* root = form ? form->Document().Root() : nullptr;
    if (!root) return;
    const std::string text = sampleTime_->text().toStdString();
    const int unit = timeUnit_->currentIndex();
    const bool rule = enhancedRule_->isChecked();
    const std::optional<double> seconds = SampleTimeSeconds(text, unit);
    if (!seconds) {
        // Nothing changes: model time would run backwards, stand still or
        // leave the range of numbers.
        Platform().messages->Error(SampleTimeFaultText(text));
        sampleTime_->setText(Q(SampleTimeFieldText(*root)));
        timeUnit_->setCurrentIndex(root->timeUnit);
        return;
    }
    const bool sampleChanged =
        root->sampleTimeText != text || root->timeUnit != unit || root->sampleTimeSeconds != *seconds;
    const bool ruleChanged = EnhancedRuleOf(*root) != rule;
    const auto apply = [form, text, unit, rule, sampleChanged, ruleChanged] {
        if (!form || !form->Document().Root()) return;
        TPNObjekt& r = *form->Document().Root();
        ApplySampleTime(r, text, unit);
        SetEnhancedRule(r, form->Main().Workspace().Session(), rule);
        // Both travel in the net's file.
        if (sampleChanged || ruleChanged) form->Document().SetModified(true);
        form->InvalidateWindow();
    };
    // A maximum-speed run of this net ends before either changes.
    TWorkspace& workspace = form->Main().Workspace();
    const bool simulated = workspace.SimulatedDocument() == &form->Document();
    if ((sampleChanged || ruleChanged) && simulated) {
        workspace.RunWhenIdle(apply);
    } else {
        apply();
    }
}

void TOptionsWindow::ApplyBtnClick() {
    TakeGridSize();
    if (!current_) return;
    // The grid is the same for every document.
    for (TDocForm* d : current_->Main().Documents()) d->InvalidateWindow();
    ApplySimulationSettings();
}

void TOptionsWindow::CloseWindow() {
    ApplyBtnClick();
    RefreshDebugPage();
    hide();
    if (current_) current_->InvalidateWindow();
}

void TOptionsWindow::CloseBtnClick() { CloseWindow(); }

void TOptionsWindow::CancelBtnClick() { CloseWindow(); }

void TOptionsWindow::closeEvent(QCloseEvent* e) {
    CloseWindow();
    e->accept();
}

void TOptionsWindow::PageChanged(int index) {
    if (index == kRepresentation || index == kSimulation) {
        applyRows_[static_cast<std::size_t>(index)]->addWidget(apply_);
        apply_->show();
    }
    if (index == kDebug) RefreshDebugPage();
}

// ---------------------------------------------------------------------------
// Performance, remarks, debug page

void TOptionsWindow::ShowPerformance(const RunStatistics& s) {
    stepLabel_->setText(Q(s.step));
    allTimeLabel_->setText(Q(s.allTime));
    stepSpeedLabel_->setText(Q(s.stepSpeed));
    transSpeedLabel_->setText(Q(s.transSpeed));
    osziTimeLabel_->setText(Q(s.osziTime));
    for (QLabel* l : {stepLabel_, allTimeLabel_, stepSpeedLabel_, transSpeedLabel_, osziTimeLabel_}) {
        l->setAccessibleName(l->text());
    }
    pages_->setCurrentIndex(kPerformance);
    show();
    raise();
}

void TOptionsWindow::ShowDebugPage() {
    pages_->setTabVisible(kDebug, true);
    pages_->setCurrentIndex(kDebug);
    show();
    raise();
}

void TOptionsWindow::RefreshDebugPage() {
    TPNObjekt* root = current_ ? current_->Document().Root() : nullptr;
    const std::array<std::string, 5> counts =
        root ? ElementCountTexts(root->Net()) : std::array<std::string, 5>{};
    for (std::size_t i = 0; i < counts.size(); ++i) {
        countLabels_[i]->setText(Q(counts[i]));
        countLabels_[i]->setAccessibleName(Q(counts[i]));
    }
    std::size_t chosen = 0;
    while (chosen + 1 < debugChoices_.size() && !debugChoices_[chosen]->isChecked()) ++chosen;
    DebugTable table;
    if (root) table = DebugTableOf(*root, static_cast<DebugList>(chosen));
    debugGrid_->clear();
    if (table.rows.empty()) {
        debugGrid_->setColumnCount(1);
        debugGrid_->setRowCount(1);
        debugGrid_->setHorizontalHeaderLabels({QString()});
        debugGrid_->setItem(0, 0, new QTableWidgetItem(QStringLiteral("no Elements")));
        return;
    }
    debugGrid_->setColumnCount(static_cast<int>(table.header.size()));
    debugGrid_->setRowCount(static_cast<int>(table.rows.size()));
    QStringList header;
    for (const std::string& h : table.header) header << Q(h);
    debugGrid_->setHorizontalHeaderLabels(header);
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        for (std::size_t c = 0; c < table.rows[r].size(); ++c) {
            debugGrid_->setItem(static_cast<int>(r), static_cast<int>(c), new QTableWidgetItem(Q(table.rows[r][c])));
        }
    }
}

void TOptionsWindow::LoadRemarks() {
    const RemarkLists lists = LoadRemarkLists();
    if (lists.shortLoaded) ShowLines(shortRemarks_, lists.shortTerm);
    if (lists.longLoaded) ShowLines(longRemarks_, lists.longTerm);
}

void TOptionsWindow::SaveRemarks() { SaveRemarkLists(Lines(shortRemarks_), Lines(longRemarks_)); }

void TOptionsWindow::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    LoadRemarks();
}

bool TOptionsWindow::event(QEvent* e) {
    // The lists may have been edited outside meanwhile.
    if (e->type() == QEvent::WindowActivate) LoadRemarks();
    return QWidget::event(e);
}

bool TOptionsWindow::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::FocusOut && (watched == shortRemarks_ || watched == longRemarks_)) SaveRemarks();
    return QWidget::eventFilter(watched, e);
}

} // namespace qz::ui
