#include <QDockWidget>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include "UiTestSupport.h"
#include "app/TMainWindow.h"
#include "app/TQuenzorApp.h"
#include "editor/TDocForm.h"

using namespace qz;
using namespace qz::ui;

class StartUpTest : public QObject {
    Q_OBJECT
private slots:
    void WindowsAreMadeInTheirOrderWithTheFileOfTheCommandLine() {
        test::UiHome home;
        TQuenzorApp app(test::ExampleNetIn(home), {0});
        const QStringList expected{"TMainWindow",   "TFactoryWindow",  "TPropertyWindow",
                                   "TFormelEditor", "TOptionsWindow",  "TDocForm",
                                   "TErrorFenster", "TAboutWindow",    "TFarbenFenster",
                                   "TEditorWindow", "TDbWinScrn",      "TResourceWindow",
                                   "TSimuPanel",    "TProjectHierarchyWindow", "TCMIWindow",
                                   "TDocumentationWindow", "TExportForm", "TOverviewForm",
                                   "TLogWindow"};
        QCOMPARE(app.CreationOrder(), expected);
        QCOMPARE(app.Main().windowTitle(), QStringLiteral("Quenzor 2.7a"));
        QCOMPARE(app.Main().Documents().size(), std::size_t(1));
        TDocForm* doc = app.Main().ActiveDocument();
        QVERIFY(doc);
        QCOMPARE(doc->windowTitle(), home.QPathOf("net.pn"));
        QCOMPARE(doc->StatusText(5), QStringLiteral("File version: 2,7"));
        // The docks, made after the window was shown, share the left column
        // about evenly.
        const auto* properties = app.Main().findChild<QDockWidget*>(QStringLiteral("PropertyDock"));
        const auto* factory = app.Main().findChild<QDockWidget*>(QStringLiteral("FactoryDock"));
        QTRY_VERIFY(properties->height() > 100 && factory->height() * 2 > properties->height());
        // No window title carries the program's name as well: every window
        // shows exactly its own caption.
        QVERIFY(QGuiApplication::applicationDisplayName() == QGuiApplication::applicationName());
    }

    // A net named on the command line that cannot be read is reported as
    // File > Open reports it; an empty document takes its place.
    void AFileArgumentThatCannotBeReadIsReported_data() {
        QTest::addColumn<QString>("argument");
        QTest::newRow("missing") << QStringLiteral("missing.pn");
        QTest::newRow("a directory") << QStringLiteral(".");
    }
    void AFileArgumentThatCannotBeReadIsReported() {
        QFETCH(QString, argument);
        test::UiHome home;
        test::DialogAnswers answers;
        answers.Press(QStringLiteral("OK"));
        TQuenzorApp app({home.QPathOf(argument.toStdString())}, {0});
        QCOMPARE(answers.Texts(), QStringList{"Error while reading file. The file will be closed now..."});
        QCOMPARE(app.Main().Documents().size(), std::size_t(1));
        QCOMPARE(app.Main().ActiveDocument()->windowTitle(), QStringLiteral("Editor"));
    }
};

QTEST_MAIN(StartUpTest)
#include "StartUpTest.moc"
