#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "TempHome.h"

class QTreeWidgetItem;
class QWidget;

namespace qz {
class TPNObjekt;
}
namespace qz::ui {
class QtPlatform;
}

namespace qz::test {

// Answers the modal dialogs a window opens, in the order they appear: each
// queued answer waits for the next modal dialog (a message box, a file
// dialog, an input query) and acts on it. Unanswered dialogs fail the test
// after a time instead of blocking it.
class DialogAnswers {
public:
    DialogAnswers();
    ~DialogAnswers();

    // Presses the button with this text ("OK", "Cancel", "Yes", "No") on the
    // next message box.
    void Press(const QString& button);
    // Chooses this file in the next file dialog; an empty path cancels it.
    void ChooseFile(const QString& path);
    // Runs an action on the next modal widget.
    void Then(std::function<void(QWidget*)> action);

    // The texts of the message boxes answered so far (line breaks as "\n").
    const QStringList& Texts() const { return texts_; }
    int Pending() const;

private:
    struct State;
    std::unique_ptr<State> state_;
    QStringList texts_;
};

// A program directory for one test: a temporary QUENZOR_HOME holding a
// configuration file with the start values but the start window off (so
// that no start window interrupts the test), plus the Qt platform services.
class UiHome {
public:
    explicit UiHome(bool withConfig = true);
    ~UiHome();
    const std::string& Path() const { return home_.Path(); }
    std::string PathOf(std::string_view name) const { return home_.PathOf(name); }
    QString QPathOf(std::string_view name) const { return QString::fromStdString(home_.PathOf(name)); }

private:
    TempHome home_;
    std::unique_ptr<ui::QtPlatform> platform_;
};

// A directory in which no file can be written or replaced while the object
// lives: read-only, and immutable where the file system offers it (the
// administrator ignores file modes).
class LockedDirectory {
public:
    explicit LockedDirectory(const std::string& path);
    ~LockedDirectory() { Unlock(); }
    // Whether writing there really fails.
    bool Locked() const { return locked_; }
    void Unlock();

private:
    std::string path_;
    bool locked_ = false;
};

// Writes a small example net (by default the producer and consumer) to a file.
void WriteExampleNet(const std::string& path, void (*build)(TPNObjekt&) = nullptr);
// The same as net.pn in the home; the command line that opens it.
QStringList ExampleNetIn(const UiHome& home, void (*build)(TPNObjekt&) = nullptr);

// Clicks the push button of this object name in a modal dialog once its own
// event loop runs (for use in DialogAnswers::Then).
void ClickLater(QWidget* dialog, const char* button);
// A tree from this node down as lines indented by two blanks a level; "+"
// marks a node whose children are not expanded.
QStringList TreeOutline(const QTreeWidgetItem* node);

} // namespace qz::test
