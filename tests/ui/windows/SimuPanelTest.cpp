#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "UiTestSupport.h"
#include "workspace/TActionSet.h"
#include "app/TMainWindow.h"
#include "app/TQuenzorApp.h"
#include "workspace/Workspace.h"
#include "editor/TDocForm.h"
#include "model/ExampleNets.h"
#include "model/TEdge.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"
#include "platform/Services.h"
#include "settings/TOptionsWindow.h"
#include "simulation/SimulationSession.h"
#include "simulation/TSimuPanel.h"

using namespace qz;
using namespace qz::ui;

namespace {

using Builder = void (*)(TPNObjekt&);

// P (1 token) -> T (timed 2) -> Q, and R -> T weighing 1/(P-1): the first
// evaluation of the weight divides by zero.
void FailingWeightNet(TPNObjekt& root) {
    TNetList& net = root.Net();
    TTransition* t = examples::AddTransition(net, 200, 100, "T", "2");
    examples::Connect(net, examples::AddPlace(net, 100, 100, "P", "P", 1), t);
    examples::Connect(net, t, examples::AddPlace(net, 300, 100, "Q", "Q"));
    examples::Connect(net, examples::AddPlace(net, 200, 200, "R", "R", 1), t, akNormal, "1/(P-1)");
}

// Toggles a check box or checkable button as a screen reader does: no click.
void Toggle(QWidget* w) {
    QAccessible::queryAccessibleInterface(w)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
}

// A net open and in simulation mode (switched on as a screen reader does).
struct Simulating {
    explicit Simulating(Builder build = nullptr) : app(test::ExampleNetIn(home, build), {0}) {
        Toggle(main.findChild<QToolButton*>(QStringLiteral("SimuButton")));
    }
    test::UiHome home;
    TQuenzorApp app;
    TMainWindow& main = app.Main();
    TSimuPanel& panel = *main.Windows().simulation;
    TDocForm* doc = main.ActiveDocument();

    // The session ends as the switch ends it: the busy flag is the program's.
    ~Simulating() {
        if (Session().Active()) main.Actions()[Cmd::Simulation]->trigger();
    }

    template <class W>
    W* Control(const char* name) const {
        W* w = panel.findChild<W*>(QString::fromLatin1(name));
        if (!w) qFatal("no control %s", name);
        return w;
    }
    QToolButton* Button(const char* name) const { return Control<QToolButton>(name); }
    QCheckBox* Check(const char* name) const { return Control<QCheckBox>(name); }
    TSimulationSession& Session() { return app.Workspace().Session(); }
    // The maximum-speed loop, begun after the click, has ended.
    void WaitForTheRunToEnd() {
        QTRY_VERIFY_WITH_TIMEOUT(!app.Workspace().EngineLoopRunning() && panel.StatusText(0) != "Running...", 10000);
    }
    // A maximum-speed run that only Stop (or a deferred command) ends.
    void PrepareEndlessMaxSpeedRun() {
        Toggle(Check("HighSpeedCheckBox"));
        Toggle(Check("ZeitCheck"));
    }
};

enum StopBy { kStopButton, kMaxSpeedUnchecked };
enum Deferred { kCloseFile, kReleaseSwitch, kCloseDocumentFrame, kApplySampleTime, kExit };

} // namespace

Q_DECLARE_METATYPE(Deferred)
Q_DECLARE_METATYPE(StopBy)

class SimuPanelTest : public QObject {
    Q_OBJECT
private slots:
    void MaximumSpeedRunIsStoppedFromThePanel_data() {
        QTest::addColumn<StopBy>("by");
        QTest::newRow("Stop") << kStopButton;
        // The loop ends when "Max Speed" is no longer checked: the run is over.
        QTest::newRow("Max Speed unchecked") << kMaxSpeedUnchecked;
    }
    void MaximumSpeedRunIsStoppedFromThePanel() {
        QFETCH(StopBy, by);
        Simulating s;
        QVERIFY(s.panel.isVisible());
        QCOMPARE(QAccessible::queryAccessibleInterface(&s.panel)->role(), QAccessible::Window);
        QCOMPARE(s.panel.StatusText(0), QStringLiteral("Ready"));
        QCOMPARE(s.panel.StatusText(1), QStringLiteral("Time : 0"));
        QVERIFY(!s.Check("StatisticCheckBox")->isEnabled());
        s.PrepareEndlessMaxSpeedRun();
        QVERIFY(s.Check("StatisticCheckBox")->isEnabled());
        QVERIFY(!s.Check("ShowTimeCheckBox")->isChecked());
        s.Check("StatisticCheckBox")->click();

        QString during;
        bool runEnabled = true, runBold = false;
        QTimer::singleShot(60, &s.panel, [&] {
            during = s.panel.StatusText(0);
            runEnabled = s.Button("RunBtn")->isEnabled();
            runBold = s.Button("RunBtn")->font().bold();
            if (by == kStopButton) {
                s.Button("StopBtn")->click();
            } else {
                s.Check("HighSpeedCheckBox")->click();
            }
        });
        s.Button("RunBtn")->click();
        // The click is answered at once; the loop begins from the event queue.
        QCOMPARE(s.panel.StatusText(0), QStringLiteral("Running..."));
        QCOMPARE(s.doc->Document().Root()->modelTime, 0.0);
        s.WaitForTheRunToEnd();

        QCOMPARE(during, QStringLiteral("Running..."));
        QVERIFY(!runEnabled);
        QVERIFY(runBold);
        QCOMPARE(s.panel.StatusText(0), QStringLiteral("Ready"));
        QVERIFY(s.Button("StopBtn")->font().bold() && !s.Button("RunBtn")->font().bold());
        QVERIFY(s.Button("RunBtn")->isEnabled());
        QVERIFY(s.panel.StatusText(1).startsWith(QStringLiteral("Time : ")));
        QVERIFY(s.doc->Document().Root()->modelTime > 0);
        QVERIFY(!s.Check("HighSpeedCheckBox")->isChecked() && s.Check("HighSpeedCheckBox")->isEnabled());
        QVERIFY(s.Check("ShowTimeCheckBox")->isChecked());
        QVERIFY(!s.app.Workspace().EngineLoopRunning());
        // "Evaluation" after Stop: the figures of the run on the options window.
        TOptionsWindow* options = s.main.Windows().options;
        QCOMPARE(options->isVisible(), by == kStopButton);
        if (by != kStopButton) return;
        const QString steps = options->findChild<QLabel*>(QStringLiteral("StepLabel"))->text();
        QVERIFY2(steps.startsWith(QStringLiteral("Steps: ")) && steps.mid(7).toInt() > 0, qPrintable(steps));
        QVERIFY(options->findChild<QLabel*>(QStringLiteral("StepSpeedLabel"))->text().startsWith("Steps per sec: "));
    }

    void TimerRunReportsAFormulaErrorOnceAtATime() {
        Simulating s(FailingWeightNet);
        s.Control<QSlider>("SpeedBar")->setValue(1);
        test::DialogAnswers answers;
        int boxes = 0;
        answers.Then([&](QWidget* box) {
            ++boxes;
            // Many ticks later the same report is still the only one.
            QTimer::singleShot(100, box, [&, box] {
                if (QApplication::activeModalWidget() != box) ++boxes;
                s.Button("StopBtn")->click();
                box->close();
            });
        });
        s.Button("RunBtn")->click();
        QTRY_COMPARE(s.panel.StatusText(0), QStringLiteral("Ready"));
        QCOMPARE(boxes, 1);
        QVERIFY(!s.Session().simulationTimer->Enabled());
    }

    void TimerRunShowsTheTimeAndInitNetResetsIt() {
        Simulating s;
        s.Control<QSlider>("SpeedBar")->setValue(1);
        s.Button("RunBtn")->click();
        QCOMPARE(s.panel.StatusText(0), QStringLiteral("Running..."));
        QVERIFY(s.Button("RunBtn")->font().bold() && !s.Button("StopBtn")->font().bold());
        QVERIFY(!s.Check("HighSpeedCheckBox")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(s.panel.StatusText(1) != QStringLiteral("Time : 0"), 5000);
        QVERIFY(s.panel.StatusText(1).startsWith(QStringLiteral("Time : ")));
        s.Button("StopBtn")->click();
        QCOMPARE(s.panel.StatusText(0), QStringLiteral("Ready"));
        QVERIFY(s.Check("HighSpeedCheckBox")->isEnabled());

        s.doc->Initialisieren1Click();
        QCOMPARE(s.panel.StatusText(1), QStringLiteral("Time : 0"));
        QCOMPARE(s.doc->Document().Root()->modelTime, 0.0);
    }

    void CommandsDuringAMaximumSpeedRunWaitForItsEnd_data() {
        QTest::addColumn<Deferred>("command");
        QTest::newRow("Close File") << kCloseFile;
        QTest::newRow("simulation switch released") << kReleaseSwitch;
        QTest::newRow("document window closed") << kCloseDocumentFrame;
        QTest::newRow("options applied with a new sample time") << kApplySampleTime;
        QTest::newRow("program closed") << kExit;
    }
    void CommandsDuringAMaximumSpeedRunWaitForItsEnd() {
        QFETCH(Deferred, command);
        Simulating s;
        TOptionsWindow* options = s.main.Windows().options;
        s.PrepareEndlessMaxSpeedRun();
        TPNObjekt* root = s.doc->Document().Root();
        const double sampleTime = root->sampleTimeSeconds;
        bool stillRunning = false, netUnchanged = false;
        QTimer::singleShot(60, &s.panel, [&] {
            switch (command) {
            case kCloseFile: s.main.Actions()[Cmd::CloseFile]->trigger(); break;
            case kReleaseSwitch: s.main.Actions()[Cmd::Simulation]->trigger(); break;
            case kCloseDocumentFrame: s.doc->SubWindow()->close(); break;
            case kApplySampleTime:
                options->findChild<QLineEdit*>(QStringLiteral("TastZeitEdit"))->setText(QStringLiteral("0,5"));
                options->findChild<QComboBox*>(QStringLiteral("ZeitEinheitCombo"))->setCurrentIndex(0);
                options->findChild<QPushButton*>(QStringLiteral("ApplyBtn"))->click();
                break;
            case kExit: s.main.Actions()[Cmd::Exit]->trigger(); break;
            }
            stillRunning = s.app.Workspace().EngineLoopRunning() && s.Session().Active();
            netUnchanged = s.main.Documents().size() == 1 && root->sampleTimeSeconds == sampleTime;
        });
        // A command that does not end the run fails the test, not the clock.
        QTimer::singleShot(5000, &s.panel, [&] { s.Button("StopBtn")->click(); });
        s.Button("RunBtn")->click();
        s.WaitForTheRunToEnd();

        QVERIFY(stillRunning);
        QVERIFY(netUnchanged);
        QVERIFY(!s.app.Workspace().EngineLoopRunning());
        QCOMPARE(s.panel.StatusText(0), QStringLiteral("Ready"));
        const bool closed = command == kCloseFile || command == kCloseDocumentFrame || command == kExit;
        QCOMPARE(s.main.Documents().empty(), closed);
        QCOMPARE(s.Session().Active(), command == kApplySampleTime);
        QCOMPARE(s.panel.isVisible(), command == kApplySampleTime);
        QCOMPARE(SimulationBusy(), command == kApplySampleTime);
        if (command == kApplySampleTime) QCOMPARE(root->sampleTimeSeconds, 0.5);
        if (command == kReleaseSwitch) QVERIFY(!s.main.Actions()[Cmd::Simulation]->isChecked());
        if (command == kExit) QVERIFY(!s.main.isVisible());
    }
};

QTEST_MAIN(SimuPanelTest)
#include "SimuPanelTest.moc"
