#pragma once
// What the window benchmarks share: quenzor-cli, a program directory with
// the examples, and a maximum-speed run from the simulation panel.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QToolButton>
#include <functional>

#include "app/TMainWindow.h"
#include "app/TQuenzorApp.h"
#include "common/FileSystem.h"
#include "model/storage/NetFile.h"
#include "platform/QtPlatform.h"
#include "settings/ConfigFile.h"
#include "simulation/SimulationSession.h"
#include "simulation/TSimuPanel.h"
#include "workspace/TActionSet.h"
#include "workspace/TAppWindows.h"
#include "workspace/Workspace.h"

namespace qz::bench {

using namespace qz::ui;

inline QString Cli(const QStringList& args) {
    QProcess cli;
    cli.start(QStringLiteral(QZ_CLI_PATH), args);
    cli.waitForFinished(-1);
    return QString::fromLocal8Bit(cli.readAllStandardOutput());
}

// The example nets and their object library in a temporary program
// directory, with a configuration that shows no start window.
class Home {
public:
    Home() {
        qputenv("QUENZOR_HOME", dir_.path().toLocal8Bit());
        Cli({QStringLiteral("examples"), dir_.path()});
        Cli({QStringLiteral("library"), QStringLiteral("--rebuild")});
        ProgramSettings settings;
        settings.startWindow = false;
        const std::vector<std::uint8_t> bytes = ConfigBytes(settings);
        fs::WriteFileAtomically(dir_.filePath(QString::fromLatin1(kConfigFileName)).toStdString(), bytes.data(),
                                bytes.size());
    }
    QString Net(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

private:
    QTemporaryDir dir_;
};

inline const Home& TheHome() {
    static const Home home;
    return home;
}

// Steps per second of a maximum-speed run of `steps` steps in the window,
// as the "Performance" page computes them; `prepare` runs on the opened
// document first.
inline double WindowStepsPerSecond(const QString& net, int steps,
                                   const std::function<void(TMainWindow&)>& prepare = {}) {
    TQuenzorApp app({net}, {0});
    TMainWindow& main = app.Main();
    if (prepare) prepare(main);
    QAction* simulation = main.Actions()[Cmd::Simulation];
    simulation->trigger();
    TSimuPanel& panel = *main.Windows().simulation;
    const auto check = [&panel](const char* name) { panel.findChild<QCheckBox*>(QLatin1String(name))->click(); };
    check("HighSpeedCheckBox");
    check("StatisticCheckBox");
    check("ZeitCheck");
    TSimulationSession& session = app.Workspace().Session();
    session.stepLimit = steps;
    panel.findChild<QToolButton*>(QStringLiteral("RunBtn"))->click();
    const double rate = session.statistics ? static_cast<double>(session.statistics->stepsPerSecond) : 0;
    session.stepLimit = 0;
    simulation->trigger();
    return rate;
}

// The main of a window benchmark: the application (offscreen unless a
// platform is named) and the platform layer around the benchmarks.
inline int RunWindowBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QtPlatform platform;
    InstallNetFileLoader();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace qz::bench
