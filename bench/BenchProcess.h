// Whole commands timed as processes, for the benchmarks that set a kavrel
// command beside a peer (sox, praat --run): wall time from fork to exit and
// the child's largest resident set, and the pair run alternately in one
// benchmark so that both meet the same load and the ratio is of one run.
#pragma once
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace kbench {

struct Run {
    double seconds = 0;
    double maxRssMB = 0;
    int status = -1;
};

// A command line run by the shell's exec (no shell left in between).
inline Run RunProcess(const std::string& command)
{
    Run r;
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl("/bin/sh", "sh", "-c", ("exec " + command + " >/dev/null 2>&1").c_str(), (char*)nullptr);
        ::_exit(127);
    }
    int status = 0;
    struct rusage ru{};
    ::wait4(pid, &status, 0, &ru);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    r.maxRssMB = double(ru.ru_maxrss) / 1024.0;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

inline std::string Quoted(const std::string& s)
{
    return "'" + s + "'";
}

// True when `probe` runs (a peer's --version): otherwise the benchmark is
// skipped with the reason.
inline bool PeerPresent(benchmark::State& state, const std::string& probe, const char* name)
{
    if (RunProcess(probe).status == 0)
        return true;
    state.SkipWithError((std::string(name) + " not found").c_str());
    return false;
}

// Runs a command that writes `out` (removed before each run, as the tool
// never replaces a file; "" for none) once an iteration, the iteration
// time its wall time; the last run, or a status other than 0 after
// skipping the benchmark with the command's name.
inline Run TimeCommand(benchmark::State& state, const std::string& command, const std::string& out)
{
    Run last;
    for (auto _ : state) {
        if (!out.empty())
            std::remove(out.c_str());
        last = RunProcess(command);
        if (last.status != 0) {
            state.SkipWithError(("failed: " + command).c_str());
            return last;
        }
        state.SetIterationTime(last.seconds);
    }
    if (!out.empty())
        std::remove(out.c_str());
    return last;
}

// One command of a comparison: what to run and the file it writes (removed
// before each run, as the tool never replaces a file; "" for none).
struct Job {
    std::string command;
    std::string out;
};

// Runs ours and the peer's alternately, once each per iteration, and
// reports the fastest of each: kavrel_s, peer_s, their ratio (below 1:
// kavrel is faster) and both largest resident sets. The iteration time is
// ours.
inline void ComparePeer(benchmark::State& state, const Job& ours, const Job& peer)
{
    double best = 1e30, bestPeer = 1e30, rss = 0, rssPeer = 0;
    auto once = [&](const Job& j, double& fastest, double& mem) {
        if (!j.out.empty())
            std::remove(j.out.c_str());
        const Run r = RunProcess(j.command);
        if (r.status != 0) {
            state.SkipWithError(("failed: " + j.command).c_str());
            return -1.0;
        }
        fastest = std::min(fastest, r.seconds);
        mem = std::max(mem, r.maxRssMB);
        return r.seconds;
    };
    for (auto _ : state) {
        const double t = once(ours, best, rss);
        if (t < 0 || once(peer, bestPeer, rssPeer) < 0)
            return;
        state.SetIterationTime(t);
    }
    for (const Job* j : {&ours, &peer})
        if (!j->out.empty())
            std::remove(j->out.c_str());
    state.counters["kavrel_s"] = best;
    state.counters["peer_s"] = bestPeer;
    state.counters["ratio"] = best / bestPeer;
    state.counters["kavrel_MB"] = rss;
    state.counters["peer_MB"] = rssPeer;
}

} // namespace kbench
