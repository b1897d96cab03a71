#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <sstream>
#include <QTest>

#include "UiTestSupport.h"
#include "app/TMainWindow.h"
#include "app/TQuenzorApp.h"
#include "workspace/Workspace.h"
#include "common/FileSystem.h"
#include "editor/TDocForm.h"
#include "LoadAnyNet.h"
#include "model/ExampleNets.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "settings/ConfigFile.h"

using namespace qz;
using namespace qz::ui;

namespace {

QByteArray Bytes(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A changed document: one more place than its file holds.
void Change(TDocForm& d) {
    examples::AddPlace(d.Document().Root()->Net(), 400, 400, "Extra", "extra");
    d.Document().SetModified(true);
}

} // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void CloseFileAsksAboutChangesAndEachAnswerKeepsItsPromise_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("openAfter");
        QTest::addColumn<bool>("written");
        QTest::newRow("Yes saves and closes") << "Yes" << 0 << true;
        QTest::newRow("No closes without saving") << "No" << 0 << false;
        QTest::newRow("Cancel keeps the changes open") << "Cancel" << 1 << false;
    }
    void CloseFileAsksAboutChangesAndEachAnswerKeepsItsPromise() {
        QFETCH(QString, answer);
        QFETCH(int, openAfter);
        QFETCH(bool, written);
        test::UiHome home;
        const std::string path = home.PathOf("net.pn");
        test::WriteExampleNet(path);
        const QByteArray before = Bytes(path);
        TQuenzorApp app({QString::fromStdString(path)}, {0});
        TDocForm& doc = *app.Main().ActiveDocument();
        Change(doc);
        test::DialogAnswers answers;
        answers.Press(answer);
        app.Main().CloseFile1Click();
        QCOMPARE(answers.Texts(), QStringList{"Save Changes in net.pn?"});
        QCOMPARE(int(app.Main().Documents().size()), openAfter);
        QCOMPARE(Bytes(path) != before, written);
        if (openAfter) QVERIFY(doc.Document().Modified());
    }

    void SaveAsAsksBeforeReplacingAnyExistingFile() {
        test::UiHome home;
        const std::string own = home.PathOf("own.pn"), other = home.PathOf("other.pn");
        test::WriteExampleNet(own);
        fs::WriteFileAtomically(other, std::string_view("old"));
        TQuenzorApp app({QString::fromStdString(own)}, {0});
        TMainWindow& main = app.Main();
        Change(*main.ActiveDocument());
        const QByteArray ownBefore = Bytes(own);

        test::DialogAnswers answers;
        answers.ChooseFile(QString());  // cancelled: nothing happens
        main.Speichernunter1Click();
        answers.ChooseFile(QString::fromStdString(own));
        answers.Press("No");
        main.Speichernunter1Click();
        QCOMPARE(Bytes(own), ownBefore);
        QCOMPARE(answers.Texts(), QStringList{"The File " + QString::fromStdString(own) + "\nalreay exists.\n\nReplace ?"});
        QVERIFY(main.ActiveDocument()->Document().Modified());

        // Another existing file is asked for just the same: No keeps it, Yes
        // replaces it.
        answers.ChooseFile(QString::fromStdString(other));
        answers.Press("No");
        main.Speichernunter1Click();
        QCOMPARE(Bytes(other), QByteArray("old"));
        answers.ChooseFile(QString::fromStdString(other));
        answers.Press("Yes");
        main.Speichernunter1Click();
        QCOMPARE(answers.Texts().size(), 3);
        QCOMPARE(answers.Texts().last(), "The File " + QString::fromStdString(other) + "\nalreay exists.\n\nReplace ?");
        QVERIFY(Bytes(other).startsWith(Bytes(own).left(4)));
        QCOMPARE(main.ActiveDocument()->windowTitle(), QString::fromStdString(other));
        QVERIFY(!main.ActiveDocument()->Document().Modified());
    }

    void AnOlderVersionIsSavedOnlyWhenTheUserAgrees_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("written");
        QTest::newRow("OK") << "OK" << true;
        QTest::newRow("Cancel") << "Cancel" << false;
    }
    void AnOlderVersionIsSavedOnlyWhenTheUserAgrees() {
        QFETCH(QString, answer);
        QFETCH(bool, written);
        test::UiHome home;
        const std::string path = home.PathOf("net.pn");
        test::WriteExampleNet(path);
        TQuenzorApp app({QString::fromStdString(path)}, {0});
        Change(*app.Main().ActiveDocument());
        app.Workspace().lastVersion = "1,48";
        const QByteArray before = Bytes(path);
        test::DialogAnswers answers;
        answers.Press(answer);
        app.Main().Speichern1Click();
        QCOMPARE(answers.Texts(),
                 QStringList{"This file or one of the including objects is an older version (version 1,48)\n"
                             "Do you want to save this file with the\ncurrent file format (2,7)?\n"
                             "Attention: the included file format will not be changed."});
        QCOMPARE(Bytes(path) != before, written);
        QCOMPARE(app.Workspace().lastVersion, std::string(written ? "2,7" : "1,48"));
    }

    void AFailedSaveSaysSoAndKeepsTheOldFileAndTheChanges() {
        test::UiHome home;
        const std::string dir = home.PathOf("locked");
        QVERIFY(QDir().mkpath(QString::fromStdString(dir)));
        const std::string path = dir + "/net.pn";
        test::WriteExampleNet(path);
        const QByteArray before = Bytes(path);
        test::LockedDirectory lock(dir);
        if (!lock.Locked()) QSKIP("this file system lets every write through");
        TQuenzorApp app({QString::fromStdString(path)}, {0});
        Change(*app.Main().ActiveDocument());
        test::DialogAnswers answers;
        answers.Press("OK");
        answers.Press("Cancel");  // the close question after the failure: the document stays
        app.Main().Speichern1Click();
        app.Main().CloseFile1Click();
        lock.Unlock();
        QCOMPARE(answers.Texts().size(), 2);
        QVERIFY(answers.Texts()[0].startsWith("The file " + QString::fromStdString(path) + " could not be saved:"));
        QCOMPARE(Bytes(path), before);
        QCOMPARE(app.Main().Documents().size(), std::size_t(1));
        QVERIFY(app.Main().ActiveDocument()->Document().Modified());
    }

    void CancelInCloseAllFilesKeepsTheRemainingDocuments() {
        test::UiHome home;
        TQuenzorApp app({}, {0});
        TMainWindow& main = app.Main();
        Change(*main.ActiveDocument());
        Change(*main.NewDocument());
        test::DialogAnswers answers;
        answers.Press("No");
        answers.Press("Cancel");
        main.CloseAllFiles1Click();
        QCOMPARE(answers.Texts().size(), 2);
        QCOMPARE(main.Documents().size(), std::size_t(1));
        QVERIFY(main.ActiveDocument()->Document().Modified());
    }

    void FilesThatAreNoNetsOpenNoDocument_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("name");
        QTest::newRow("broken PNML") << QByteArray("<pnml><net") << "broken.pnml";
    }
    void FilesThatAreNoNetsOpenNoDocument() {
        QFETCH(QByteArray, content);
        QFETCH(QString, name);
        test::UiHome home;
        const std::string path = home.PathOf(name.toStdString());
        fs::WriteFileAtomically(path, content.constData(), std::size_t(content.size()));
        TQuenzorApp app({}, {0});
        test::DialogAnswers answers;
        answers.ChooseFile(QString::fromStdString(path));
        answers.Press("OK");
        app.Main().Oeffnen1Click();
        QCOMPARE(answers.Pending(), 0);
        QCOMPARE(app.Main().Documents().size(), std::size_t(1));  // the first, empty document
        QCOMPARE(app.Main().ActiveDocument()->windowTitle(), QStringLiteral("Editor"));
    }

    void ANetReadWithErrorsKeepsItsOriginalWhenSavedOverIt() {
        test::UiHome home;
        const std::string path = home.PathOf("notes.pn");
        fs::WriteFileAtomically(path, std::string_view("hello\n"));
        test::DialogAnswers answers;
        for (int i = 0; i < 3; ++i) answers.Press("OK");  // the reader's messages, then where the original is kept
        TQuenzorApp app({QString::fromStdString(path)}, {0});
        TDocForm& doc = *app.Main().ActiveDocument();
        QVERIFY(doc.Document().Root()->readWithErrors);
        Change(doc);
        app.Main().Speichern1Click();
        QCOMPARE(answers.Pending(), 0);
        QVERIFY(answers.Texts().last().contains(QString::fromStdString(path) + ".damaged"));
        QCOMPARE(Bytes(path + ".damaged"), QByteArray("hello\n"));
        QVERIFY(!doc.Document().Modified());
    }

    void ExitWritesTheConfigurationWithTheStartValues() {
        test::UiHome home(false);
        test::DialogAnswers answers;
        answers.Press("OK");  // the configuration file does not exist yet
        TQuenzorApp app({}, {0});
        QVERIFY(answers.Texts().value(0).startsWith("The File \"Quenzor.cfg\" not exists."));
        app.Main().close();
        QCOMPARE(Bytes(home.PathOf(kConfigFileName)), QByteArray::fromHex("09090909080802140909"));
    }

    // The keys users of a desktop program expect, and the open dialog's
    // filter of both net formats, in which a typed .pnml name opens.
    void StandardKeysAndBothNetFormatsInTheOpenDialog() {
        test::UiHome home;
        TQuenzorApp app({}, {0});
        TMainWindow& main = app.Main();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QTest::keyClick(&main, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(main.Documents().size(), std::size_t(2));
        TDocForm* doc = main.ActiveDocument();
        QTest::keyClick(&main, Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(doc->StatusText(2), QStringLiteral("Scale: 0,90"));
        QTest::keyClick(&main, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(doc->StatusText(2), QStringLiteral("Scale: 1,00"));
        QTest::keyClick(&main, Qt::Key_F, Qt::AltModifier);
        auto* file = main.findChild<QMenu*>(QStringLiteral("Datei1"));
        QTRY_VERIFY(file->isVisible());
        file->close();

        const std::string pnml = home.PathOf("net.pnml");
        TPNObjekt net;
        examples::BuildProducerConsumer(net);
        std::ostringstream err;
        QVERIFY(SaveAnyNet(net, pnml, err));
        QStringList filters;
        test::DialogAnswers answers;
        answers.Then([&](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            filters = dialog->nameFilters();
            dialog->selectFile(QString::fromStdString(pnml));
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        });
        QTest::keyClick(&main, Qt::Key_O, Qt::ControlModifier);
        QTRY_COMPARE(main.Documents().size(), std::size_t(3));
        QCOMPARE(filters.value(0), QStringLiteral("All nets (*.pn *.pnml)"));
        QCOMPARE(main.ActiveDocument()->windowTitle(), QString::fromStdString(pnml));
    }
    // A net opened from PNML is saved as PNML: it opens again under its name
    // and holds the change.
    void APnmlNetIsSavedAsPnmlAgain() {
        test::UiHome home;
        const std::string pnml = home.PathOf("net.pnml");
        TPNObjekt net;
        examples::BuildProducerConsumer(net);
        std::ostringstream err;
        QVERIFY(SaveAnyNet(net, pnml, err));
        TQuenzorApp app({QString::fromStdString(pnml)}, {0});
        Change(*app.Main().ActiveDocument());
        app.Main().Speichern1Click();
        QVERIFY(!app.Main().ActiveDocument()->Document().Modified());
        QVERIFY(Bytes(pnml).startsWith("<?xml"));
        TPNObjekt back;
        QVERIFY(LoadAnyNet(back, pnml, err));
        QCOMPARE(back.Net().Count(), net.Net().Count() + 1);
    }
};

QTEST_MAIN(FileCommandsTest)
#include "FileCommandsTest.moc"
