#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

// The load an analysis belongs to. The controller increments its counter on the main thread
// at every load; an analysis thread compares the value captured at its load with the counter
// and stops once they differ, because its result would be dropped anyway.
class AnalysisGeneration
{
public:
    using Counter = std::atomic<std::uint64_t>;

    // The generation the counter holds now.
    explicit AnalysisGeneration(std::shared_ptr<const Counter> counter)
        : m_counter(std::move(counter)), m_value(m_counter ? m_counter->load() : 0)
    {}
    AnalysisGeneration(std::shared_ptr<const Counter> counter, std::uint64_t value)
        : m_counter(std::move(counter)), m_value(value)
    {}

    std::uint64_t value() const { return m_value; }
    // A generation without a counter belongs to no load and is never current.
    bool isCurrent() const { return m_counter && m_counter->load() == m_value; }

private:
    std::shared_ptr<const Counter> m_counter;
    std::uint64_t m_value;
};
