#include "app/TMainWindow.h"

#include <QAction>
#include <QPointer>
#include <algorithm>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QScrollArea>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

#include "app/TAboutWindow.h"
#include "app/TDebugWindow.h"
#include "workspace/TActionSet.h"
#include "app/THelpWindow.h"
#include "workspace/WindowLayout.h"
#include "common/ProgramDirectories.h"
#include "app/TResourceWindow.h"
#include "workspace/Workspace.h"
#include "editor/TDocForm.h"
#include "editor/TExportForm.h"
#include "editor/TOverviewForm.h"
#include "editor/TProjectHierarchyWindow.h"
#include "editor/TPropertyWindow.h"
#include "formula/TErrorFenster.h"
#include "formula/TFormelEditor.h"
#include "library/TFactoryWindow.h"
#include "model/ObjectLibrary.h"
#include "model/TGraphItem.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/description/NetDescription.h"
#include "platform/Services.h"
#include "widgets/ScreenFit.h"
#include "settings/ConfigFile.h"
#include "settings/ProgramSettings.h"
#include "settings/TOptionsWindow.h"
#include "simulation/TSimuPanel.h"
#include "widgets/Pictures.h"
#include "widgets/WindowAccessibility.h"

namespace qz::ui {

namespace {

constexpr int kPropertyWidth = 212;

const Cmd kToolCommands[] = {Cmd::SelectTool, Cmd::ArcTool,    Cmd::DPlaceTool,  Cmd::KPlaceTool, Cmd::DTransTool,
                             Cmd::KTransTool, Cmd::TokenTool,  Cmd::LabelTool,   Cmd::ShapeTool,  Cmd::ZoomInTool,
                             Cmd::ZoomOutTool, Cmd::ZoomAreaTool, Cmd::HandTool};

bool IsViewTool(Cmd c) {
    return c == Cmd::ZoomInTool || c == Cmd::ZoomOutTool || c == Cmd::ZoomAreaTool || c == Cmd::HandTool;
}

} // namespace

TMainWindow::TMainWindow(TWorkspace& workspace) : workspace_(workspace) {
    ExposeToolWindowsAsWindows();
    setObjectName(QStringLiteral("TMainWindow"));
    setWindowTitle(QString::fromLatin1(kMainCaption));
    setAccessibleName(windowTitle());
    setWindowIcon(NamedIcon(QStringLiteral("Splash")));
    actions_ = new TActionSet(this);
    mdi_ = new QMdiArea(this);
    mdi_->setObjectName(QStringLiteral("WorkArea"));
    mdi_->setAccessibleName(QStringLiteral("Documents"));
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    BuildMenus();
    BuildToolBar();
    Connect();
    // A user's copy of the program directory that cannot be made is named
    // once; the session then reads the installed files.
    if (const std::string problem = fs::TakeDirectoryProblem(); !problem.empty()) {
        Platform().messages->Warn(problem);
    }
    ObjectLibrary().LoadIndex();
    if (const QScreen* screen = QGuiApplication::primaryScreen(); screen && screen->size().width() < 801) {
        setWindowState(Qt::WindowMaximized);
    }
    UpdateCommands();
}

TMainWindow::~TMainWindow() {
    // Document windows first: their nets point at windows that die with us.
    for (QMdiSubWindow* sub : mdi_->subWindowList()) delete sub;
    workspace_.clipboard.clear();
}

void TMainWindow::BuildMenus() {
    TActionSet& a = *actions_;
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));
    const auto menu = [bar](const char* objectName, const QString& title, QAction* item = nullptr) {
        auto* m = new QMenu(title, bar);
        m->setObjectName(QString::fromLatin1(objectName));
        if (item) {
            // The command's own action carries the menu and its enabled state.
            item->setMenu(m);
            bar->addAction(item);
        } else {
            bar->addMenu(m);
        }
        return m;
    };
    QMenu* file = menu("Datei1", QStringLiteral("&File"));
    for (Cmd c : {Cmd::New, Cmd::Open, Cmd::Save, Cmd::SaveAs, Cmd::SaveAsAscii, Cmd::CloseFile, Cmd::CloseAllFiles,
                  Cmd::ExportGraphic}) {
        file->addAction(a[c]);
    }
    file->addSeparator();
    file->addAction(a[Cmd::Exit]);

    QMenu* edit = menu("Bearbeiten1", QStringLiteral("&Edit"));
    for (Cmd c : {Cmd::Undo, Cmd::Redo}) edit->addAction(a[c]);
    for (Cmd c : {Cmd::Copy, Cmd::Paste, Cmd::Duplicate, Cmd::SelectAll, Cmd::Delete}) edit->addAction(a[c]);
    edit->addSeparator();
    edit->addAction(a[Cmd::Options]);

    QMenu* view = menu("Ansicht1", QStringLiteral("&View"));
    auto* zoom = new QMenu(QStringLiteral("Zoom"), view);
    zoom->setObjectName(QStringLiteral("ZoomMenu"));
    a[Cmd::ZoomMenu]->setMenu(zoom);
    view->addAction(a[Cmd::ZoomMenu]);
    for (Cmd c : {Cmd::ZoomIn, Cmd::ZoomOut, Cmd::OneToOne, Cmd::Previous, Cmd::ZoomAll}) zoom->addAction(a[c]);
    for (Cmd c : {Cmd::PropertyWindow, Cmd::EditorWindow, Cmd::ProjectHierarchy, Cmd::LibraryHierarchy, Cmd::Factory}) {
        view->addAction(a[c]);
    }
    view->addSeparator();
    for (Cmd c : {Cmd::ArrangeAll, Cmd::StartWindow, Cmd::CompileErrors, Cmd::ResourceWindow}) view->addAction(a[c]);

    QMenu* window = menu("Fenster1", QStringLiteral("&Window"));
    for (Cmd c : {Cmd::Cascade, Cmd::Tile, Cmd::ArrangeIcons}) window->addAction(a[c]);

    QMenu* arrange = menu("Arrange1Menu", QStringLiteral("Arrange"), a[Cmd::ArrangeMenu]);
    // Alt+letter opens each menu (the menu titles carry their letters).
    a[Cmd::ArrangeMenu]->setText(QStringLiteral("&Arrange"));
    for (Cmd c : {Cmd::AlignLeft, Cmd::AlignHMiddle, Cmd::AlignRight, Cmd::AlignUpper, Cmd::AlignVMiddle,
                  Cmd::AlignDown}) {
        arrange->addAction(a[c]);
    }

    QMenu* object = menu("Objekt1", QStringLiteral("&Object"));
    object->addAction(a[Cmd::AbstractObject]);

    QMenu* help = menu("Hilfe1", QStringLiteral("&Help"));
    help->addAction(a[Cmd::Help]);
    help->addAction(a[Cmd::About]);

    // Menus take the accessible names of their texts.
    for (QMenu* m : bar->findChildren<QMenu*>()) m->setAccessibleName(m->title());
}

void TMainWindow::BuildToolBar() {
    TActionSet& a = *actions_;
    QToolBar* bar = addToolBar(QStringLiteral("Tools"));
    bar->setObjectName(QStringLiteral("ToolbarPanel"));
    bar->setAccessibleName(QStringLiteral("Tool bar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->toggleViewAction()->setEnabled(false);
    for (Cmd c : {Cmd::NewButton, Cmd::OpenButton, Cmd::CloseButton, Cmd::SaveButton}) {
        bar->addWidget(a.MakeButton(c, bar));
    }
    bar->addSeparator();
    bar->addWidget(a.MakeButton(Cmd::ShowValues, bar));
    for (Cmd c : {Cmd::ZoomInTool, Cmd::ZoomOutTool, Cmd::ZoomAreaTool, Cmd::HandTool, Cmd::ShowOverview}) {
        bar->addWidget(a.MakeButton(c, bar));
    }
    bar->addSeparator();
    QToolButton* simu = a.MakeButton(Cmd::Simulation, bar);
    simu->setMinimumWidth(80);
    bar->addWidget(simu);
    bar->addSeparator();

    toolPages_ = new QTabWidget(bar);
    toolPages_->setObjectName(QStringLiteral("ToolPage"));
    toolPages_->setAccessibleName(QStringLiteral("Tool page"));
    auto* standard = new QWidget(toolPages_);
    standard->setObjectName(QStringLiteral("Standard"));
    auto* row = new QHBoxLayout(standard);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(1);
    for (Cmd c : {Cmd::SelectTool, Cmd::ArcTool, Cmd::DPlaceTool, Cmd::KPlaceTool, Cmd::DTransTool, Cmd::KTransTool,
                  Cmd::TokenTool, Cmd::LabelTool, Cmd::ShapeTool}) {
        row->addWidget(a.MakeButton(c, standard));
    }
    row->addStretch(1);
    toolPages_->addTab(standard, QStringLiteral("Standard"));
    auto* complex = new QWidget(toolPages_);
    complex->setObjectName(QStringLiteral("Complex"));
    toolPages_->addTab(complex, QStringLiteral("Complex"));
    toolPages_->setTabEnabled(1, false);
    toolPages_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(toolPages_);

    toolGroup_ = new QActionGroup(this);
    toolGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (Cmd c : kToolCommands) toolGroup_->addAction(a[c]);
}

void TMainWindow::Connect() {
    TActionSet& a = *actions_;
    const auto on = [this, &a](Cmd c, auto f) { connect(a[c], &QAction::triggered, this, f); };
    on(Cmd::New, [this] { Neu1Click(); });
    on(Cmd::NewButton, [this] { Neu1Click(); });
    on(Cmd::Open, [this] { Oeffnen1Click(); });
    on(Cmd::OpenButton, [this] { Oeffnen1Click(); });
    on(Cmd::Save, [this] { Speichern1Click(); });
    on(Cmd::SaveButton, [this] { Speichern1Click(); });
    on(Cmd::SaveAs, [this] { Speichernunter1Click(); });
    on(Cmd::SaveAsAscii, [this] { SaveAsAscii1Click(); });
    on(Cmd::CloseFile, [this] { CloseFile1Click(); });
    on(Cmd::CloseButton, [this] { CloseFile1Click(); });
    on(Cmd::CloseAllFiles, [this] { CloseAllFiles1Click(); });
    on(Cmd::ExportGraphic, [this] { ExportGraphic1Click(); });
    on(Cmd::Exit, [this] { Beenden1Click(); });
    on(Cmd::SelectAll, [this] { SelectAll1Click(); });
    // "Properties" of the popups opens the options window as "Options" does.
    for (Cmd c : {Cmd::Options, Cmd::Properties}) {
        on(c, [this] {
            windows_.options->show();
            windows_.options->raise();
        });
    }
    const auto onActive = [on, this](Cmd c, void (TDocForm::*f)()) {
        on(c, [this, f] {
            if (TDocForm* d = ActiveDocument()) (d->*f)();
        });
    };
    // The document commands of the Edit and Arrange menus and the popups.
    for (auto [c, f] : std::initializer_list<std::pair<Cmd, void (TDocForm::*)()>>{
             {Cmd::Copy, &TDocForm::KopierenClick},
             {Cmd::Paste, &TDocForm::EinfuegenClick},
             {Cmd::DocPaste, &TDocForm::DocPasteClick},
             {Cmd::Duplicate, &TDocForm::TransDuplicateClick},
             {Cmd::Delete, &TDocForm::ItemsDeleteClick},
             {Cmd::Undo, &TDocForm::UndoClick},
             {Cmd::Redo, &TDocForm::RedoClick},
             {Cmd::NewPlace, &TDocForm::NewPlaceClick},
             {Cmd::NewTransition, &TDocForm::NewTransitionClick},
             {Cmd::NewArc, &TDocForm::NewArc1Click},
             {Cmd::NewLabel, &TDocForm::NewLabelClick},
             {Cmd::NewObject, &TDocForm::NewObjectClick},
             {Cmd::ToFront, &TDocForm::ToFrontClick},
             {Cmd::ToBack, &TDocForm::ToBackClick},
             {Cmd::ArrangeName, &TDocForm::NamenClick},
             {Cmd::ArrangeWeight, &TDocForm::NamenClick},
             {Cmd::Turn, &TDocForm::TurnClick},
             {Cmd::ChangeDirection, &TDocForm::Richtungtauschen1Click},
             {Cmd::DeleteAllPoints, &TDocForm::AllePunkteLschen1Click},
             {Cmd::DeletePoint, &TDocForm::PunktLschenClick},
             {Cmd::NamePlaces, &TDocForm::allePltzeautomatischbezeichnen1Click},
             {Cmd::NameTransitions, &TDocForm::alleTransitionenautomatischbezeichnen1Click},
             {Cmd::NameObjects, &TDocForm::alleObjekteautomatischbezeichnen1Click},
             {Cmd::InitNet, &TDocForm::Initialisieren1Click},
             {Cmd::InitNetAndDiagrams, &TDocForm::InitAll1Click},
             {Cmd::EditMode, &TDocForm::EditierModusClick},
             {Cmd::Step, &TDocForm::Schritt1Click},
             {Cmd::RunToNextEvent, &TDocForm::RuntoNextEvent1Click},
             {Cmd::ChangeSide, &TDocForm::ChangeSideClick},
             {Cmd::BringUp, &TDocForm::BringUpClick},
             {Cmd::BringDown, &TDocForm::BringDownClick},
             {Cmd::InitSize, &TDocForm::InitSizeClick},
             {Cmd::OpenInstancedObject, &TDocForm::OpenInstancedObjectClick},
             {Cmd::ViewInstancedObject, &TDocForm::ViewInstancedObjectClick},
             {Cmd::ViewParentObject, &TDocForm::ViewParentObjectClick},
             {Cmd::OpenParentObject, &TDocForm::OpenParentObjectClick},
             {Cmd::EditDocumentation, &TDocForm::EditDocumentationClick},
             {Cmd::ViewClassDocumentation, &TDocForm::ViewClassDocumentationClick},
             {Cmd::EditClassDescription, &TDocForm::EditClassDescriptionClick},
             {Cmd::SetInitialValue, &TDocForm::SetInitialValueClick},
             {Cmd::ShowDiagramWindow, &TDocForm::ShowDiagramWindowClick},
         }) {
        onActive(c, f);
    }
    const auto onActiveWith = [on, this](Cmd c, auto call) {
        on(c, [this, call] {
            if (TDocForm* d = ActiveDocument()) call(*d);
        });
    };
    const std::pair<Cmd, Alignment> alignments[] = {
        {Cmd::AlignLeft, Alignment::Left},         {Cmd::AlignHMiddle, Alignment::HorizontalCentre},
        {Cmd::AlignRight, Alignment::Right},       {Cmd::AlignUpper, Alignment::Top},
        {Cmd::AlignVMiddle, Alignment::VerticalCentre}, {Cmd::AlignDown, Alignment::Bottom}};
    for (auto [c, alignment] : alignments) onActiveWith(c, [alignment](TDocForm& d) { d.AlignClick(alignment); });
    const Cmd sizes[] = {Cmd::SizeVerySmall, Cmd::SizeSmall, Cmd::SizeNormal, Cmd::SizeLarge, Cmd::SizeVeryLarge};
    for (int i = 0; i < 5; ++i) onActiveWith(sizes[i], [i](TDocForm& d) { d.SizeClick(i); });
    const Cmd arcKinds[] = {Cmd::NormalArc, Cmd::InhibitorArc, Cmd::TestArc};
    for (std::uint8_t k = 0; k < 3; ++k) onActiveWith(arcKinds[k], [k](TDocForm& d) { d.ArcTypeClick(k); });
    connect(a[Cmd::ShowOnlyUsed], &QAction::triggered, this, [this](bool checked) {
        if (TDocForm* d = ActiveDocument()) d->ShowOnlyUsedClick(checked);
    });
    // The diagnostics that Ctrl+Shift+D shows.
    on(Cmd::DebugInfos, [this] {
        if (windows_.debug) windows_.debug->show();
    });
    on(Cmd::DebugInformations, [this] {
        if (windows_.options) windows_.options->ShowDebugPage();
    });
    on(Cmd::ShowObjects, [this] {
        if (windows_.resources) windows_.resources->show();
    });
    onActive(Cmd::ZoomIn, &TDocForm::Vergrern1Click);
    onActive(Cmd::ZoomOut, &TDocForm::Verkleinern1Click);
    onActive(Cmd::OneToOne, &TDocForm::N111Click);
    onActive(Cmd::Previous, &TDocForm::LetzteClick);
    const auto showWindow = [](QWidget* w) {
        if (!w) return;
        w->showNormal();
        w->raise();
    };
    on(Cmd::PropertyWindow, [this, showWindow] { showWindow(propertyDock_); });
    on(Cmd::Factory, [this, showWindow] { showWindow(factoryDock_); });
    on(Cmd::EditorWindow, [this, showWindow] {
        if (TDocForm* d = ActiveDocument()) showWindow(d->SubWindow());
    });
    on(Cmd::ProjectHierarchy, [this, showWindow] { showWindow(windows_.hierarchy); });
    on(Cmd::ResourceWindow, [this, showWindow] { showWindow(windows_.resources); });
    on(Cmd::ArrangeAll, [this] { ArrangeAll1Click(); });
    connect(a[Cmd::StartWindow], &QAction::toggled, this, [](bool c) { Settings().startWindow = c; });
    connect(a[Cmd::CompileErrors], &QAction::toggled, this,
            [](bool c) { Settings().errorMessagesDuringCompiling = c; });
    on(Cmd::Cascade, [this] { ArrangeSubWindows(false); });
    on(Cmd::Tile, [this] { ArrangeSubWindows(true); });
    on(Cmd::ArrangeIcons, [this] { ArrangeIcons(); });
    on(Cmd::AbstractObject, [this] { AbstractObject1Click(); });
    on(Cmd::Help, [this] { Help1Click(); });
    on(Cmd::About, [this] {
        if (windows_.about) windows_.about->exec();
    });
    // Toggled, not triggered: a screen reader toggles the button without
    // clicking it (the window's own changes block the signals).
    connect(a[Cmd::ShowValues], &QAction::toggled, this, [this] { ShowValuesBtnClick(); });
    // Toggled, not triggered: a screen reader toggles the button without
    // clicking it. The window's own changes of the state are not toggles
    // (they block the action's signals).
    connect(a[Cmd::Simulation], &QAction::toggled, this, [this](bool down) { SimuButtonClick(down); });
    connect(a[Cmd::ShowOverview], &QAction::toggled, this, [this](bool down) {
        if (!windows_.navigator) return;
        if (down) {
            if (!navigatorPlaced_) {
                // First shown at the top right of the documents' area, on the screen.
                navigatorPlaced_ = true;
                const QPoint corner = mdi_->viewport()->mapToGlobal(QPoint(mdi_->viewport()->width(), 0));
                windows_.navigator->move(corner.x() - windows_.navigator->width() - 8, corner.y() + 8);
                FitOnScreen(windows_.navigator);
            }
            windows_.navigator->show();
            windows_.navigator->RepaintNet();
        } else {
            windows_.navigator->hide();
        }
    });
    // Toggled on, not triggered: the keyboard and a screen reader's
    // "Toggle" choose a tool too.
    for (Cmd c : kToolCommands) {
        connect(a[c], &QAction::toggled, this, [this, c](bool down) {
            if (down) {
                ChooseTool(c);
                return;
            }
            // Toggled off by a screen reader rather than by choosing another
            // tool (which is checked only after this one is released): the
            // chosen tool stays checked.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    const QList<QAction*> tools = toolGroup_->actions();
                    if (std::none_of(tools.begin(), tools.end(), [](const QAction* t) { return t->isChecked(); })) {
                        (*actions_)[ToolCommandOf(currentTool_)]->setChecked(true);
                    }
                },
                Qt::QueuedConnection);
        });
    }
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
        if (auto* form = sub ? qobject_cast<TDocForm*>(sub->widget()) : nullptr) DocumentActivated(*form);
    });
}

void TMainWindow::DockToolWindows() {
    const auto dock = [this](QWidget* w, const char* name) {
        auto* d = new QDockWidget(w->windowTitle(), this);
        d->setObjectName(QString::fromLatin1(name));
        d->setAccessibleName(w->windowTitle());
        // On a small screen (or at a large scaling) the tool windows scroll
        // rather than push the main window off the screen.
        auto* scroll = new QScrollArea(d);
        scroll->setObjectName(QString::fromLatin1(name) + QStringLiteral("Scroll"));
        scroll->setAccessibleName(w->windowTitle() + QStringLiteral(" area"));
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(true);
        scroll->setWidget(w);
        scroll->setMinimumHeight(std::min(w->minimumSizeHint().height(), 100));
        d->setWidget(scroll);
        d->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                       QDockWidget::DockWidgetFloatable);
        addDockWidget(Qt::LeftDockWidgetArea, d);
        return d;
    };
    propertyDock_ = dock(windows_.properties, "PropertyDock");
    factoryDock_ = dock(windows_.factory, "FactoryDock");
    splitDockWidget(propertyDock_, factoryDock_, Qt::Vertical);
    // The window was laid out when it was shown, before it had docks: they
    // are split once the window has made room for them.
    // The docks narrow the documents' area: a document that no longer fits
    // is brought back inside it.
    if (laidOut_) {
        QTimer::singleShot(0, this, [this] {
            LayoutWindows(false);
            if (layout()) layout()->activate();
            const TRect area = ToTRect(mdi_->viewport()->rect());
            for (QMdiSubWindow* sub : mdi_->subWindowList()) {
                if (sub->isMaximized() || sub->isMinimized()) continue;
                const QRect fitted = ToQRect(FitInto(ToTRect(sub->geometry()), area));
                if (fitted != sub->geometry()) sub->setGeometry(fitted);
            }
        });
    }
    connect(windows_.navigator, &TOverviewForm::closed, this,
            [this] { actions_->operator[](Cmd::ShowOverview)->setChecked(false); });
    connect(windows_.errors, &TErrorFenster::errorWindowWanted, this,
            [this](bool wanted) { (*actions_)[Cmd::CompileErrors]->setChecked(wanted); });
    workspace_.libraryChanged = [this] {
        if (windows_.factory) windows_.factory->Refresh();
    };
}

void TMainWindow::TakeOptionItems() {
    (*actions_)[Cmd::StartWindow]->setChecked(Settings().startWindow);
    (*actions_)[Cmd::CompileErrors]->setChecked(Settings().errorMessagesDuringCompiling);
}

// ---------------------------------------------------------------------------
// Documents

TDocForm* TMainWindow::ActiveDocument() const {
    const auto open = [](QMdiSubWindow* sub) {
        auto* f = sub ? qobject_cast<TDocForm*>(sub->widget()) : nullptr;
        return f && f->Document().Root() ? f : nullptr;
    };
    if (TDocForm* f = open(mdi_->activeSubWindow())) return f;
    if (TDocForm* f = open(mdi_->currentSubWindow())) return f;
    // The window activated last among the open ones.
    const QList<QMdiSubWindow*> all = mdi_->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        if (TDocForm* f = open(*it)) return f;
    }
    return nullptr;
}

bool TMainWindow::IsOpen(const TDocForm* form) const {
    const std::vector<TDocForm*> forms = Documents();
    return std::find(forms.begin(), forms.end(), form) != forms.end();
}

std::vector<TDocForm*> TMainWindow::Documents() const {
    std::vector<TDocForm*> forms;
    for (QMdiSubWindow* sub : mdi_->subWindowList(QMdiArea::CreationOrder)) {
        // A closed document's window may linger until it is freed.
        auto* f = qobject_cast<TDocForm*>(sub->widget());
        if (f && f->Document().Root()) forms.push_back(f);
    }
    return forms;
}

QMdiSubWindow* TMainWindow::AddDocument(TDocForm* form) {
    QMdiSubWindow* sub = mdi_->addSubWindow(form);
    sub->setObjectName(QStringLiteral("DocumentWindow"));
    sub->setAttribute(Qt::WA_DeleteOnClose);
    const QSize area = mdi_->viewport()->size();
    sub->setGeometry(0, 0, std::max(200, area.width() - 4), std::max(150, area.height() - 4));
    form->RefreshCaption();
    sub->show();
    mdi_->setActiveSubWindow(sub);
    return sub;
}

TDocForm* TMainWindow::NewDocument() {
    auto* form = new TDocForm(*this);
    AddDocument(form);
    AfterOpen(*form);
    return form;
}

TDocForm* TMainWindow::OpenFile(const std::string& path) {
    auto* form = new TDocForm(*this);
    QMdiSubWindow* sub = AddDocument(form);
    if (!form->LoadDocument(path)) {
        // Nothing usable was read: no window may later save that nothing
        // over the file.
        form->Document().SetModified(false);
        delete sub;
        UpdateCommands();
        return nullptr;
    }
    if (windows_.factory) windows_.factory->SetDirectory(QFileInfo(QString::fromStdString(path)).absolutePath());
    if (windows_.options) windows_.options->SetCurrentWindow(form);
    AfterOpen(*form);
    if (windows_.properties) windows_.properties->RefreshList();
    return form;
}

TDocForm* TMainWindow::OpenClass(const std::string& className) {
    const std::optional<std::string> file = ObjectLibrary().FileOfClass(className);
    return file ? OpenFile(*file) : nullptr;
}

TDocForm* TMainWindow::OpenObjectWindow(TDocForm& from, TPNObjekt& object, bool editable) {
    for (TDocForm* d : Documents()) {
        if (!d->Document().Owner() || d->Document().Root() != &object) continue;
        d->Document().editingEnabled = editable;
        d->RefreshCaption();
        mdi_->setActiveSubWindow(d->SubWindow());
        UpdateCommands();
        return d;
    }
    auto* form = new TDocForm(*this, from, object, editable);
    QMdiSubWindow* sub = AddDocument(form);
    // Over the window it was opened from, a little down and to the right,
    // as large as that one as far as the area has room: smaller, its status
    // panels would be cut.
    if (QMdiSubWindow* over = from.SubWindow()) {
        const QRect r = over->geometry().translated(24, 24);
        const QSize room = mdi_->viewport()->size() - QSize(r.x(), r.y());
        sub->setGeometry(r.x(), r.y(), std::max(200, std::min(r.width(), room.width())),
                         std::max(150, std::min(r.height(), room.height())));
    }
    AfterOpen(*form);
    return form;
}

void TMainWindow::AfterOpen(TDocForm& form) {
    form.SetTool(currentTool_);
    if (workspace_.Documents().size() == 1) UpdateCommands();
    DocumentActivated(form);
}

void TMainWindow::AfterLastDocument() {
    // A document closed in simulation mode leaves the controls in edit mode.
    SetSimulationControls(false);
    if (windows_.options) windows_.options->SetCurrentWindow(nullptr);
    if (windows_.properties) windows_.properties->SetNet(nullptr, nullptr);
    if (windows_.formulaEditor) windows_.formulaEditor->SetNet(nullptr);
    workspace_.clipboard.clear();
    UpdateCommands();
}

void TMainWindow::Neu1Click() { NewDocument(); }

void TMainWindow::Oeffnen1Click() {
    std::string directory;
    if (windows_.factory) directory = windows_.factory->Directory().toStdString();
    const std::optional<std::string> path = Platform().dialogs->OpenFileName(kOpenFilter, directory);
    // Reading a net sets the program-wide enhanced firing rule the engine
    // reads: not under a running maximum-speed loop.
    if (path) workspace_.RunWhenIdle([this, file = *path] { OpenFile(file); });
}

void TMainWindow::Speichern1Click() {
    TDocForm* form = ActiveDocument();
    if (!form) return;
    workspace_.RunWhenIdle([this, form] {
        if (IsOpen(form)) form->Document().SaveDocument(false);
    });
}

void TMainWindow::Speichernunter1Click() {
    TDocForm* form = ActiveDocument();
    if (!form) return;
    workspace_.RunWhenIdle([this, form] {
        if (IsOpen(form)) form->Document().SaveDocumentAs();
    });
}

void TMainWindow::SaveAsAscii1Click() {
    TDocForm* form = ActiveDocument();
    if (!form || !form->Document().Root() || !windows_.exportForm) return;
    windows_.exportForm->ShowLines(DescribeDocument(*form->Document().Root()));
}

void TMainWindow::CloseFile1Click() {
    workspace_.RunWhenIdle([this] {
        if (TDocForm* form = ActiveDocument()) {
            if (form->SubWindow() && form->SubWindow()->close() && windows_.factory) {
                windows_.factory->SetStatusText(QString::fromLatin1(kNoFileLoaded));
            }
        }
    });
}

bool TMainWindow::CloseAll(bool) {
    for (TDocForm* form : Documents()) {
        // Windows onto objects close with their owner, before it.
        if (!IsOpen(form)) continue;
        // Cancel keeps this document and the ones after it open: nothing
        // is closed that the user did not agree to.
        if (form->SubWindow() && !form->SubWindow()->close()) return false;
    }
    return true;
}

void TMainWindow::CloseAllFiles1Click() {
    workspace_.RunWhenIdle([this] { CloseAll(true); });
}

void TMainWindow::ExportGraphic1Click() {
    TDocForm* form = ActiveDocument();
    if (!form || !form->Document().Net()) return;
    TNetList& net = *form->Document().Net();
    if (net.SelectedCount() == 0) SelectAll1Click();
    form->PN_ExportClick();
}

void TMainWindow::SelectAll1Click() {
    if (TDocForm* form = ActiveDocument()) form->allesmarkieren1Click();
}

void TMainWindow::Beenden1Click() {
    workspace_.RunWhenIdle([this] {
        if (CloseAll(true)) close();
    });
}

bool TMainWindow::CloseDocumentQuery(TDocForm& form) {
    if (closing_ && !form.Document().Root()) return true;
    if (workspace_.EngineLoopRunning()) {
        // Never under the engine: close once the run has stopped.
        QPointer<QMdiSubWindow> sub = form.SubWindow();
        workspace_.RunWhenIdle([sub] {
            if (sub) sub->close();
        });
        return false;
    }
    if (windows_.properties) windows_.properties->ForgetSelection();
    TDocument& doc = form.Document();
    if (doc.topLevel && !doc.QueryClose()) return false;
    // Its windows onto objects close first; they have no question of their
    // own.
    form.CloseObjectWindows();
    form.CloseEditors();
    if (doc.topLevel) workspace_.clipboard.clear();
    if (doc.simulationMode || (workspace_.SimulatedDocument() == &doc)) {
        workspace_.EndSimulationOf(doc);
        SimulationModeChanged(form);
    }
    if (TNetList* net = doc.Net()) {
        if (windows_.properties && windows_.properties->Net() == net) windows_.properties->SetNet(nullptr, nullptr);
        if (windows_.formulaEditor && windows_.formulaEditor->Net() == net) windows_.formulaEditor->SetNet(nullptr);
        net->DeselectAll();
    }
    if (windows_.options && windows_.options->CurrentWindow() == &form) windows_.options->SetCurrentWindow(nullptr);
    doc.Reset();
    if (windows_.navigator) windows_.navigator->RepaintNet();
    if (workspace_.Documents().empty()) AfterLastDocument();
    QMetaObject::invokeMethod(this, [this] { UpdateCommands(); }, Qt::QueuedConnection);
    return true;
}

// ---------------------------------------------------------------------------
// Modes, tools and views

bool TMainWindow::ShowValuesDown() const { return (*actions_)[Cmd::ShowValues]->isChecked(); }

void TMainWindow::ShowValuesBtnClick() {
    QAction* button = (*actions_)[Cmd::ShowValues];
    TDocForm* form = ActiveDocument();
    if (!form) return;
    if (form->InPlaceEditorOpen()) {
        SetShowValuesButton(form->Document().ShowValues());
        Platform().messages->Info(kValueModeLocked);
        return;
    }
    form->SetShowValues(button->isChecked());
    SetShowValuesButton(button->isChecked());
}

void TMainWindow::SetShowValuesButton(bool down) {
    QAction* button = (*actions_)[Cmd::ShowValues];
    const QSignalBlocker block(button);
    button->setChecked(down);
    button->setIcon(NamedIcon(down ? QStringLiteral("ShowOn") : QStringLiteral("ShowOff")));
}

void TMainWindow::ChooseTool(Cmd tool) {
    const int cursor = InfoOf(tool).cursor;
    if (IsViewTool(tool)) {
        if (TDocForm* form = ActiveDocument()) form->SetTool(cursor);
        currentTool_ = cursor;
        return;
    }
    currentTool_ = cursor;
    for (TDocForm* form : Documents()) {
        // A simulating document takes over only select, token, label and
        // graphical object.
        if (form->Document().simulationMode && cursor != 0 && cursor != 5 && cursor != 6 && cursor != 7) continue;
        form->SetTool(cursor);
    }
}

void TMainWindow::SetSimulationControls(bool on) {
    // Entering or leaving simulation mode hands the select tool; activating a
    // document in edit mode keeps the tool the user chose.
    const bool changed = on != simulationControls_;
    simulationControls_ = on;
    TActionSet& a = *actions_;
    const QSignalBlocker block(a[Cmd::Simulation]);
    a[Cmd::Simulation]->setChecked(on);
    if (on || changed) a[Cmd::SelectTool]->setChecked(true);
    if (on) {
        ChooseTool(Cmd::SelectTool);
        if (TDocForm* form = ActiveDocument()) form->SetTool(0);
    }
    UpdateCommands();
}

void TMainWindow::SimulationModeChanged(TDocForm& form) {
    if (!windows_.simulation) return;
    if (form.Document().simulationMode) {
        windows_.simulation->StartPanel(form);
    } else if (windows_.simulation->Document() == &form || !workspace_.SimulatedDocument()) {
        windows_.simulation->StopPanel();
    }
    UpdateCommands();
}

void TMainWindow::SimuButtonClick(bool down) {
    TDocForm* form = ActiveDocument();
    if (!form || !form->Document().Root()) {
        SetSimulationControls(false);
        return;
    }
    if (!down && workspace_.EngineLoopRunning()) {
        // Leave simulation mode once the running loop has ended.
        QPointer<TDocForm> target(form);
        workspace_.RunWhenIdle([this, target] {
            if (target) {
                const QSignalBlocker block((*actions_)[Cmd::Simulation]);
                (*actions_)[Cmd::Simulation]->setChecked(false);
                SimuButtonClick(false);
            }
        });
        return;
    }
    // A window onto an object switches the document that holds it.
    if (TDocForm* owner = form->OwnerForm()) form = owner;
    TDocument& doc = form->Document();
    const SwitchResult r = workspace_.SimulationSwitch(doc, down);
    if (!down) {
        form->SetSimulationMode(false);
        SetSimulationControls(false);
        return;
    }
    if (r.started) {
        form->SetSimulationMode(true);
        if (doc.simulationMode) {
            SetSimulationControls(true);
            // Then the conflict warning; Cancel leaves simulation mode again.
            if (!workspace_.AskAboutConflicts(doc)) {
                form->SetSimulationMode(false);
                SetSimulationControls(false);
            }
        } else {
            workspace_.EndSimulationOf(doc);
            SetSimulationControls(false);
        }
        return;
    }
    switch (r.outcome) {
    case StartOutcome::FormulaErrors:
        QApplication::beep();
        if (!r.error.empty()) Platform().messages->Error(r.error);
        if (windows_.properties) windows_.properties->ShowFormulaResults();
        if (CompileErrorsChecked() && windows_.errors) {
            windows_.errors->show();
            windows_.errors->raise();
        }
        break;
    case StartOutcome::Busy: {
        // The other document's session goes on; only this button is released.
        const QSignalBlocker block((*actions_)[Cmd::Simulation]);
        (*actions_)[Cmd::Simulation]->setChecked(false);
        return;
    }
    default: break;
    }
    doc.simulationMode = false;
    SetSimulationControls(false);
}

void TMainWindow::ZoomChanged(TDocForm&) {
    // The scale is the same for every document.
    for (TDocForm* d : Documents()) d->ScaleChanged();
    UpdateCommands();
}

void TMainWindow::DocumentActivated(TDocForm& form) {
    TDocument& doc = form.Document();
    if (!doc.Root()) return;
    workspace_.SetActive(&doc);
    SetShowValuesButton(doc.ShowValues());
    if (doc.topLevel) {
        SetSimulationControls(doc.simulationMode);
    } else if (const TDocument* owner = doc.Owner()) {
        SetSimulationControls(owner->simulationMode);
    }
    if (windows_.options) windows_.options->SetCurrentWindow(&form);
    if (windows_.properties) {
        windows_.properties->SetNet(doc.Net(), &doc.Root()->Variables());
        windows_.properties->RefreshList();
    }
    if (windows_.formulaEditor) windows_.formulaEditor->SetNet(doc.Net());
    if (windows_.navigator && windows_.navigator->isVisible()) windows_.navigator->RepaintNet();
    UpdateCommands();
}

void TMainWindow::UpdateCommands() {
    CommandContext x;
    TDocForm* form = ActiveDocument();
    x.anyDocument = !workspace_.Documents().empty();
    if (form && form->Document().Root()) {
        const TDocument& doc = form->Document();
        x.simulationMode = doc.simulationMode;
        x.previousView = doc.view.PreviousAvailable();
        x.editable = doc.MayEdit();
        x.selection = doc.Net() && doc.Net()->SelectedCount() > 0;
        x.anchor = doc.anchor != nullptr;
        x.canUndo = doc.History().CanUndo();
        x.canRedo = doc.History().CanRedo();
    }
    x.engineRunning = workspace_.EngineLoopRunning();
    x.clipboardFilled = !workspace_.clipboard.empty();
    actions_->Update(x);
}

bool TMainWindow::StartWindowChecked() const { return (*actions_)[Cmd::StartWindow]->isChecked(); }

bool TMainWindow::CompileErrorsChecked() const { return (*actions_)[Cmd::CompileErrors]->isChecked(); }

void TMainWindow::ArrangeAll1Click() {
    firstLayout_ = true;
    if (propertyDock_) resizeDocks({propertyDock_}, {kPropertyWidth}, Qt::Horizontal);
    LayoutWindows(true);
}

void TMainWindow::LayoutWindows(bool both) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect s = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    if (isMaximized()) {
        // The platform places a maximised window itself.
    } else if (firstLayout_) {
        firstLayout_ = false;
        setGeometry(s.left() + int(0.05 * s.width()), s.top() + int(0.1 * s.height()), int(0.9 * s.width()),
                    int(0.8 * s.height()));
        // A window whose bars will not shrink to that size still stays on the screen.
        FitOnScreen(this);
    }
    if (propertyDock_ && factoryDock_) {
        propertyDock_->showNormal();
        factoryDock_->showNormal();
        const int h = std::max(200, centralWidget()->height());
        resizeDocks({propertyDock_, factoryDock_}, {h * 11 / 20, h - h * 11 / 20}, Qt::Vertical);
    }
    // Docks that asked for more than a small screen holds (where no window
    // manager maximises the window) give way to the screen.
    if (layout()) layout()->activate();
    if (!s.contains(frameGeometry())) FitOnScreen(this);
    if (!both) return;
    // The documents' area takes its size from the docks now, not later.
    if (layout()) layout()->activate();
    if (TDocForm* form = ActiveDocument(); form && form->SubWindow()) {
        const QSize area = mdi_->viewport()->size();
        form->SubWindow()->showNormal();
        form->SubWindow()->setGeometry(0, 0, std::max(1, area.width()), std::max(1, area.height()));
    }
}

void TMainWindow::ArrangeSubWindows(bool tile) {
    std::vector<QMdiSubWindow*> shown;
    for (QMdiSubWindow* sub : mdi_->subWindowList(QMdiArea::StackingOrder)) {
        if (sub->isVisible() && !sub->isMinimized()) shown.push_back(sub);
    }
    const TRect area{0, 0, mdi_->viewport()->width(), mdi_->viewport()->height()};
    const int n = static_cast<int>(shown.size());
    // Each window of a cascade shows the title bar of the one below it.
    const int step = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, shown.empty() ? nullptr : shown[0]);
    const std::vector<TRect> rects = tile ? TileRects(n, area) : CascadeRects(n, area, std::max(step, 8));
    QMdiSubWindow* active = mdi_->activeSubWindow();
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* sub = shown[static_cast<std::size_t>(i)];
        if (sub->isMaximized()) sub->showNormal();
        sub->setGeometry(ToQRect(rects[static_cast<std::size_t>(i)]));
        sub->raise();
    }
    if (active && !active->isMinimized()) mdi_->setActiveSubWindow(active);
}

void TMainWindow::ArrangeIcons() {
    int x = 0;
    for (QMdiSubWindow* sub : mdi_->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isMinimized()) continue;
        sub->move(x, mdi_->viewport()->height() - sub->height());
        x += sub->width();
    }
}

void TMainWindow::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    if (!laidOut_) {
        laidOut_ = true;
        LayoutWindows(true);
    }
}

void TMainWindow::AbstractObject1Click() {
    TDocForm* form = ActiveDocument();
    if (!form || !form->Document().Root()) return;
    workspace_.RunWhenIdle([this, form] {
        if (!IsOpen(form)) return;
        if (const std::optional<std::string> path = AbstractCurrentObject(*form->Document().Root())) {
            form->Document().SetFileName(*path);
            if (windows_.factory) windows_.factory->Refresh();
        }
    });
}

void TMainWindow::Help1Click() {
    if (!windows_.help || !windows_.help->ShowContents()) {
        Platform().messages->Error("The help file " + THelpWindow::ContentsPage().toStdString() +
                                   " was not found.");
    }
}

bool TMainWindow::SaveOptions() {
    std::string error;
    if (SaveConfig(&error)) return true;
    Platform().messages->Error("The File \"" + std::string(kConfigFileName) + "\" could not be written:\r" + error);
    return false;
}

void TMainWindow::closeEvent(QCloseEvent* e) {
    if (workspace_.EngineLoopRunning()) {
        e->ignore();
        workspace_.RunWhenIdle([this] { close(); });
        return;
    }
    if (!CloseAll(false)) {
        e->ignore();
        return;
    }
    closing_ = true;
    for (QMdiSubWindow* sub : mdi_->subWindowList()) delete sub;
    SaveOptions();
    workspace_.clipboard.clear();
    e->accept();
}

} // namespace qz::ui
