#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "Files.h"
#include "UiTestSupport.h"
#include "app/TMainWindow.h"
#include "app/TQuenzorApp.h"
#include "editor/DocumentCommands.h"
#include "editor/TDocForm.h"
#include "editor/TInPlaceEditor.h"
#include "model/ExampleNets.h"
#include "model/TEdge.h"
#include "model/TNetList.h"
#include "model/TObjekt.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"
#include "model/TTransition.h"
#include "model/storage/NetFile.h"
#include "settings/ProgramSettings.h"
#include "workspace/TActionSet.h"
#include "workspace/Workspace.h"

using namespace qz;
using namespace qz::ui;

namespace {

// The program with a new, empty document of about 540 x 400 client pixels
// at 1:1, so that client pixels and world points are the same.
struct Editing {
    test::UiHome home;
    TQuenzorApp app{QStringList{}, TQuenzorApp::Options{0}};
    TDocForm* doc = nullptr;

    Editing() {
        Main().show();
        QApplication::processEvents(); // the start-up layout first
        doc = Main().ActiveDocument();
        doc->SubWindow()->resize(560, 460);
        QApplication::processEvents();
        Settings().alignToGrid = false;
    }
    // The session ends as the switch ends it: the busy flag is the program's.
    ~Editing() {
        if (Action(Cmd::Simulation)->isChecked()) Action(Cmd::Simulation)->setChecked(false);
    }
    TMainWindow& Main() { return app.Main(); }
    QWidget* Client() { return doc->ClientArea(); }
    TNetList& Net() { return *doc->Document().Net(); }
    QAction* Action(Cmd c) { return Main().Actions()[c]; }
    void Tool(const char* name) {
        QTest::mouseClick(Main().findChild<QToolButton*>(QString::fromLatin1(name)), Qt::LeftButton);
    }
    void Click(QPoint at, Qt::KeyboardModifiers keys = {}) { QTest::mouseClick(Client(), Qt::LeftButton, keys, at); }
    void Drag(QPoint from, QPoint to) {
        QTest::mousePress(Client(), Qt::LeftButton, {}, from);
        for (int i = 1; i <= 4; ++i) QTest::mouseMove(Client(), from + (to - from) * i / 4);
        QTest::mouseRelease(Client(), Qt::LeftButton, {}, to);
    }
    void Key(int key, Qt::KeyboardModifiers keys = {}) { QTest::keyClick(Client(), Qt::Key(key), keys); }
    // The net as its file holds it.
    std::vector<std::uint8_t> Image() { return doc->Document().TakeImage().net; }
    template <class E>
    E* First(char k) {
        for (TGraphItem* e : Net().Elements()) {
            if (e->Kind() == k) return static_cast<E*>(e);
        }
        return nullptr;
    }
    // Places p (discrete, `tokens`) at (100, 100) and q at (300, 100), a
    // discrete transition t at (200, 100) and the arcs p -> t -> q.
    void Build(double tokens = 0) {
        TPlatz* p = examples::AddPlace(Net(), 100, 100, "p", "p", tokens);
        TTransition* t = examples::AddTransition(Net(), 200, 100, "t", "1");
        TPlatz* q = examples::AddPlace(Net(), 300, 100, "q", "q");
        examples::Connect(Net(), p, t);
        examples::Connect(Net(), t, q);
        // Drawn once: labels take their places.
        doc->FormPaint();
    }
    // Starts the simulation; a changed untitled document is saved first.
    void StartSimulation(test::DialogAnswers& answers) {
        if (doc->Document().Modified()) answers.ChooseFile(home.QPathOf("drawn.pn"));
        Action(Cmd::Simulation)->setChecked(true);
        QTRY_VERIFY(doc->Document().simulationMode);
    }
};

QPoint At(const TGraphItem* e) {
    const TPoint c = e->GetCenter();
    return {c.x, c.y};
}

// Opens the popup a right click at `at` shows and describes it: the object
// names of its items and submenus in order, "-" after a disabled one.
QString PopupAt(Editing& s, QPoint at) {
    QString items;
    std::function<void(QMenu*)> read = [&](QMenu* menu) {
        for (QAction* a : menu->actions()) {
            if (a->isSeparator() || !a->isVisible()) continue;
            const QString name = a->menu() ? a->menu()->objectName() : a->objectName();
            items += name + (a->isEnabled() ? "" : "-") + " ";
            if (a->menu()) read(a->menu());
        }
    };
    QTest::mouseClick(s.Client(), Qt::RightButton, {}, at);
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        read(menu);
        menu->close();
    }
    return items.trimmed();
}

} // namespace

class EditingTest : public QObject {
    Q_OBJECT
private slots:
    void CreatingToolsPutElementsWhereTheUserClicks_data() {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<bool>("grid");
        QTest::addColumn<QPoint>("corner");
        QTest::addColumn<QString>("kind");
        QTest::newRow("discrete place, grid") << "DPlatz" << true << QPoint(40, 40) << "P";
        QTest::newRow("discrete place") << "DPlatz" << false << QPoint(32, 18) << "P";
        QTest::newRow("continuous transition, grid") << "KTrans" << true << QPoint(60, 40) << "T";
        QTest::newRow("continuous transition") << "KTrans" << false << QPoint(47, 33) << "T";
        QTest::newRow("label, grid") << "Labels" << true << QPoint(47, 33) << "S";
        QTest::newRow("graphical object") << "Objekt" << false << QPoint(32, 18) << "O";
    }
    void CreatingToolsPutElementsWhereTheUserClicks() {
        QFETCH(QString, tool);
        QFETCH(bool, grid);
        QFETCH(QPoint, corner);
        QFETCH(QString, kind);
        Editing s;
        Settings().alignToGrid = grid;
        s.Tool(qPrintable(tool));
        s.Click({47, 33});
        QCOMPARE(s.Net().Count(), std::size_t(1));
        TGraphItem* e = s.Net().At(0);
        QCOMPARE(QString(QChar(e->Kind())), kind);
        QCOMPARE(QPoint(e->bounds.left, e->bounds.top), corner);
        QCOMPARE(s.doc->StatusText(0), QStringLiteral("Changed"));
        // Places and transitions stay in the hand; labels and shapes do not.
        QCOMPARE(s.doc->Tool() != 0, kind == "P" || kind == "T");
    }

    void AToolStaysChosenAcrossDocumentsUntilASimulationStarts() {
        Editing s;
        s.Build();
        s.Tool("Labels");
        // A screen reader's toggle on the chosen tool leaves it chosen.
        auto* labels = s.Main().findChild<QToolButton*>(QStringLiteral("Labels"));
        QAccessible::queryAccessibleInterface(labels)->actionInterface()->doAction(
            QAccessibleActionInterface::toggleAction());
        QTRY_VERIFY(s.Action(Cmd::LabelTool)->isChecked());
        TDocForm* second = s.Main().NewDocument();
        s.Main().WorkArea()->setActiveSubWindow(s.doc->SubWindow());
        QCOMPARE(s.doc->Tool(), 6);
        QCOMPARE(second->Tool(), 6);
        QVERIFY(s.Action(Cmd::LabelTool)->isChecked());
        test::DialogAnswers answers;
        s.StartSimulation(answers);
        QCOMPARE(s.doc->Tool(), 0);
        QVERIFY(s.Action(Cmd::SelectTool)->isChecked());
    }

    void ShiftClicksAndTheFirstMoveOfAnArcSegment() {
        Editing s;
        s.Build();
        auto* p = s.First<TPlatz>(kind::Place);
        auto* arc = s.First<TEdge>(kind::Arc);
        s.Click(At(p));
        s.Click({300, 100}, Qt::ShiftModifier);
        QCOMPARE(s.Net().SelectedCount(), std::size_t(2));
        s.Click(At(p), Qt::ShiftModifier);
        QVERIFY(!p->selected);
        QVERIFY(!s.doc->Document().current);
        // The only selected arc: a drag on its segment makes one bend point.
        const QPoint mid((arc->StartPoint().x + arc->EndPoint().x) / 2, (arc->StartPoint().y + arc->EndPoint().y) / 2);
        s.Click(mid);
        s.Drag(mid, mid + QPoint(0, 40));
        QCOMPARE(arc->bendPoints.size(), std::size_t(1));
        QCOMPARE(arc->bendPoints[0].y, mid.y() + 40);
    }

    void TheWholeTokenToolInEditAndSimulationMode() {
        Editing s;
        s.Build(2);
        auto* p = s.First<TPlatz>(kind::Place);
        s.Tool("Marke");
        s.Click(At(p));
        QCOMPARE(double(p->InitialMarking()), 3.0);
        QCOMPARE(p->Marking(), 3.0);
        QVERIFY(s.doc->Document().ShowValues());
        test::DialogAnswers answers;
        s.StartSimulation(answers);
        s.Tool("Marke");
        s.Click(At(p));
        QCOMPARE(double(p->InitialMarking()), 3.0);
        QCOMPARE(p->Marking(), 4.0);
    }

    void DeletingInSimulationModeReturnsToEditModeFirst() {
        Editing s;
        s.Build();
        test::DialogAnswers answers;
        s.StartSimulation(answers);
        s.Click(At(s.First<TTransition>(kind::Transition)));
        QVERIFY(!s.Action(Cmd::Delete)->isEnabled());
        answers.Press(QStringLiteral("OK"));
        answers.Press(QStringLiteral("OK"));
        s.Key(Qt::Key_Delete);
        QCOMPARE(answers.Texts(), (QStringList{QString(kDeleteInSimulation).replace('\r', '\n'),
                                               QString(kDeleteNodesText)}));
        QVERIFY(!s.doc->Document().simulationMode);
        QVERIFY(!s.Action(Cmd::Simulation)->isChecked());
        QCOMPARE(s.Net().Count(), std::size_t(2));
    }

    void EachPopupShowsItsItems_data() {
        QTest::addColumn<int>("target");
        QTest::addColumn<bool>("simulating");
        QTest::addColumn<QString>("items");
        const QString arrange = "ArrangeItems Left1 xMiddle1 Right1 Upper1 yMiddle1 Down1";
        const QString sizes = "Groesse1 sehrklein1 klein1 normal1 gro1 sehrgro1";
        QTest::newRow("empty space") << 0 << false
                                     << "NewMenu NewPlace NewTransition NewArc1 NewLabel NewObject DocPaste- "
                                        "allesmarkieren1 Undo1 Redo1- Vergrern1 Verkleinern1 N111 Letzte1- "
                                        "allePltzeautomatischbezeichnen1 alleTransitionenautomatischbezeichnen1 "
                                        "alleObjekteautomatischbezeichnen1 EditClassDescription OpenParentObject "
                                        "Initialisieren1 InitAll1 Properties1";
        QTest::newRow("empty space, simulating") << 0 << true
                                                 << "Schritt1 RuntoNextEvent1 Initialisieren1 InitAll1 EditierModus "
                                                    "Vergrern1 Verkleinern1 N111 Letzte1- Properties1";
        QTest::newRow("place") << 1 << false
                               << "Kopieren Einfuegen- TransDuplicate ItemsDelete Namen " + sizes + " " + arrange +
                                      " ShowDiagramWindow";
        QTest::newRow("place, simulating") << 1 << true
                                           << "Kopieren Einfuegen- TransDuplicate ItemsDelete- Namen " + sizes + " " +
                                                  arrange + " ShowDiagramWindow";
        QTest::newRow("transition") << 2 << false
                                    << "Kopieren Einfuegen- TransDuplicate ItemsDelete Namen Turn " + sizes + " " +
                                           arrange;
        QTest::newRow("arc") << 3 << false
                             << "Typ1 normal4 InhibitorItem TestArcItem Namen1 Richtungtauschen1 AllePunkteLschen1 "
                                "ItemsDelete";
        QTest::newRow("arc, at a bend point") << 4 << false
                                              << "Typ1 normal4 InhibitorItem TestArcItem Namen1 Richtungtauschen1 "
                                                 "AllePunkteLschen1 PunktLschen ItemsDelete";
        QTest::newRow("label") << 5 << false << "Kopieren DocPaste- TransDuplicate ItemsDelete " + arrange;
    }
    void EachPopupShowsItsItems() {
        QFETCH(int, target);
        QFETCH(bool, simulating);
        QFETCH(QString, items);
        Editing s;
        s.Build();
        auto* arc = s.First<TEdge>(kind::Arc);
        arc->bendPoints.push_back({150, 160});
        arc->geometryValid = 0;
        s.Tool("Labels");
        s.Click({100, 250});
        test::DialogAnswers answers;
        if (simulating) s.StartSimulation(answers);
        const QPoint points[] = {{450, 300}, At(s.First<TPlatz>(kind::Place)), At(s.First<TTransition>(kind::Transition)),
                                 {125, 130}, {150, 160}, At(s.First<TSchriftObjekt>(kind::Label))};
        QCOMPARE(PopupAt(s, points[target]), items);
    }

    void UndoAndRedoGiveBackTheFileImageByteForByte_data() {
        QTest::addColumn<int>("command");
        QTest::newRow("create") << 0;
        QTest::newRow("move") << 1;
        QTest::newRow("connect") << 2;
        QTest::newRow("delete") << 3;
        QTest::newRow("paste") << 4;
        QTest::newRow("align") << 5;
    }
    void UndoAndRedoGiveBackTheFileImageByteForByte() {
        QFETCH(int, command);
        Editing s;
        s.Build();
        s.doc->Document().SetModified(false);
        auto* p = s.First<TPlatz>(kind::Place);
        auto* t = s.First<TTransition>(kind::Transition);
        test::DialogAnswers answers;
        const auto before = s.Image();
        switch (command) {
        case 0:
            s.Tool("KPlatz");
            s.Click({400, 300});
            break;
        case 1: s.Drag(At(p), At(p) + QPoint(30, 80)); break;
        case 2:
            s.Tool("Connector");
            s.Drag({300, 100}, At(t));
            break;
        case 3:
            s.Click(At(t));
            answers.Press(QStringLiteral("OK"));
            s.Key(Qt::Key_Delete);
            break;
        case 4:
            s.Click(At(t));
            s.Key(Qt::Key_C, Qt::ControlModifier);
            QCOMPARE(s.doc->StatusText(0), QString(kCopyReady));
            s.Key(Qt::Key_V, Qt::ControlModifier);
            break;
        case 5:
            s.Drag({60, 60}, {340, 140});
            s.Click(At(t), Qt::ShiftModifier);
            s.Click(At(t), Qt::ShiftModifier);
            s.Action(Cmd::AlignUpper)->trigger();
            break;
        }
        const auto after = s.Image();
        QVERIFY(after != before);
        QVERIFY(s.doc->Document().Modified());
        QVERIFY(s.Action(Cmd::Undo)->isEnabled());
        s.Key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(s.Image() == before);
        QVERIFY(!s.doc->Document().Modified());
        s.Action(Cmd::Redo)->trigger();
        QVERIFY(s.Image() == after);
        QVERIFY(s.doc->Document().Modified());
        QVERIFY(!s.Action(Cmd::Redo)->isEnabled());
    }

    void InPlaceEditorsTakeTheirTextOnEnterOnly() {
        Editing s;
        s.Build();
        s.Tool("Labels");
        s.Click({100, 250});
        auto* label = s.First<TSchriftObjekt>(kind::Label);
        const auto doubleClick = [&s](const TGraphItem* e) {
            s.Click(At(e));
            QTest::mouseDClick(s.Client(), Qt::LeftButton, {}, At(e));
        };
        doubleClick(label);
        QPlainTextEdit* memo = s.doc->InPlaceEditor().Memo();
        QVERIFY(memo->isVisible());
        memo->selectAll();
        QTest::keyClicks(memo, QStringLiteral("one"));
        QTest::keyClick(memo, Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClicks(memo, QStringLiteral("two"));
        QTest::keyClick(memo, Qt::Key_Return);
        QCOMPARE(QString::fromStdString(label->Text()), QStringLiteral("one|two"));
        QVERIFY(!s.doc->InPlaceEditorOpen());
        // A place's variable: a name that is taken is refused and the editor
        // stays; Escape leaves the old name.
        auto* p = s.First<TPlatz>(kind::Place);
        doubleClick(p);
        QLineEdit* edit = s.doc->InPlaceEditor().ValueEdit();
        QVERIFY(edit->isVisible());
        test::DialogAnswers answers;
        answers.Press(QStringLiteral("OK"));
        edit->setText(QStringLiteral("q"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(answers.Texts(), QStringList{QStringLiteral("This variable name already exists.")});
        QVERIFY(edit->isVisible());
        QTest::keyClick(edit, Qt::Key_Escape);
        QVERIFY(!edit->isVisible());
        QCOMPARE(p->variableName, std::string("p"));
        // Its value while the values are shown: "." is typed as ",".
        s.doc->SetShowValues(true);
        doubleClick(p);
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("2.x5"));
        QCOMPARE(edit->text(), QStringLiteral("2,5"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(double(p->InitialMarking()), 2.5);
        // One step per taken text (the net is read anew: every element too).
        s.Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(double(s.First<TPlatz>(kind::Place)->InitialMarking()), 0.0);
    }

    void BadInputLosesNothing() {
        Editing s;
        s.Build();
        // Nothing to paste: the key does nothing.
        s.Key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(s.Net().Count(), std::size_t(5));
        // A copy pasted into another document; closing the first empties
        // the clipboard.
        s.Click(At(s.First<TPlatz>(kind::Place)));
        s.Key(Qt::Key_C, Qt::ControlModifier);
        TDocForm* second = s.Main().NewDocument();
        second->EinfuegenClick();
        QCOMPARE(second->Document().Net()->Count(), std::size_t(1));
        test::DialogAnswers answers;
        s.doc->SubWindow()->close();
        QTRY_VERIFY(!s.Action(Cmd::Paste)->isEnabled());
        // Undo after a save elsewhere: the net comes back, the file stays.
        s.doc = second;
        answers.ChooseFile(s.home.QPathOf("elsewhere.pn"));
        s.Action(Cmd::SaveAs)->trigger();
        const std::string saved = s.home.PathOf("elsewhere.pn");
        const std::string onDisk = test::ReadAll(saved);
        s.Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(second->Document().Net()->Count(), std::size_t(0));
        QVERIFY(second->Document().Modified());
        QCOMPARE(second->Document().FileName(), saved);
        QVERIFY(test::ReadAll(saved) == onDisk);
    }
};

QTEST_MAIN(EditingTest)
#include "EditingTest.moc"
