#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMimeData>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>

#include "NetBuilder.h"
#include "UiTestSupport.h"
#include "app/TMainWindow.h"
#include "app/TQuenzorApp.h"
#include "common/FileSystem.h"
#include "editor/TDocForm.h"
#include "library/TFactoryWindow.h"
#include "model/ExampleNets.h"
#include "model/ObjectLibrary.h"
#include "model/storage/NetFile.h"
#include "widgets/ControlNames.h"
#include "workspace/ClassDrag.h"
#include "workspace/TAppWindows.h"

using namespace qz;
using namespace qz::ui;

namespace {

// A class with one place, inheriting `base` (a class already written), or
// the one `build` makes.
void WriteClass(const std::string& name, const std::string& base = kEmptyObject,
                void (*build)(TPNObjekt&) = nullptr) {
    std::filesystem::create_directories(LibraryDirectory());
    TPNObjekt c;
    if (base != kEmptyObject) QVERIFY(c.SetInherited(base));
    c.SetObjectName(name);
    build ? build(c) : void(examples::AddPlace(c.Net(), 40, 40, "P1", "m1"));
    QVERIFY(SaveNetFile(c, LibraryDirectory() + name + ".pn"));
    ObjectLibrary().Rebuild();
}

// The program; its factory window's controls are found by their names.
struct Factory {
    explicit Factory(const QStringList& args = {}) : app(args, TQuenzorApp::Options{0}) {
        app.Main().show();
        QApplication::processEvents();
    }
    TMainWindow& Main() { return app.Main(); }
    template <class T>
    T* Child(const char* name) { return Main().Windows().factory->findChild<T*>(name); }
    QTreeWidget& Tree() { return *Child<QTreeWidget>("TV"); }
    QTreeWidgetItem* Node(const char* text) {
        return Tree().findItems(text, Qt::MatchExactly | Qt::MatchRecursive).value(0);
    }
    void DoubleClick(const char* node) {
        const QPoint at = Tree().visualItemRect(Node(node)).center();
        QTest::mouseClick(Tree().viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(Tree().viewport(), Qt::LeftButton, {}, at);
    }
    QStringList Files() {
        QStringList names;
        for (auto* item : Child<QListWidget>("FileListBox1")->findItems("*", Qt::MatchWildcard)) names << item->text();
        return names;
    }
    void ClickFile(const char* name) {
        auto* list = Child<QListWidget>("FileListBox1");
        const QRect item = list->visualItemRect(list->findItems(name, Qt::MatchExactly).value(0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    }
    void Press(const char* button) { QTest::mouseClick(Child<QToolButton>(button), Qt::LeftButton); }
    void Choose(const char* item) { Child<QAction>(item)->trigger(); }
    bool DeleteEnabled() {
        return Child<QToolButton>("DeleteBtn")->isEnabled() && Child<QAction>("DeleteFile1")->isEnabled();
    }

    TQuenzorApp app;
};

} // namespace

class FactoryWindowTest : public QObject {
    Q_OBJECT
private slots:
    void TheClassTreeShowsTheLibraryByInheritanceAndOpensAndDragsClasses() {
        test::UiHome home;
        for (auto [name, base] : {std::pair{"Machine", "Empty Object"}, {"Valve", "Empty Object"}, {"Pump", "Machine"},
                                  {"Screw", "Pump"}, {"Drill", "Screw"}}) {  // Drill's base is listed after it
            WriteClass(name, base);
        }
        Factory f;
        f.Child<QTabWidget>("PageControl1")->setCurrentIndex(1);
        QCOMPARE(test::TreeOutline(f.Tree().topLevelItem(0)),
                 (QStringList{"Empty Object", "  Machine", "    Pump", "      Screw", "        Drill", "  Valve"}));
        std::unique_ptr<QMimeData> drag(f.Tree().model()->mimeData({f.Tree().indexFromItem(f.Node("Pump"))}));
        QCOMPARE(drag->data(QString::fromLatin1(kClassDragFormat)), QByteArray("Pump"));

        f.DoubleClick("Empty Object");
        QCOMPARE(f.Main().Documents().size(), std::size_t(1));
        f.DoubleClick("Screw");
        TDocument& doc = f.Main().ActiveDocument()->Document();
        QCOMPARE(doc.FileName(), LibraryDirectory() + "Screw.pn");
        // A save into the library directory shows the new class at once.
        doc.Root()->SetObjectName("Mixer");
        doc.SetFileName(LibraryDirectory() + "Mixer.pn");
        f.Main().Speichern1Click();
        QCOMPARE(f.Node("Mixer")->parent(), f.Node("Pump"));
    }

    void TheDirectoryButtonsSwitchOrSayWhatIsMissing_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QString>("message");
        QTest::newRow("data missing") << "SpeedButton1" << "" << "The default directory\n%1Data/\nnot exists.";
        QTest::newRow("tutorial missing") << "SpeedButton2" << "" << "The tutorial directory\n%1Tutorial/\nnot exists.";
        QTest::newRow("objects") << "OpenObjects" << "Objects" << "";
    }
    void TheDirectoryButtonsSwitchOrSayWhatIsMissing() {
        QFETCH(QString, button);
        QFETCH(QString, directory);
        QFETCH(QString, message);
        test::UiHome home;
        const QStringList args = test::ExampleNetIn(home);
        if (!directory.isEmpty()) {
            std::filesystem::create_directories(home.PathOf(directory.toStdString()));
            test::WriteExampleNet(home.PathOf(directory.toStdString() + "/sample.pn"));
        }
        Factory f(args);
        f.ClickFile("net.pn");
        QVERIFY(f.DeleteEnabled());
        test::DialogAnswers answers;
        if (!message.isEmpty()) answers.Press("OK");
        f.Press(button.toLatin1().constData());
        QCOMPARE(answers.Texts().join(""), message.arg(home.QPathOf("")));
        QCOMPARE(f.Files(), QStringList{directory.isEmpty() ? "net.pn" : "sample.pn"});
        QVERIFY(!f.DeleteEnabled());
    }

    // The document net.pn (the plant, placing Tank_1 and Tank_2) is open;
    // Boiler derives from Tank.
    void DeleteAsksFirstNamesTheUsersOfAClassAndClosesTheDocumentOfTheFile_data() {
        QTest::addColumn<bool>("inLibrary");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("users");
        QTest::newRow("Cancel") << false << "Cancel" << "";
        QTest::newRow("Yes") << false << "Yes" << "";
        QTest::newRow("a used class") << true << "Cancel"
                                      << "The classes of this file are used by:\n  class Boiler\n"
                                         "  document %1net.pn: Tank_1, Tank_2\n";
    }
    void DeleteAsksFirstNamesTheUsersOfAClassAndClosesTheDocumentOfTheFile() {
        QFETCH(bool, inLibrary);
        QFETCH(QString, answer);
        QFETCH(QString, users);
        test::UiHome home;
        WriteClass("Tank", kEmptyObject, examples::BuildTankClass);
        WriteClass("Boiler", "Tank");
        Factory f(test::ExampleNetIn(home, examples::BuildPlant));
        if (inLibrary) f.Press("OpenObjects");
        const std::string path = inLibrary ? LibraryDirectory() + "Tank.pn" : home.PathOf("net.pn");
        f.ClickFile(inLibrary ? "Tank.pn" : "net.pn");
        test::DialogAnswers answers;
        answers.Press(answer);
        f.Choose("DeleteFile1");
        const bool deleted = answer == "Yes";
        QCOMPARE(answers.Texts(), QStringList{users.arg(home.QPathOf("")) + "Delete File : \"" + Q(path) + "\" ?"});
        QCOMPARE(fs::FileExists(path), !deleted);
        QCOMPARE(f.Main().Documents().size(), std::size_t(deleted ? 0 : 1));
        QCOMPARE(f.Files().contains(Q(FileNameOnly(path))), !deleted);
    }

    void MergeRenamesAsAPasteInOneUndoStepAndAFileThatDoesNotReadChangesNothing() {
        test::UiHome home;
        test::WriteExampleNet(home.PathOf("part.pn"), [](TPNObjekt& o) {
            examples::Connect(o.Net(), examples::AddPlace(o.Net(), 60, 60, "P1", "m1"),
                              examples::AddTransition(o.Net(), 160, 60, "T1", "m1*2", true));
        });
        fs::WriteFileAtomically(home.PathOf("cut.pn"), std::string_view("\6\3" "2,7", 5));
        Factory f(test::ExampleNetIn(home, [](TPNObjekt& o) { examples::AddPlace(o.Net(), 300, 300, "P1", "m1"); }));
        TDocument& doc = f.Main().ActiveDocument()->Document();
        f.ClickFile("part.pn");
        f.Choose("MergeFile1");
        QCOMPARE(std::make_pair(doc.Net()->Count(), doc.Net()->SelectedCount()), std::make_pair(std::size_t(4), std::size_t(3)));
        QCOMPARE(test::ElementsOf<TTransition>(*doc.Net(), kind::Transition).at(0)->functionText, std::string("m2*2"));
        QVERIFY(doc.Undo() && !doc.History().CanUndo());
        QCOMPARE(doc.Net()->Count(), std::size_t(1));

        f.ClickFile("cut.pn");
        test::DialogAnswers answers;
        answers.Press("OK");
        f.Choose("MergeFile1");
        QCOMPARE(answers.Texts(), QStringList{kReadErrorText});
        QVERIFY(doc.Net()->Count() == 1 && !doc.History().CanUndo());
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
        const QStringList tree{"Empty Object", "  Tank"};
        QCOMPARE(test::TreeOutline(f.Tree().topLevelItem(0)), tree);
        QCOMPARE(ObjectLibrary().IndexOf("Ghost"), -1);
        // Index files that cannot be written: said, and the classes still listed.
        std::filesystem::remove(LibraryDirectory() + "Broken.pn");
        test::LockedDirectory lock(home.Path());
        if (!lock.Locked()) QSKIP("this file system lets every write through");
        answers.Press("OK");
        f.Choose("Refresh1");
        lock.Unlock();
        QCOMPARE(answers.Texts().size(), 2);
        QCOMPARE(answers.Texts()[0], "These class files cannot be read and are left out of the class tree:\n"
                                     "Broken.pn: " + QString(kReadErrorText));
        QVERIFY(answers.Texts()[1].startsWith("The library index files \"ObjName.dat\" and \"ObjFile.dat\" could not be written"));
        QCOMPARE(test::TreeOutline(f.Tree().topLevelItem(0)), tree);
        QVERIFY(ObjectLibrary().FileOf("Tank"));
    }
};

QTEST_MAIN(FactoryWindowTest)
#include "FactoryWindowTest.moc"
