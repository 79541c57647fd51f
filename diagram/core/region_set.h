// Region sets: strings of one-byte region codes, combined by union, intersection and difference.
#pragma once

#include <string>

namespace rivo::diagram {

// Each result is canonical: every code once, in ascending order of its unsigned byte value;
// byte 0 never appears. Both arguments are taken by value, so the result may be assigned back
// to either of them. Any byte counts as a code; the arguments need not be canonical.
std::string RegionUnion(std::string first, std::string second);
std::string RegionIntersection(std::string first, std::string second);
std::string RegionDifference(std::string first, std::string second);

}  // namespace rivo::diagram
