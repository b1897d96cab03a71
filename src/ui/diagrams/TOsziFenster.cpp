#include "diagrams/TOsziFenster.h"

#include <QAction>
#include <QButtonGroup>
#include <QContextMenuEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include "DrawingPicture.h"
#include "diagrams/TFarbenFenster.h"
#include "diagrams/TInfoFenster.h"
#include "diagrams/TInfoFigures.h"
#include "diagrams/TOsziPanel.h"
#include "editor/TDocForm.h"
#include "model/TPlatz.h"
#include "platform/Services.h"
#include "widgets/ControlNames.h"
#include "widgets/Pictures.h"
#include "workspace/MainFrame.h"
#include "workspace/TAppWindows.h"

namespace qz::ui {

namespace {

constexpr int kTitleBarHeight = 19;
constexpr int kRolledUpWidth = 150;
// A copied plot: hundredths of a millimetre per pixel.
constexpr int kClipboardScale = 31;
constexpr const char* kPictureFilter = "*.wmf|*.wmf|*.emf|*.emf|*.svg|*.svg|*.pdf|*.pdf|*.png|*.png";

inline constexpr char kNoWindowFormat[] = "The clipboard holds no window format.";

// The window format copied last in this program, also when the system
// clipboard cannot hold it.
diagrams::WindowFormat& FormatClipboard() {
    static diagrams::WindowFormat format;
    return format;
}

QString Text(const std::string& s) { return QString::fromStdString(s); }

} // namespace

TOsziFenster::TOsziFenster(TDocForm& owner, TPlatz* place) : TMorphWindow2(owner, place) {
    setObjectName(QStringLiteral("TOsziFenster"));
    setWindowTitle(QStringLiteral("Oszillograph"));
    setAccessibleName(windowTitle());
    setAutoFillBackground(true);

    titleBar_ = Named(new QWidget(this), "TitelLeistenPanel", QStringLiteral("Title bar"));
    titleBar_->setFixedHeight(kTitleBarHeight);
    titleBar_->setAutoFillBackground(true);
    QPalette teal = titleBar_->palette();
    teal.setColor(QPalette::Window, QColor(0x00, 0x80, 0x80));
    teal.setColor(QPalette::WindowText, Qt::white);
    titleBar_->setPalette(teal);
    titleLabel_ = Named(new QLabel(titleBar_), "UeberschriftLabel", QStringLiteral("Title"));
    const auto barButton = [this](const char* name, const QString& caption, const QString& accessible) {
        auto* b = Named(new QToolButton(titleBar_), name, accessible);
        b->setText(caption);
        b->setAutoRaise(true);
        b->setFixedSize(kTitleBarHeight - 2, kTitleBarHeight - 2);
        return b;
    };
    QToolButton* mini = barButton("MiniButton", QStringLiteral("_"), QStringLiteral("Roll up"));
    maxiButton_ = barButton("MaxiButton", QStringLiteral("^"), QStringLiteral("Hide head line"));
    QToolButton* close = barButton("CloseButton", QStringLiteral("x"), QStringLiteral("Close"));
    connect(mini, &QToolButton::clicked, this, [this] { MiniButtonClick(); });
    connect(maxiButton_, &QToolButton::clicked, this, [this] { MaxiButtonClick(); });
    connect(close, &QToolButton::clicked, this, &QWidget::close);
    auto* bar = new QHBoxLayout(titleBar_);
    bar->setContentsMargins(3, 0, 1, 0);
    bar->setSpacing(1);
    bar->addWidget(titleLabel_, 1);
    bar->addWidget(mini);
    bar->addWidget(maxiButton_);
    bar->addWidget(close);
    titleBar_->installEventFilter(this);
    titleLabel_->installEventFilter(this);

    auto* border = Named(new QFrame(this), "Umrandungspanel", QStringLiteral("Border"));
    border->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    border->setCursor(Qt::CrossCursor);
    border->installEventFilter(this);
    panel_ = new TOsziPanel(border);
    auto* inside = new QVBoxLayout(border);
    inside->setContentsMargins(2, 2, 2, 2);
    inside->addWidget(panel_);
    panel_->dragPress = [this](QMouseEvent* e) { DragPress(e->globalPosition().toPoint()); };
    panel_->dragMove = [this](QMouseEvent* e) { DragMove(e->globalPosition().toPoint()); };
    panel_->dragRelease = [this](QMouseEvent*) { DragRelease(); };

    toolBar_ = Named(new QWidget(this), "ToolBarPanel", QStringLiteral("Tool bar"));
    auto* tools = new QHBoxLayout(toolBar_);
    tools->setContentsMargins(2, 1, 2, 1);
    tools->setSpacing(1);
    tools->addWidget(ModeButton("HandButton", QStringLiteral("Move"), int(TOsziPanel::Mode::Move)));
    tools->addWidget(ModeButton("PlusButton", QStringLiteral("Zoom In"), int(TOsziPanel::Mode::ZoomIn)));
    tools->addWidget(ModeButton("MinusButton", QStringLiteral("Zoom Out"), int(TOsziPanel::Mode::ZoomOut)));
    tools->addWidget(ModeButton("RectButton", QStringLiteral("Zoom Area"), int(TOsziPanel::Mode::ZoomRect)));
    tools->addStretch(1);
    toolBar_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(titleBar_);
    layout->addWidget(toolBar_);
    layout->addWidget(border, 1);
    BuildMenu();
    resize(280, 190);
}

TOsziFenster::~TOsziFenster() {
    // The place lets go of its window (the place may be what destroys it).
    if (TPlatz* p = Place()) p->DetachOscilloscope(this);
}

QToolButton* TOsziFenster::ModeButton(const char* name, const QString& hint, int mode) {
    static const char* const kIcons[] = {"", "Plus", "MinusLupe", "Rect", "Hand_offen"};
    auto* b = Named(new QToolButton(toolBar_), name, hint);
    b->setToolTip(hint);
    b->setCheckable(true);
    b->setIcon(NamedIcon(QString::fromLatin1(kIcons[mode])));
    b->setAutoRaise(true);
    // One mode at a time: a button turned on turns the others off.
    connect(b, &QToolButton::toggled, this, [this, b, mode](bool on) {
        if (on) {
            for (QToolButton* other : toolBar_->findChildren<QToolButton*>()) {
                if (other != b) other->setChecked(false);
            }
            panel_->SetMode(TOsziPanel::Mode(mode));
        } else if (panel_->MouseMode() == TOsziPanel::Mode(mode)) {
            panel_->SetMode(TOsziPanel::Mode::None);
        }
    });
    return b;
}

void TOsziFenster::BuildMenu() {
    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("PopupMenu1"));
    menu_->setAccessibleName(QStringLiteral("Oscilloscope menu"));
    const auto item = [this](QMenu* m, const char* name, const QString& text, auto handler, bool checkable = false) {
        QAction* a = m->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        a->setCheckable(checkable);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    item(menu_, "ToolBar1", QStringLiteral("Tool Bar"), [this](bool on) { ToolBar1Click(on); }, true);
    QMenu* show = menu_->addMenu(QStringLiteral("Show"));
    show->setObjectName(QStringLiteral("Show1"));
    item(show, "Axis1", QStringLiteral("Axis"), [this] { Axis1Click(); }, true);
    item(show, "Grids1", QStringLiteral("Grids"), [this](bool on) { panel_->SetRasterVisible(on); }, true);
    item(show, "Values1", QStringLiteral("Values"), [this](bool on) { panel_->SetWerteVisible(on); }, true);
    item(menu_, "AutoScale1", QStringLiteral("Automatic Scale"), [this] { AutoScale1Click(); }, true);
    item(menu_, "ManualScale1", QStringLiteral("Manual Scale"), [this] { ManualScale1Click(); }, true);
    item(menu_, "Colours1", QStringLiteral("Colours"), [this] { Colours1Click(); });
    item(menu_, "CenterAxis1", QStringLiteral("Center Axis"), [this] { CenterAxis1Click(); });
    item(menu_, "InitAxis1", QStringLiteral("Init Axis"), [this] { InitAxis1Click(); });
    item(menu_, "ShowParent1", QStringLiteral("Show Parent"), [this] { ShowParent1Click(); }, true);
    item(menu_, "HideHeadLine1", QStringLiteral("Hide Head Line"), [this] { HideHeadLine1Click(); });
    item(menu_, "CopyToClipboard1", QStringLiteral("Copy to Clipboard"), [this] { CopyToClipboard1Click(); });
    item(menu_, "ExportGraphic1", QStringLiteral("Export Graphic"), [this] { ExportGraphic1Click(); });
    item(menu_, "ExportAscii1", QStringLiteral("Export Graphic (ASCII)"), [this] { ExportAscii1Click(); });
    QMenu* format = menu_->addMenu(QStringLiteral("Window Format"));
    format->setObjectName(QStringLiteral("WindowFormat1"));
    item(format, "FormatCopy1", QStringLiteral("Copy"), [this] { FormatCopy1Click(); });
    item(format, "FormatPaste1", QStringLiteral("Paste"), [this] { FormatPaste1Click(); });
    item(menu_, "EraseData1", QStringLiteral("Erase Data"), [this] { EraseData1Click(); });
    item(menu_, "Info1", QStringLiteral("Info"), [this] { Info1Click(); });
    item(menu_, "CloseWindow1", QStringLiteral("Close Window"), [this] { close(); });
    for (QMenu* m : findChildren<QMenu*>()) m->setAccessibleName(m->title().isEmpty() ? m->accessibleName() : m->title());
    SyncMenu();
}

QAction* TOsziFenster::MenuItem(const char* objectName) const {
    return menu_->findChild<QAction*>(QString::fromLatin1(objectName));
}

void TOsziFenster::SyncMenu() {
    const diagrams::PlotSettings& s = panel_->Settings();
    MenuItem("ToolBar1")->setChecked(toolBar_->isVisibleTo(this));
    MenuItem("Axis1")->setChecked(s.axesVisible);
    MenuItem("Grids1")->setChecked(s.gridVisible);
    MenuItem("Values1")->setChecked(s.valuesVisible);
    MenuItem("Grids1")->setEnabled(s.axesVisible);
    MenuItem("Values1")->setEnabled(s.axesVisible);
    MenuItem("AutoScale1")->setChecked(s.autoScale);
    MenuItem("ManualScale1")->setChecked(s.manual);
    MenuItem("ShowParent1")->setChecked(ConnectorShown());
    MenuItem("HideHeadLine1")->setText(HeadLineShown() ? QStringLiteral("Hide Head Line")
                                                        : QStringLiteral("Show Head Line"));
}

void TOsziFenster::contextMenuEvent(QContextMenuEvent* e) {
    SyncMenu();
    menu_->popup(e->globalPos());
}

// ---------------------------------------------------------------------------
// Samples and captions

void TOsziFenster::AddSample(long double time, long double marking) {
    panel_->Trace().Append(time, marking);
    if (!rolledUp_) panel_->NewSample();
}

void TOsziFenster::ClearData() {
    panel_->Trace().Clear();
    panel_->FullRepaint();
}

void TOsziFenster::SetCurveOn(bool on) { curveOn_ = on; }

void TOsziFenster::SetCaptions(const std::string& headLine, const std::string& yAxisName, int curveType) {
    SetUeberschrift(Text(headLine));
    panel_->Settings().yName = yAxisName;
    panel_->SetKurveTyp(curveType == 0 ? diagrams::TKurveTyp::Glatt : diagrams::TKurveTyp::Balken);
    panel_->FullRepaint();
}

void TOsziFenster::PlaceChanged(TPlatz* place) {
    SetPlace(place);
    if (place) place->UpdateOscilloscopeCaption();
}

void TOsziFenster::SetUeberschrift(const QString& title) {
    title_ = title;
    setAccessibleName(title);
    ShowTitle();
}

void TOsziFenster::ShowTitle() {
    QString shown = title_;
    const int room = width() - 100;
    const QFontMetrics fm(titleLabel_->font());
    const int wide = fm.horizontalAdvance(title_);
    if (wide > room && !title_.isEmpty()) {
        // The proportional number of characters, less two, and "...".
        const int keep = std::max(0, int(qint64(title_.size()) * std::max(0, room) / wide) - 2);
        shown = title_.left(keep) + QStringLiteral("...");
    }
    titleLabel_->setText(shown);
    titleLabel_->setAccessibleName(shown);
}

void TOsziFenster::resizeEvent(QResizeEvent* e) {
    TMorphWindow2::resizeEvent(e);
    ShowTitle();
}

// ---------------------------------------------------------------------------
// Title bar: dragging, rolling up, hiding

bool TOsziFenster::eventFilter(QObject* watched, QEvent* e) {
    const bool dragArea = watched == titleBar_ || watched == titleLabel_ || watched->objectName() == "Umrandungspanel";
    if (!dragArea) return TMorphWindow2::eventFilter(watched, e);
    switch (e->type()) {
    case QEvent::MouseButtonPress: {
        auto* m = static_cast<QMouseEvent*>(e);
        if (m->button() != Qt::LeftButton) return false;
        DragPress(m->globalPosition().toPoint());
        return true;
    }
    case QEvent::MouseMove: DragMove(static_cast<QMouseEvent*>(e)->globalPosition().toPoint()); return true;
    case QEvent::MouseButtonRelease: DragRelease(); return true;
    case QEvent::MouseButtonDblClick:
        if (!HeadLineShown()) HideHeadLine1Click();
        return true;
    default: return false;
    }
}

void TOsziFenster::mouseDoubleClickEvent(QMouseEvent*) {
    if (!HeadLineShown()) HideHeadLine1Click();
}

bool TOsziFenster::HeadLineShown() const { return titleBar_->isVisibleTo(this); }

void TOsziFenster::MiniButtonClick() {
    if (!rolledUp_) {
        unrolled_ = size();
        rolledUp_ = true;
        maxiButton_->hide();
        resize(kRolledUpWidth, kTitleBarHeight + 6);
    } else {
        rolledUp_ = false;
        maxiButton_->show();
        resize(unrolled_);
        panel_->FullRepaint();
    }
}

void TOsziFenster::MaxiButtonClick() { HideHeadLine1Click(); }

void TOsziFenster::HideHeadLine1Click() {
    titleBar_->setVisible(!HeadLineShown());
    SyncMenu();
}

// ---------------------------------------------------------------------------
// Menu

void TOsziFenster::ToolBar1Click(bool on) {
    toolBar_->setVisible(on);
    panel_->SetOwnMouse(on);
    if (on) {
        if (panel_->Settings().autoScale) panel_->SetAutoScale(false);
        toolBar_->findChild<QToolButton*>(QStringLiteral("HandButton"))->setChecked(true);
    } else {
        toolBar_->findChild<QToolButton*>(QStringLiteral("PlusButton"))->setChecked(false);
    }
    SyncMenu();
}

void TOsziFenster::AutoScale1Click() {
    if (toolBar_->isVisibleTo(this)) ToolBar1Click(false);
    diagrams::PlotSettings& s = panel_->Settings();
    if (s.manual) s.manual = false;
    panel_->SetAutoScale(!s.autoScale);
    SyncMenu();
}

void TOsziFenster::ManualScale1Click() {
    panel_->SetManuell(!panel_->Settings().manual);
    SyncMenu();
}

void TOsziFenster::Axis1Click() {
    panel_->SetAchsenVisible(!panel_->Settings().axesVisible);
    SyncMenu();
}

void TOsziFenster::Colours1Click() {
    TFarbenFenster* colours = Owner().Main().Windows().colours;
    if (!colours) return;
    diagrams::PlotSettings s = panel_->Settings();
    if (colours->Execute(s)) {
        panel_->Settings() = s;
        panel_->FullRepaint();
    }
}

void TOsziFenster::CenterAxis1Click() {
    diagrams::PlotBorders b = panel_->Borders();
    diagrams::CenterAxis(b);
    panel_->SetBorders(b);
}

void TOsziFenster::InitAxis1Click() {
    diagrams::PlotBorders b = panel_->Borders();
    b.Init();
    panel_->Settings().manual = false;
    panel_->SetBorders(b);
    SyncMenu();
}

void TOsziFenster::ShowParent1Click() {
    SetConnectorShown(!ConnectorShown());
    SyncMenu();
}

void TOsziFenster::CopyToClipboard1Click() {
    const int w = panel_->width(), h = panel_->height();
    std::string error;
    const auto bytes = render::DrawingMetafile(w, h, [this, w, h](Canvas& c) { panel_->PaintTo(c, w, h); },
                                              kClipboardScale, &error);
    if (bytes) {
        Platform().clipboard->SetMetafile(bytes->data(), bytes->size());
    } else {
        Platform().messages->Error("The graphic could not be copied:\r" + error);
    }
    panel_->FullRepaint();
}

void TOsziFenster::ExportGraphic1Click() {
    const std::optional<std::string> path = Platform().dialogs->SaveFileName("", "*.wmf", kPictureFilter);
    if (!path) return;
    const int w = panel_->width(), h = panel_->height();
    std::string error;
    if (!render::WriteDrawing(*path, w, h, [this, w, h](Canvas& c) { panel_->PaintTo(c, w, h); }, &error)) {
        Platform().messages->Error("The graphic could not be exported to " + *path + ":\r" +
                                   (error.empty() ? std::string("unknown error") : error));
    }
    panel_->FullRepaint();
}

void TOsziFenster::ExportAscii1Click() {
    const std::optional<std::string> path = Platform().dialogs->SaveFileName("", "*.txt", "*.txt|*.txt");
    if (!path) return;
    std::string error;
    if (!diagrams::SaveValues(panel_->Trace(), *path, &error)) {
        Platform().messages->Error("The values could not be saved to " + *path + ":\r" +
                                   (error.empty() ? std::string("unknown error") : error));
    }
}

void TOsziFenster::FormatCopy1Click() {
    const diagrams::PlotBorders& b = panel_->Borders();
    diagrams::WindowFormat& f = FormatClipboard();
    f = {b.xmax, b.ymax, b.xmin, b.ymin, width(), height()};
    Platform().clipboard->SetText(diagrams::FormatText(f));
}

void TOsziFenster::FormatPaste1Click() {
    // What the system clipboard holds decides: a window format copied here,
    // or nothing of the kind (another program's, a damaged one).
    const std::optional<std::string> text = Platform().clipboard->Text();
    std::optional<diagrams::WindowFormat> f =
        text ? diagrams::ParseFormatText(*text) : std::optional<diagrams::WindowFormat>(FormatClipboard());
    if (!f) {
        Platform().messages->Error(kNoWindowFormat);
        return;
    }
    // Pasted borders hold: automatic scaling would replace them at once.
    if (panel_->Settings().autoScale) panel_->SetAutoScale(false);
    diagrams::PlotBorders b = panel_->Borders();
    diagrams::PasteFormat(b, *f);
    panel_->SetBorders(b);
    resize(f->width, f->height);
    SyncMenu();
}

void TOsziFenster::EraseData1Click() { ClearData(); }

void TOsziFenster::Info1Click() {
    TInfoFenster info(this);
    info.ShowFigures(panel_->Trace());
}

} // namespace qz::ui
