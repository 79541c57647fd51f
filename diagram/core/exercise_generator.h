// Worksheet exercises made up from a seed: expressions in the plain language with their set
// notation and truth sets, easy ones first. The same seed gives the same exercises on every
// machine and in the web build, so the generator keeps its own random numbers (SplitMix64 and
// its own mapping to a range; the standard library's distributions differ between
// implementations). No Qt; the standard library only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "diagram/core/set_notation.h"
#include "diagram/core/zones.h"

namespace rivo::diagram {

struct GeneratedExercise {
    std::string plain;  // the expression in the plain language (a to e, + * - and parentheses)
    std::string set;    // the same expression in set notation, as WriteSetNotation spells it
    UniverseSet truth;  // its set over every zone: never empty, never every zone
    bool reverse;       // a "write the expression" exercise: the shading is given
    int level;          // difficulty, 1 (two sets, one operator) to kTopExerciseLevel
};

// Level 1: two sets and one operator; the top level: every circle and three levels of
// parentheses.
inline constexpr int kTopExerciseLevel = 6;

inline constexpr int kMaxGeneratedExercises = 600;

// How many different sets a plain expression over `circles` circles (2 to 5) can have that are
// neither empty nor every zone (the plain language never holds the outside zone): 2^(2^N - 1) - 2.
// Two circles have 6, three 126; four and five more than any sheet holds. With `shown`, the
// zones a picture shows: how many different pictures such sets make, 2^|shown| - 2.
std::uint64_t DistinctExerciseSets(int circles);
std::uint64_t DistinctExerciseSets(int circles, ZoneSet shown);

// `count` (1 to kMaxGeneratedExercises) exercises over `circles` circles (2 to 5), no two with the
// same truth set, levels never falling: the first half (the larger one when `count` is odd) are
// shading exercises, the rest reverse ones. Where fewer distinct sets exist than `count` (two and
// three circles), it returns one exercise per set, so fewer than asked. A value out of range
// returns nothing.
std::vector<GeneratedExercise> GenerateExercises(int circles, int count, std::uint64_t seed);

// The same for a picture that shows only the zones `shown` (the Euler diagrams of four and five
// circles): no two exercises look alike there, and each shows some of its set and not all of
// the picture. `shown` holding every zone gives the exercises above.
std::vector<GeneratedExercise> GenerateExercises(int circles, int count, std::uint64_t seed,
                                                 ZoneSet shown);

}  // namespace rivo::diagram
