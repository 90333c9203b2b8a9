#pragma once
// Pairs of benchmarks: a function of ours and the bound it chases, measured call for call in turn
// so that both see the same load from the rest of the machine, and a summary line for each pair.

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace bench {

// How a pair is timed: the calling thread's CPU time, or elapsed time for code that hands work to
// other threads.
enum class Clock { kThreadCpu, kElapsed };

// Registers the benchmark `name`: every iteration calls `ours`, then `bound`, then `allocation`
// (when given: only what `ours` allocates for its result, to tell how much of its time that is),
// timing each on `clock`. `target` is the largest acceptable ratio ours / bound.
void AddPair(const std::string& name, double target, std::function<void()> ours,
             std::function<void()> bound, std::function<void()> allocation = {},
             Clock clock = Clock::kThreadCpu);

class PairReporter : public benchmark::ConsoleReporter {
 public:
  PairReporter();  // colours only on a terminal
  void ReportRuns(const std::vector<Run>& runs) override;
  // Prints `<name>: ours X ms, bound Y ms, ratio R (target T) OK|OVER` for every pair that ran.
  void PrintSummary() const;

 private:
  struct Totals {  // over all repetitions of one pair
    double iterations = 0;
    double oursMs = 0;
    double boundMs = 0;
    double allocationMs = 0;
    std::vector<double> ratios;  // one per repetition
  };
  std::map<std::string, Totals> totals_;
};

}  // namespace bench
