#include <QListWidget>
#include <QTest>
#include <filesystem>

#include "Files.h"
#include "UiTestSupport.h"
#include "app/TMainWindow.h"
#include "app/TQuenzorApp.h"
#include "editor/TDocForm.h"
#include "editor/TExportForm.h"
#include "model/ExampleNets.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/description/NetDescription.h"

using namespace qz;
using namespace qz::ui;

namespace {

// A discrete place P1 (m1, 2 tokens) fed by a discrete transition T1 (firing time
// 2,5, weight 3), read by a continuous transition C1, and a continuous place
// whose name is not plain ASCII.
struct Export {
    test::UiHome home;
    TQuenzorApp app{QStringList{}, TQuenzorApp::Options{0}};
    Export() {
        TNetList& net = *app.Main().ActiveDocument()->Document().Net();
        TPlatz* p1 = examples::AddPlace(net, 60, 60, "P1", "m1", 2);
        examples::Connect(net, examples::AddTransition(net, 160, 60, "T1", "2,5"), p1, 0, "3");
        examples::AddPlace(net, 60, 200, "F\xC3\xBCllstand", "level", 1.5, true);
        examples::Connect(net, p1, examples::AddTransition(net, 160, 200, "C1", "level*0.1", true));
    }
};

} // namespace

class ExportFormTest : public QObject {
    Q_OBJECT
private slots:
    void TheDescriptionAsShownAndAsSavedByTheFileMenu() {
        Export e;
        const std::string path = e.home.PathOf("net.txt");
        test::DialogAnswers answers;
        answers.Then([](QWidget* w) {
            QVERIFY(qobject_cast<TExportForm*>(w));
            test::ClickLater(w, "Button1");  // "Save File"
        });
        answers.ChooseFile(QString::fromStdString(path));
        answers.Then([](QWidget* w) { test::ClickLater(w, "Button2"); });
        e.app.Main().SaveAsAscii1Click();
        QCOMPARE(answers.Pending(), 0);
        const char* expected[] = {
            "file version: 2,7", "=============================", "Object: Empty Object",
            "     - Inherited from: Empty Object", "     - Object name: New Object",
            "Number of child objects: 0", "=========================", " ", " ", "Places",
            "     Name: P1, typ: discrete, variable name: m1, initial marking: 2, capacity: -1, key: 0",
            "     Name: F\xFCllstand, typ: continuous, variable name: level, initial marking: 1,5, key: 1",
            " ", "Transitions",
            "     name: T1, typ: discrete, firing time: 2,5, priority: 1, reservation: 0, key: 2",
            "     name: C1, typ: continuous, Speed function: level*0.1, key: 3", " ", "Arcs",
            "     from T1 (key=2) to P1 (key=0), typ: normal, weight: 3",
            "     from P1 (key=0) to C1 (key=3), typ: normal, weight: 1", " "};
        std::string text;  // Windows-1252, each line ended by CR LF
        for (const char* line : expected) text += std::string(line) + "\r\n";
        QCOMPARE(test::ReadAll(path), text);
        QListWidget* shown = e.app.Main().Windows().exportForm->Lines();
        QCOMPARE(shown->count(), int(std::size(expected)));
        QCOMPARE(shown->item(11)->text(), QString::fromLatin1(expected[11]));
    }

    void AFileThatCannotBeWrittenIsReported() {
        Export e;
        TExportForm form(nullptr);
        form.SetLines(DescribeDocument(*e.app.Main().ActiveDocument()->Document().Root()));
        std::filesystem::create_directories(e.home.PathOf("locked"));
        test::LockedDirectory locked(e.home.PathOf("locked"));
        if (!locked.Locked()) QSKIP("this file system lets every file be written");
        const std::string path = e.home.PathOf("locked/net.txt");
        test::DialogAnswers answers;
        answers.ChooseFile(QString::fromStdString(path));
        answers.Press("OK");
        form.Button1Click();
        QCOMPARE(answers.Texts().size(), 1);
        const QString text = answers.Texts().first();
        QVERIFY2(text.startsWith(QString::fromStdString("The file " + path + " could not be saved:\n")) &&
                     text.endsWith("\nThe file on disk has not been changed."),
                 qPrintable(text));
        locked.Unlock();
        QVERIFY(std::filesystem::is_empty(e.home.PathOf("locked")));
    }
};

QTEST_MAIN(ExportFormTest)
#include "ExportFormTest.moc"
