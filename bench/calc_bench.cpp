// How long Bereken takes per call, texts in and texts out, beside its floor:
// the same calculation written out plainly below, with the standard library's
// own number texts (from_chars in, to_chars out) and without entry rules,
// separators, tests or anything of the library. Beside them the parts of
// Bereken: reading the three texts, the search as Bereken runs it, writing
// the three texts. Two input sets: the rows of the known-coil table, and a
// sweep over the working range (diameter 1..100 mm, wire 0.05..3 mm,
// inductance 0.001..10000 microhenry, log-spaced) written as a user types
// them; only inputs that fit, since the bare search never ends on a fault.
// Every round times each case once, in turn; the figures are medians over the
// rounds of the CPU time per call and of the ratio Bereken / floor within a
// round. Nothing here judges them.
//
//   calc_bench [ROUNDS] [MILLISECONDS PER CASE AND ROUND]   (default 61 20)

#include "calc/checked_float.h"
#include "calc/coil_design.h"
#include "calc/coil_search.h"
#include "calc/number_text.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct BareFit {
    float diameter;
    double length;
    double turns;
    int passes;
};

// The search in its barest form: floats and doubles as written, no policy and
// no test. It never ends on an input that faults.
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

struct BareTexts {
    std::string diameter, length, turns;
    int passes;
};

template <typename T> std::string bareText(T value, int digits) {
    char text[32];
    const char* end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits).ptr;
    return std::string(static_cast<const char*>(text), end);
}

double bareRead(std::string_view text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// The floor: the whole calculation, texts in and texts out, as plainly as the
// standard library allows.
std::optional<BareTexts> floorBereken(std::string_view spD, std::string_view dd,
                                      std::string_view zi) {
    const auto D = static_cast<float>(bareRead(spD));
    const auto d = static_cast<float>(bareRead(dd));
    const double Z = bareRead(zi);
    if (D == 0 || d == 0 || Z < 0.001)
        return std::nullopt;
    const BareFit fit = bareSearch(D, d, Z);
    return BareTexts{bareText(fit.diameter, 7), bareText(fit.length, 15), bareText(fit.turns, 15),
                     fit.passes};
}

struct Input {
    std::string spD, dd, zi;
    kolvart::CoilEntries entries;
    kolvart::CoilFit fit;
};

// The inputs that fit among the texts; warns where the floor disagrees.
std::vector<Input> fitting(const std::vector<std::vector<std::string>>& texts) {
    using namespace kolvart;
    std::vector<Input> inputs;
    for (const std::vector<std::string>& t : texts) {
        try {
            const std::optional<CoilDesign> design = Bereken(t[0], t[1], t[2]);
            if (!design)
                continue;
            const CoilEntries e = readEntries(t[0], t[1], t[2]);
            const CoilFit fit = *searchCoil<UncheckedArithmetic>(e.D, e.d, e.Z);
            const std::optional<BareTexts> bare = floorBereken(t[0], t[1], t[2]);
            if (!bare || bare->passes != design->passes || bare->diameter != design->diameter ||
                bare->length != design->length || bare->turns != design->turns)
                std::printf("warning: the floor differs on %s %s %s\n", t[0].c_str(), t[1].c_str(),
                            t[2].c_str());
            inputs.push_back({t[0], t[1], t[2], e, fit});
        } catch (const FloatingPointError&) {
        }
    }
    return inputs;
}

// Case k over all inputs: Bereken, the floor, read, search, write.
void run(int k, const std::vector<Input>& inputs) {
    using namespace kolvart;
    if (k == 0)
        for (const Input& i : inputs)
            benchmark::DoNotOptimize(Bereken(i.spD, i.dd, i.zi));
    else if (k == 1)
        for (const Input& i : inputs)
            benchmark::DoNotOptimize(floorBereken(i.spD, i.dd, i.zi));
    else if (k == 2)
        for (const Input& i : inputs)
            benchmark::DoNotOptimize(readEntries(i.spD, i.dd, i.zi));
    else if (k == 3)
        for (const Input& i : inputs)
            benchmark::DoNotOptimize(
                searchCoil<UncheckedArithmetic>(i.entries.D, i.entries.d, i.entries.Z));
    else
        for (const Input& i : inputs)
            benchmark::DoNotOptimize(CoilDesign(i.fit, "."));
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 61;
    const std::clock_t ticks =
        (argc > 2 ? std::max(1, std::atoi(argv[2])) : 20) * CLOCKS_PER_SEC / 1000;

    std::vector<std::vector<std::string>> table{
        {"10", "1", "1"},    {"20", "0.5", "10"},      {"8", "0.8", "0.5"},
        {"30", "1.5", "50"}, {"5", "0.3", "2"},        {"12", "1", "100"},
        {"40", "2", "1500"}, {"93.19", "2.56", "410"}, {"2", "0.1", "0.5"}};
    std::vector<std::vector<std::string>> sweep;
    char D[16], d[16], Z[16];
    for (int i = 0; i < 16 * 12 * 20; ++i) {
        std::snprintf(D, sizeof D, "%.4g", std::pow(100, i / (12 * 20) / 15.0));
        std::snprintf(d, sizeof d, "%.4g", 0.05 * std::pow(60, i / 20 % 12 / 11.0));
        std::snprintf(Z, sizeof Z, "%.4g", 0.001 * std::pow(1e7, i % 20 / 19.0));
        sweep.push_back({D, d, Z});
    }

    std::printf("ns per call, CPU time, median of %d rounds\n%-24s%s", rounds, "",
                "   Bereken     floor      read    search     write     ratio\n");
    double ratios[2];
    for (const int set : {0, 1}) {
        const std::vector<std::vector<std::string>>& texts = set == 0 ? table : sweep;
        const std::vector<Input> inputs = fitting(texts);
        // The clock is read after some thousand calls: reading it costs as
        // much as a few calls.
        const long batch = 1 + 4096 / static_cast<long>(inputs.size());
        std::vector<double> ns[5], roundRatios;
        for (int round = 0; round < rounds; ++round) {
            for (int k = 0; k < 5; ++k) {
                long repeats = 0;
                const std::clock_t start = std::clock();
                std::clock_t now = start;
                for (; now - start < ticks; now = std::clock())
                    for (long b = 0; b < batch; ++b, ++repeats)
                        run(k, inputs);
                ns[k].push_back(static_cast<double>(now - start) * 1e9 / CLOCKS_PER_SEC /
                                static_cast<double>(repeats * inputs.size()));
            }
            // Bereken beside the floor of the same round: a machine
            // that slows down between rounds slows both.
            roundRatios.push_back(ns[0].back() / ns[1].back());
        }
        char row[32];
        std::snprintf(row, sizeof row, "%s, %zu of %zu fit", set == 0 ? "table" : "sweep",
                      inputs.size(), texts.size());
        std::printf("%-24s", row);
        for (const std::vector<double>& figures : ns)
            std::printf(" %9.1f", median(figures));
        std::printf(" %9.2f\n", ratios[set] = median(roundRatios));
    }
    std::printf("ratio Bereken / floor, table: %.2f, sweep: %.2f\n", ratios[0], ratios[1]);
    return 0;
}
