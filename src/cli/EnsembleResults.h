#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The results of an ensemble (many runs of one net with the seeds S..S+N-1)
// or of a sweep (an ensemble at each point of a grid of values), their
// statistics and the partial-result files that `merge` combines.
namespace qz::cli {

// One run as its worker hands it back: the run's exit status, what it wrote
// to its error stream, and its samples (one row of values per sample time,
// one value per traced name).
struct RunResult {
    int status = 0;
    std::string messages;
    std::vector<double> times;
    std::vector<double> values;
};

// What defines the rows of the statistics; every part of one job carries the
// same layout, so merge can tell which parts belong together. Tasks are
// numbered point by point, and within a point by seed.
struct EnsembleLayout {
    std::string key;                         // the net and the options that shape the runs
    std::vector<std::string> columns;        // traced names
    std::vector<std::string> varied;         // names a sweep varies (none for an ensemble)
    std::vector<std::vector<double>> points; // one value per varied name; an ensemble has one empty point
    std::uint64_t firstSeed = 1;
    std::uint64_t runs = 1;

    std::uint64_t Tasks() const { return points.size() * runs; }
    std::uint64_t SeedOf(std::uint64_t task) const { return firstSeed + task % runs; }
    // "A=1, B=0.5" for the point of a task (empty for an ensemble).
    std::string PointText(std::uint64_t task) const;
    bool operator==(const EnsembleLayout&) const = default;
};

// The statistics as CSV: the varied values, then per sample time and traced
// name the count of runs with a sample at that time, the runs of the point
// that stopped with an arithmetic error, mean, standard deviation, minimum,
// 5 %, 50 % and 95 % quantiles and maximum. `results` holds every task in
// order; runs with a status other than 0 count as errors and add no samples.
std::string StatisticsCsv(const EnsembleLayout& layout, const std::vector<RunResult>& results);

// The quantile p of sorted values: linear interpolation between the closest
// ranks, x[h] with h = (n - 1) p read between x[floor h] and x[floor h + 1].
double Quantile(const std::vector<double>& sorted, double p);

// The messages of the runs (each distinct text once, in task order) and one
// line per point whose runs stopped with an arithmetic error; each line
// starts with `prefix`. Returns the number of such runs.
std::uint64_t ReportRuns(const EnsembleLayout& layout, std::uint64_t firstTask,
                         const std::vector<RunResult>& results, const std::string& prefix,
                         std::string& report);

// A run as bytes (between a worker and its parent), and back; Decode throws
// std::runtime_error for data that is damaged or has another column count.
void EncodeRun(const RunResult& run, std::string& into);
RunResult DecodeRun(const std::string& bytes, std::size_t columns);

// A partial result: the layout and the runs of the tasks begin..end-1.
struct EnsemblePart {
    EnsembleLayout layout;
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
    std::vector<RunResult> results;
};
std::string EncodePart(const EnsembleLayout& layout, std::uint64_t begin,
                       const std::vector<RunResult>& results);
// Reads a partial-result file; false with the reason when it is none or is
// damaged. Every count is checked against the data before anything is
// allocated.
bool DecodePart(const std::vector<std::uint8_t>& bytes, EnsemblePart& part, std::string& why);

} // namespace qz::cli
