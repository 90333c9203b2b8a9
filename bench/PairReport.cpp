#include "bench/PairReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include <unistd.h>

namespace bench {

namespace {

constexpr double kNotRun = std::numeric_limits<double>::quiet_NaN();

// With several repetitions the console shows only their fastest, median and variation.
bool Shown(const benchmark::BenchmarkReporter::Run& run) {
  if (run.run_type != benchmark::BenchmarkReporter::Run::RT_Aggregate) return run.repetitions <= 1;
  return run.aggregate_name == "min" || run.aggregate_name == "median" || run.aggregate_name == "cv";
}

}  // namespace

PairReporter::PairReporter()
    : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

void PairReporter::ReportRuns(const std::vector<Run>& runs) {
  std::vector<Run> shown;
  for (const Run& run : runs) {
    if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0) {
      times_[run.run_name.function_name].push_back(run.real_accumulated_time * 1e3 /
                                                   static_cast<double>(run.iterations));
    }
    if (Shown(run)) shown.push_back(run);
  }
  if (!shown.empty()) ConsoleReporter::ReportRuns(shown);
}

double PairReporter::FastestMs(const std::string& name) const {
  const auto found = times_.find(name);
  if (found == times_.end() || found->second.empty()) return kNotRun;
  return *std::min_element(found->second.begin(), found->second.end());
}

double PairReporter::Spread(const std::string& name) const {
  const auto found = times_.find(name);
  if (found == times_.end() || found->second.empty()) return kNotRun;
  const auto [low, high] = std::minmax_element(found->second.begin(), found->second.end());
  return *high / *low;
}

void PrintSummary(const PairReporter& reporter, const std::vector<Pair>& pairs) {
  std::printf("\nSummary (fastest repetition of each, wall-clock time per call; spread = slowest "
              "repetition / fastest):\n");
  for (const Pair& pair : pairs) {
    const std::string ours = pair.name + "/ours";
    const std::string bound = pair.name + "/bound";
    const double oursMs = reporter.FastestMs(ours);
    const double boundMs = reporter.FastestMs(bound);
    if (std::isnan(oursMs) || std::isnan(boundMs)) continue;  // filtered out
    const double ratio = oursMs / boundMs;
    std::printf("%s: ours %.2f ms, bound %.2f ms, ratio %.2f (target %.2f) %s\n", pair.name.c_str(),
                oursMs, boundMs, ratio, pair.target, ratio <= pair.target ? "OK" : "OVER");
    std::printf("    spread: ours %.2f, bound %.2f\n", reporter.Spread(ours),
                reporter.Spread(bound));
    const double allocationMs =
        pair.allocation.empty() ? kNotRun : reporter.FastestMs(pair.allocation);
    if (!std::isnan(allocationMs)) {
      std::printf("    of which allocating and freeing the result (%s): %.2f ms = %.2f of the "
                  "ratio; ratio without it %.2f\n",
                  pair.allocation.c_str(), allocationMs, allocationMs / boundMs,
                  (oursMs - allocationMs) / boundMs);
    }
  }
}

}  // namespace bench
