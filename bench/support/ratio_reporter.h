#pragma once

// The console report of a benchmark run, and one figure kept per benchmark so
// that the ratios against the rivals come out of that same run.

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace quorvel::bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // Keeps the user counter `figure` of every run, or its real time where
  // `figure` is empty; with repetitions only the median counts.  `summary`
  // prints the ratios once everything has run.
  RatioReporter(std::string figure, std::function<void(const RatioReporter&)> summary);

  // The figure kept for "BM_Name" or "BM_Name/args"; 0 when it did not run.
  double operator()(const std::string& name) const;
  // The label the benchmark set on that run, if any.
  std::string Label(const std::string& name) const;

  void ReportRuns(const std::vector<Run>& runs) override;
  void Finalize() override;

 private:
  std::string figure_;
  std::function<void(const RatioReporter&)> summary_;
  std::map<std::string, double> figures_;
  std::map<std::string, std::string> labels_;
};

// Runs what the command line selects with `reporter`.  `interleaved`:
// repetitions of different benchmarks take turns, so that load from
// elsewhere on the machine falls on all of them alike.
int RunBenchmarks(int argc, char** argv, RatioReporter& reporter, bool interleaved);

}  // namespace quorvel::bench
