// The help pages keep up with the program: every item of the main window's
// menus, tool bar and popup menus and every function of the formula parser
// is named in them, every local link leads to a page that exists, and every
// page can be reached from the contents page.
// Before Qt, whose "slots" keyword would meet a field of that name.
#include "formula/Parser.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextDocumentFragment>

#include "UiTestSupport.h"
#include "app/TMainWindow.h"
#include "app/TQuenzorApp.h"
#include "editor/PopupMenus.h"
#include "workspace/Commands.h"

using namespace qz;
using namespace qz::ui;

namespace {

QString HelpDir() { return QStringLiteral(QZ_SOURCE_DIR "/docs/help/"); }

QString ReadPage(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

QStringList Pages() { return QDir(HelpDir()).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name); }

QString PlainText(const QString& html) { return QTextDocumentFragment::fromHtml(html).toPlainText(); }

// A menu item as the help names it: without its accelerator mark and
// without the key the German menus write after a run of blanks.
QString ItemName(const QString& text) {
    QString name = text;
    name.remove(QLatin1Char('&'));
    return name.split(QRegularExpression(QStringLiteral("\\s{2,}"))).first().trimmed();
}

void CollectMenu(const QList<QAction*>& actions, QStringList& names) {
    for (QAction* a : actions) {
        if (a->isSeparator() || !a->isVisible()) continue;
        names << ItemName(a->text());
        if (a->menu()) CollectMenu(a->menu()->actions(), names);
    }
}

} // namespace

class HelpPagesTest : public QObject {
    Q_OBJECT
private slots:
    void EveryMenuItemAndCommandIsNamedInTheHelp() {
        QString help;
        for (const QString& page : Pages()) help += PlainText(ReadPage(HelpDir() + page)) + QLatin1Char('\n');
        QVERIFY(!help.isEmpty());

        QStringList names;
        {
            test::UiHome home;
            TQuenzorApp app({}, {0});
            CollectMenu(app.Main().menuBar()->actions(), names);
        }
        QVERIFY(names.contains(QStringLiteral("Save as ASCII file")));
        // Every command of the tool bar, tool page and popup menus that can
        // be shown (the diagnostic items too), by its text or tool tip.
        PopupChoice everything;
        everything.interfaceItems = everything.deletePoint = everything.arcType = true;
        for (PopupMenu m : {PopupMenu::Document, PopupMenu::Simulation, PopupMenu::Place, PopupMenu::Transition,
                            PopupMenu::Arc, PopupMenu::Object, PopupMenu::Frame, PopupMenu::InheritedFrame}) {
            for (const PopupEntry& e : EntriesOf(m)) {
                if (e.kind != PopupEntry::Kind::Item && e.kind != PopupEntry::Kind::Submenu) continue;
                if (PopupItemVisible(e.command, everything, true)) names << ItemName(QString::fromLatin1(InfoOf(e.command).text));
            }
        }
        for (const CommandInfo& c : AllCommands()) {
            if (c.visible && !*c.text) names << QString::fromLatin1(c.hint);
        }
        names.removeDuplicates();
        QStringList missing;
        for (const QString& n : names) {
            if (!n.isEmpty() && !help.contains(n)) missing << n;
        }
        QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("not in the help: ") + missing.join(QStringLiteral(", "))));
    }

    void EveryParserFunctionIsOnTheFormulaPage() {
        const QString page = PlainText(ReadPage(HelpDir() + QStringLiteral("formulas.html")));
        QStringList missing;
        std::vector<std::string> names = TFunctionSet::BuiltIn().Names1();
        const std::vector<std::string> two = TFunctionSet::BuiltIn().Names2();
        names.insert(names.end(), two.begin(), two.end());
        QVERIFY(names.size() >= 19);
        for (const std::string& name : names) {
            const QRegularExpression use(QStringLiteral("\\b%1\\(").arg(QString::fromStdString(name)));
            if (!page.contains(use)) missing << QString::fromStdString(name);
        }
        for (const char* op : {"DIV", "MOD", "PI", "Time", "STime"}) {
            if (!page.contains(QLatin1String(op))) missing << QLatin1String(op);
        }
        QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("not on formulas.html: ") + missing.join(QStringLiteral(", "))));
    }

    void EveryLocalLinkResolvesAndEveryPageIsReachable() {
        const QRegularExpression link(QStringLiteral("(?:href|src)\\s*=\\s*\"([^\"]*)\""));
        QStringList broken;
        QHash<QString, QStringList> linksOf;
        for (const QString& page : Pages()) {
            auto it = link.globalMatch(ReadPage(HelpDir() + page));
            while (it.hasNext()) {
                QString target = it.next().captured(1);
                if (target.contains(QStringLiteral("://")) || target.startsWith(QStringLiteral("mailto:"))) continue;
                target = target.section(QLatin1Char('#'), 0, 0);
                if (target.isEmpty()) continue;
                if (!QFileInfo::exists(HelpDir() + target)) broken << page + QStringLiteral(" -> ") + target;
                linksOf[page] << QFileInfo(target).fileName();
            }
        }
        QVERIFY2(broken.isEmpty(), qPrintable(QStringLiteral("broken links: ") + broken.join(QStringLiteral(", "))));
        QSet<QString> reached{QStringLiteral("index.html")};
        QStringList queue{QStringLiteral("index.html")};
        while (!queue.isEmpty()) {
            for (const QString& next : linksOf.value(queue.takeFirst())) {
                if (!reached.contains(next)) {
                    reached.insert(next);
                    queue << next;
                }
            }
        }
        QStringList unreached;
        for (const QString& page : Pages()) {
            if (!reached.contains(page)) unreached << page;
        }
        QVERIFY2(unreached.isEmpty(), qPrintable(QStringLiteral("not reachable from index.html: ") + unreached.join(QStringLiteral(", "))));
    }
};

QTEST_MAIN(HelpPagesTest)
#include "HelpPagesTest.moc"
