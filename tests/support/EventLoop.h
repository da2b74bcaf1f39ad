#pragma once

#include <chrono>
#include <functional>

// Runs the event loop until `condition` holds or `timeout` has passed; returns the condition.
bool processEventsUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);
// Runs the event loop for `duration`.
void processEventsFor(std::chrono::milliseconds duration);
