// Two pieces of work compared in one process, batch by batch and in alternating order, so that
// a moment of load on a shared machine falls on both alike. The figures are the fastest batch
// of each (per call) and the median of the ratios of neighbouring batches: a ratio that noise
// cannot move far, since both halves of each pair ran within milliseconds of each other.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace rivo::bench {

class InterleavedPair {
  public:
    // Runs one batch of each; `first` makes `firstCalls` calls, `second` makes `secondCalls`.
    template <class First, class Second>
    void Measure(First&& first, std::size_t firstCalls, Second&& second, std::size_t secondCalls) {
        double firstSeconds = 0;
        double secondSeconds = 0;
        if (firstGoesFirst_) {
            firstSeconds = Time(first);
            secondSeconds = Time(second);
        } else {
            secondSeconds = Time(second);
            firstSeconds = Time(first);
        }
        firstGoesFirst_ = !firstGoesFirst_;
        first_.push_back(firstSeconds / static_cast<double>(firstCalls));
        second_.push_back(secondSeconds / static_cast<double>(secondCalls));
    }

    // Counters: the fastest call of each in microseconds, and the median ratio first/second.
    void Report(benchmark::State& state, const std::string& firstName,
                const std::string& secondName, const std::string& ratioName) const {
        if (first_.empty()) return;
        std::vector<double> ratios;
        for (std::size_t i = 0; i < first_.size(); ++i)
            ratios.push_back(first_[i] / second_[i]);
        const auto middle = ratios.begin() + static_cast<std::ptrdiff_t>(ratios.size() / 2);
        std::nth_element(ratios.begin(), middle, ratios.end());
        state.counters[firstName] = *std::min_element(first_.begin(), first_.end()) * 1e6;
        state.counters[secondName] = *std::min_element(second_.begin(), second_.end()) * 1e6;
        state.counters[ratioName] = *middle;
        state.counters["pairs"] = static_cast<double>(first_.size());
    }

  private:
    template <class Work>
    static double Time(Work& work) {
        const auto start = std::chrono::steady_clock::now();
        work();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    std::vector<double> first_;
    std::vector<double> second_;
    bool firstGoesFirst_ = true;
};

}  // namespace rivo::bench
