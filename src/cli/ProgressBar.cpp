#include "ProgressBar.h"

#include <cstdio>
#include <iostream>
#include <string>

#include <unistd.h>

namespace qz::cli {

ProgressBar::ProgressBar(std::ostream& err, std::size_t total)
    : err_(err), total_(total), enabled_(&err == &std::cerr && isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() {
    if (shown_) err_ << '\r' << std::string(72, ' ') << '\r' << std::flush;
}

void ProgressBar::Update(std::size_t done) {
    const Clock::time_point now = Clock::now();
    if (!enabled_ || total_ == 0 || now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double rate = seconds > 0 ? done / seconds : 0;
    constexpr int kWidth = 24;
    const int filled = static_cast<int>(kWidth * done / total_);
    char line[160];
    std::snprintf(line, sizeof line, "\r[%s%s] %zu/%zu runs, %.1f runs/s", std::string(filled, '#').c_str(),
                  std::string(kWidth - filled, '.').c_str(), done, total_, rate);
    std::string text = line;
    if (rate > 0) {
        const long left = static_cast<long>((total_ - done) / rate + 0.5);
        std::snprintf(line, sizeof line, ", %ld:%02ld left", left / 60, left % 60);
        text += line;
    }
    err_ << text << std::string(text.size() < 72 ? 72 - text.size() : 0, ' ') << std::flush;
    shown_ = true;
}

} // namespace qz::cli
