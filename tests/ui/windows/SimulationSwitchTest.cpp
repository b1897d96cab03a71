#include <QAbstractButton>
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include "UiTestSupport.h"
#include "workspace/TActionSet.h"
#include "app/TMainWindow.h"
#include "app/TQuenzorApp.h"
#include "common/FileSystem.h"
#include "editor/TDocForm.h"
#include "formula/TErrorFenster.h"
#include "model/ExampleNets.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"
#include "model/storage/NetFile.h"
#include "simulation/SimulationSession.h"
#include "simulation/TSimuPanel.h"

using namespace qz;
using namespace qz::ui;

namespace {

enum class NetKind { Good, InvalidArc, BadFormula, Empty };

void Build(TNetList& net, NetKind kind) {
    if (kind == NetKind::Empty) return;
    TPlatz* p = examples::AddPlace(net, 60, 60, "P", "p", 1);
    TTransition* t = examples::AddTransition(net, 160, 60, "T", kind == NetKind::BadFormula ? "sin(" : "1",
                                             kind == NetKind::InvalidArc);
    examples::Connect(net, p, t);
}

QAction* Switch(TQuenzorApp& app) { return app.Main().Actions()[Cmd::Simulation]; }

} // namespace

class SimulationSwitchTest : public QObject {
    Q_OBJECT
private slots:
    void RefusedStartsLeaveTheDocumentInEditMode_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("errorWindowWanted");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("errorWindowShown");
        QTest::newRow("invalid connection") << int(NetKind::InvalidArc) << true
                                            << QStringList{"There are 1 invalid connections. See user guide. !"} << false;
        QTest::newRow("formula error, window wanted") << int(NetKind::BadFormula) << true << QStringList{} << true;
        QTest::newRow("formula error, window not wanted") << int(NetKind::BadFormula) << false << QStringList{} << false;
        QTest::newRow("empty net") << int(NetKind::Empty) << true << QStringList{} << false;
    }
    void RefusedStartsLeaveTheDocumentInEditMode() {
        QFETCH(int, kind);
        QFETCH(bool, errorWindowWanted);
        QFETCH(QStringList, messages);
        QFETCH(bool, errorWindowShown);
        test::UiHome home;
        TQuenzorApp app({}, {0});
        TDocForm& doc = *app.Main().ActiveDocument();
        Build(doc.Document().Root()->Net(), NetKind(kind));
        app.Main().Actions()[Cmd::CompileErrors]->setChecked(errorWindowWanted);
        test::DialogAnswers answers;
        for (int i = 0; i < messages.size(); ++i) answers.Press("OK");
        Switch(app)->trigger();
        QCOMPARE(answers.Texts(), messages);
        QVERIFY(!doc.Document().simulationMode);
        QVERIFY(!Switch(app)->isChecked());
        QVERIFY(!SimulationBusy());
        QCOMPARE(app.Main().Windows().errors->isVisible(), errorWindowShown);
        // Mended, the same document starts.
        if (NetKind(kind) == NetKind::BadFormula) {
            doc.Document().Root()->Net().Clear();
            Build(doc.Document().Root()->Net(), NetKind::Good);
            Switch(app)->trigger();
            QVERIFY(doc.Document().simulationMode);
            Switch(app)->trigger();
        }
    }

    // The conflict warning comes once the document is in simulation mode
    // with the controls switched; Cancel leaves it again. The panel cannot be
    // closed on its own while the session goes on, and closing the last
    // document in simulation mode returns the controls to edit mode.
    void TheConflictWarningFollowsTheSwitchAndThePanelLivesWithTheSession() {
        test::UiHome home;
        TQuenzorApp app({}, {0});
        TDocForm& doc = *app.Main().ActiveDocument();
        TNetList& net = doc.Document().Root()->Net();
        Build(net, NetKind::Good);
        examples::Connect(net, net.At(0), examples::AddTransition(net, 160, 160, "U", "1"));
        for (const QString& answer : {QStringLiteral("Cancel"), QStringLiteral("OK")}) {
            bool modeWhenAsked = false, switchWhenAsked = false;
            test::DialogAnswers answers;
            answers.Then([&](QWidget* box) {
                modeWhenAsked = doc.Document().simulationMode;
                switchWhenAsked = Switch(app)->isChecked();
                for (auto* b : box->findChildren<QAbstractButton*>()) {
                    if (b->text() == answer) QMetaObject::invokeMethod(b, "click", Qt::QueuedConnection);
                }
            });
            Switch(app)->trigger();
            QVERIFY(modeWhenAsked && switchWhenAsked);
            QCOMPARE(doc.Document().simulationMode, answer == QLatin1String("OK"));
            QCOMPARE(Switch(app)->isChecked(), answer == QLatin1String("OK"));
            QCOMPARE(SimulationBusy(), answer == QLatin1String("OK"));
        }
        QWidget* panel = app.Main().Windows().simulation;
        QVERIFY(panel->isVisible());
        QVERIFY(!(panel->windowFlags() & Qt::WindowCloseButtonHint));
        panel->close();
        QVERIFY(panel->isVisible());
        test::DialogAnswers answers;
        answers.Press("No");
        app.Main().CloseFile1Click();
        QVERIFY(app.Main().Documents().empty());
        QVERIFY(!Switch(app)->isChecked());
        QVERIFY(!app.Main().SimulationControls());
        QVERIFY(!panel->isVisible());
    }

    void ASecondDocumentWaitsUntilTheFirstLeavesSimulation() {
        test::UiHome home;
        TQuenzorApp app({}, {0});
        TMainWindow& main = app.Main();
        TDocForm& first = *main.ActiveDocument();
        Build(first.Document().Root()->Net(), NetKind::Good);
        Switch(app)->trigger();
        QVERIFY(first.Document().simulationMode);
        TDocForm& second = *main.NewDocument();
        Build(second.Document().Root()->Net(), NetKind::Good);
        test::DialogAnswers answers;
        answers.Press("OK");
        Switch(app)->trigger();
        QCOMPARE(answers.Texts(), QStringList{QString::fromLatin1(kSimulatorBusy).replace('\r', '\n')});
        QVERIFY(!second.Document().simulationMode);
        QVERIFY(first.Document().simulationMode);
        QVERIFY(!Switch(app)->isChecked());
        first.SubWindow()->setFocus();
        main.WorkArea()->setActiveSubWindow(first.SubWindow());
        QVERIFY(Switch(app)->isChecked());
        Switch(app)->trigger();
        QVERIFY(!first.Document().simulationMode);
        QVERIFY(!SimulationBusy());
    }

    void AChangedNetEnteringSimulationIsBackedUp_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("backup");
        QTest::newRow("name with dots") << "net.v2.pn" << "net~.pn";
        QTest::newRow("name ending in a tilde") << "net~.pn" << "net~";
    }
    void AChangedNetEnteringSimulationIsBackedUp() {
        QFETCH(QString, file);
        QFETCH(QString, backup);
        test::UiHome home;
        const std::string path = home.PathOf(file.toStdString()), backupPath = home.PathOf(backup.toStdString());
        {
            TPNObjekt root;
            Build(root.Net(), NetKind::Good);
            SaveNetFile(root, path);
        }
        TQuenzorApp app({QString::fromStdString(path)}, {0});
        TDocForm& doc = *app.Main().ActiveDocument();
        examples::AddPlace(doc.Document().Root()->Net(), 300, 60, "Q", "q");
        doc.Document().SetModified(true);
        Switch(app)->trigger();
        QVERIFY(doc.Document().simulationMode);
        QVERIFY(fs::FileExists(backupPath));
        QVERIFY(doc.Document().Modified());
        Switch(app)->trigger();
        app.Main().Speichern1Click();
        QVERIFY(!fs::FileExists(backupPath));
        QVERIFY(!doc.Document().Modified());
    }
};

QTEST_MAIN(SimulationSwitchTest)
#include "SimulationSwitchTest.moc"
