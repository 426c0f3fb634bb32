// SPDX-License-Identifier: MIT

#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Prints the usual table, then each benchmark's time against its reference from the
// same run: the ratio is what these benchmarks are for, as the machine's speed varies.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    // (benchmark, reference) name pairs, as the benchmarks are named in the table.
    explicit RatioReporter(std::vector<std::pair<std::string, std::string>> pairs)
        : pairs_(std::move(pairs)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median")
                times_[run.run_name.str()] =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-44s %-44s %8s\n", "benchmark", "reference", "ratio");
        for (const auto& [name, reference] : pairs_) {
            const auto a = times_.find(name), b = times_.find(reference);
            if (a != times_.end() && b != times_.end() && b->second > 0)
                std::printf("%-44s %-44s %8.3f\n", name.c_str(), reference.c_str(),
                            a->second / b->second);
        }
    }

  private:
    std::vector<std::pair<std::string, std::string>> pairs_;
    std::map<std::string, double> times_;
};
