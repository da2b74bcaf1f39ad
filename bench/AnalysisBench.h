#pragma once

#include <filesystem>

// Prints the bare decode time of `track`, each analysis alone, the four jobs of a load run
// together on the thread pool, and last the ratio of the jobs to the bare decode.
void benchAnalysis(const std::filesystem::path& track);
