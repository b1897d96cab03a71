#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QTimer>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "UiTestSupport.h"
#include "app/TMainWindow.h"
#include "app/TQuenzorApp.h"
#include "editor/TDocForm.h"
#include "editor/TPropertyPage.h"
#include "editor/TPropertyWindow.h"
#include "formula/FormulaBinding.h"
#include "formula/TFormelEditor.h"
#include "model/ExampleNets.h"
#include "model/TEdge.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"
#include "settings/ProgramSettings.h"
#include "workspace/TActionSet.h"
#include "workspace/TAppWindows.h"

using namespace qz;
using namespace qz::ui;

namespace {

// A new document at 1:1 holding p (1 token) -> t ("2") -> q and the
// continuous transitions u ("p*2"), bad1 ("sin(") and bad2 ("q*").
struct Props {
    test::UiHome home;
    TQuenzorApp app{QStringList{}, TQuenzorApp::Options{0}};
    TDocForm* doc = nullptr;
    TPlatz* p = nullptr;
    TTransition* t = nullptr;
    TTransition* u = nullptr;

    Props() {
        Main().show();
        doc = Main().ActiveDocument();
        doc->SubWindow()->resize(560, 460);
        TNetList& net = *doc->Document().Net();
        p = examples::AddPlace(net, 80, 80, "p", "p", 1);
        t = examples::AddTransition(net, 180, 80, "t", "2");
        TPlatz* q = examples::AddPlace(net, 280, 80, "q", "q");
        examples::Connect(net, p, t);
        examples::Connect(net, t, q);
        u = examples::AddTransition(net, 180, 180, "u", "p*2", true);
        examples::AddTransition(net, 180, 260, "bad1", "sin(", true);
        examples::AddTransition(net, 180, 320, "bad2", "q*", true);
        doc->FormPaint();
        Window().RefreshList();
        QApplication::processEvents();
    }
    TMainWindow& Main() { return app.Main(); }
    TPropertyWindow& Window() { return *Main().Windows().properties; }
    TPropertyPage* Page() { return Window().Page(); }
    void Pick(TGraphItem* e) {
        const TPoint c = e->GetCenter();
        QTest::mouseClick(doc->ClientArea(), Qt::LeftButton, {}, QPoint(c.x, c.y));
    }
    QStringList Names() {
        QStringList names;
        for (int r = 0; r < Page()->Rows(); ++r) names << Page()->NameOf(r)->text();
        return names;
    }
    int Row(const QString& name) { return int(Names().indexOf(name)); }
    QString Value(const QString& name) { return Page()->EditOf(Row(name))->text(); }
    // Types into a value field of the page as a user does: the field
    // takes the focus, the text is typed, Enter pressed.
    void Type(const QString& row, const QString& text) {
        QLineEdit* edit = Page()->EditOf(Row(row));
        QVERIFY(edit);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
        QApplication::processEvents();
    }
    std::vector<std::uint8_t> Image() { return doc->Document().TakeImage().net; }
    template <class W>
    W* Control(const char* name) {
        return Window().findChild<W*>(QString::fromLatin1(name));
    }
};

} // namespace

class PropertyWindowTest : public QObject {
    Q_OBJECT
private slots:
    void PickingAnElementFillsThePage() {
        Props s;
        s.Pick(s.p);
        QCOMPARE(s.Names(), (QStringList{"Name", "Variable", "Typ", "Initial Tokens", "Show Label:", "Size",
                                         "Published", "Capacity"}));
        QCOMPARE(s.Value(QStringLiteral("Capacity")), QStringLiteral("00"));
        s.Pick(s.t);
        QCOMPARE(s.Names().at(1), QStringLiteral("Delay"));
        QVERIFY(s.Page()->ButtonOf(1));
        s.Pick(s.doc->Document().Net()->At(4)); // the arc p -> t went to the end
        QCOMPARE(s.Names().first(), QStringLiteral("Arc Weight"));
        QTest::mouseClick(s.doc->ClientArea(), Qt::LeftButton, {}, QPoint(500, 400));
        QCOMPARE(s.Names(), (QStringList{"Object Name", "Inherited From"}));
    }

    void TypedValuesAreOneUndoStepEachAndRefusedOnesChangeNothing() {
        Props s;
        s.Pick(s.p);
        s.Type(QStringLiteral("Initial Tokens"), QStringLiteral("2.5"));
        QCOMPARE(double(s.p->InitialMarking()), 2.5);
        QCOMPARE(s.Value(QStringLiteral("Initial Tokens")), QStringLiteral("2,5"));
        QVERIFY(s.doc->Document().Modified());
        // A taken variable name: the message, and the net as it was.
        const auto before = s.Image();
        test::DialogAnswers answers;
        answers.Press(QStringLiteral("OK"));
        s.Type(QStringLiteral("Variable"), QStringLiteral("q"));
        QCOMPARE(answers.Texts(), QStringList{QString(kVariableNameExists)});
        QVERIFY(s.Image() == before);
        QCOMPARE(s.doc->Document().History().Steps(), std::size_t(1));
        s.doc->UndoClick();
        auto* p = static_cast<TPlatz*>(s.doc->Document().Net()->At(0));
        QCOMPARE(double(p->InitialMarking()), 1.0);
    }

    void ChecksMarkTheTablesAndNextErrorWalksTheErrors() {
        Props s;
        s.Window().Pages()->setCurrentIndex(2);
        s.Control<QPushButton>("CheckTransBtn")->click();
        QCOMPARE(s.Control<QLabel>("ErrorCountLabel")->text(), QStringLiteral("Errors: 2"));
        auto* view = s.Control<QTableView>("TransGrid");
        QCOMPARE(view->model()->rowCount(), 3);
        QCOMPARE(view->model()->index(0, 3).data().toString(), QStringLiteral("OK"));
        QPushButton* next = s.Control<QPushButton>("ShowNextErrorBtn");
        QVERIFY(next->isEnabled());
        QStringList picked;
        for (int i = 0; i < 3; ++i) {
            next->click();
            picked << QString::fromStdString(static_cast<TTransition*>(s.doc->Document().current)->name);
        }
        QCOMPARE(picked, (QStringList{"bad1", "bad2", "bad1"}));
        // A refused start shows its results there too.
        s.Window().Pages()->setCurrentIndex(0);
        s.Main().Actions()[Cmd::Simulation]->setChecked(true);
        QCOMPARE(s.Window().Pages()->currentIndex(), 2);
        QCOMPARE(s.Control<QLabel>("TransCountLabel")->text(), QStringLiteral("Count: 3"));
    }

    void TheFormulaEditorChecksAndWritesBack() {
        Props s;
        s.Pick(s.u);
        TFormelEditor* editor = s.Main().Windows().formulaEditor;
        QString checked;
        test::DialogAnswers answers;
        answers.Then([&](QWidget* w) {
            QCOMPARE(w, static_cast<QWidget*>(editor));
            QCOMPARE(editor->Formel()->text(), QStringLiteral("p*2"));
            QCOMPARE(editor->ParameterListe()->count(), 2);
            editor->Formel()->setText(QStringLiteral("q+"));
            editor->Insert(QStringLiteral("1"));
            QMetaObject::invokeMethod(editor, [editor] { editor->CheckBtnClick(); }, Qt::QueuedConnection);
        });
        // The check's answer, then OK in the editor.
        answers.Then([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            checked = box->text();
            QMetaObject::invokeMethod(box, [box] { box->accept(); }, Qt::QueuedConnection);
            QTimer::singleShot(50, editor, [editor] { editor->OKBtnClick(); });
        });
        s.Page()->ButtonOf(1)->click();
        QCOMPARE(answers.Pending(), 0);
        QCOMPARE(checked, QString(kNoErrorsInFormula));
        QCOMPARE(s.u->functionText, std::string("q+1"));
    }
};

QTEST_MAIN(PropertyWindowTest)
#include "PropertyWindowTest.moc"
