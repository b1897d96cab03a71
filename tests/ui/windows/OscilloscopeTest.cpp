#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProcess>
#include <QTest>

#include "Files.h"
#include "FontMap.h"
#include "UiTestSupport.h"
#include "app/TMainWindow.h"
#include "app/TQuenzorApp.h"
#include "diagrams/TOsziFenster.h"
#include "diagrams/TOsziPanel.h"
#include "editor/TDocForm.h"
#include "model/ExampleNets.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"
#include "platform/QtWindowSurface.h"
#include "platform/Services.h"
#include "simulation/TSimuPanel.h"
#include "workspace/TActionSet.h"
#include "workspace/TAppWindows.h"

using namespace qz;
using namespace qz::ui;

namespace {

// A document with a continuous place c (10) emptied by a continuous
// transition at speed 1 and a discrete place d fed by a stepwise transition;
// an oscilloscope open on c.
struct Scope {
    test::UiHome home;
    TQuenzorApp app{QStringList{}, TQuenzorApp::Options{0}};
    TDocForm* doc = nullptr;
    TPlatz* c = nullptr;
    TPlatz* d = nullptr;
    TOsziFenster* window = nullptr;

    Scope() {
        Main().show();
        doc = Main().ActiveDocument();
        doc->SubWindow()->resize(640, 480);
        TNetList& net = *doc->Document().Net();
        c = examples::AddPlace(net, 60, 60, "c", "c", 10, true);
        examples::Connect(net, c, examples::AddTransition(net, 160, 60, "drain", "1", true));
        d = examples::AddPlace(net, 60, 200, "d", "d");
        examples::Connect(net, examples::AddTransition(net, 160, 200, "feed", "2"), d);
        doc->FormPaint();
        window = Open(c);
    }
    ~Scope() {
        if (Main().Actions()[Cmd::Simulation]->isChecked()) Main().Actions()[Cmd::Simulation]->setChecked(false);
    }
    TMainWindow& Main() { return app.Main(); }
    TOsziFenster* Open(TPlatz* place) {
        doc->SelectElement(place);
        doc->ShowDiagramWindowClick();
        return dynamic_cast<TOsziFenster*>(place->Diagram());
    }
    TOsziPanel& Panel() { return window->Panel(); }
    void Simulate(int steps) {
        if (!doc->Document().simulationMode) {
            test::DialogAnswers answers;
            answers.ChooseFile(home.QPathOf("scope.pn"));
            Main().Actions()[Cmd::Simulation]->setChecked(true);
        }
        for (int i = 0; i < steps; ++i) Main().Windows().simulation->StepBtnClick();
        QTest::qWait(40);
    }
    QString Saved(const char* name) { return home.QPathOf(name); }
};

} // namespace

class OscilloscopeTest : public QObject {
    Q_OBJECT
private slots:
    void AWindowOnAPlaceTakesItsSamplesAndCaptions() {
        Scope s;
        QVERIFY(s.window);
        QCOMPARE(s.window->accessibleName(), QStringLiteral("Place: c"));
        QCOMPARE(s.Panel().Settings().yName, std::string("c"));
        QCOMPARE(s.Panel().Settings().curve, diagrams::TKurveTyp::Glatt);
        QCOMPARE(s.Open(s.d)->Panel().Settings().curve, diagrams::TKurveTyp::Balken);
        // Asked again, the place shows the window it has.
        QCOMPARE(s.Open(s.c), s.window);
        s.Simulate(5);
        QCOMPARE(s.Panel().Trace().Count(), 5);
        QCOMPARE(double(s.Panel().Trace().First()->y), 10.0);
    }

    void NewSamplesDrawOnlyWhatChangedAndLookAsAFullRepaintDoes() {
        Scope s;
        s.window->resize(300, 200);
        s.window->ManualScale1Click();
        diagrams::PlotBorders b;
        b.xmin = -0.5;
        b.xmax = 3;
        b.ymin = -1;
        b.ymax = 12;
        s.Panel().SetBorders(b);
        s.Simulate(20);
        // What the 20 ms pacing has not drawn yet on a busy machine.
        s.Panel().DrawPending();
        const QImage incremental = s.Panel().Picture();
        s.Panel().FullRepaint();
        QCOMPARE(incremental, s.Panel().Picture());
    }

    void RollUpDragAndTheConnector() {
        Scope s;
        const QSize size = s.window->size();
        s.window->MiniButtonClick();
        QCOMPARE(s.window->size(), QSize(150, 25));
        s.window->MiniButtonClick();
        QCOMPARE(s.window->size(), size);
        const QPoint start = s.window->pos();
        const QPoint grab = s.window->mapToGlobal(QPoint(10, 5));
        s.window->DragPress(grab);
        // Moves are taken once the window has risen off its shadow; a busy
        // machine may take longer than the 30 ms it needs.
        QTRY_COMPARE(s.window->pos(), start - QPoint(3, 3));
        s.window->DragMove(grab + QPoint(100, 60));
        s.window->DragRelease();
        QTRY_COMPARE(s.window->pos(), start + QPoint(100, 60));
        // The line from the window to its place, drawn by the document.
        s.window->ShowParent1Click();
        s.doc->FormPaint();
        const QPoint from = s.window->geometry().center();
        const TPoint to = s.c->GetCenter();
        const QPoint mid = (from + QPoint(to.x, to.y)) / 2;
        const QImage& net = s.doc->WindowSurface().Image();
        QVERIFY(qGray(net.pixel(mid)) < 0x80 || qGray(net.pixel(mid + QPoint(1, 0))) < 0x80 ||
                qGray(net.pixel(mid + QPoint(0, 1))) < 0x80);
    }

    void ManualBordersAndRefusedInput() {
        Scope s;
        s.window->ManualScale1Click();
        const char* typed[] = {"10", "0", "5", "-5"};
        for (int i = 0; i < 4; ++i) s.Panel().BorderEdit(i)->setText(QString::fromLatin1(typed[i]));
        s.Panel().BorderEditsEntered();
        QCOMPARE(double(s.Panel().Borders().xmax), 10.0);
        QCOMPARE(double(s.Panel().Borders().ymin), -5.0);
        test::DialogAnswers answers;
        answers.Press(QStringLiteral("OK"));
        s.Panel().BorderEdit(0)->setText(QStringLiteral("-"));
        s.Panel().BorderEditsEntered();
        QCOMPARE(answers.Texts(), QStringList{QStringLiteral("Input Error!")});
        QCOMPARE(double(s.Panel().Borders().xmax), 10.0);
        // A window format from another program is refused.
        Platform().clipboard->SetText("not a window format");
        answers.Press(QStringLiteral("OK"));
        s.window->FormatPaste1Click();
        QCOMPARE(answers.Texts().last(), QStringLiteral("The clipboard holds no window format."));
        QCOMPARE(double(s.Panel().Borders().xmax), 10.0);
        s.window->FormatCopy1Click();
        TOsziFenster* other = s.Open(s.d);
        other->FormatPaste1Click();
        QCOMPARE(other->Panel().Borders(), s.Panel().Borders());
    }

    void ExportsOfValuesAndPictures() {
        Scope s;
        s.Simulate(10);
        test::DialogAnswers answers;
        answers.ChooseFile(s.Saved("values.txt"));
        s.window->ExportAscii1Click();
        const std::string values = test::ReadAll(s.home.PathOf("values.txt"));
        QCOMPARE(std::count(values.begin(), values.end(), '\n'), 10L);
        QVERIFY(values.rfind("0;10\r\n", 0) == 0);
        for (const char* name : {"plot.emf", "plot.wmf", "plot.svg", "plot.pdf", "plot.png"}) {
            answers.ChooseFile(s.Saved(name));
            s.window->ExportGraphic1Click();
            QVERIFY2(QFileInfo(s.Saved(name)).size() > 0, name);
        }
        // Other programs read the metafiles, with the curve in them.
        QProcess emf, wmf;
        emf.start(QStringLiteral("emf2svg-conv"), {"-i", s.Saved("plot.emf"), "-o", s.Saved("emf.svg")});
        const std::string fonts = test::WriteFontMap(s.home.PathOf(".")).string();
        wmf.start(QStringLiteral("wmf2svg"), {QString::fromStdString("--wmf-gs-fontmap=" + fonts), "-o",
                                              s.Saved("wmf.svg"), s.Saved("plot.wmf")});
        QVERIFY(emf.waitForFinished(30000) && wmf.waitForFinished(30000));
        for (const char* svg : {"emf.svg", "wmf.svg"}) {
            const std::string text = test::ReadAll(s.home.PathOf(svg));
            QVERIFY2(text.find("<polyline") != std::string::npos || text.find("<path") != std::string::npos, svg);
        }
        // A directory that cannot be written: the message, the trace kept.
        test::LockedDirectory locked(s.home.PathOf("."));
        if (locked.Locked()) {
            answers.ChooseFile(s.Saved("locked.png"));
            answers.Press(QStringLiteral("OK"));
            s.window->ExportGraphic1Click();
            QVERIFY(answers.Texts().last().startsWith(QStringLiteral("The graphic could not be exported to")));
            QCOMPARE(s.Panel().Trace().Count(), 10);
        }
    }

    void WindowsSurviveUndoAndGoWithTheirPlace() {
        Scope s;
        // Undo of something else: the window watches the same place again.
        s.doc->Document().BeginChange("Rename");
        s.d->SetName("other");
        s.doc->Document().SetModified(true);
        s.doc->Document().EndChange();
        s.doc->UndoClick();
        auto* c = static_cast<TPlatz*>(s.doc->Document().Net()->At(0));
        QCOMPARE(dynamic_cast<TOsziFenster*>(c->Diagram()), s.window);
        QCOMPARE(s.window->Place(), c);
        // Deleting the place closes its window.
        QPointer<TOsziFenster> window(s.window);
        s.doc->Document().Net()->DeselectAll();
        s.doc->SelectElement(c);
        test::DialogAnswers answers;
        answers.Press(QStringLiteral("OK"));
        s.doc->ItemsDeleteClick();
        QVERIFY(!window);
        // Closing the document after a run closes the windows it holds.
        TPlatz* d = nullptr;
        for (TGraphItem* e : s.doc->Document().Net()->Elements()) {
            if (e->Kind() == kind::Place) d = static_cast<TPlatz*>(e); // undo made it anew
        }
        QCOMPARE(d->name, std::string("d"));
        window = s.Open(d);
        window->ShowParent1Click();
        s.Simulate(3);
        s.Main().Actions()[Cmd::Simulation]->setChecked(false);
        answers.Press(QStringLiteral("No"));
        s.doc->SubWindow()->close();
        QTRY_VERIFY(!window);
    }
};

QTEST_MAIN(OscilloscopeTest)
#include "OscilloscopeTest.moc"
