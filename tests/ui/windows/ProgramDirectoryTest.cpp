#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTest>
#include <filesystem>

#include "Files.h"
#include "UiTestSupport.h"
#include "app/TAboutWindow.h"
#include "app/TMainWindow.h"
#include "app/TQuenzorApp.h"
#include "common/ProgramDirectories.h"
#include "settings/ConfigFile.h"

using namespace qz;
using namespace qz::ui;

// The window on an installed program directory that it may not write: on the
// user's own copy, or, when that cannot be made, read only after one message.
class ProgramDirectoryTest : public QObject {
    Q_OBJECT
private slots:
    void InstalledProgramRunsOnTheUserCopyOrReadOnly_data() {
        QTest::addColumn<bool>("usable");
        QTest::newRow("user copy") << true;
        QTest::newRow("no user copy possible") << false;
    }
    void InstalledProgramRunsOnTheUserCopyOrReadOnly() {
        QFETCH(bool, usable);
        test::UiHome home; // its configuration (start window off) stands for the installed one
        const std::string installed = home.PathOf("installed/");
        QVERIFY(fs::WriteFileAtomically(home.PathOf("afile"), std::string_view("x")));
        std::filesystem::create_directories(installed + "Tutorial");
        std::filesystem::copy_file(home.PathOf(kConfigFileName), installed + kConfigFileName);
        test::WriteExampleNet(installed + "Tutorial/01.pn");
        const auto before = test::TreeSnapshot(installed);
        const fs::DirectoryInputs inputs{"", installed, home.PathOf(usable ? "data" : "afile"), home.PathOf("conf"), ""};
        const fs::ProgramDirectories dirs =
            fs::PrepareDirectories(inputs, [&](const std::string& dir) { return dir != installed; });
        const fs::ScopedDirectories scope(dirs);

        test::DialogAnswers answers;
        if (!usable) answers.Press("OK");
        {
            TQuenzorApp app({}, {0});
            QCOMPARE(answers.Texts().size(), usable ? 0 : 1);
            if (!usable) QCOMPARE(answers.Texts().front(), QString::fromStdString(dirs.problem).replace('\r', '\n'));
            QCOMPARE(app.Main().Documents().size(), std::size_t(1));
            auto* about = app.Main().Windows().about;
            QVERIFY(about);
            const QString text = about->findChild<QLabel*>(QStringLiteral("AboutText"))->text();
            QVERIFY(text.contains(QString::fromStdString(usable ? home.PathOf("data/quenzor/") : installed)));
            QCOMPARE(text.contains(QString::fromStdString(home.PathOf("conf/quenzor/"))), usable);
            app.Main().close();
        }
        QCOMPARE(answers.Pending(), 0);
        // The configuration goes to the user's configuration directory, and
        // nothing at all into the installed one.
        QCOMPARE(fs::FileExists(home.PathOf("conf/quenzor/Quenzor.cfg")), usable);
        QVERIFY(fs::FileExists(home.PathOf("data/quenzor/Tutorial/01.pn")) == usable);
        QVERIFY(test::TreeSnapshot(installed) == before);
    }

    // A user's first start tells that the configuration file is missing
    // while the splash window is still up; the message stays until it is
    // answered, whatever the splash window does meanwhile.
    void FirstStartMessageOutlivesTheSplashWindow() {
        test::UiHome home(false);
        test::DialogAnswers answers;
        bool survived = false;
        answers.Then([&survived](QWidget* w) {
            QPointer<QMessageBox> box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            QTimer::singleShot(300, [box, &survived] {
                survived = !box.isNull();
                if (box) box->button(QMessageBox::Ok)->click();
            });
        });
        answers.Then([](QWidget* start) { test::ClickLater(start, "CloseBtn"); });
        TQuenzorApp app({}, {20});
        QVERIFY(survived);
        QTRY_COMPARE(answers.Pending(), 0);
    }
};

QTEST_MAIN(ProgramDirectoryTest)
#include "ProgramDirectoryTest.moc"
