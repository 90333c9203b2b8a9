#pragma once
// Collects the time of every benchmark repetition and prints one summary line per pair: a function
// of ours and the bound it is measured against.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace bench {

struct Pair {
  std::string name;        // the pair's benchmarks are `name`/ours and `name`/bound
  double target;           // the largest acceptable ratio ours / bound
  std::string allocation;  // a benchmark that only allocates what ours allocates, or empty
};

class PairReporter : public benchmark::ConsoleReporter {
 public:
  PairReporter();  // colours only on a terminal
  // Keeps every repetition for the summary.
  void ReportRuns(const std::vector<Run>& runs) override;

  // Milliseconds per call of the fastest repetition of `name`, or NaN when it did not run. The
  // fastest is the one least disturbed by whatever else the machine was doing.
  double FastestMs(const std::string& name) const;
  // Slowest repetition / fastest, or NaN.
  double Spread(const std::string& name) const;

 private:
  std::map<std::string, std::vector<double>> times_;  // per benchmark: ms per call, per repetition
};

// Prints `<name>: ours X ms, bound Y ms, ratio R (target T) OK|OVER` for every pair that ran.
void PrintSummary(const PairReporter& reporter, const std::vector<Pair>& pairs);

}  // namespace bench
