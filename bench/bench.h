// Benchmark sections of build/ollendor-bench. A section is a function that measures one
// thing and prints its figures; each bench/*.cpp registers its sections with a static
// BenchSection. Speed is measured here, never by timed tests.
#pragma once

using BenchFunction = void (*)();

struct BenchSection {
    // Sections run in ascending order, then by name.
    BenchSection(const char* name, int order, BenchFunction run);
};
