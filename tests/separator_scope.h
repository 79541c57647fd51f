// Sets the decimal separator for one test and puts the previous one back.
#pragma once

#include "expr/numbers.h"

namespace rivo::testing {

struct SeparatorScope {
    char saved = expr::DecimalSeparator();
    explicit SeparatorScope(char separator) { expr::SetDecimalSeparator(separator); }
    ~SeparatorScope() { expr::SetDecimalSeparator(saved); }
    SeparatorScope(const SeparatorScope&) = delete;
    SeparatorScope& operator=(const SeparatorScope&) = delete;
};

}  // namespace rivo::testing
