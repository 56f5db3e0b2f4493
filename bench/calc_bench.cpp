// How long Bereken takes per call, texts in and texts out, beside a bare
// search: the same search written out plainly below, on numbers already read,
// without texts, tests or anything of the library.
//
// Two input sets: the rows of the known-coil table, and a sweep over the
// working range (diameter 1..100 mm, wire 0.05..3 mm, inductance
// 0.001..10000 microhenry, each log-spaced) written as texts the way a user
// types them. Only the inputs that fit are timed, since the bare search never
// ends on one that faults. Beside Bereken its parts are timed alone: reading
// the three texts, the search as Bereken runs it, and writing the three texts.
//
// Every round times each case once, in turn; the figures are the medians over
// the rounds of the CPU time per call, and of the ratio Bereken / bare search
// within a round. Nothing here judges them.
//
//   calc_bench [ROUNDS] [MILLISECONDS PER CASE AND ROUND]   (default 15 100)

#include "calc/checked_float.h"
#include "calc/coil_design.h"
#include "calc/coil_search.h"
#include "calc/number_text.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

struct BareFit {
    float diameter;
    double length;
    double turns;
    int passes;
};

// The search in its barest form: the floats and doubles as written, no
// policy and no test. It never ends on an input that faults.
float halves(float D) {
    return static_cast<float>(std::floor(D + D + 0.5) / 2);
}

BareFit bareSearch(float D, float d, double Z) {
    float L = Z > 1000 ? 200 : Z > 100 ? 100 : Z > 10 ? 50 : Z > 1 ? 25 : Z >= 0.1 ? 12 : 10;
    float R = halves(D);
    for (int passes = 1;; ++passes) {
        const float N = static_cast<float>(std::sqrt((L * 10.0 + R * 4.5) * (Z * 101.6)) / R);
        const float W = static_cast<float>(static_cast<double>(d) * N);
        if (static_cast<float>(L * 0.99) >= W) {
            L = static_cast<float>(L * 0.95);
            if (W <= D) {
                D = static_cast<float>(D * 0.9);
                R = halves(D);
            }
        } else if (static_cast<float>(L * 1.01) > W) {
            return {R, std::floor(L * 10.0 + 0.5) / 10, std::floor(N * 10.0 + 0.5) / 10, passes};
        } else {
            L = static_cast<float>(L * 1.05);
            if (static_cast<float>(D * 4.0) <= W) {
                D = static_cast<float>(D * 1.2);
                R = halves(D);
            }
        }
    }
}

struct Input {
    std::string spD, dd, zi;
    kolvart::CoilEntries entries;
    kolvart::CoilFit fit;
};

// The inputs among the texts that fit; warns where the bare search disagrees.
std::vector<Input> fitting(const std::vector<std::vector<std::string>>& texts) {
    std::vector<Input> inputs;
    for (const auto& t : texts) {
        try {
            const auto design = kolvart::Bereken(t[0], t[1], t[2]);
            if (!design)
                continue;
            const kolvart::CoilEntries e = kolvart::readEntries(t[0], t[1], t[2]);
            const auto fit = kolvart::searchCoil<kolvart::UncheckedArithmetic>(e.D, e.d, e.Z);
            const BareFit bare = bareSearch(e.D, e.d, e.Z);
            if (bare.passes != design->passes || bare.diameter != fit->diameter ||
                bare.length != fit->length || bare.turns != fit->turns)
                std::printf("warning: the bare search differs on %s %s %s\n", t[0].c_str(),
                            t[1].c_str(), t[2].c_str());
            inputs.push_back({t[0], t[1], t[2], e, *fit});
        } catch (const kolvart::FloatingPointError&) {
        }
    }
    return inputs;
}

std::vector<std::vector<std::string>> sweep() {
    const auto logSpaced = [](double from, double to, int n) {
        std::vector<std::string> texts;
        for (int i = 0; i < n; ++i) {
            char text[32];
            std::snprintf(text, sizeof text, "%.4g", from * std::pow(to / from, i / (n - 1.0)));
            texts.emplace_back(text);
        }
        return texts;
    };
    std::vector<std::vector<std::string>> texts;
    for (const std::string& D : logSpaced(1, 100, 16))
        for (const std::string& d : logSpaced(0.05, 3, 12))
            for (const std::string& Z : logSpaced(0.001, 10000, 20))
                texts.push_back({D, d, Z});
    return texts;
}

double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Case {
    const char* name;
    std::function<void(const std::vector<Input>&)> run;
    std::vector<double> ns; // per call, one figure a round
};

// Calls f for every input, f inlined into the loop.
template <class F> std::function<void(const std::vector<Input>&)> each(F f) {
    return [f](const std::vector<Input>& inputs) {
        for (const Input& input : inputs)
            f(input);
    };
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const double seconds = (argc > 2 ? std::max(1, std::atoi(argv[2])) : 100) * 1e-3;

    using namespace kolvart;
    std::vector<Case> cases{
        {"Bereken",
         each([](const Input& i) { benchmark::DoNotOptimize(Bereken(i.spD, i.dd, i.zi)); }),
         {}},
        {"bare",
         each([](const Input& i) {
             benchmark::DoNotOptimize(bareSearch(i.entries.D, i.entries.d, i.entries.Z));
         }),
         {}},
        {"read",
         each([](const Input& i) { benchmark::DoNotOptimize(readEntries(i.spD, i.dd, i.zi)); }),
         {}},
        {"search",
         each([](const Input& i) {
             benchmark::DoNotOptimize(
                 searchCoil<UncheckedArithmetic>(i.entries.D, i.entries.d, i.entries.Z));
         }),
         {}},
        {"write",
         each([](const Input& i) {
             benchmark::DoNotOptimize(displaySingle(i.fit.diameter));
             benchmark::DoNotOptimize(displayDouble(i.fit.length));
             benchmark::DoNotOptimize(displayDouble(i.fit.turns));
         }),
         {}},
    };

    const std::vector<std::vector<std::string>> table{
        {"10", "1", "1"},    {"20", "0.5", "10"},      {"8", "0.8", "0.5"},
        {"30", "1.5", "50"}, {"5", "0.3", "2"},        {"12", "1", "100"},
        {"40", "2", "1500"}, {"93.19", "2.56", "410"}, {"2", "0.1", "0.5"}};
    const std::vector<std::vector<std::string>> swept = sweep();
    std::printf("ns per call, CPU time, median of %d rounds\n%-24s", rounds, "");
    for (const Case& c : cases)
        std::printf(" %9s", c.name);
    std::printf(" %9s\n", "ratio");

    std::vector<double> ratios;
    for (const auto& [label, texts] : {std::pair{"table", &table}, std::pair{"sweep", &swept}}) {
        const std::vector<Input> inputs = fitting(*texts);
        // Reading the clock costs as much as a few calls: read it after some
        // thousand calls.
        const long batch = 1 + 4096 / static_cast<long>(inputs.size());
        std::vector<double> roundRatios;
        for (int round = 0; round < rounds; ++round) {
            for (Case& c : cases) {
                long repeats = 0;
                const double start = cpuSeconds();
                double now = start;
                for (; now - start < seconds; now = cpuSeconds())
                    for (long b = 0; b < batch; ++b, ++repeats)
                        c.run(inputs);
                c.ns.push_back((now - start) * 1e9 / static_cast<double>(repeats) /
                               static_cast<double>(inputs.size()));
            }
            // Bereken beside the bare search of the same round: a machine
            // that slows down between rounds slows both.
            roundRatios.push_back(cases[0].ns.back() / cases[1].ns.back());
        }
        const std::string row = std::string(label) + ", " + std::to_string(inputs.size()) + " of " +
                                std::to_string(texts->size()) + " fit";
        std::printf("%-24s", row.c_str());
        for (Case& c : cases)
            std::printf(" %9.1f", median(std::exchange(c.ns, {})));
        ratios.push_back(median(roundRatios));
        std::printf(" %9.2f\n", ratios.back());
    }
    std::printf("ratio Bereken / bare search, table: %.2f, sweep: %.2f\n", ratios[0], ratios[1]);
    return 0;
}
