#include "EnsembleResults.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "common/NumberFormat.h"

namespace qz::cli {

namespace {

constexpr char kPartMagic[8] = {'Q', 'Z', 'P', 'A', 'R', 'T', '1', '\n'};

// Little-endian fields; every read checks what is left first.
class Bytes {
public:
    explicit Bytes(std::string& into) : out_(&into) {}
    Bytes(const std::uint8_t* data, std::size_t size) : in_(data), size_(size) {}

    void U64(std::uint64_t v) {
        for (int i = 0; i < 8; ++i) out_->push_back(static_cast<char>(v >> (8 * i)));
    }
    void F64(double v) { U64(std::bit_cast<std::uint64_t>(v)); }
    void Str(const std::string& s) {
        U64(s.size());
        *out_ += s;
    }

    std::uint64_t U64() {
        Need(8);
        std::uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v |= std::uint64_t{in_[pos_ + i]} << (8 * i);
        pos_ += 8;
        return v;
    }
    double F64() { return std::bit_cast<double>(U64()); }
    std::string Str() {
        const std::uint64_t n = U64();
        Need(n);
        std::string s(reinterpret_cast<const char*>(in_ + pos_), n);
        pos_ += n;
        return s;
    }
    // A count of items of `size` bytes each that the rest of the data can hold.
    std::uint64_t Count(std::uint64_t size) {
        const std::uint64_t n = U64();
        if (n > Left() / size) throw std::runtime_error("a count runs past the end of the data");
        return n;
    }
    std::uint64_t Left() const { return size_ - pos_; }
    void Need(std::uint64_t n) const {
        if (n > Left()) throw std::runtime_error("the data ends early");
    }

private:
    std::string* out_ = nullptr;
    const std::uint8_t* in_ = nullptr;
    std::size_t size_ = 0;
    std::size_t pos_ = 0;
};

void PutRun(Bytes& b, const RunResult& run, std::size_t columns) {
    b.U64(static_cast<std::uint64_t>(run.status));
    b.Str(run.messages);
    b.U64(run.times.size());
    for (double t : run.times) b.F64(t);
    for (std::size_t i = 0; i < run.times.size() * columns; ++i) b.F64(run.values[i]);
}

RunResult GetRun(Bytes& b, std::size_t columns) {
    RunResult run;
    run.status = static_cast<int>(b.U64() & 0xFF);
    run.messages = b.Str();
    const std::uint64_t samples = b.Count(8 * (columns + 1));
    run.times.resize(samples);
    for (double& t : run.times) {
        t = b.F64();
        if (!std::isfinite(t)) throw std::runtime_error("a sample time is no number");
    }
    run.values.resize(samples * columns);
    for (double& v : run.values) v = b.F64();
    return run;
}

void PutLayout(Bytes& b, const EnsembleLayout& l) {
    b.Str(l.key);
    b.U64(l.columns.size());
    for (const std::string& c : l.columns) b.Str(c);
    b.U64(l.varied.size());
    for (const std::string& v : l.varied) b.Str(v);
    b.U64(l.points.size());
    for (const auto& p : l.points) {
        for (double v : p) b.F64(v);
    }
    b.U64(l.firstSeed);
    b.U64(l.runs);
}

EnsembleLayout GetLayout(Bytes& b) {
    EnsembleLayout l;
    l.key = b.Str();
    l.columns.resize(b.Count(8));
    for (std::string& c : l.columns) c = b.Str();
    l.varied.resize(b.Count(8));
    for (std::string& v : l.varied) v = b.Str();
    const std::uint64_t points = l.varied.empty() ? b.U64() : b.Count(8 * l.varied.size());
    if (points == 0 || (l.varied.empty() && points != 1)) throw std::runtime_error("no grid of points");
    l.points.assign(points, std::vector<double>(l.varied.size()));
    for (auto& p : l.points) {
        for (double& v : p) v = b.F64();
    }
    l.firstSeed = b.U64();
    l.runs = b.U64();
    if (l.runs == 0 || l.runs > UINT64_MAX / points) throw std::runtime_error("no number of runs");
    return l;
}

void Stats(std::string& row, std::vector<double>& values, std::uint64_t errors) {
    const std::size_t n = values.size();
    long double sum = 0;
    for (double v : values) sum += v;
    const double mean = static_cast<double>(sum / n);
    long double squares = 0;
    for (double v : values) squares += (v - static_cast<long double>(mean)) * (v - static_cast<long double>(mean));
    const double sd = n > 1 ? static_cast<double>(std::sqrt(squares / (n - 1))) : 0.0;
    // NaN sorts last, so a damaged value cannot break the ordering.
    std::sort(values.begin(), values.end(), [](double a, double b) {
        return std::isnan(b) ? !std::isnan(a) : a < b;
    });
    row += std::to_string(n) + ',' + std::to_string(errors);
    for (double v : {mean, sd, values.front(), Quantile(values, 0.05), Quantile(values, 0.5),
                     Quantile(values, 0.95), values.back()}) {
        row += ',' + num::FormatRoundTrip(v);
    }
    row += '\n';
}

} // namespace

std::string EnsembleLayout::PointText(std::uint64_t task) const {
    std::string text;
    const auto& point = points[task / runs];
    for (std::size_t i = 0; i < varied.size(); ++i) {
        text += (i ? ", " : "") + varied[i] + '=' + num::FormatRoundTrip(point[i]);
    }
    return text;
}

double Quantile(const std::vector<double>& sorted, double p) {
    const double h = (sorted.size() - 1) * p;
    const std::size_t lo = static_cast<std::size_t>(h);
    if (lo + 1 >= sorted.size() || h == lo) return sorted[lo];
    return sorted[lo] + (h - lo) * (sorted[lo + 1] - sorted[lo]);
}

std::string StatisticsCsv(const EnsembleLayout& layout, const std::vector<RunResult>& results) {
    const std::size_t columns = layout.columns.size();
    std::string csv;
    for (const std::string& v : layout.varied) csv += v + ',';
    csv += "time,place,count,errors,mean,sd,min,q5,q50,q95,max\n";
    std::vector<std::vector<double>> values(columns);
    for (std::size_t p = 0; p < layout.points.size(); ++p) {
        std::string lead;
        for (double v : layout.points[p]) lead += num::FormatRoundTrip(v) + ',';
        std::vector<const RunResult*> runs;
        std::vector<double> times;
        std::uint64_t errors = 0;
        for (std::uint64_t r = 0; r < layout.runs; ++r) {
            const RunResult& run = results[p * layout.runs + r];
            if (run.status != 0) {
                ++errors;
                continue;
            }
            runs.push_back(&run);
            times.insert(times.end(), run.times.begin(), run.times.end());
        }
        std::sort(times.begin(), times.end());
        times.erase(std::unique(times.begin(), times.end()), times.end());
        // A run that samples one time more than once counts with its last
        // sample at that time.
        std::vector<std::size_t> cursor(runs.size(), 0);
        for (double t : times) {
            for (auto& v : values) v.clear();
            for (std::size_t r = 0; r < runs.size(); ++r) {
                const auto& rt = runs[r]->times;
                std::size_t& i = cursor[r];
                while (i < rt.size() && rt[i] < t) ++i;
                if (i == rt.size() || rt[i] != t) continue;
                while (i + 1 < rt.size() && rt[i + 1] == t) ++i;
                for (std::size_t c = 0; c < columns; ++c) values[c].push_back(runs[r]->values[i * columns + c]);
            }
            for (std::size_t c = 0; c < columns; ++c) {
                csv += lead + num::FormatRoundTrip(t) + ',' + layout.columns[c] + ',';
                Stats(csv, values[c], errors);
            }
        }
    }
    return csv;
}

std::uint64_t ReportRuns(const EnsembleLayout& layout, std::uint64_t firstTask,
                         const std::vector<RunResult>& results, const std::string& prefix,
                         std::string& report) {
    std::vector<std::string> seen;
    for (const RunResult& run : results) {
        if (run.messages.empty() || std::find(seen.begin(), seen.end(), run.messages) != seen.end()) continue;
        seen.push_back(run.messages);
        report += run.messages;
        if (run.messages.back() != '\n') report += '\n';
    }
    std::uint64_t failed = 0;
    for (std::uint64_t i = 0; i < results.size();) {
        const std::uint64_t task = firstTask + i;
        const std::uint64_t pointEnd = std::min<std::uint64_t>(results.size(), i + layout.runs - task % layout.runs);
        std::uint64_t count = 0;
        std::string seeds;
        for (; i < pointEnd; ++i) {
            if (results[i].status == 0) continue;
            if (++count <= 10) seeds += (count > 1 ? ", " : "") + std::to_string(layout.SeedOf(firstTask + i));
        }
        if (count == 0) continue;
        failed += count;
        const std::string at = layout.varied.empty() ? "" : "at " + layout.PointText(task) + ": ";
        report += prefix + at + std::to_string(count) + " of " + std::to_string(pointEnd - (task - firstTask)) +
                  " runs stopped with an arithmetic error (seeds " + seeds + (count > 10 ? ", ..." : "") +
                  ")\n";
    }
    return failed;
}

void EncodeRun(const RunResult& run, std::string& into) {
    Bytes b(into);
    PutRun(b, run, run.times.empty() ? 0 : run.values.size() / run.times.size());
}

RunResult DecodeRun(const std::string& bytes, std::size_t columns) {
    Bytes b(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    RunResult run = GetRun(b, columns);
    if (b.Left() != 0) throw std::runtime_error("data after the end of the run");
    return run;
}

std::string EncodePart(const EnsembleLayout& layout, std::uint64_t begin,
                       const std::vector<RunResult>& results) {
    std::string bytes(kPartMagic, sizeof kPartMagic);
    Bytes b(bytes);
    PutLayout(b, layout);
    b.U64(begin);
    b.U64(begin + results.size());
    for (const RunResult& run : results) PutRun(b, run, layout.columns.size());
    return bytes;
}

bool DecodePart(const std::vector<std::uint8_t>& bytes, EnsemblePart& part, std::string& why) {
    if (bytes.size() < sizeof kPartMagic || std::memcmp(bytes.data(), kPartMagic, sizeof kPartMagic) != 0) {
        why = "no partial result of quenzor-cli";
        return false;
    }
    try {
        Bytes b(bytes.data() + sizeof kPartMagic, bytes.size() - sizeof kPartMagic);
        part.layout = GetLayout(b);
        part.begin = b.U64();
        part.end = b.U64();
        if (part.begin > part.end || part.end > part.layout.Tasks()) throw std::runtime_error("a wrong range of runs");
        // Each run takes at least its status, message length and sample count.
        if (part.end - part.begin > b.Left() / 24) throw std::runtime_error("the data ends early");
        part.results.clear();
        part.results.reserve(part.end - part.begin);
        for (std::uint64_t t = part.begin; t < part.end; ++t) {
            part.results.push_back(GetRun(b, part.layout.columns.size()));
        }
        if (b.Left() != 0) throw std::runtime_error("data after the last run");
    } catch (const std::exception& e) {
        why = std::string("damaged partial result: ") + e.what();
        return false;
    }
    return true;
}

} // namespace qz::cli
