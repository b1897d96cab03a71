// A maximum-speed run from the simulation panel with the net's window open,
// against `quenzor-cli simulate` on the same net: each iteration runs the
// command line program and the window for the same number of steps and
// reports both rates (steps per second as the "Performance" page computes
// them) and their ratio. The window should keep at least 80 % of the rate.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_ui_Panel 2>/dev/null
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QToolButton>

#include "workspace/TActionSet.h"
#include "app/TMainWindow.h"
#include "app/TQuenzorApp.h"
#include "workspace/Workspace.h"
#include "common/FileSystem.h"
#include "common/NumberFormat.h"
#include "model/storage/NetFile.h"
#include "platform/QtPlatform.h"
#include "settings/ConfigFile.h"
#include "simulation/SimulationSession.h"
#include "simulation/TSimuPanel.h"

namespace {

using namespace qz;
using namespace qz::ui;

QString Cli(const QStringList& args) {
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

const Home& TheHome() {
    static const Home home;
    return home;
}

double CliStepsPerSecond(const QString& net, int steps) {
    const QString out =
        Cli({QStringLiteral("simulate"), net, QStringLiteral("--steps"), QString::number(steps), QStringLiteral("--stats")});
    const QString label = QStringLiteral("Steps per sec: ");
    for (const QString& line : out.split(QLatin1Char('\n'))) {
        if (!line.startsWith(label)) continue;
        if (auto v = num::ParseNumber(line.mid(label.size()).trimmed().toStdString())) return static_cast<double>(*v);
    }
    return 0;
}

double WindowStepsPerSecond(const QString& net, int steps) {
    TQuenzorApp app({net}, {0});
    TMainWindow& main = app.Main();
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

void BM_MaxSpeedRunWithWindow(benchmark::State& state, const char* net, int steps) {
    const QString path = TheHome().Net(net);
    double cli = 0, window = 0;
    for (auto _ : state) {
        cli += CliStepsPerSecond(path, steps);
        window += WindowStepsPerSecond(path, steps);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["cli_steps_per_s"] = cli / n;
    state.counters["window_steps_per_s"] = window / n;
    state.counters["window_share"] = cli > 0 ? window / cli : 0;
}

BENCHMARK_CAPTURE(BM_MaxSpeedRunWithWindow, Plant, "Plant.pn", 20'000'000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MaxSpeedRunWithWindow, Hybrid, "Hybrid.pn", 2'000'000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QtPlatform platform;
    InstallNetFileLoader();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
