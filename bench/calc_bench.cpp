// How long Bereken takes per call, texts in and texts out, beside its floor:
// the same search in bare arithmetic (UncheckedArithmetic) on the numbers
// already read, without texts and without fault checks.
//
// Two input sets: the rows of the known-coil table, and a sweep over the
// working range (diameter 1..100 mm, wire 0.05..3 mm, inductance
// 0.001..10000 microhenry, each log-spaced) written out as texts the way a
// user types them. Inputs of the sweep that end in a fault are caught and
// counted; the floor cannot run them (without checks the search never ends),
// so the sweep is also timed over its fitting inputs alone, which are the
// ones the floor runs. The parts of a call are timed on their own as well:
// reading the three texts, the search as Bereken runs it for an input that
// fits (the divisor and every store to float checked), and writing
// the three results.
//
// After the benchmarks a summary gives nanoseconds per call and the ratio
// Bereken / floor, from CPU time (with --benchmark_repetitions the least of
// the repetitions, or their median with --benchmark_report_aggregates_only).
// Nothing here judges the figures.

#include "calc/checked_float.h"
#include "calc/coil_design.h"
#include "calc/coil_search.h"
#include "calc/number_text.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Texts {
    std::string spD;
    std::string dd;
    std::string zi;
};

struct Numbers {
    float D;
    float d;
    double Z;
};

// The numbers Bereken reads from the texts, stored as it stores them.
Numbers read(const Texts& t) {
    return Numbers{static_cast<float>(kolvart::parseEntryText(t.spD)),
                   static_cast<float>(kolvart::parseEntryText(t.dd)),
                   kolvart::parseEntryText(t.zi)};
}

std::vector<Texts> tableRows() {
    return {{"10", "1", "1"},    {"20", "0.5", "10"},      {"8", "0.8", "0.5"},
            {"30", "1.5", "50"}, {"5", "0.3", "2"},        {"12", "1", "100"},
            {"40", "2", "1500"}, {"93.19", "2.56", "410"}, {"2", "0.1", "0.5"}};
}

// n values from `from` to `to`, evenly spaced on a log scale, both ends included.
std::vector<double> logSpaced(double from, double to, int n) {
    std::vector<double> values;
    for (int i = 0; i < n; ++i)
        values.push_back(from * std::pow(to / from, static_cast<double>(i) / (n - 1)));
    return values;
}

std::string text(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.4g", value);
    return buffer;
}

std::vector<Texts> sweep() {
    std::vector<Texts> entries;
    for (const double D : logSpaced(1, 100, 16))
        for (const double d : logSpaced(0.05, 3, 12))
            for (const double Z : logSpaced(0.001, 10000, 20))
                entries.push_back({text(D), text(d), text(Z)});
    return entries;
}

struct InputSet {
    std::vector<Texts> texts;
    std::vector<Numbers> numbers;       // of the texts that fit, for the floor
    std::vector<Texts> fitting;         // those texts again, for Bereken
    std::vector<kolvart::CoilFit> fits; // what the search settles on for them
    std::int64_t faults = 0;
    std::int64_t mismatches = 0; // floor and Bereken disagree on the passes
};

InputSet prepare(std::vector<Texts> texts) {
    InputSet set;
    for (const Texts& t : texts) {
        try {
            const auto design = kolvart::Bereken(t.spD, t.dd, t.zi);
            if (!design)
                continue;
            const Numbers n = read(t);
            const kolvart::CoilFit fit =
                kolvart::searchCoil<kolvart::UncheckedArithmetic>(n.D, n.d, n.Z);
            if (fit.passes != design->passes)
                ++set.mismatches;
            set.numbers.push_back(n);
            set.fitting.push_back(t);
            set.fits.push_back(fit);
        } catch (const kolvart::FloatingPointError&) {
            ++set.faults;
        }
    }
    set.texts = std::move(texts);
    return set;
}

void perCall(benchmark::State& state, std::size_t calls, std::int64_t faults = 0) {
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(calls));
    state.counters["faults"] =
        benchmark::Counter(static_cast<double>(faults), benchmark::Counter::kAvgIterations);
    state.counters["calls"] = static_cast<double>(calls);
    state.counters["per_call"] = benchmark::Counter(static_cast<double>(calls),
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}

void runBereken(benchmark::State& state, const std::vector<Texts>& entries) {
    std::int64_t faults = 0;
    for (auto _ : state) {
        for (const Texts& t : entries) {
            try {
                auto design = kolvart::Bereken(t.spD, t.dd, t.zi);
                benchmark::DoNotOptimize(design);
            } catch (const kolvart::FloatingPointError&) {
                ++faults;
            }
        }
        benchmark::ClobberMemory();
    }
    perCall(state, entries.size(), faults);
}

void runFloor(benchmark::State& state, const std::vector<Numbers>& entries) {
    for (auto _ : state) {
        for (const Numbers& n : entries) {
            auto fit = kolvart::searchCoil<kolvart::UncheckedArithmetic>(n.D, n.d, n.Z);
            benchmark::DoNotOptimize(fit);
        }
        benchmark::ClobberMemory();
    }
    perCall(state, entries.size());
}

void runRead(benchmark::State& state, const std::vector<Texts>& entries) {
    for (auto _ : state) {
        for (const Texts& t : entries) {
            auto n = read(t);
            benchmark::DoNotOptimize(n);
        }
        benchmark::ClobberMemory();
    }
    perCall(state, entries.size());
}

void runSearch(benchmark::State& state, const std::vector<Numbers>& entries) {
    for (auto _ : state) {
        for (const Numbers& n : entries) {
            auto fit = kolvart::searchCoil<kolvart::StoreCheckedArithmetic>(n.D, n.d, n.Z);
            benchmark::DoNotOptimize(fit);
        }
        benchmark::ClobberMemory();
    }
    perCall(state, entries.size());
}

void runWrite(benchmark::State& state, const std::vector<kolvart::CoilFit>& fits) {
    for (auto _ : state) {
        for (const kolvart::CoilFit& fit : fits) {
            auto diameter = kolvart::displaySingle(fit.diameter);
            auto length = kolvart::displayDouble(fit.length);
            auto turns = kolvart::displayDouble(fit.turns);
            benchmark::DoNotOptimize(diameter);
            benchmark::DoNotOptimize(length);
            benchmark::DoNotOptimize(turns);
        }
        benchmark::ClobberMemory();
    }
    perCall(state, fits.size());
}

// The console output as usual, and for the summary the CPU time per call of
// every benchmark: the least of its repetitions, or their median where only
// the aggregates are reported.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    explicit SummaryReporter(std::map<std::string, std::size_t> calls)
        : calls_(std::move(calls)) {}

    void ReportRuns(const std::vector<Run>& reports) override {
        ConsoleReporter::ReportRuns(reports);
        for (const Run& run : reports) {
            if (run.error_occurred || run.iterations == 0)
                continue;
            const auto calls = calls_.find(run.run_name.function_name);
            if (calls == calls_.end() || calls->second == 0)
                continue;
            const double ns = run.cpu_accumulated_time * 1e9 / static_cast<double>(run.iterations) /
                              static_cast<double>(calls->second);
            if (run.run_type == Run::RT_Iteration) {
                auto [least, fresh] = least_.try_emplace(calls->first, ns);
                if (!fresh && ns < least->second)
                    least->second = ns;
            } else if (run.aggregate_name == "median" &&
                       run.aggregate_unit == benchmark::StatisticUnit::kTime) {
                median_[calls->first] = ns;
            }
        }
    }

    // Nanoseconds per call, or a negative value when the benchmark did not run.
    double nsPerCall(const std::string& name) const {
        if (const auto least = least_.find(name); least != least_.end())
            return least->second;
        if (const auto median = median_.find(name); median != median_.end())
            return median->second;
        return -1;
    }

private:
    std::map<std::string, std::size_t> calls_;
    std::map<std::string, double> least_;
    std::map<std::string, double> median_;
};

std::string figure(double value, const char* format) {
    if (value < 0)
        return "-";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string ratio(double ns, double floor) {
    return ns < 0 || floor <= 0 ? "-" : figure(ns / floor, "%.2f");
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    const InputSet table = prepare(tableRows());
    const InputSet swept = prepare(sweep());

    std::map<std::string, std::size_t> calls;
    const auto add = [&calls](const std::string& name, std::size_t count, auto&& run) {
        calls[name] = count;
        benchmark::RegisterBenchmark(name.c_str(), run)->Unit(benchmark::kMicrosecond);
    };
    for (const auto& [label, set] : {std::pair<std::string, const InputSet*>{"table", &table},
                                     std::pair<std::string, const InputSet*>{"sweep", &swept}}) {
        const InputSet& inputs = *set;
        // The table has no faults: its fitting inputs are all of it.
        const std::string fitting = label == "table" ? label : label + "_fitting";
        if (label != "table")
            add("Bereken/" + label, inputs.texts.size(),
                [&inputs](benchmark::State& state) { runBereken(state, inputs.texts); });
        add("Bereken/" + fitting, inputs.fitting.size(),
            [&inputs](benchmark::State& state) { runBereken(state, inputs.fitting); });
        add("Floor/" + fitting, inputs.numbers.size(),
            [&inputs](benchmark::State& state) { runFloor(state, inputs.numbers); });
        add("Read/" + fitting, inputs.fitting.size(),
            [&inputs](benchmark::State& state) { runRead(state, inputs.fitting); });
        add("Search/" + fitting, inputs.numbers.size(),
            [&inputs](benchmark::State& state) { runSearch(state, inputs.numbers); });
        add("Write/" + fitting, inputs.fits.size(),
            [&inputs](benchmark::State& state) { runWrite(state, inputs.fits); });
    }

    SummaryReporter reporter(calls);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto ns = [&reporter](const std::string& name) {
        return reporter.nsPerCall(name);
    };
    const auto line = [](const std::string& label, double a, double b, const std::string& c) {
        std::printf("%-32s %9s %9s %9s\n", label.c_str(), figure(a, "%.1f").c_str(),
                    figure(b, "%.1f").c_str(), c.c_str());
    };
    std::printf("\n%-32s %9s %9s %9s\n", "ns per call (CPU time)", "Bereken", "floor", "ratio");
    line("table, " + std::to_string(table.texts.size()) + " rows", ns("Bereken/table"),
         ns("Floor/table"), ratio(ns("Bereken/table"), ns("Floor/table")));
    line("sweep, " + std::to_string(swept.fitting.size()) + " fitting inputs",
         ns("Bereken/sweep_fitting"), ns("Floor/sweep_fitting"),
         ratio(ns("Bereken/sweep_fitting"), ns("Floor/sweep_fitting")));
    line("sweep, all " + std::to_string(swept.texts.size()) + " (" + std::to_string(swept.faults) +
             " faults)",
         ns("Bereken/sweep"), -1, "");

    std::printf("\n%-32s %9s %9s %9s\n", "parts, ns per call (CPU time)", "read", "search",
                "write");
    line("table", ns("Read/table"), ns("Search/table"), figure(ns("Write/table"), "%.1f"));
    line("sweep, fitting inputs", ns("Read/sweep_fitting"), ns("Search/sweep_fitting"),
         figure(ns("Write/sweep_fitting"), "%.1f"));

    if (table.mismatches + swept.mismatches > 0)
        std::printf("warning: the floor took other passes than Bereken for %lld inputs\n",
                    static_cast<long long>(table.mismatches + swept.mismatches));
    std::printf("\nratio table: %s, sweep: %s\n",
                ratio(ns("Bereken/table"), ns("Floor/table")).c_str(),
                ratio(ns("Bereken/sweep_fitting"), ns("Floor/sweep_fitting")).c_str());
    return 0;
}
