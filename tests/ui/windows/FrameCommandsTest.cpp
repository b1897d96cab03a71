#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
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
#include "settings/ProgramSettings.h"
#include "workspace/ClassDrag.h"
#include "workspace/TActionSet.h"

using namespace qz;
using namespace qz::ui;

namespace {

// A library in the program directory, written by the program's own code:
// Tank publishes "level" (start value 2) and is documented; Tank2 derives
// from Tank. The program runs with a new document of about 540 x 400
// client pixels at 1:1.
struct Library {
    test::UiHome home;
    std::unique_ptr<TQuenzorApp> app;
    TDocForm* doc = nullptr;

    Library() {
        std::filesystem::create_directories(home.PathOf("Objects"));
        const auto store = [this](const char* name, const char* base, auto fill) {
            TPNObjekt c;
            if (*base) c.SetInherited(base);
            c.SetObjectName(name);
            fill(c);
            SaveNetFile(c, home.PathOf(std::string("Objects/") + name + ".pn"));
            ObjectLibrary().Rebuild();
        };
        store("Tank", "", [](TPNObjekt& c) {
            TPlatz* level = examples::AddPlace(c.Net(), 60, 60, "level", "level", 2);
            c.SetInterfacePlace(level, true);
            level->SetInterfaceFlag(1);
            c.Frame().description = {"A tank."};
        });
        store("Tank2", "Tank", [](TPNObjekt&) {});
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
        data.setData(QString::fromLatin1(kClassDragFormat), QByteArray::fromStdString(className));
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
    // The frame of an instance, made current as a right click makes it.
    TObjectFrame& Current(TPNObjekt& object, TDocForm* in = nullptr) {
        (in ? in : doc)->Document().current = &object.Frame();
        return object.Frame();
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
        QVERIFY(s.Accepts(QString::fromLatin1(kClassDragFormat), s.doc));
        QVERIFY(!s.Accepts(QStringLiteral("text/plain"), s.doc));
        s.Drop("Tank", QPoint(100, 80));
        s.Drop("Tank", QPoint(300, 80));
        QCOMPARE(s.Children(), std::size_t(2));
        TPNObjekt& second = *s.Root().Net().Children()[1];
        QCOMPARE(QString::fromStdString(s.Root().Net().Children()[0]->name), QStringLiteral("Tank_1"));
        QCOMPARE(QString::fromStdString(second.name), QStringLiteral("Tank_2"));
        QCOMPARE(second.Frame().bounds.left, 300);
        QCOMPARE(second.Frame().bounds.top, 80);
        QVERIFY(second.Frame().FindInterfacePlace("level"));
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
        answers.Press(QStringLiteral("OK"));
        s.Drop(className.toStdString(), QPoint(100, 80));
        QCOMPARE(answers.Texts(), QStringList{QStringLiteral("The class %1 cannot be placed here: it would contain itself.")
                                                  .arg(className)});
        QCOMPARE(s.Children(), std::size_t(0));
        QVERIFY(!s.doc->Document().Modified());
        QVERIFY(!s.doc->Document().History().CanUndo());
    }

    void FrameCommandsWithoutAnObjectOrClassSayWhy_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<bool>("withObject");
        QTest::addColumn<QString>("text");
        QTest::newRow("open") << int(Cmd::OpenInstancedObject) << false << QStringLiteral("ungültiges Objekt");
        QTest::newRow("view") << int(Cmd::ViewInstancedObject) << false << QStringLiteral("ungültiges Objekt");
        QTest::newRow("parent") << int(Cmd::ViewParentObject) << false << QStringLiteral("invalid Objekt");
        QTest::newRow("class without a class")
            << int(Cmd::ViewParentObject) << true << QStringLiteral("This Object is inherited from Empty Object.");
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
        answers.Press(QStringLiteral("OK"));
        QVERIFY(!s.Run(Cmd(command)));
        QCOMPARE(answers.Texts(), QStringList{text});
        s.doc->Document().current = nullptr;
    }

    void AViewWindowRefusesEveryEdit() {
        Library s;
        s.Drop("Tank", QPoint(100, 80));
        TPNObjekt& tank = *s.Root().Net().Children()[0];
        s.Current(tank);
        s.doc->SubWindow()->resize(400, 300);
        TDocForm* view = s.Run(Cmd::ViewInstancedObject);
        QVERIFY(view && view != s.doc);
        QCOMPARE(view->windowTitle(), QStringLiteral("Editor - Tank_1 (View)"));
        // Over its owner, as large: smaller, its status panels were cut.
        QCOMPARE(view->SubWindow()->geometry(), s.doc->SubWindow()->geometry().translated(24, 24));
        const std::size_t count = tank.Net().Count();
        // A tool click, the drop and the changing commands are refused.
        QTest::mouseClick(s.Main().findChild<QWidget*>(QStringLiteral("DPlatz")), Qt::LeftButton);
        QTest::mouseClick(view->ClientArea(), Qt::LeftButton, {}, QPoint(200, 200));
        QCOMPARE(tank.Net().Count(), count);
        QCOMPARE(view->StatusText(0), QStringLiteral("This window only shows the object: it cannot be changed here."));
        QVERIFY(!s.Accepts(QString::fromLatin1(kClassDragFormat), view));
        s.Action(Cmd::SelectAll)->trigger();
        for (Cmd c : {Cmd::Delete, Cmd::Duplicate, Cmd::OpenInstancedObject, Cmd::SetInitialValue, Cmd::ChangeSide}) {
            QVERIFY2(!s.Action(c)->isEnabled(), InfoOf(c).objectName);
        }
        test::DialogAnswers answers;
        answers.Press(QStringLiteral("OK"));
        QTest::keyClick(view->ClientArea(), Qt::Key_Delete);
        QApplication::processEvents();
        QCOMPARE(answers.Texts().size(), 1);
        QCOMPARE(tank.Net().Count(), count);
    }

    void AnOpenedInstanceChangesTheOwnerAndFollowsItsUndo() {
        Library s;
        s.Drop("Tank", QPoint(100, 80));
        s.Current(*s.Root().Net().Children()[0]);
        TDocForm* open = s.Run(Cmd::OpenInstancedObject);
        QVERIFY(open);
        QVERIFY(s.Accepts(QString::fromLatin1(kClassDragFormat), open));
        s.Drop("Tank2", QPoint(200, 150), open);
        TPNObjekt* tank = open->Document().Root();
        QCOMPARE(tank->Net().Children().size(), std::size_t(1));
        // One step of the owner; its undo shows the instance again.
        s.Action(Cmd::Undo)->trigger();
        QApplication::processEvents();
        QVERIFY(s.Main().IsOpen(open));
        QCOMPARE(open->Document().Root()->Net().Children().size(), std::size_t(0));
        QCOMPARE(QString::fromStdString(open->Document().Root()->name), QStringLiteral("Tank_1"));
    }

    void TheDocumentationIsWrittenBackInEditModeOnly() {
        Library s;
        s.Drop("Tank", QPoint(100, 80));
        TObjectFrame& frame = s.Current(*s.Root().Net().Children()[0]);
        const auto typeAndClose = [&](QString* classText) {
            return [classText](QWidget* w) {
                auto* memo = w->findChild<QPlainTextEdit*>(QStringLiteral("InstanceMemo"));
                *classText = w->findChild<QPlainTextEdit*>(QStringLiteral("ClassMemo"))->toPlainText();
                QCOMPARE(w->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->currentIndex(), 0);
                memo->setPlainText(QStringLiteral("Holds water.\nTwo lines."));
                QMetaObject::invokeMethod(w->findChild<QPushButton*>(QStringLiteral("CloseBtn")), "click",
                                          Qt::QueuedConnection);
            };
        };
        test::DialogAnswers answers;
        QString classText;
        answers.Then(typeAndClose(&classText));
        s.Run(Cmd::EditDocumentation);
        QCOMPARE(classText, QStringLiteral("A tank."));
        QCOMPARE(frame.description, (std::vector<std::string>{"Holds water.", "Two lines."}));
        QVERIFY(s.doc->Document().History().CanUndo());
        // In a view the memo is read-only and nothing goes back.
        TDocForm* view = s.Run(Cmd::ViewInstancedObject);
        QVERIFY(view);
        TPNObjekt& tank = *view->Document().Root();
        s.Current(*tank.Base(), view);
        // The same dialog again: a fresh answerer.
        test::DialogAnswers viewing;
        viewing.Then([](QWidget* w) {
            QVERIFY(w->findChild<QPlainTextEdit*>(QStringLiteral("InstanceMemo"))->isReadOnly());
            w->findChild<QPlainTextEdit*>(QStringLiteral("InstanceMemo"))->setPlainText(QStringLiteral("Changed"));
            QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
        });
        s.Run(Cmd::ViewClassDocumentation);
        QCOMPARE(tank.Base()->Frame().description, std::vector<std::string>{"A tank."});
        QCOMPARE(viewing.Pending(), 0);
    }

    void SetInitialValueWritesTheTypedValue() {
        Library s;
        s.Drop("Tank", QPoint(100, 80));
        TObjectFrame& frame = s.Current(*s.Root().Net().Children()[0]);
        TInterfacePlace* level = frame.FindInterfacePlace("level");
        level->selected = 1;
        test::DialogAnswers answers;
        answers.Then([](QWidget* w) {
            auto* edit = w->findChild<QLineEdit*>(QStringLiteral("Edit1"));
            QCOMPARE(edit->text(), QStringLiteral("2"));
            edit->clear();
            QTest::keyClicks(edit, QStringLiteral("3.5.x7"));
            QCOMPARE(edit->text(), QStringLiteral("3,57"));
            QMetaObject::invokeMethod(w->findChild<QPushButton*>(QStringLiteral("OKBtn")), "click", Qt::QueuedConnection);
        });
        s.Run(Cmd::SetInitialValue);
        QCOMPARE(double(frame.FindInterfacePlace("level")->Value()), 3.57);
        QVERIFY(s.doc->Document().History().CanUndo());
    }

    void ClosingTheOwnerClosesItsObjectWindowsWithOneQuestion() {
        Library s;
        s.Drop("Tank", QPoint(100, 80));
        s.Current(*s.Root().Net().Children()[0]);
        QVERIFY(s.Run(Cmd::OpenInstancedObject));
        s.Current(*s.Root().Net().Children()[0]);
        s.Main().WorkArea()->setActiveSubWindow(s.doc->SubWindow());
        QVERIFY(s.Run(Cmd::ViewParentObject));
        QCOMPARE(s.Main().Documents().size(), std::size_t(3));
        test::DialogAnswers answers;
        answers.Press(QStringLiteral("No"));
        QVERIFY(s.doc->SubWindow()->close());
        QApplication::processEvents();
        QCOMPARE(answers.Texts(), QStringList{QStringLiteral("Save Changes in Editor?")});
        QCOMPARE(s.Main().Documents().size(), std::size_t(0));
    }
};

QTEST_MAIN(FrameCommandsTest)
#include "FrameCommandsTest.moc"
