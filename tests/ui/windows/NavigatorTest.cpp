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

namespace {

// The tree as indented lines, every node with children expanded.
void Lines(const QTreeWidgetItem* item, int depth, QStringList& out) {
    out << QString(depth * 2, QLatin1Char(' ')) + item->text(0) + (item->childCount() && !item->isExpanded() ? "+" : "");
    for (int i = 0; i < item->childCount(); ++i) Lines(item->child(i), depth + 1, out);
}

} // namespace

class NavigatorTest : public QObject {
    Q_OBJECT
private slots:
    void DraggingTheMarkScrollsTheDocument() {
        test::UiHome home;
        TQuenzorApp app{QStringList{}, TQuenzorApp::Options{0}};
        TMainWindow& main = app.Main();
        main.show();
        // A document of 400 x 300 onto a net of some 2400 x 1800 world units,
        // zoomed in once.
        TDocForm* doc = main.ActiveDocument();
        doc->SubWindow()->resize(400, 300);
        examples::BuildLargeNet(*doc->Document().Root(), 2000);
        doc->Vergrern1Click();
        main.Actions()[Cmd::ShowOverview]->setChecked(true);
        TOverviewForm* navigator = main.Windows().navigator;
        navigator->resize(240, 180);
        QTest::qWait(20);
        navigator->DrawNet();
        // Drawn at its own scale: the document's stays as it is.
        QCOMPARE(TViewState::Scale(), 0.9);
        const NavigatorView before = navigator->View();
        QVERIFY(!before.empty);
        QCOMPARE(navigator->Picture().pixelColor(before.mark.left + 1, before.mark.top + 1), QColor(0, 255, 255));

        const QPoint from((before.mark.left + before.mark.right) / 2, (before.mark.top + before.mark.bottom) / 2);
        const QPoint to = from + QPoint(10, 5);
        QWidget* area = navigator->DrawingArea();
        QTest::mousePress(area, Qt::LeftButton, {}, from);
        QTest::mouseMove(area, to);
        QTest::mouseRelease(area, Qt::LeftButton, {}, to);
        const TPoint expected = NavigatorDragScroll(before, {from.x(), from.y()}, {to.x(), to.y()}, 0, 0, 0.9);
        QVERIFY(expected.x > 50);
        const TViewState& view = doc->Document().view;
        QCOMPARE(QPoint(view.HorzPosition(), view.VertPosition()), QPoint(expected.x, expected.y));
        QCOMPARE(doc->findChild<QScrollBar*>(QStringLiteral("HorzScrollBar"))->value(), expected.x);
        QTRY_VERIFY(std::abs(navigator->View().mark.left - (before.mark.left + 10)) <= 1);
        // Scrolled in the document, the mark follows; another document, the
        // navigator shows it.
        doc->findChild<QScrollBar*>(QStringLiteral("VertScrollBar"))->setValue(0);
        QTRY_COMPARE(navigator->View().mark.top, before.mark.top);
        main.Neu1Click();
        QTRY_VERIFY(navigator->View().empty);

        // Closing only hides the window and releases its button.
        navigator->close();
        QVERIFY(!navigator->isVisible());
        QVERIFY(!main.Actions()[Cmd::ShowOverview]->isChecked());
    }

    void TheHierarchyOfThePlant() {
        namespace fs = std::filesystem;
        test::UiHome home;
        fs::create_directories(home.PathOf("Objects"));
        fs::copy_file(QZ_SOURCE_DIR "/examples/Objects/Tank.pn", home.PathOf("Objects/Tank.pn"));
        fs::copy_file(QZ_SOURCE_DIR "/examples/Plant.pn", home.PathOf("Plant.pn"));
        QVERIFY(ObjectLibrary().Rebuild());
        TQuenzorApp app({home.QPathOf("Plant.pn")}, {0});
        TMainWindow& main = app.Main();
        main.Actions()[Cmd::ProjectHierarchy]->trigger();
        TProjectHierarchyWindow* window = main.Windows().hierarchy;
        QVERIFY(window->isVisible());
        const auto tree = [window] {
            QStringList lines;
            Lines(window->Tree()->topLevelItem(0), 0, lines);
            return lines;
        };
        QCOMPARE(tree(), (QStringList{"Empty Object", "  Plant", "  Tank", "    Tank_1", "    Tank_2"}));
        // It and the navigator open over the document area, not over the
        // menu and tool bar at the screen's corner.
        main.Actions()[Cmd::ShowOverview]->setChecked(true);
        const QRect area(main.centralWidget()->mapToGlobal(QPoint(0, 0)), main.centralWidget()->size());
        QVERIFY(area.contains(window->geometry()) && area.contains(main.Windows().navigator->geometry()));

        // Only "Refresh" builds it anew, for the document active then; the
        // keyboard reaches it through the popup.
        main.Neu1Click();
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
