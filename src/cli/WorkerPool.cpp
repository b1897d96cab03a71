#include "WorkerPool.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <exception>
#include <vector>

#include <poll.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qz::cli {

namespace {

struct Worker {
    pid_t pid = -1;
    int fd = -1;
    std::size_t task = 0;
    std::string bytes;
};

void WriteAll(int fd, const std::string& bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + at, bytes.size() - at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) _exit(4);
        at += static_cast<std::size_t>(n);
    }
}

std::string HowItEnded(int status) {
    if (WIFSIGNALED(status)) {
        const int sig = WTERMSIG(status);
        return "was killed by signal " + std::to_string(sig) + " (" + strsignal(sig) + ")";
    }
    return "exited with status " + std::to_string(WEXITSTATUS(status));
}

int Reap(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

void StopAll(std::vector<Worker>& workers) {
    for (Worker& w : workers) {
        kill(w.pid, SIGKILL);
        close(w.fd);
        Reap(w.pid);
    }
    workers.clear();
}

} // namespace

int AvailableCores() {
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
    return std::max(1L, sysconf(_SC_NPROCESSORS_ONLN));
}

std::optional<WorkerFailure> WorkerPool::Run(std::size_t count) {
    std::vector<Worker> workers;
    std::size_t next = 0, finished = 0;
    while (next < count || !workers.empty()) {
        while (next < count && static_cast<int>(workers.size()) < std::max(1, jobs)) {
            int fds[2];
            if (pipe(fds) != 0) {
                StopAll(workers);
                return WorkerFailure{next, std::string("cannot start a worker: ") + strerror(errno)};
            }
            const pid_t parent = getpid();
            const pid_t pid = fork();
            if (pid == 0) {
                // A worker does not outlive the command that started it.
                prctl(PR_SET_PDEATHSIG, SIGKILL);
                if (getppid() != parent) _exit(5);
                close(fds[0]);
                for (const Worker& w : workers) close(w.fd);
                try {
                    WriteAll(fds[1], work(next));
                } catch (const std::exception&) {
                    _exit(3);
                }
                _exit(0);
            }
            close(fds[1]);
            if (pid < 0) {
                close(fds[0]);
                StopAll(workers);
                return WorkerFailure{next, std::string("cannot start a worker: ") + strerror(errno)};
            }
            workers.push_back({pid, fds[0], next++, {}});
        }
        std::vector<pollfd> polls;
        for (const Worker& w : workers) polls.push_back({w.fd, POLLIN, 0});
        if (poll(polls.data(), polls.size(), 250) < 0 && errno != EINTR) {
            StopAll(workers);
            return WorkerFailure{next, std::string("cannot wait for the workers: ") + strerror(errno)};
        }
        for (std::size_t i = polls.size(); i-- > 0;) {
            if (polls[i].revents == 0) continue;
            Worker& w = workers[i];
            char buffer[65536];
            const ssize_t n = read(w.fd, buffer, sizeof buffer);
            if (n > 0) {
                w.bytes.append(buffer, static_cast<std::size_t>(n));
                continue;
            }
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            close(w.fd);
            const int status = Reap(w.pid);
            Worker ended = std::move(w);
            workers.erase(workers.begin() + static_cast<std::ptrdiff_t>(i));
            if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
                StopAll(workers);
                return WorkerFailure{ended.task, HowItEnded(status), true};
            }
            if (std::optional<std::string> error = done(ended.task, std::move(ended.bytes))) {
                StopAll(workers);
                return WorkerFailure{ended.task, *error, false};
            }
            ++finished;
            if (tick) tick(finished);
        }
        if (tick) tick(finished);
    }
    return std::nullopt;
}

} // namespace qz::cli
