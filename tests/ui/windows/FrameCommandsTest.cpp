#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <filesystem>

#include "UiTestSupport.h"
#include "app/TMainWindow.h"
#include "app/TQuenzorApp.h"
#include "editor/TDocForm.h"
#include "model/ExampleNets.h"
#include "model/ObjectLibrary.h"
#include "model/TInterfacePlace.h"
#include "model/TNetList.h"
#include "model/TObjectFrame.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/storage/NetFile.h"
#include "workspace/ClassDrag.h"
#include "workspace/TActionSet.h"

using namespace qz;
using namespace qz::ui;

namespace {

const QString kDragFormat = QString::fromLatin1(kClassDragFormat);

// The program with a new document of about 540 x 400 client pixels at 1:1 and
// a library: Tank publishes "level" (start value 2) and is documented; Tank2
// derives from Tank.
struct Library {
    test::UiHome home;
    std::unique_ptr<TQuenzorApp> app;
    TDocForm* doc = nullptr;

    Library() {
        std::filesystem::create_directories(home.PathOf("Objects"));
        TPNObjekt tank, tank2;
        tank.SetObjectName("Tank");
        TPlatz* level = examples::AddPlace(tank.Net(), 60, 60, "level", "level", 2);
        tank.SetInterfacePlace(level, true);
        level->SetInterfaceFlag(1);
        tank.Frame().description = {"A tank."};
        SaveNetFile(tank, home.PathOf("Objects/Tank.pn"));
        ObjectLibrary().Rebuild();
        tank2.SetInherited("Tank");
        tank2.SetObjectName("Tank2");
        SaveNetFile(tank2, home.PathOf("Objects/Tank2.pn"));
        app = std::make_unique<TQuenzorApp>(QStringList{}, TQuenzorApp::Options{0});
        ObjectLibrary().Rebuild();
        Main().show();
        doc = Main().ActiveDocument();
        doc->SubWindow()->resize(560, 460);
        QApplication::processEvents();
    }
    TMainWindow& Main() { return app->Main(); }
    QAction* Action(Cmd c) { return Main().Actions()[c]; }
    TPNObjekt& Root() { return *doc->Document().Root(); }
    std::size_t Children() { return Root().Net().Children().size(); }
    // Drops a class dragged from the class tree at a client point.
    void Drop(const std::string& className, QPoint at, TDocForm* onto = nullptr) {
        QMimeData data;
        data.setData(kDragFormat, QByteArray::fromStdString(className));
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        (onto ? onto : doc)->FormDragDrop(&drop);
    }
    bool Accepts(const QString& format, TDocForm* onto) {
        QMimeData data;
        data.setData(format, "Tank");
        QDragEnterEvent over(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, {});
        onto->FormDragOver(&over);
        return over.isAccepted();
    }
    // Makes the frame of an instance current, as a right click does.
    TObjectFrame& Current(TPNObjekt& object, TDocForm* in = nullptr) {
        (in ? in : doc)->Document().current = &object.Frame();
        return object.Frame();
    }
    // Tank_1, dropped and current.
    TPNObjekt& PlaceTank() {
        Drop("Tank", QPoint(100, 80));
        Current(*Root().Net().Children()[0]);
        return *Root().Net().Children()[0];
    }
    // Runs a frame command; the window it opens, if any.
    TDocForm* Run(Cmd c) {
        const std::size_t before = Main().Documents().size();
        Action(c)->trigger();
        QApplication::processEvents();
        return Main().Documents().size() > before ? Main().ActiveDocument() : nullptr;
    }
};

} // namespace

class FrameCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void DroppedClassesAreNumberedInstancesAtTheDropPointEachOneStep() {
        Library s;
        QVERIFY(s.Accepts(kDragFormat, s.doc) && !s.Accepts("text/plain", s.doc));
        s.Drop("Tank", QPoint(100, 80));
        s.Drop("Tank", QPoint(300, 80));
        QCOMPARE(s.Children(), std::size_t(2));
        const TPNObjekt& first = *s.Root().Net().Children()[0];
        const TPNObjekt& second = *s.Root().Net().Children()[1];
        QCOMPARE(QString::fromStdString(first.name + " " + second.name), "Tank_1 Tank_2");
        QCOMPARE(QPoint(second.Frame().bounds.left, second.Frame().bounds.top), QPoint(300, 80));
        QVERIFY(s.doc->Document().Modified());
        s.Action(Cmd::Undo)->trigger();
        QCOMPARE(s.Children(), std::size_t(1));
    }

    void AClassThatWouldContainItselfIsRefused_data() {
        QTest::addColumn<QString>("className");
        QTest::newRow("its own class") << "Tank";
        QTest::newRow("a class derived from it") << "Tank2";
    }
    void AClassThatWouldContainItselfIsRefused() {
        QFETCH(QString, className);
        Library s;
        s.Root().SetObjectName("Tank");
        test::DialogAnswers answers;
        answers.Press("OK");
        s.Drop(className.toStdString(), QPoint(100, 80));
        QCOMPARE(answers.Texts(), QStringList{QString("The class %1 cannot be placed here: it would "
                                                      "contain itself.").arg(className)});
        QCOMPARE(s.Children(), std::size_t(0));
        QVERIFY(!s.doc->Document().Modified() && !s.doc->Document().History().CanUndo());
    }

    void FrameCommandsWithoutAnObjectOrClassSayWhy_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<bool>("withObject");
        QTest::addColumn<QString>("text");
        QTest::newRow("open") << int(Cmd::OpenInstancedObject) << false << "ungültiges Objekt";
        QTest::newRow("view") << int(Cmd::ViewInstancedObject) << false << "ungültiges Objekt";
        QTest::newRow("parent") << int(Cmd::ViewParentObject) << false << "invalid Objekt";
        QTest::newRow("class without a class")
            << int(Cmd::ViewParentObject) << true << "This Object is inherited from Empty Object.";
    }
    void FrameCommandsWithoutAnObjectOrClassSayWhy() {
        QFETCH(int, command);
        QFETCH(bool, withObject);
        QFETCH(QString, text);
        Library s;
        TObjectFrame orphan(nullptr);
        // The frame of Tank inside a document derived from it: Tank has no class.
        QVERIFY(s.Root().SetInherited("Tank"));
        s.doc->Document().current = withObject ? &s.Root().Base()->Frame() : &orphan;
        test::DialogAnswers answers;
        answers.Press("OK");
        QVERIFY(!s.Run(Cmd(command)));
        QCOMPARE(answers.Texts(), QStringList{text});
        s.doc->Document().current = nullptr;
    }

    void AViewWindowRefusesEveryEdit() {
        Library s;
        TPNObjekt& tank = s.PlaceTank();
        s.doc->SubWindow()->resize(400, 300);
        TDocForm* view = s.Run(Cmd::ViewInstancedObject);
        QVERIFY(view && view != s.doc);
        QCOMPARE(view->windowTitle(), "Editor - Tank_1 (View)");
        // Over its owner, as large: smaller, its status panels were cut.
        QCOMPARE(view->SubWindow()->geometry(), s.doc->SubWindow()->geometry().translated(24, 24));
        const std::size_t count = tank.Net().Count();
        // A tool click, a drop, the changing commands and the Delete key.
        QTest::mouseClick(s.Main().findChild<QWidget*>("DPlatz"), Qt::LeftButton);
        QTest::mouseClick(view->ClientArea(), Qt::LeftButton, {}, QPoint(200, 200));
        QCOMPARE(view->StatusText(0), "This window only shows the object: it cannot be changed here.");
        QVERIFY(!s.Accepts(kDragFormat, view));
        s.Action(Cmd::SelectAll)->trigger();
        for (Cmd c : {Cmd::Delete, Cmd::Duplicate, Cmd::OpenInstancedObject, Cmd::SetInitialValue,
                      Cmd::ChangeSide})
            QVERIFY2(!s.Action(c)->isEnabled(), InfoOf(c).objectName);
        test::DialogAnswers answers;
        answers.Press("OK");
        QTest::keyClick(view->ClientArea(), Qt::Key_Delete);
        QApplication::processEvents();
        QCOMPARE(answers.Texts().size(), 1);
        QCOMPARE(tank.Net().Count(), count);
    }

    void TheDocumentationIsWrittenBackInEditModeOnly() {
        Library s;
        TObjectFrame& frame = s.PlaceTank().Frame();
        QString classText;
        test::DialogAnswers answers;
        answers.Then([&classText](QWidget* w) {
            classText = w->findChild<QPlainTextEdit*>("ClassMemo")->toPlainText();
            w->findChild<QPlainTextEdit*>("InstanceMemo")->setPlainText("Holds water.\nTwo lines.");
            test::ClickLater(w, "CloseBtn");
        });
        s.Run(Cmd::EditDocumentation);
        QCOMPARE(classText, "A tank.");
        QCOMPARE(frame.description, (std::vector<std::string>{"Holds water.", "Two lines."}));
        QVERIFY(s.doc->Document().History().CanUndo());
        // In a view the memo is read-only and nothing goes back.
        TDocForm* view = s.Run(Cmd::ViewInstancedObject);
        QVERIFY(view);
        TPNObjekt& tank = *view->Document().Root();
        s.Current(*tank.Base(), view);
        test::DialogAnswers viewing;  // the same dialog again: a fresh answerer
        viewing.Then([](QWidget* w) {
            auto* memo = w->findChild<QPlainTextEdit*>("InstanceMemo");
            QVERIFY(memo->isReadOnly());
            memo->setPlainText("Changed");
            QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
        });
        s.Run(Cmd::ViewClassDocumentation);
        QCOMPARE(tank.Base()->Frame().description, std::vector<std::string>{"A tank."});
        QCOMPARE(viewing.Pending(), 0);
    }

    void SetInitialValueWritesTheTypedValue() {
        Library s;
        TObjectFrame& frame = s.PlaceTank().Frame();
        frame.FindInterfacePlace("level")->selected = 1;
        test::DialogAnswers answers;
        answers.Then([](QWidget* w) {
            auto* edit = w->findChild<QLineEdit*>("Edit1");
            QCOMPARE(edit->text(), "2");
            edit->clear();
            QTest::keyClicks(edit, "3.5.x7");
            QCOMPARE(edit->text(), "3,57");
            test::ClickLater(w, "OKBtn");
        });
        s.Run(Cmd::SetInitialValue);
        QCOMPARE(double(frame.FindInterfacePlace("level")->Value()), 3.57);
        QVERIFY(s.doc->Document().History().CanUndo());
    }

    void AnOpenedInstanceChangesTheOwnerFollowsItsUndoAndClosesWithIt() {
        Library s;
        s.PlaceTank();
        TDocForm* open = s.Run(Cmd::OpenInstancedObject);
        QVERIFY(open && s.Accepts(kDragFormat, open));
        s.Drop("Tank2", QPoint(200, 150), open);
        QCOMPARE(open->Document().Root()->Net().Children().size(), std::size_t(1));
        // One step of the owner; its undo shows the instance again.
        s.Action(Cmd::Undo)->trigger();
        QApplication::processEvents();
        QVERIFY(s.Main().IsOpen(open));
        QCOMPARE(open->Document().Root()->Net().Children().size(), std::size_t(0));
        QCOMPARE(QString::fromStdString(open->Document().Root()->name), "Tank_1");
        // Closing the owner closes its object windows with one question.
        s.Current(*s.Root().Net().Children()[0]);
        s.Main().WorkArea()->setActiveSubWindow(s.doc->SubWindow());
        QVERIFY(s.Run(Cmd::ViewParentObject));
        QCOMPARE(s.Main().Documents().size(), std::size_t(3));
        test::DialogAnswers answers;
        answers.Press("No");
        QVERIFY(s.doc->SubWindow()->close());
        QApplication::processEvents();
        QCOMPARE(answers.Texts(), QStringList{"Save Changes in Editor?"});
        QCOMPARE(s.Main().Documents().size(), std::size_t(0));
    }
};

QTEST_MAIN(FrameCommandsTest)
#include "FrameCommandsTest.moc"
