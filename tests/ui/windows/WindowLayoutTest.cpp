#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QTest>
#include <filesystem>

#include "UiTestSupport.h"
#include "app/THelpWindow.h"
#include "app/TMainWindow.h"
#include "app/TQuenzorApp.h"
#include "app/TStartWindow.h"
#include "editor/TDocForm.h"
#include "workspace/TActionSet.h"
#include "workspace/TAppWindows.h"

using namespace qz;
using namespace qz::ui;

class WindowLayoutTest : public QObject {
    Q_OBJECT
private slots:
    // The documents, first shown, tiled and cascaded, lie inside the visible
    // area at a usable size, and their status bars show a large net's count whole.
    void DocumentsStayInsideTheArea() {
        test::UiHome home;
        std::filesystem::create_directories(home.PathOf("Help"));
        QFile page(home.QPathOf("Help/index.html"));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<p>Help</p>");
        page.close();
        TQuenzorApp app{QStringList{}, TQuenzorApp::Options{0}};
        TMainWindow& main = app.Main();
        main.show();
        QTest::qWait(50);
        QMdiArea* mdi = main.findChild<QMdiArea*>();
        QVERIFY(mdi);
        const auto inside = [mdi](const char* what, int minWidth, int minHeight) {
            const QRect area = mdi->viewport()->rect();
            for (QMdiSubWindow* sub : mdi->subWindowList()) {
                QVERIFY2(area.contains(sub->geometry()), what);
                QVERIFY2(sub->width() >= minWidth && sub->height() >= minHeight, what);
            }
        };
        inside("first", 0, 0);
        const QLabel* count = main.ActiveDocument()->findChild<QLabel*>(QStringLiteral("StatusBarPanel4"));
        QVERIFY(count);
        QVERIFY(count->contentsRect().width() >=
                count->fontMetrics().horizontalAdvance(QStringLiteral("Elements : 200000 of 200000")));

        main.Actions()[Cmd::New]->trigger();
        main.Actions()[Cmd::New]->trigger();
        QCOMPARE(mdi->subWindowList().size(), 3);
        main.Actions()[Cmd::Tile]->trigger();
        inside("tiled", mdi->viewport()->width() / 3, mdi->viewport()->height() / 3);
        main.Actions()[Cmd::Cascade]->trigger();
        inside("cascaded", mdi->viewport()->width() / 2, mdi->viewport()->height() / 2);

        // The help window opens on the screen also when the main window is
        // near the screen's corner.
        const QRect screen = main.screen()->availableGeometry();
        main.move(screen.right() - main.width() / 3, screen.bottom() - main.height() / 3);
        main.Actions()[Cmd::Help]->trigger();
        THelpWindow* help = main.Windows().help;
        QVERIFY(help->isVisible());
        QVERIFY(screen.contains(help->frameGeometry()));
    }

    // Word-wrapped texts of the start window get the height they need.
    void StartWindowTextsDoNotOverlap() {
        test::UiHome home;
        TStartWindow start(nullptr);
        start.show();
        QTest::qWait(20);
        for (const QLabel* label : start.findChildren<QLabel*>()) {
            QVERIFY2(label->height() >= label->heightForWidth(label->width()), qPrintable(label->text()));
        }
    }
};

QTEST_MAIN(WindowLayoutTest)
#include "WindowLayoutTest.moc"
