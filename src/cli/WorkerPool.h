#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace qz::cli {

// Runs tasks in forked worker processes, one process per task and at most
// `jobs` at a time. Each worker starts as a copy of the caller (the loaded
// net included), runs `work` and sends the bytes it returns back through a
// pipe. The parent hands each result to `done` as it arrives; `done` returns
// an error text to stop everything. A worker that crashes, is killed, exits
// with a status other than 0 or sends nothing stops the pool as well: the
// other workers are killed and the failure is returned.
struct WorkerFailure {
    std::size_t task = 0;
    std::string what;     // "was killed by signal 9 (Killed)", or the error of `done`
    bool worker = false;  // the worker itself failed
};

struct WorkerPool {
    int jobs = 1;
    std::function<std::string(std::size_t task)> work;
    std::function<std::optional<std::string>(std::size_t task, std::string&& bytes)> done;
    // Called after every result and a few times a second while waiting.
    std::function<void(std::size_t finished)> tick;

    std::optional<WorkerFailure> Run(std::size_t count);
};

// The processors this process may run on (its affinity mask).
int AvailableCores();

} // namespace qz::cli
