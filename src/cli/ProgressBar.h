#pragma once
#include <chrono>
#include <cstddef>
#include <iosfwd>

namespace qz::cli {

// A one-line progress bar on a terminal: runs done, runs per second and the
// time left, redrawn at most ten times a second and erased when done. Quiet
// unless `err` is the standard error stream and that is a terminal.
class ProgressBar {
public:
    ProgressBar(std::ostream& err, std::size_t total);
    ~ProgressBar();
    void Update(std::size_t done);

private:
    using Clock = std::chrono::steady_clock;
    std::ostream& err_;
    std::size_t total_;
    bool shown_ = false;
    bool enabled_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point last_{};
};

} // namespace qz::cli
