#include "bench/Pairs.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <utility>

#include <unistd.h>

namespace bench {

namespace {

struct Target {
  std::string name;
  double ratio;
  Clock clock;
};
std::vector<Target>& Targets() {  // in the order the pairs were added
  static std::vector<Target> targets;
  return targets;
}

// CPU time of this thread: the time it waited for a core, which on a shared machine can be more
// than the work itself, does not count. Elapsed time instead for work shared with other threads,
// whose CPU time this thread's clock would not see.
double Seconds(Clock clock) {
  timespec now{};
  clock_gettime(clock == Clock::kElapsed ? CLOCK_MONOTONIC : CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double Timed(Clock clock, const std::function<void()>& body) {
  const double start = Seconds(clock);
  body();
  return Seconds(clock) - start;
}

// With several repetitions the console shows the median and the variation of each pair.
bool Shown(const benchmark::BenchmarkReporter::Run& run) {
  if (run.run_type != benchmark::BenchmarkReporter::Run::RT_Aggregate) return run.repetitions <= 1;
  return run.aggregate_name == "median" || run.aggregate_name == "cv";
}

double CounterValue(const benchmark::BenchmarkReporter::Run& run, const char* name) {
  const auto found = run.counters.find(name);
  return found == run.counters.end() ? 0.0 : found->second.value;
}

}  // namespace

void AddPair(const std::string& name, double target, std::function<void()> ours,
             std::function<void()> bound, std::function<void()> allocation, Clock clock) {
  Targets().push_back({name, target, clock});
  auto run = [ours = std::move(ours), bound = std::move(bound), allocation = std::move(allocation),
              clock](benchmark::State& state) {
    double oursSeconds = 0, boundSeconds = 0, allocationSeconds = 0;
    for (auto _ : state) {
      oursSeconds += Timed(clock, ours);
      boundSeconds += Timed(clock, bound);
      if (allocation) allocationSeconds += Timed(clock, allocation);
    }
    using benchmark::Counter;
    state.counters["ours_ms"] = Counter(oursSeconds * 1e3, Counter::kAvgIterations);
    state.counters["bound_ms"] = Counter(boundSeconds * 1e3, Counter::kAvgIterations);
    if (allocation) {
      state.counters["alloc_ms"] = Counter(allocationSeconds * 1e3, Counter::kAvgIterations);
    }
    state.counters["ratio"] = boundSeconds > 0 ? oursSeconds / boundSeconds : 0.0;
  };
  benchmark::RegisterBenchmark(name.c_str(), run)->Unit(benchmark::kMillisecond);
}

PairReporter::PairReporter()
    : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

void PairReporter::ReportRuns(const std::vector<Run>& runs) {
  std::vector<Run> shown;
  for (const Run& run : runs) {
    if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0) {
      // The counters hold milliseconds per iteration; the totals weigh each repetition by its
      // number of iterations.
      Totals& totals = totals_[run.run_name.function_name];
      const auto iterations = static_cast<double>(run.iterations);
      totals.iterations += iterations;
      totals.oursMs += CounterValue(run, "ours_ms") * iterations;
      totals.boundMs += CounterValue(run, "bound_ms") * iterations;
      totals.allocationMs += CounterValue(run, "alloc_ms") * iterations;
      totals.ratios.push_back(CounterValue(run, "ratio"));
    }
    if (Shown(run)) shown.push_back(run);
  }
  if (!shown.empty()) ConsoleReporter::ReportRuns(shown);
}

void PairReporter::PrintSummary() const {
  std::printf(
      "\nSummary: CPU time of the calling thread per call (elapsed time where marked), "
      "averaged over all repetitions; ours and its bound ran in turn, call for call.\n");
  for (const Target& target : Targets()) {
    const auto found = totals_.find(target.name);
    if (found == totals_.end() || found->second.boundMs <= 0) continue;  // filtered out
    const Totals& t = found->second;
    const double ours = t.oursMs / t.iterations;
    const double bound = t.boundMs / t.iterations;
    const double ratio = ours / bound;
    std::printf("%s%s: ours %.2f ms, bound %.2f ms, ratio %.2f (target %.2f) %s\n",
                target.name.c_str(), target.clock == Clock::kElapsed ? " (elapsed)" : "", ours,
                bound, ratio, target.ratio, ratio <= target.ratio ? "OK" : "OVER");
    const auto [low, high] = std::minmax_element(t.ratios.begin(), t.ratios.end());
    std::printf("    ratio of single repetitions: %.2f to %.2f (%zu repetitions)\n", *low, *high,
                t.ratios.size());
    if (t.allocationMs > 0) {
      const double allocation = t.allocationMs / t.iterations;
      std::printf(
          "    allocating and freeing the result alone: %.2f ms = %.2f of the ratio; "
          "ratio without it %.2f\n",
          allocation, allocation / bound, (ours - allocation) / bound);
    }
  }
}

}  // namespace bench
