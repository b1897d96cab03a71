#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <cmath>
#include <tuple>

#include "Files.h"
#include "UiTestSupport.h"
#include "workspace/TActionSet.h"
#include "app/TMainWindow.h"
#include "app/TQuenzorApp.h"
#include "editor/TDocForm.h"
#include "model/ExampleNets.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"
#include "model/TTransition.h"
#include "platform/QtWindowSurface.h"
#include "platform/Services.h"
#include "settings/ProgramSettings.h"

using namespace qz;
using namespace qz::ui;

namespace {

// The program with the example net open in a document of about 300 x 250
// client pixels.
struct Session {
    test::UiHome home;
    std::unique_ptr<TQuenzorApp> app;
    TDocForm* doc = nullptr;

    Session() {
        app = std::make_unique<TQuenzorApp>(test::ExampleNetIn(home), TQuenzorApp::Options{0});
        Main().show();
        doc = Main().ActiveDocument();
        doc->SubWindow()->resize(320, 330);
        QApplication::processEvents();
    }
    TMainWindow& Main() { return app->Main(); }
    void Trigger(Cmd c) { Main().Actions()[c]->trigger(); }
    QToolButton* Button(const char* name) { return Main().findChild<QToolButton*>(QString::fromLatin1(name)); }
    QScrollBar* Bar(TDocForm* d, const char* name) { return d->findChild<QScrollBar*>(QString::fromLatin1(name)); }
    QWidget* Client() { return doc->ClientArea(); }
    const QImage& Picture() {
        doc->FormPaint();
        return doc->WindowSurface().Image();
    }
    void Wheel(int angle, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QPointF at(100, 80);
        QWheelEvent e(at, Client()->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(Client(), &e);
    }
};

// Answers the export dialog with a path that cannot be written, whoever runs
// the test (the directory is an ordinary file).
struct UnwritableExportTarget final : FileDialogs {
    std::string path;
    std::optional<std::string> OpenFileName(std::string_view, std::string_view) override { return std::nullopt; }
    std::optional<std::string> SaveFileName(std::string_view, std::string_view, std::string_view) override {
        return path;
    }
};

std::string Head(const std::string& path, std::size_t n) { return test::ReadAll(path).substr(0, n); }

bool Inked(const QImage& image, const QRect& r) {
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (qRed(c) < 0x60 && qGreen(c) < 0x60) return true;
        }
    }
    return false;
}

} // namespace

class DocumentViewTest : public QObject {
    Q_OBJECT
private slots:
    void ZoomCommandsShareOneScaleAndWriteTheStatusBar() {
        Session s;
        QAction* previous = s.Main().Actions()[Cmd::Previous];
        QCOMPARE(s.doc->StatusText(2), QStringLiteral("Scale: 1,00"));
        QVERIFY(!previous->isEnabled());
        // The arithmetic is the view state's; here the commands' wiring.
        const std::tuple<Cmd, const char*, bool> steps[] = {{Cmd::ZoomIn, "Scale: 0,90", true},
                                                            {Cmd::Previous, "Scale: 1,00", false},
                                                            {Cmd::ZoomOut, "Scale: 1,11", true}};
        for (const auto& [command, text, previousEnabled] : steps) {
            s.Trigger(command);
            QCOMPARE(s.doc->StatusText(2), QString::fromLatin1(text));
            QCOMPARE(previous->isEnabled(), previousEnabled);
        }
        // A new document starts every document at 1:1; a zoom in one shows in
        // the other, whose picture follows at its next paint.
        TDocForm* second = s.Main().NewDocument();
        QCOMPARE(s.doc->StatusText(2), QStringLiteral("Scale: 1,00"));
        s.Trigger(Cmd::ZoomIn);
        QCOMPARE(s.doc->StatusText(2), QStringLiteral("Scale: 0,90"));
        s.Picture();
        const TMapping& mapping = s.doc->WindowSurface().WindowCanvas().Mapping();
        QVERIFY(std::abs(double(mapping.windowExt.x) / mapping.viewportExt.x - 0.9) < 1e-4);

        const std::size_t count = s.doc->Document().Net()->Count();
        QCOMPARE(s.doc->StatusText(4), QStringLiteral("Elements : %1 of %1").arg(count));
        second->RepaintNow();
        QCOMPARE(second->StatusText(4), QStringLiteral("Elements : 0 of 0"));
        QCOMPARE(s.doc->StatusText(5), QStringLiteral("File version: 2,7"));
    }

    void ScrollBarsFollowTheNetTheScaleAndTheWheel() {
        Session s;
        TNetList& net = *s.doc->Document().Net();
        examples::AddPlace(net, 900, 700, "Far", "far");
        s.doc->FormResize();
        QScrollBar* h = s.Bar(s.doc, "HorzScrollBar");
        QScrollBar* v = s.Bar(s.doc, "VertScrollBar");
        QVERIFY(h->isVisible() && v->isVisible());
        const TRect all = net.BoundsOfAll();
        const QSize client = s.Client()->size();
        QCOMPARE(h->maximum(), all.right + 50 - client.width());
        QCOMPARE(v->maximum(), all.bottom + 100 - client.height());

        s.Wheel(-120);
        QCOMPARE(v->value(), 3 * 20);
        s.Wheel(-120, Qt::ShiftModifier);
        QCOMPARE(h->value(), 3 * 20);
        s.Wheel(120, Qt::ControlModifier);
        QCOMPARE(s.doc->StatusText(2), QStringLiteral("Scale: 0,90"));
        QCOMPARE(h->maximum(), int(std::nearbyint(all.right / 0.9 + 50)) - client.width());
    }

    void ViewToolsZoomAtTheClickAreaAndPan() {
        Session s;
        examples::AddPlace(*s.doc->Document().Net(), 1500, 1500, "Far", "far");
        s.doc->FormResize();
        QScrollBar* h = s.Bar(s.doc, "HorzScrollBar");
        QScrollBar* v = s.Bar(s.doc, "VertScrollBar");

        QTest::mouseClick(s.Button("PlusButton"), Qt::LeftButton);
        QTest::mouseClick(s.Client(), Qt::LeftButton, {}, QPoint(200, 150));
        QCOMPARE(s.doc->StatusText(2), QStringLiteral("Scale: 0,90"));
        QVERIFY(h->value() > 0);

        s.Trigger(Cmd::OneToOne);
        QTest::mouseClick(s.Button("HandButton"), Qt::LeftButton);
        h->setValue(100);
        v->setValue(100);
        QTest::mousePress(s.Client(), Qt::LeftButton, {}, QPoint(120, 100));
        QTest::mouseRelease(s.Client(), Qt::LeftButton, {}, QPoint(80, 70));
        QCOMPARE(h->value(), 140);
        QCOMPARE(v->value(), 130);

        QTest::mouseClick(s.Button("RectButton"), Qt::LeftButton);
        QTest::mousePress(s.Client(), Qt::LeftButton, {}, QPoint(50, 20));
        QTest::mouseRelease(s.Client(), Qt::LeftButton, {}, QPoint(50, 200));
        QCOMPARE(s.doc->StatusText(2), QStringLiteral("Scale: 1,00"));
        QTest::mousePress(s.Client(), Qt::LeftButton, {}, QPoint(20, 20));
        QTest::mouseRelease(s.Client(), Qt::LeftButton, {}, QPoint(30, 20 + s.Client()->height() / 2));
        QCOMPARE(s.doc->StatusText(2), QStringLiteral("Scale: 0,50"));
    }

    void GridDotsSitOnTheSnapPointsOfAScrolledView() {
        Session s;
        Settings().gridVisible = true;
        Settings().gridSize = 20;
        s.doc->Document().Net()->Clear();
        examples::AddPlace(*s.doc->Document().Net(), 1500, 1500, "Far", "far");
        s.doc->FormResize();
        s.Bar(s.doc, "HorzScrollBar")->setValue(7);
        s.Bar(s.doc, "VertScrollBar")->setValue(13);
        const QImage& image = s.Picture();
        const QRgb grey = qRgb(0x80, 0x80, 0x80), white = qRgb(0xFF, 0xFF, 0xFF);
        for (int wy = 20; wy <= 200; wy += 20) {
            for (int wx = 20; wx <= 240; wx += 20) {
                const QPoint dot(wx - 7, wy - 13);
                QCOMPARE(image.pixel(dot), grey);
                QCOMPARE(image.pixel(dot + QPoint(1, 0)), white);
                QCOMPARE(image.pixel(dot + QPoint(0, 1)), white);
                const TPoint world = s.doc->ScreenToWorld(dot.x(), dot.y());
                QCOMPARE(world.x % 20 + world.y % 20, 0);
            }
        }
        Settings().gridVisible = false;
        QCOMPARE(s.Picture().pixel(13, 7), white);
    }

    void OnlyWhatReachesIntoTheViewIsSkipped() {
        // An arc whose ends both lie outside the view still crosses it, and
        // a label moved far from its place still shows.
        Session s;
        TNetList& net = *s.doc->Document().Net();
        net.Clear();
        TPlatz* a = examples::AddPlace(net, 20, 100, "A", "a");
        examples::Connect(net, a, examples::AddTransition(net, 3000, 100, "T"));
        TSchriftObjekt& label = *a->nameLabel;
        label.userPositioned = 1;
        label.bounds = label.hit = {1650, 150, 1650 + label.Width(), 150 + label.Height()};
        s.doc->FormResize();
        s.Bar(s.doc, "HorzScrollBar")->setValue(1500);
        const QImage& image = s.Picture();
        QVERIFY(Inked(image, QRect(100, 97, 20, 7)));
        QVERIFY(Inked(image, QRect(150, 150, label.Width(), label.Height())));
        s.Bar(s.doc, "HorzScrollBar")->setValue(1200);
        QVERIFY(!Inked(s.Picture(), QRect(0, 140, s.Client()->width(), 40)));
    }

    void ExportGraphicWritesEveryOfferedFormatAndReportsFailure() {
        Session s;
        test::DialogAnswers answers;
        const std::pair<const char*, std::string> formats[] = {{"pic.wmf", "\xD7\xCD\xC6\x9A"},
                                                               {"pic.emf", std::string("\x01\0\0\0", 4)},
                                                               {"pic.svg", "<?xml"},
                                                               {"pic.pdf", "%PDF"},
                                                               {"pic.png", "\x89PNG"}};
        for (const auto& [name, magic] : formats) {
            answers.ChooseFile(s.home.QPathOf(name));
            s.Trigger(Cmd::ExportGraphic);
            QCOMPARE(Head(s.home.PathOf(name), magic.size()), magic);
        }
        QCOMPARE(Head(s.home.PathOf("pic.emf"), 44).substr(40), std::string(" EMF"));
        // Nothing was selected: the command selected everything first.
        QCOMPARE(s.doc->Document().Net()->SelectedCount(), s.doc->Document().Net()->Count());

        UnwritableExportTarget target;
        target.path = s.home.PathOf("net.pn") + "/pic.png";
        PlatformServices overrides{};
        overrides.dialogs = &target;
        PlatformScope scope(overrides);
        answers.Press(QStringLiteral("OK"));
        s.Trigger(Cmd::ExportGraphic);
        QCOMPARE(answers.Texts().size(), 1);
        QVERIFY(answers.Texts().front().startsWith(QStringLiteral("The graphic could not be exported to %1:\n")
                                                       .arg(QString::fromStdString(target.path))));
    }

    void ValueDisplayFollowsTheActiveDocumentAndWaitsForEditors() {
        Session s;
        QAction* values = s.Main().Actions()[Cmd::ShowValues];
        // Toggled as a screen reader toggles it, without a click, the net
        // follows the button.
        values->toggle();
        QVERIFY(s.doc->Document().ShowValues());
        values->toggle();
        QVERIFY(!s.doc->Document().ShowValues());
        QTest::mouseClick(s.Button("ShowValuesBtn"), Qt::LeftButton);
        QVERIFY(s.doc->Document().ShowValues());
        QVERIFY(values->isChecked());

        TDocForm* second = s.Main().NewDocument();
        QVERIFY(!values->isChecked());
        s.Main().WorkArea()->setActiveSubWindow(s.doc->SubWindow());
        QVERIFY(values->isChecked());

        test::DialogAnswers answers;
        answers.Press(QStringLiteral("OK"));
        // A double click on a place opens its value editor.
        TGraphItem* place = nullptr;
        for (TGraphItem* e : s.doc->Document().Net()->Elements()) {
            if (!place && e->Kind() == kind::Place) place = e;
        }
        const TPoint centre = place->GetCenter();
        QTest::mouseClick(s.Client(), Qt::LeftButton, {}, QPoint(centre.x, centre.y));
        QTest::mouseDClick(s.Client(), Qt::LeftButton, {}, QPoint(centre.x, centre.y));
        QVERIFY(s.doc->InPlaceEditorOpen());
        QTest::mouseClick(s.Button("ShowValuesBtn"), Qt::LeftButton);
        QCOMPARE(answers.Texts(), QStringList{QStringLiteral(
                                      "This mode is not changable now because\nyou just edit a value or label.")});
        QVERIFY(s.doc->Document().ShowValues());
        QVERIFY(values->isChecked());

        // Switched from elsewhere (the whole-token tool), the button follows
        // the active document only.
        s.doc->SetShowValues(false);
        QVERIFY(!values->isChecked());
        second->SetShowValues(true);
        QVERIFY(!values->isChecked());
    }

    void PaintingComesToRest() {
        Session s;
        s.doc->SetShowValues(true);
        struct Counter : QObject {
            int paints = 0;
            bool eventFilter(QObject*, QEvent* e) override {
                if (e->type() == QEvent::Paint) ++paints;
                return false;
            }
        } counter;
        s.Client()->installEventFilter(&counter);
        QTest::qWait(50);
        counter.paints = 0;
        QTest::qWait(150);
        QCOMPARE(counter.paints, 0);
        s.doc->InvalidateWindow();
        QTest::qWait(150);
        QCOMPARE(counter.paints, 1);
    }
};

QTEST_MAIN(DocumentViewTest)
#include "DocumentViewTest.moc"
