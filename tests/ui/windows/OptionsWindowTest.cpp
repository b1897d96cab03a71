#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include "UiTestSupport.h"
#include "app/TMainWindow.h"
#include "app/TQuenzorApp.h"
#include "editor/TDocForm.h"
#include "model/TPNObjekt.h"
#include "settings/ProgramSettings.h"
#include "settings/TOptionsWindow.h"

using namespace qz;
using namespace qz::ui;

namespace {

// The options window shown over the example net, or over a new document.
struct Options {
    explicit Options(bool withNet = true) : app(withNet ? test::ExampleNetIn(home) : QStringList(), {0}) { window.show(); }

    test::UiHome home;
    TQuenzorApp app;
    TOptionsWindow& window = *app.Main().Windows().options;
    TDocForm* doc = app.Main().ActiveDocument();

    template <class W>
    W* Control(const char* name) const {
        W* w = window.findChild<W*>(QString::fromLatin1(name));
        if (!w) qFatal("no control %s", name);
        return w;
    }
    void Press(const QString& button) {
        if (button == QLatin1String("Enter")) {
            QTest::keyClick(Control<QLineEdit>("RasterEdit"), Qt::Key_Return);
        } else {
            Control<QPushButton>(qPrintable(button + QStringLiteral("Btn")))->click();
        }
    }
    static void Type(QLineEdit* edit, const QString& keys) {
        edit->clear();
        QTest::keyClicks(edit, keys);
    }
};

} // namespace

class OptionsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void GridSizeIsKeptBetween4And40_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("size");
        QTest::newRow("3, Apply") << "3" << "Apply" << 4;
        QTest::newRow("99, Close") << "99" << "Close" << 40;
        QTest::newRow("12, Cancel") << "12" << "Cancel" << 12;
        QTest::newRow("3, Enter") << "3" << "Enter" << 4;
        QTest::newRow("letters are not taken") << "1x6" << "Apply" << 16;
        QTest::newRow("too long to read") << "123456789012345678901234" << "Apply" << 40;
    }
    void GridSizeIsKeptBetween4And40() {
        QFETCH(QString, typed);
        QFETCH(QString, button);
        QFETCH(int, size);
        Options o;
        Options::Type(o.Control<QLineEdit>("RasterEdit"), typed);
        o.Press(button);
        QCOMPARE(o.Control<QLineEdit>("RasterEdit")->text(), QString::number(size));
        QCOMPARE(o.Control<QSlider>("RasterTrackBar")->value(), size);
        QCOMPARE(Settings().gridSize, size);
        // Close and Cancel both apply and hide the window.
        QCOMPARE(o.window.isVisible(), button == QLatin1String("Apply") || button == QLatin1String("Enter"));
    }

    void SampleTimeOfTheCurrentDocument_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("unit");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("seconds");
        // The field when the document becomes current again.
        QTest::addColumn<QString>("again");
        QTest::addColumn<bool>("modified");
        // Refused with a message, the field back at the document's value.
        QTest::addColumn<bool>("refused");
        QTest::newRow("0.5 s") << "0.5" << 0 << "0,5" << 0.5 << "0,5" << true << false;
        QTest::newRow("100 ms") << "100" << 1 << "100" << 0.1 << "100" << false << false;
        QTest::newRow("100 s") << "100" << 0 << "100" << 100.0 << "100" << true << false;
        QTest::newRow("empty") << "" << 1 << "" << 0.1 << "100" << false << false;
        QTest::newRow("not a number") << "1,2,3" << 0 << "1,2,3" << 0.1 << "100" << false << true;
        QTest::newRow("negative") << "-100" << 0 << "-100" << 0.1 << "100" << false << true;
        QTest::newRow("zero") << "0" << 1 << "0" << 0.1 << "100" << false << true;
        const QString huge = QStringLiteral("1") + QString(400, QLatin1Char('0'));
        QTest::newRow("beyond the numbers") << huge << 0 << huge << 0.1 << "100" << false << true;
    }
    void SampleTimeOfTheCurrentDocument() {
        QFETCH(QString, typed);
        QFETCH(int, unit);
        QFETCH(QString, shown);
        QFETCH(double, seconds);
        QFETCH(QString, again);
        QFETCH(bool, modified);
        QFETCH(bool, refused);
        Options o(false);
        auto* field = o.Control<QLineEdit>("TastZeitEdit");
        auto* units = o.Control<QComboBox>("ZeitEinheitCombo");
        // A new document steps by 0,1 s, shown in milliseconds.
        QCOMPARE(field->text(), QStringLiteral("100"));
        QCOMPARE(units->currentText(), QStringLiteral("Milliseconds"));
        o.Control<QTabWidget>("PageControl")->setCurrentIndex(1);
        Options::Type(field, typed);
        QCOMPARE(field->text(), shown);
        units->setCurrentIndex(unit);
        test::DialogAnswers answers;
        if (refused) answers.Press(QStringLiteral("OK"));
        o.Press(QStringLiteral("Apply"));
        QCOMPARE(answers.Texts(), refused ? QStringList{"The sample time must be a positive number; \"" + shown +
                                                        "\" is not one."}
                                          : QStringList{});
        QCOMPARE(o.doc->Document().Root()->sampleTimeSeconds, seconds);
        QCOMPARE(o.doc->Document().Modified(), modified);
        o.window.SetCurrentWindow(o.doc);
        QCOMPARE(field->text(), again);
    }

    void LeavingAMemoWritesBothListsWithoutBackups() {
        Options o;
        auto* memo = o.Control<QPlainTextEdit>("Memo1");
        memo->setPlainText(QStringLiteral("check the tank\nrename T3"));
        QFocusEvent out(QEvent::FocusOut);
        QApplication::sendEvent(memo, &out);
        QFile shortList(o.home.QPathOf("Short-ToDo-Liste.Txt"));
        QVERIFY(shortList.open(QIODevice::ReadOnly));
        QCOMPARE(shortList.readAll(), QByteArray("check the tank\r\nrename T3\r\n"));
        QVERIFY(QFile::exists(o.home.QPathOf("Long-ToDo-Liste.Txt")));
        QVERIFY(!QFile::exists(o.home.QPathOf("Short-ToDo-Liste.bak")));
        QVERIFY(!QFile::exists(o.home.QPathOf("Long-ToDo-Liste.bak")));
    }

    void DebugPageCountsTheCurrentNet() {
        Options o;
        o.window.ShowDebugPage();
        QCOMPARE(o.Control<QLabel>("PlacesCountLabel")->text(), QStringLiteral("Count of Places: 6"));
        QCOMPARE(o.Control<QLabel>("ArcsCountLabel")->text(), QStringLiteral("Count of Arcs: 12"));
        auto* grid = o.Control<QTableWidget>("DebugGrid");
        QCOMPARE(grid->rowCount(), 6);
        QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("Ready"));
        // Variables are known once a simulation has registered them.
        o.Control<QRadioButton>("VariablesRadioButton")->click();
        QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("no Elements"));
    }
};

QTEST_MAIN(OptionsWindowTest)
#include "OptionsWindowTest.moc"
