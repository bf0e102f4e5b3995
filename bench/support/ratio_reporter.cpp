#include "ratio_reporter.h"

namespace quorvel::bench {

RatioReporter::RatioReporter(std::string figure, std::function<void(const RatioReporter&)> summary)
    : figure_(std::move(figure)), summary_(std::move(summary)) {}

double RatioReporter::operator()(const std::string& name) const {
  const auto found = figures_.find(name);
  return found == figures_.end() ? 0.0 : found->second;
}

std::string RatioReporter::Label(const std::string& name) const {
  const auto found = labels_.find(name);
  return found == labels_.end() ? std::string() : found->second;
}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
  ConsoleReporter::ReportRuns(runs);
  for (const Run& run : runs) {
    if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
    std::string name = run.run_name.function_name;
    if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
    labels_[name] = run.report_label;
    if (figure_.empty()) {
      figures_[name] = run.GetAdjustedRealTime();
    } else if (const auto counter = run.counters.find(figure_); counter != run.counters.end()) {
      figures_[name] = counter->second.value;
    }
  }
}

void RatioReporter::Finalize() {
  ConsoleReporter::Finalize();
  summary_(*this);
}

int RunBenchmarks(int argc, char** argv, RatioReporter& reporter, bool interleaved) {
  std::vector<char*> args(argv, argv + argc);
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  if (interleaved) args.insert(args.begin() + 1, interleave.data());
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace quorvel::bench
