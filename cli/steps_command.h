// rivo-cli steps: the evaluation of an expression one operator step at a time.
#pragma once

#include <cstddef>
#include <iosfwd>

#include "cli/arguments.h"

namespace rivo::cli {

// The most pictures -o writes: a file each is for following a lesson's expression, and a long
// one would otherwise fill a disk with hundreds of thousands of files.
inline constexpr std::size_t kMaxStepPictures = 1000;

// steps N EXPR [-o PREFIX] [--order ORDER]: per step, its number, a tab, the operator's
// sub-expression (cut after diagram::kMaxStepTextBytes bytes, then "…"), a tab and the region
// set computed (for two circles, which have no region codes, its zones: "A,AB"); with -o,
// PREFIX-K.png holds the picture after step K, in the layout --layout asks for. The steps come
// in the order the evaluator performs them, or with --order reading as the text reads (numbered
// in that order). With -o, more than kMaxStepPictures steps are a pipeline error, before
// anything is written; --labels, --title and --fill need -o. What the diagram did not read as
// written is noted on standard error.
int RunSteps(const Arguments& args, std::ostream& out);

}  // namespace rivo::cli
