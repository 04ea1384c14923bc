// Runs every registered benchmark section, or only those named on the command line.
#include "bench/bench.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Entry {
    const char* name;
    int order;
    BenchFunction run;
};

std::vector<Entry>& sections()
{
    static std::vector<Entry> all;
    return all;
}

} // namespace

BenchSection::BenchSection(const char* name, int order, BenchFunction run)
{
    sections().push_back({name, order, run});
}

int main(int argc, char** argv)
{
    auto& all = sections();
    std::sort(all.begin(), all.end(), [](const Entry& a, const Entry& b) {
        return a.order != b.order ? a.order < b.order : std::strcmp(a.name, b.name) < 0;
    });
    if (argc > 1 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "--list"))) {
        std::printf("usage: ollendor-bench [SECTION...]\nsections:");
        for (const auto& s : all)
            std::printf(" %s", s.name);
        std::printf("\n");
        return 0;
    }
    int ran = 0;
    for (const auto& s : all) {
        bool wanted = argc == 1;
        for (int i = 1; i < argc; ++i)
            wanted |= std::string(argv[i]) == s.name;
        if (!wanted)
            continue;
        s.run();
        std::fflush(stdout);
        ++ran;
    }
    if (ran == 0) {
        std::fprintf(stderr, "ollendor-bench: no such section (try --list)\n");
        return 2;
    }
    return 0;
}
