#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMimeData>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>
#include <functional>

#include "NetBuilder.h"
#include "UiTestSupport.h"
#include "app/TMainWindow.h"
#include "app/TQuenzorApp.h"
#include "common/FileSystem.h"
#include "editor/TDocForm.h"
#include "library/TFactoryWindow.h"
#include "model/ExampleNets.h"
#include "model/ObjectLibrary.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TTransition.h"
#include "model/storage/NetFile.h"
#include "workspace/ClassDrag.h"
#include "workspace/TAppWindows.h"

using namespace qz;
using namespace qz::ui;

namespace {

// A class with one place, inheriting `base` (a class already written).
void WriteClass(const std::string& name, const std::string& base = kEmptyObject) {
    std::filesystem::create_directories(LibraryDirectory());
    TPNObjekt c;
    if (base != kEmptyObject) QVERIFY(c.SetInherited(base));
    c.SetObjectName(name);
    examples::AddPlace(c.Net(), 40, 40, "P1", "m1");
    QVERIFY(SaveNetFile(c, LibraryDirectory() + name + ".pn"));
    ObjectLibrary().Rebuild();
}

// The tree's nodes in order, each indented by two blanks per level; "+"
// marks a node that is not expanded.
QStringList Outline(QTreeWidgetItem* item, int depth = 0) {
    QStringList lines{QString(depth * 2, QLatin1Char(' ')) + item->text(0) +
                      (item->childCount() && !item->isExpanded() ? QStringLiteral("+") : QString())};
    for (int i = 0; i < item->childCount(); ++i) lines += Outline(item->child(i), depth + 1);
    return lines;
}

struct Factory {
    explicit Factory(const QStringList& args = {}) : app(args, TQuenzorApp::Options{0}) {
        app.Main().show();
        QApplication::processEvents();
    }
    TMainWindow& Main() { return app.Main(); }
    TFactoryWindow& Window() { return *Main().Windows().factory; }
    template <class T>
    T* Child(const char* name) { return Window().findChild<T*>(QString::fromLatin1(name)); }
    QTreeWidget& Tree() { return *Child<QTreeWidget>("TV"); }
    QStringList TreeOutline() { return Outline(Tree().topLevelItem(0)); }
    void ShowHierarchy() { Child<QTabWidget>("PageControl1")->setCurrentIndex(1); }
    QTreeWidgetItem* Node(const QString& text) {
        const auto found = Tree().findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }
    QStringList Files() {
        QStringList names;
        auto* list = Child<QListWidget>("FileListBox1");
        for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
        return names;
    }
    // Clicks a file of the list as the user does.
    void ClickFile(const QString& name) {
        auto* list = Child<QListWidget>("FileListBox1");
        const auto found = list->findItems(name, Qt::MatchExactly);
        QVERIFY2(!found.isEmpty(), qPrintable(name));
        list->scrollToItem(found.first());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.first()).center());
    }
    void Press(const char* button) { QTest::mouseClick(Child<QToolButton>(button), Qt::LeftButton); }
    void Choose(const char* item) { Child<QAction>(item)->trigger(); }
    bool DeleteEnabled() { return Child<QToolButton>("DeleteBtn")->isEnabled() && Child<QAction>("DeleteFile1")->isEnabled(); }

    TQuenzorApp app;
};

} // namespace

class FactoryWindowTest : public QObject {
    Q_OBJECT
private slots:
    void TheClassTreeShowsTheLibraryByInheritanceAndOpensAndDragsClasses() {
        test::UiHome home;
        WriteClass("Machine");
        WriteClass("Valve");
        WriteClass("Pump", "Machine");
        WriteClass("Screw", "Pump");
        WriteClass("Drill", "Screw");  // its base is listed after it
        Factory f;
        f.ShowHierarchy();
        QCOMPARE(f.TreeOutline(),
                 (QStringList{"Empty Object", "  Machine", "    Pump", "      Screw", "        Drill", "  Valve"}));

        const QModelIndex pump = f.Tree().indexFromItem(f.Node("Pump"));
        std::unique_ptr<QMimeData> drag(f.Tree().model()->mimeData({pump}));
        QCOMPARE(drag->data(QString::fromLatin1(kClassDragFormat)), QByteArray("Pump"));
        QVERIFY(!(f.Node("Empty Object")->flags() & Qt::ItemIsDragEnabled));

        const auto doubleClick = [&](const char* node) {
            const QRect r = f.Tree().visualItemRect(f.Node(QString::fromLatin1(node)));
            // The view takes a double click on the item it was pressed on.
            QTest::mouseClick(f.Tree().viewport(), Qt::LeftButton, {}, r.center());
            QTest::mouseDClick(f.Tree().viewport(), Qt::LeftButton, {}, r.center());
        };
        const std::size_t before = f.Main().Documents().size();
        doubleClick("Empty Object");
        QCOMPARE(f.Main().Documents().size(), before);
        doubleClick("Screw");
        QCOMPARE(f.Main().ActiveDocument()->Document().FileName(), LibraryDirectory() + "Screw.pn");

        // A save into the library directory shows the new class at once.
        TDocForm& doc = *f.Main().ActiveDocument();
        doc.Document().Root()->SetObjectName("Mixer");
        doc.Document().SetFileName(LibraryDirectory() + "Mixer.pn");
        f.Main().Speichern1Click();
        QCOMPARE(f.Node("Mixer")->parent(), f.Node("Pump"));
    }

    void TheDirectoryButtonsSwitchOrSayWhatIsMissing_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QString>("message");
        QTest::newRow("data missing") << "SpeedButton1" << "Data" << false
                                      << "The default directory\n%1Data/\nnot exists.";
        QTest::newRow("tutorial missing") << "SpeedButton2" << "Tutorial" << false
                                          << "The tutorial directory\n%1Tutorial/\nnot exists.";
        QTest::newRow("objects missing") << "OpenObjects" << "Objects" << false
                                         << "The default directory\n%1Objects/\nnot exists.";
        QTest::newRow("data") << "SpeedButton1" << "Data" << true << "";
        QTest::newRow("tutorial") << "SpeedButton2" << "Tutorial" << true << "";
    }
    void TheDirectoryButtonsSwitchOrSayWhatIsMissing() {
        QFETCH(QString, button);
        QFETCH(QString, directory);
        QFETCH(bool, exists);
        QFETCH(QString, message);
        test::UiHome home;
        const QStringList args = test::ExampleNetIn(home);
        const std::string dir = home.PathOf(directory.toStdString());
        if (exists) {
            std::filesystem::create_directories(dir);
            test::WriteExampleNet(dir + "/sample.pn");
        }
        Factory f(args);
        QCOMPARE(f.Window().Directory(), QString::fromStdString(home.Path()).chopped(1));
        f.ClickFile("net.pn");
        QVERIFY(f.DeleteEnabled());
        test::DialogAnswers answers;
        if (!exists) answers.Press("OK");
        f.Press(button.toLatin1().constData());
        QCOMPARE(answers.Texts(), message.isEmpty() ? QStringList{} : QStringList{message.arg(QString::fromStdString(home.Path()))});
        QCOMPARE(f.Files(), exists ? QStringList{"sample.pn"} : QStringList{"net.pn"});
        QVERIFY(!f.DeleteEnabled());
    }

    void DeleteAsksFirstAndClosesTheDocumentOfTheFile() {
        test::UiHome home;
        const QStringList args = test::ExampleNetIn(home);
        Factory f(args);
        f.ClickFile("net.pn");
        test::DialogAnswers answers;
        const QString question = "Delete File : \"" + home.QPathOf("net.pn") + "\" ?";
        answers.Press("Cancel");
        f.Press("DeleteBtn");
        QVERIFY(fs::FileExists(home.PathOf("net.pn")));
        QCOMPARE(f.Main().Documents().size(), std::size_t(1));
        answers.Press("Yes");
        f.Press("DeleteBtn");
        QCOMPARE(answers.Texts(), (QStringList{question, question}));
        QVERIFY(!fs::FileExists(home.PathOf("net.pn")));
        QVERIFY(f.Main().Documents().empty());
        QVERIFY(!f.Files().contains("net.pn"));
        QCOMPARE(f.Window().StatusText(), QStringLiteral("No File Loaded"));
    }

    void DeletingAClassThatIsPlacedNamesItsUsersAndKeepsItOnCancel() {
        test::UiHome home;
        std::filesystem::create_directories(LibraryDirectory());
        TPNObjekt tank;
        examples::BuildTankClass(tank);
        QVERIFY(SaveNetFile(tank, LibraryDirectory() + tank.name + ".pn"));
        ObjectLibrary().Rebuild();
        const QStringList args = test::ExampleNetIn(home, examples::BuildPlant);
        Factory f(args);
        f.Press("OpenObjects");
        const QString file = QString::fromStdString(tank.name) + ".pn";
        f.ClickFile(file);
        test::DialogAnswers answers;
        answers.Press("Cancel");
        f.Choose("DeleteFile1");
        QCOMPARE(answers.Texts().size(), 1);
        QVERIFY2(answers.Texts()[0].contains("document " + home.QPathOf("net.pn") + ": "), qPrintable(answers.Texts()[0]));
        QVERIFY(answers.Texts()[0].endsWith("Delete File : \"" + QString::fromStdString(LibraryDirectory()) + file + "\" ?"));
        QVERIFY(fs::FileExists(LibraryDirectory() + tank.name + ".pn"));
        QVERIFY(ObjectLibrary().IndexOf(tank.name) >= 0);
    }

    void MergeRenamesAsAPasteInOneUndoStepAndAFileThatDoesNotReadChangesNothing() {
        test::UiHome home;
        test::WriteExampleNet(home.PathOf("part.pn"), [](TPNObjekt& o) {
            TPlatz* p = examples::AddPlace(o.Net(), 60, 60, "P1", "m1");
            TTransition* t = examples::AddTransition(o.Net(), 160, 60, "T1", "m1*2", true);
            examples::Connect(o.Net(), p, t);
        });
        fs::WriteFileAtomically(home.PathOf("broken.pn"), std::string_view("\6\3" "2,7", 5));
        const QStringList args = test::ExampleNetIn(home, [](TPNObjekt& o) {
            examples::AddPlace(o.Net(), 300, 300, "P1", "m1");
        });
        Factory f(args);
        TDocument& doc = f.Main().ActiveDocument()->Document();
        f.ClickFile("part.pn");
        f.Choose("MergeFile1");
        const auto transitions = test::ElementsOf<TTransition>(*doc.Net(), kind::Transition);
        QCOMPARE(doc.Net()->Count(), std::size_t(4));
        QCOMPARE(doc.Net()->SelectedCount(), std::size_t(3));
        QCOMPARE(transitions.at(0)->functionText, std::string("m2*2"));
        QVERIFY(doc.Modified());
        QVERIFY(doc.Undo());
        QCOMPARE(doc.Net()->Count(), std::size_t(1));
        QVERIFY(!doc.History().CanUndo());

        f.ClickFile("broken.pn");
        test::DialogAnswers answers;
        answers.Press("OK");
        f.Choose("MergeFile1");
        QCOMPARE(answers.Texts().size(), 1);
        QCOMPARE(doc.Net()->Count(), std::size_t(1));
        QVERIFY(!doc.History().CanUndo());
    }

    void ABrokenLibraryIsReportedAndTheRestStaysUsable() {
        test::UiHome home;
        WriteClass("Tank");
        fs::WriteFileAtomically(LibraryDirectory() + "Broken.pn", std::string_view("\6\3" "2,7", 5));
        // An index that names a file that is gone.
        fs::WriteTextLines(home.PathOf("ObjName.dat"), {"Ghost", "Tank"});
        fs::WriteTextLines(home.PathOf("ObjFile.dat"), {LibraryDirectory() + "Ghost.pn", LibraryDirectory() + "Tank.pn"});
        test::DialogAnswers answers;
        answers.Press("OK");
        Factory f;
        QCOMPARE(answers.Texts(), (QStringList{"These class files cannot be read and are left out of the class tree:\n"
                                               "Broken.pn: Error while reading file. The file will be closed now..."}));
        QCOMPARE(f.TreeOutline(), (QStringList{"Empty Object", "  Tank"}));
        QCOMPARE(ObjectLibrary().IndexOf("Ghost"), -1);

        // Index files that cannot be written: said once, the classes still listed.
        std::filesystem::remove(LibraryDirectory() + "Broken.pn");
        test::LockedDirectory lock(home.Path());
        if (!lock.Locked()) QSKIP("this file system lets every write through");
        answers.Press("OK");
        f.Choose("Refresh1");
        lock.Unlock();
        QCOMPARE(answers.Texts().size(), 2);
        QVERIFY2(answers.Texts()[1].startsWith("The library index files \"ObjName.dat\" and \"ObjFile.dat\" could not be written"),
                 qPrintable(answers.Texts()[1]));
        QCOMPARE(f.TreeOutline(), (QStringList{"Empty Object", "  Tank"}));
        QVERIFY(ObjectLibrary().FileOf("Tank"));
    }
};

QTEST_MAIN(FactoryWindowTest)
#include "FactoryWindowTest.moc"
