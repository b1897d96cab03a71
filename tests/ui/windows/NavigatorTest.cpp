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
#include "model/TPNObjekt.h"
#include "workspace/TActionSet.h"
#include "workspace/TAppWindows.h"

using namespace qz;
using namespace qz::ui;

namespace {

// A document of 400 x 300 onto a net of some 2400 x 1800 world units, the
// navigator shown beside it.
struct Navigator {
    test::UiHome home;
    TQuenzorApp app{QStringList{}, TQuenzorApp::Options{0}};
    TDocForm* doc = nullptr;
    TOverviewForm* navigator = nullptr;

    Navigator() {
        Main().show();
        doc = Main().ActiveDocument();
        doc->SubWindow()->resize(400, 300);
        examples::BuildLargeNet(*doc->Document().Root(), 2000);
        doc->FormResize();
        navigator = Main().Windows().navigator;
        Main().Actions()[Cmd::ShowOverview]->setChecked(true);
        navigator->resize(240, 180);
        QTest::qWait(20);
        navigator->DrawNet();
    }
    TMainWindow& Main() { return app.Main(); }
    const TViewState& View() const { return doc->Document().view; }
    // Drags in the navigator's drawing area with the left button.
    void Drag(QPoint from, QPoint to) {
        QWidget* area = navigator->DrawingArea();
        QTest::mousePress(area, Qt::LeftButton, {}, from);
        QTest::mouseMove(area, (from + to) / 2);
        QTest::mouseMove(area, to);
        QTest::mouseRelease(area, Qt::LeftButton, {}, to);
    }
    QPoint MarkCentre() const {
        const TRect& m = navigator->View().mark;
        return {(m.left + m.right) / 2, (m.top + m.bottom) / 2};
    }
};

// The tree as indented lines.
void Lines(const QTreeWidgetItem* item, int depth, QStringList& out) {
    out << QString(depth * 2, QLatin1Char(' ')) + item->text(0);
    QVERIFY(item->childCount() == 0 || item->isExpanded());
    for (int i = 0; i < item->childCount(); ++i)
        Lines(item->child(i), depth + 1, out);
}

QStringList TreeLines(const QTreeWidget* tree) {
    QStringList out;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        Lines(tree->topLevelItem(i), 0, out);
    return out;
}

} // namespace

class NavigatorTest : public QObject {
    Q_OBJECT
private slots:
    void TheWholeNetWithTheMarkOfTheVisiblePart() {
        Navigator n;
        n.doc->Vergrern1Click();
        n.navigator->DrawNet();
        // The program-wide scale is the document's before and after.
        QCOMPARE(TViewState::Scale(), 0.9);
        const NavigatorView& v = n.navigator->View();
        QVERIFY(!v.empty);
        const QImage& picture = n.navigator->Picture();
        QCOMPARE(picture.pixelColor(0, 0), QColor(Qt::blue));
        // The mark of a view at the start lies at the net's top-left corner;
        // the net, drawn over it, reaches into the far corner.
        QVERIFY(v.mark.left > 0 && v.mark.left < 20 && v.mark.top > 0 && v.mark.top < 40);
        int aqua = 0, dark = 0, darkFarRight = 0;
        for (int y = 1; y < picture.height() - 1; ++y) {
            for (int x = 1; x < picture.width() - 1; ++x) {
                const QColor c = picture.pixelColor(x, y);
                aqua += c == QColor(0, 255, 255);
                const bool isDark = qGray(c.rgb()) < 0x60;
                dark += isDark;
                darkFarRight += isDark && x > picture.width() * 3 / 4 && y > picture.height() / 2;
            }
        }
        QVERIFY(aqua > 50);
        QVERIFY(dark > 500);
        QVERIFY(darkFarRight > 20);

        // Closing only hides the window and releases its button.
        n.navigator->close();
        QVERIFY(!n.navigator->isVisible());
        QVERIFY(!n.Main().Actions()[Cmd::ShowOverview]->isChecked());
    }

    void DraggingTheMarkScrollsTheDocumentAndTheMarkFollowsItsScrolling() {
        Navigator n;
        const NavigatorView before = n.navigator->View();
        const QPoint from = n.MarkCentre();
        n.Drag(from, from + QPoint(10, 5));
        const TPoint expected =
            NavigatorDragScroll(before, {from.x(), from.y()}, {from.x() + 10, from.y() + 5}, 0, 0, 1);
        QVERIFY(expected.x > 50);
        QCOMPARE(n.View().HorzPosition(), expected.x);
        QCOMPARE(n.View().VertPosition(), expected.y);
        QCOMPARE(n.doc->findChild<QScrollBar*>(QStringLiteral("HorzScrollBar"))->value(), expected.x);
        QTRY_VERIFY(std::abs(n.navigator->View().mark.left - (before.mark.left + 10)) <= 1);

        // Scrolled in the document, the mark follows.
        n.doc->findChild<QScrollBar*>(QStringLiteral("VertScrollBar"))->setValue(0);
        QTRY_COMPARE(n.navigator->View().mark.top, before.mark.top);
        // A drag far beyond the net stops at the end of the ranges.
        n.Drag(n.MarkCentre(), n.MarkCentre() + QPoint(500, 500));
        QCOMPARE(n.View().HorzPosition(), n.View().HorzMax());
        QCOMPARE(n.View().VertPosition(), n.View().VertMax());
    }

    void AnEmptyNetShowsAnEmptyArea() {
        Navigator n;
        n.Main().Neu1Click();
        QTRY_VERIFY(n.navigator->View().empty);
        const QImage& picture = n.navigator->Picture();
        for (int y = 1; y < picture.height() - 1; ++y) {
            for (int x = 1; x < picture.width() - 1; ++x)
                QCOMPARE(picture.pixelColor(x, y), QColor(Qt::white));
        }
        // A drag there does nothing.
        n.Drag({50, 50}, {80, 80});
        QCOMPARE(n.Main().ActiveDocument()->Document().view.HorzPosition(), 0);
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
        QAction* item = main.Actions()[Cmd::ProjectHierarchy];
        QVERIFY(item->isVisible());
        item->trigger();
        TProjectHierarchyWindow* window = main.Windows().hierarchy;
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("Project Hierarchy"));
        const QStringList plant{"Empty Object", "  Plant", "  Tank", "    Tank_1", "    Tank_2"};
        QCOMPARE(TreeLines(window->Tree()), plant);

        // Only "Refresh" builds it anew, for the document active then.
        main.Neu1Click();
        QCOMPARE(TreeLines(window->Tree()), plant);
        // From the keyboard: the menu key opens the popup, Enter chooses.
        QCOMPARE(window->Popup()->actions().value(0)->text(), QStringLiteral("Refresh"));
        QTest::keyClick(window->Tree(), Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(window->Popup()->isVisible());
        QTest::keyClick(window->Popup(), Qt::Key_Down);
        QTest::keyClick(window->Popup(), Qt::Key_Return);
        QTRY_COMPARE(TreeLines(window->Tree()), (QStringList{"Empty Object", "  New Object"}));
    }
};

QTEST_MAIN(NavigatorTest)
#include "NavigatorTest.moc"
