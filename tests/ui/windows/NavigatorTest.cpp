#include <QAction>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>

#include "UiTestSupport.h"
#include "app/TMainWindow.h"
#include "app/TQuenzorApp.h"
#include "editor/Document.h"
#include "editor/TDocForm.h"
#include "editor/TOverviewForm.h"
#include "editor/TProjectHierarchyWindow.h"
#include "model/ExampleNets.h"
#include "model/ObjectLibrary.h"
#include "workspace/TActionSet.h"
#include "workspace/TAppWindows.h"

using namespace qz;
using namespace qz::ui;

class NavigatorTest : public QObject {
    Q_OBJECT
private slots:
    void DraggingTheMarkScrollsTheDocument() {
        test::UiHome home;
        TQuenzorApp app{QStringList{}, TQuenzorApp::Options{0}};
        TMainWindow& main = app.Main();
        main.show();
        // 400 x 300 pixels onto a net of some 2400 x 1800 units, zoomed in once.
        TDocForm* doc = main.ActiveDocument();
        doc->SubWindow()->resize(400, 300);
        examples::BuildLargeNet(*doc->Document().Root(), 2000);
        doc->Vergrern1Click();
        main.Actions()[Cmd::ShowOverview]->setChecked(true);
        TOverviewForm* navigator = main.Windows().navigator;
        navigator->resize(240, 180);
        QTest::qWait(20);
        navigator->DrawNet();
        QCOMPARE(TViewState::Scale(), 0.9);  // drawn at its own scale, not the document's
        const NavigatorView before = navigator->View();
        const TRect& m = before.mark;
        QVERIFY(!before.empty);
        QCOMPARE(navigator->Picture().pixelColor(m.left + 1, m.top + 1), QColor(0, 255, 255));

        const QPoint from((m.left + m.right) / 2, (m.top + m.bottom) / 2), to = from + QPoint(10, 5);
        QTest::mousePress(navigator->DrawingArea(), Qt::LeftButton, {}, from);
        QTest::mouseMove(navigator->DrawingArea(), to);
        QTest::mouseRelease(navigator->DrawingArea(), Qt::LeftButton, {}, to);
        const TPoint expected = NavigatorDragScroll(before, {from.x(), from.y()}, {to.x(), to.y()}, 0, 0, 0.9);
        QVERIFY(expected.x > 50);
        const TViewState& view = doc->Document().view;
        QCOMPARE(QPoint(view.HorzPosition(), view.VertPosition()), QPoint(expected.x, expected.y));
        QCOMPARE(doc->findChild<QScrollBar*>("HorzScrollBar")->value(), expected.x);
        QTRY_VERIFY(std::abs(navigator->View().mark.left - (m.left + 10)) <= 1);
        // The mark follows the document's scroll bars and the active document.
        doc->findChild<QScrollBar*>("VertScrollBar")->setValue(0);
        QTRY_COMPARE(navigator->View().mark.top, m.top);
        main.Neu1Click();
        QTRY_VERIFY(navigator->View().empty);
        // Closing only hides the window and releases its button.
        navigator->close();
        QVERIFY(!navigator->isVisible() && !main.Actions()[Cmd::ShowOverview]->isChecked());
    }

    void TheHierarchyOfThePlant() {
        namespace fs = std::filesystem;
        test::UiHome home;
        fs::create_directories(home.PathOf("Objects"));
        fs::copy_file(QZ_SOURCE_DIR "/examples/Objects/Tank.pn", home.PathOf("Objects/Tank.pn"));
        fs::copy_file(QZ_SOURCE_DIR "/examples/Plant.pn", home.PathOf("Plant.pn"));
        QVERIFY(ObjectLibrary().Rebuild());
        TQuenzorApp app({home.QPathOf("Plant.pn")}, {0});
        app.Main().Actions()[Cmd::ProjectHierarchy]->trigger();
        TProjectHierarchyWindow* window = app.Main().Windows().hierarchy;
        QVERIFY(window->isVisible());
        const auto tree = [window] { return test::TreeOutline(window->Tree()->topLevelItem(0)); };
        QCOMPARE(tree(), (QStringList{"Empty Object", "  Plant", "  Tank", "    Tank_1", "    Tank_2"}));
        // It and the navigator open over the document area, not over the
        // menu and tool bar at the screen's corner.
        app.Main().Actions()[Cmd::ShowOverview]->setChecked(true);
        const QRect area(app.Main().centralWidget()->mapToGlobal(QPoint(0, 0)), app.Main().centralWidget()->size());
        QVERIFY(area.contains(window->geometry()) && area.contains(app.Main().Windows().navigator->geometry()));
        // Only "Refresh" (reached from the keyboard through the popup) builds it
        // anew, for the document active then.
        app.Main().Neu1Click();
        QCOMPARE(tree().size(), 5);
        QTest::keyClick(window->Tree(), Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(window->Popup()->isVisible());
        QTest::keyClick(window->Popup(), Qt::Key_Down);
        QTest::keyClick(window->Popup(), Qt::Key_Return);
        QTRY_COMPARE(tree(), (QStringList{"Empty Object", "  New Object"}));
    }
};

QTEST_MAIN(NavigatorTest)
#include "NavigatorTest.moc"
