#include "UiTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QQueue>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QPushButton>
#include <QTreeWidgetItem>

#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/ExampleNets.h"
#include "model/storage/NetFile.h"
#include "platform/QtPlatform.h"
#include "settings/ConfigFile.h"
#include "common/FileSystem.h"

namespace qz::test {

struct DialogAnswers::State {
    QList<std::function<void(QWidget*)>> queue;
    QTimer poll;
    QPointer<QWidget> last;
};

DialogAnswers::DialogAnswers() : state_(std::make_unique<State>()) {
    state_->poll.setInterval(5);
    QObject::connect(&state_->poll, &QTimer::timeout, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == state_->last || state_->queue.isEmpty()) return;
        state_->last = modal;
        auto action = state_->queue.takeFirst();
        action(modal);
    });
    state_->poll.start();
}

DialogAnswers::~DialogAnswers() = default;

int DialogAnswers::Pending() const { return static_cast<int>(state_->queue.size()); }

void DialogAnswers::Then(std::function<void(QWidget*)> action) { state_->queue.push_back(std::move(action)); }

void DialogAnswers::Press(const QString& button) {
    Then([this, button](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY2(box, "a message box was expected");
        texts_ << box->text();
        for (QAbstractButton* b : box->buttons()) {
            if (b->text().remove(QLatin1Char('&')) == button) {
                QMetaObject::invokeMethod(b, "click", Qt::QueuedConnection);
                return;
            }
        }
        QFAIL(qPrintable(QStringLiteral("no button %1 on \"%2\"").arg(button, box->text())));
    });
}

void DialogAnswers::ChooseFile(const QString& path) {
    Then([path](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        QVERIFY2(dialog, "a file dialog was expected");
        if (path.isEmpty()) {
            QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
            return;
        }
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
}

UiHome::UiHome(bool withConfig) {
    if (withConfig) {
        ProgramSettings settings;
        settings.startWindow = false;
        const std::vector<std::uint8_t> bytes = ConfigBytes(settings);
        fs::WriteFileAtomically(home_.PathOf(kConfigFileName), bytes.data(), bytes.size());
    }
    Settings() = ProgramSettings{};
    platform_ = std::make_unique<ui::QtPlatform>();
    InstallNetFileLoader();
}

UiHome::~UiHome() {
    platform_.reset();
    Settings() = ProgramSettings{};
}

} // namespace qz::test

namespace qz::test {

LockedDirectory::LockedDirectory(const std::string& path) : path_(path) {
    const QString dir = QString::fromStdString(path);
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
    QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), dir});
    locked_ = !fs::WriteFileAtomically(path + "/probe", std::string_view("x"));
}

void LockedDirectory::Unlock() {
    const QString dir = QString::fromStdString(path_);
    QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), dir});
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    std::remove((path_ + "/probe").c_str());
}

void WriteExampleNet(const std::string& path, void (*build)(TPNObjekt&)) {
    TPNObjekt root;
    (build ? build : examples::BuildProducerConsumer)(root);
    SaveNetFile(root, path);
}

QStringList ExampleNetIn(const UiHome& home, void (*build)(TPNObjekt&)) {
    WriteExampleNet(home.PathOf("net.pn"), build);
    return {home.QPathOf("net.pn")};
}

void ClickLater(QWidget* dialog, const char* button) {
    QMetaObject::invokeMethod(dialog->findChild<QPushButton*>(QString::fromLatin1(button)), "click",
                              Qt::QueuedConnection);
}

QStringList TreeOutline(const QTreeWidgetItem* node) {
    QStringList lines{node->text(0) + (node->childCount() && !node->isExpanded() ? "+" : "")};
    for (int i = 0; i < node->childCount(); ++i) {
        for (const QString& line : TreeOutline(node->child(i))) lines << "  " + line;
    }
    return lines;
}

} // namespace qz::test
