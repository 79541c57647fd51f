// The formatted number by brute force, as the reference of the formatter's oracle test: every
// digit of the exact expansion is written out (up to some 11,500 for the smallest extended
// values), and the 16th decides the half-up rounding. Too slow for the pipeline, plainly right.
#pragma once

#include <string>

namespace rivo::testing {

// The same text as expr::FormatNumber, with expr::DecimalSeparator().
std::string ExactFormattedNumber(long double value);

}  // namespace rivo::testing
