// What a benchmark binary tells `make bench` besides Google Benchmark's own table: one line per figure,
// "<figure>: <value>", printed after every benchmark has run. bench/table.sh reads these lines and
// sets each figure beside its goal.
//
// A binary's main runs the benchmarks through a reporter that also keeps each run's time per
// iteration (in the run's own unit) and its counters, so the summary can compare runs.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace bench_summary {

struct SRun {
    double dRealTime = 0;  // per iteration, in the run's time unit
    std::map<std::string, double> counters;
};

inline std::vector<std::string>& Lines() {
    static std::vector<std::string> lines;
    return lines;
}

inline std::map<std::string, SRun>& Runs() {
    static std::map<std::string, SRun> runs;
    return runs;
}

// Adds a line to the summary, printf-style.
template <typename... Args>
void Add(const char* format, Args... args) {
    char line[256];
    std::snprintf(line, sizeof(line), format, args...);
    Lines().push_back(line);
}

// The run of that name (as Google Benchmark prints it), or null when it did not run or failed.
inline const SRun* Find(const std::string& name) {
    auto it = Runs().find(name);
    return it == Runs().end() ? nullptr : &it->second;
}

class CKeepingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& reports) override {
        for (const Run& run : reports) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            SRun& kept = Runs()[run.benchmark_name()];
            kept.dRealTime = run.GetAdjustedRealTime();
            for (const auto& counter : run.counters) kept.counters[counter.first] = counter.second.value;
        }
        ConsoleReporter::ReportRuns(reports);
    }
};

// Runs the benchmarks named on the command line, then `summarise` (which adds lines), then prints
// the summary.
inline int Main(int argc, char** argv, void (*summarise)()) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    CKeepingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (summarise != nullptr) summarise();
    for (const std::string& line : Lines()) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    return 0;
}

}  // namespace bench_summary
