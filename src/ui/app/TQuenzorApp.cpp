#include "app/TQuenzorApp.h"

#include <QAction>

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

#include "app/TAboutWindow.h"
#include "app/TDebugWindow.h"
#include "app/THelpWindow.h"
#include "app/TLogWindow.h"
#include "workspace/TActionSet.h"
#include "app/TMainWindow.h"
#include "app/TResourceWindow.h"
#include "app/TSplashWindow.h"
#include "app/TStartWindow.h"
#include "diagrams/TFarbenFenster.h"
#include "editor/TCMIWindow.h"
#include "editor/TDocForm.h"
#include "editor/TDocumentationWindow.h"
#include "editor/TEditorWindow.h"
#include "editor/TExportForm.h"
#include "editor/TOverviewForm.h"
#include "editor/TProjectHierarchyWindow.h"
#include "editor/TPropertyWindow.h"
#include "formula/TErrorFenster.h"
#include "formula/TFormelEditor.h"
#include "library/TFactoryWindow.h"
#include "platform/QtPlatform.h"
#include "platform/Services.h"
#include "settings/TOptionsWindow.h"
#include "simulation/TSimuPanel.h"

namespace qz::ui {

QString TQuenzorApp::FileArgument(const QStringList& arguments) {
    QString joined;
    for (const QString& a : arguments) joined += a + QLatin1Char(' ');
    while (joined.endsWith(QLatin1Char(' '))) joined.chop(1);
    return joined;
}

TQuenzorApp::TQuenzorApp(const QStringList& arguments, Options options) {
    if (options.splashMilliseconds > 0) {
        splash_ = new TSplashWindow(options.splashMilliseconds);
        QObject::connect(splash_.data(), &TSplashWindow::expired, [this] { SplashTimerTimer(); });
        splash_->show();
        QApplication::processEvents();
    }
    // The name only: a display name would be appended to every window title.
    QApplication::setApplicationName(QStringLiteral("Quenzor"));
    CreateWindows(FileArgument(arguments));
    if (splash_) splash_->raise();
}

TQuenzorApp::~TQuenzorApp() {
    if (splash_) delete splash_.data();
    main_.reset();
}

void TQuenzorApp::CreateWindows(const QString& file) {
    main_ = std::make_unique<TMainWindow>(workspace_);
    TMainWindow& m = *main_;
    TAppWindows& w = m.Windows();
    const auto made = [this](QWidget* window) { created_ << window->objectName(); };
    made(main_.get());
    m.show();
    made(w.factory = new TFactoryWindow(m, &m));
    made(w.properties = new TPropertyWindow(m, &m));
    made(w.formulaEditor = new TFormelEditor(&m));
    made(w.options = new TOptionsWindow(&m));
    m.TakeOptionItems();
    // The first document: the file named on the command line, or empty.
    TDocForm* first = nullptr;
    // One that cannot be read is reported by the reader, as File > Open does.
    if (!file.isEmpty()) first = m.OpenFile(QFileInfo(file).absoluteFilePath().toStdString());
    if (first && w.factory) w.factory->show();
    if (!first) first = m.NewDocument();
    made(first);
    w.errors = new TErrorFenster(&m);
    made(w.errors);
    made(w.about = new TAboutWindow(&m));
    made(w.colours = new TFarbenFenster(&m));
    made(w.textEditor = new TEditorWindow(&m));
    // The debug window receives the trace lines of the platform's sink.
    auto* platform = dynamic_cast<QtTraceSink*>(Platform().trace);
    static QtTraceSink detachedSink;
    made(w.debug = new TDebugWindow(platform ? *platform : detachedSink, &m));
    made(w.resources = new TResourceWindow(&m));
    made(w.simulation = new TSimuPanel(m, &m));
    made(w.hierarchy = new TProjectHierarchyWindow(m, &m));
    made(w.initialMarking = new TCMIWindow(&m));
    made(w.documentation = new TDocumentationWindow(&m));
    made(w.exportForm = new TExportForm(&m));
    made(w.navigator = new TOverviewForm(m, &m));
    made(w.log = new TLogWindow(&m));
    w.help = new THelpWindow(&m);
    m.DockToolWindows();
}

void TQuenzorApp::SplashTimerTimer() {
    splash_.clear();
    if (!main_ || !main_->StartWindowChecked()) return;
    if (QApplication::activeModalWidget()) {
        // A question of the start-up is still open: the start window waits.
        QTimer::singleShot(250, main_.get(), [this] { SplashTimerTimer(); });
        return;
    }
    TStartWindow start(main_.get());
    QObject::connect(&start, &TStartWindow::startWindowWanted, main_.get(), [this](bool wanted) {
        main_->Actions()[Cmd::StartWindow]->setChecked(wanted);
    });
    start.exec();
}

} // namespace qz::ui
