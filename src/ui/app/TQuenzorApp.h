#pragma once
#include <QPointer>
#include <QStringList>
#include <memory>

#include "workspace/Workspace.h"

namespace qz::ui {

class TMainWindow;
class TSplashWindow;

// The program's start-up and shut-down order: the splash window, the main
// window and then every window that exists once, in a fixed order (with the
// first document after the options window), the file named on the command
// line, and the start window when the splash time is over.
class TQuenzorApp {
public:
    struct Options {
        // The splash window's time; 0 shows no splash window (tests).
        int splashMilliseconds = 3000;
    };
    TQuenzorApp(const QStringList& arguments, Options options);
    ~TQuenzorApp();
    TQuenzorApp(const TQuenzorApp&) = delete;
    TQuenzorApp& operator=(const TQuenzorApp&) = delete;

    TMainWindow& Main() { return *main_; }
    TWorkspace& Workspace() { return workspace_; }
    // The object names of the windows in the order they were made.
    const QStringList& CreationOrder() const { return created_; }
    // The file named by the arguments: joined with blanks, trailing blanks
    // dropped.
    static QString FileArgument(const QStringList& arguments);

private:
    void CreateWindows(const QString& file);
    void SplashTimerTimer();

    TWorkspace workspace_;
    std::unique_ptr<TMainWindow> main_;
    QPointer<TSplashWindow> splash_;
    QStringList created_;
};

} // namespace qz::ui
