#pragma once

#include <cstdio>
#include <cstdlib>

// An invariant of a fuzz target. A broken one aborts, so libFuzzer stops, reports the finding
// and writes the input that caused it as a reproducer.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
