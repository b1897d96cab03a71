// quenzor-cli simulate --runs, sweep and merge.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include "CliTestSupport.h"

extern char** environ;

namespace qz::test {
namespace {

namespace stdfs = std::filesystem;

class Ensemble : public CliTest {
protected:
    // The fields after "TIME,PLACE," in the statistics row of that sample.
    static std::vector<double> Row(const std::string& csv, const std::string& lead) {
        const std::size_t at = csv.find("\n" + lead + ",");
        if (at == std::string::npos) return {};
        std::istringstream row(csv.substr(at + lead.size() + 2, csv.find('\n', at + 1) - at - lead.size() - 2));
        std::vector<double> fields;
        for (std::string f; std::getline(row, f, ',');) fields.push_back(std::stod(f));
        return fields;
    }
};

TEST_F(Ensemble, ConflictSplitsFairlyAndNeitherJobsNorPartsChangeTheFile) {
    const std::string net = ConflictNet();
    const std::vector<std::string> common{"simulate", net, "--sample-time", "1", "--until", "101",
                                          "--trace", "A,C", "--runs", "40", "--seed", "7"};
    const auto run = [&](std::vector<std::string> extra) {
        extra.insert(extra.begin(), common.begin(), common.end());
        const CliRun r = Cli(extra);
        EXPECT_EQ(r.code, 0) << r.err;
        return r.out;
    };
    run({"--jobs", "1", "--csv", home.PathOf("one.csv"), "--runs-dir", home.PathOf("runs")});
    run({"--jobs", "4", "--csv", home.PathOf("four.csv")});
    for (const char* k : {"1", "2", "3", "4"}) {
        run({"--jobs", "2", "--part", std::string(k) + "/4", "--partial", home.PathOf(std::string("p") + k)});
    }
    const CliRun merged = Cli({"merge", home.PathOf("p3"), home.PathOf("p1"), home.PathOf("p4"),
                               home.PathOf("p2"), "-o", home.PathOf("merged.csv")});
    ASSERT_EQ(merged.code, 0) << merged.err;
    const std::string csv = ReadAll(home.PathOf("one.csv"));
    EXPECT_EQ(ReadAll(home.PathOf("four.csv")), csv);
    EXPECT_EQ(ReadAll(home.PathOf("merged.csv")), csv);

    // One token a time unit from 1 to 100 goes to A or C with even odds.
    const std::vector<double> a = Row(csv, "100,A"), c = Row(csv, "100,C");
    ASSERT_EQ(a.size(), 9u) << csv.substr(0, 200);
    EXPECT_EQ(a[0], 40) << "count";
    EXPECT_EQ(a[1], 0) << "errors";
    EXPECT_DOUBLE_EQ(a[2] + c[2], 100) << "the means add up";
    EXPECT_NEAR(a[2], 50, 4) << "five standard errors";
    EXPECT_GT(a[3], 3);
    EXPECT_LT(a[3], 7.5) << "binomial spread: 5";
    EXPECT_TRUE(std::is_sorted(a.begin() + 4, a.end())) << "min <= q5 <= q50 <= q95 <= max";

    // Each run's own file is the one-run CSV of its seed.
    EXPECT_EQ(std::distance(stdfs::directory_iterator(home.PathOf("runs")), {}), 40);
    const CliRun single = Cli({"simulate", net, "--sample-time", "1", "--until", "101", "--trace", "A,C",
                               "--seed", "9", "--csv", "-"});
    EXPECT_EQ(ReadAll(home.PathOf("runs/run-9.csv")), single.out);
}

TEST_F(Ensemble, RunsStoppedByAnArithmeticErrorAreCountedNotAveraged) {
    // The first step divides by zero in about half the runs.
    TPNObjekt net;
    NetBuilder b(net);
    TTransition* t = b.Trans("T", "1/TRUNC(RND(2)+Time)", true);
    b.Arc(b.Place("In", 100, true), t);
    b.Arc(t, b.Place("Out", 0, true));
    const CliRun r = Cli({"simulate", Save(net, "rnd.pn"), "--sample-time", "1", "--until", "3",
                          "--trace", "Out", "--runs", "20", "--csv", "-"});
    EXPECT_EQ(r.code, 1);
    const std::vector<double> row = Row(r.out, "2,Out");
    ASSERT_EQ(row.size(), 9u) << r.out;
    EXPECT_EQ(row[0] + row[1], 20);
    EXPECT_GT(row[1], 0);
    EXPECT_GT(row[0], 0);
    EXPECT_NE(r.err.find("quenzor-cli simulate: " + std::to_string(int(row[1])) +
                         " of 20 runs stopped with an arithmetic error (seeds "),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("An arithmetic error occured."), std::string::npos);
}

// The example plant: Feed fills Tank_1.level by 1 a time unit.
class PlantEnsemble : public Ensemble {
protected:
    void SetUp() override { CopyExamples(); }
    CliRun Plant(const char* subcommand, std::vector<std::string> args) {
        args.insert(args.begin(), {subcommand, home.PathOf("Plant.pn"), "--steps", "3", "--sample-time", "1",
                                   "--trace", "Tank_1.level", "--jobs", "2"});
        return Cli(args);
    }
};

TEST_F(PlantEnsemble, SetAndVaryReachPlacesAndTransitionsInsidePlacedObjects) {
    CliRun r = Plant("simulate", {"--set", "Tank_1.level=2.5", "--set", "Feed=2", "--csv", "-"});
    EXPECT_EQ(r.out, "time,Tank_1.level\n0,2.5\n1,4.5\n") << r.err;
    r = Plant("simulate", {"--set", "Tank_1.Overflow=-1", "--runs", "2", "--csv", "-"});
    EXPECT_EQ(r.code, 0) << r.err;
    r = Plant("sweep", {"--vary", "Tank_1.level=0:6:3", "--vary", "Feed=1:2:0,5", "--runs", "2", "--csv", "-"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')),
              "Tank_1.level,Feed,time,place,count,errors,mean,sd,min,q5,q50,q95,max");
    EXPECT_NE(r.out.find("\n3,1.5,1,Tank_1.level,2,0,4.5,0,4.5,4.5,4.5,4.5,4.5\n"), std::string::npos) << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1 + 9 * 2) << "3 x 3 points, 2 samples each";
}

TEST_F(PlantEnsemble, RefusalsNameTheProblemAndExitWithTwo) {
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"--set", "Nope=1"}, "--set Nope=1: no place or transition \"Nope\" in the net"},
        {{"--set", "Tank_1.level=1e3"}, "--set Tank_1.level=1e3: \"1e3\" is no initial marking"},
        {{"--set", "Feed=2*("}, "--set Feed=2*(: \"2*(\": "},
        {{"--set", "Feed=level"}, "--set Feed=level: \"level\": "},
        {{"--set", "Feed"}, "--set needs NAME=VALUE"},
        {{"--set", "Feed=1", "--set", "Feed=2"}, "\"Feed\" is given twice"},
        {{"--vary", "Feed=1:2:1"}, "--vary belongs to quenzor-cli sweep"},
        {{"--runs", "0"}, "--runs needs a whole number >= 1"},
        {{"--jobs", "x"}, "--jobs needs a whole number >= 1"},
        {{"--part", "5/4", "--partial", "p"}, "--part needs K/M with 1 <= K <= M"},
        {{"--part", "1/4"}, "--part needs --partial FILE"},
        {{"--part", "1/4", "--partial", "p", "--csv", "x.csv"}, "a part has no statistics of its own"},
        {{"--runs", "2", "--out", "x.txt"}, "--out exports one run"},
    };
    for (const auto& [args, message] : refused) {
        const CliRun r = Plant("simulate", args);
        EXPECT_EQ(r.code, 2) << message;
        EXPECT_NE(r.err.find("quenzor-cli simulate: " + message), std::string::npos) << r.err;
    }
    const std::pair<std::vector<std::string>, std::string> sweeps[] = {
        {{}, "sweep needs --vary NAME=FROM:TO:STEP"},
        {{"--vary", "Feed=0:1:0"}, "--vary needs NAME=FROM:TO:STEP with a step that leads from FROM to TO"},
        {{"--vary", "Feed=1:0:1"}, "--vary needs NAME=FROM:TO:STEP with a step that leads from FROM to TO"},
        {{"--vary", "Tank_3.level=0:1:1"}, "--vary no place or transition \"Tank_3.level\" in the net"},
    };
    for (const auto& [args, message] : sweeps) {
        const CliRun r = Plant("sweep", args);
        EXPECT_EQ(r.code, 2) << message;
        EXPECT_NE(r.err.find("quenzor-cli sweep: " + message), std::string::npos) << r.err;
    }
}

TEST_F(PlantEnsemble, MergeRefusesPartsThatDoNotMakeOneJob) {
    const auto part = [&](const std::string& k, const std::string& name, const char* steps = "3") {
        const CliRun r = Plant("simulate", {"--runs", "8", "--part", k, "--partial", home.PathOf(name),
                                            "--steps", steps});
        EXPECT_EQ(r.code, 0) << r.err;
        return home.PathOf(name);
    };
    const std::string p1 = part("1/4", "p1"), p2 = part("2/4", "p2"), p3 = part("3/4", "p3");
    const std::string other = part("4/4", "other", "4");
    const std::string p12 = part("1/2", "p12");
    const std::string junk = home.PathOf("junk");
    std::ofstream(junk) << "QZPART1\nshort";
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{p1, p2}, "runs 5 to 8 are missing"},
        {{p1, p3}, "runs 3 to 4 are missing"},
        {{p1, p2, p3, other}, "\"" + other + "\" belongs to another job than \"" + p1 + "\""},
        {{p12, p2, p3}, "\"" + p2 + "\" repeats runs 3 to 4"},
        {{p1, junk}, "\"" + junk + "\": damaged partial result: the data ends early"},
        {{home.PathOf("Plant.pn")}, "\"" + home.PathOf("Plant.pn") + "\": no partial result of quenzor-cli"},
        {{p1}, "Usage: quenzor-cli merge PARTS... -o FILE"},
    };
    for (auto [args, message] : refused) {
        args.insert(args.begin(), "merge");
        if (message.find("Usage") == std::string::npos) args.insert(args.end(), {"-o", home.PathOf("m.csv")});
        const CliRun r = Cli(args);
        EXPECT_EQ(r.code, 2) << message;
        EXPECT_NE(r.err.find("quenzor-cli merge: " + message), std::string::npos) << r.err;
    }
    EXPECT_FALSE(stdfs::exists(home.PathOf("m.csv")));
}

TEST_F(Ensemble, AKilledWorkerFailsTheRunAndWritesNothing) {
    // An immediate transition that fires forever: each run takes its steps
    // without sampling.
    TPNObjekt net;
    NetBuilder b(net);
    TPlatz* p = b.Place("P", 1);
    TTransition* t = b.Trans("T", "0");
    b.Arc(p, t);
    b.Arc(t, p);
    const std::string file = Save(net, "loop.pn"), csv = home.PathOf("out.csv"), log = home.PathOf("err.txt");
    std::vector<std::string> args{QZ_CLI_PATH, "simulate", file, "--steps", "20000000", "--trace", "P",
                                  "--runs", "3", "--jobs", "1", "--csv", csv, "--partial", home.PathOf("part")};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t cli = 0;
    ASSERT_EQ(posix_spawn(&cli, QZ_CLI_PATH, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    const std::string children = "/proc/" + std::to_string(cli) + "/task/" + std::to_string(cli) + "/children";
    pid_t worker = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (worker == 0 && std::chrono::steady_clock::now() < deadline) {
        std::ifstream(children) >> worker;
        if (worker == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_NE(worker, 0);
    kill(worker, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(cli, &status, 0), cli);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(ReadAll(log).find("quenzor-cli simulate: the worker of the run with seed 1 was killed by signal 9 "
                                "(Killed); the runs are incomplete and no result was written"),
              std::string::npos)
        << ReadAll(log);
    EXPECT_FALSE(stdfs::exists(csv));
    EXPECT_FALSE(stdfs::exists(home.PathOf("part")));
}

} // namespace
} // namespace qz::test
