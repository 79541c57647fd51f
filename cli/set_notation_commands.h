// rivo-cli's commands on texts in set notation (--notation set): read strictly by
// diagram::ReadSetNotation, never by the plain pipeline, over every zone the outside one included,
// and drawn within the universe frame.
#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>

#include "cli/arguments.h"
#include "diagram/core/diagram_size.h"
#include "diagram/core/set_notation.h"

namespace rivo::cli {

// Whether the texts are in set notation (--notation set).
bool InSetNotation(const Arguments& args);

// Thrown for a set-notation text that does not read; what() is the whole report for standard
// error, its lines each ending in a newline: "rivo-cli: column K: message", the text, a caret.
class SetNotationFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The reading of `text` over `circles` circles; SetNotationFailure when it does not read.
diagram::SetReading ReadSetText(std::string_view text, int circles);

// The zones of a set as a list, the outside zone first by its name: "none,A,AB"; the empty set
// is the empty text.
std::string UniverseZoneList(diagram::UniverseSet set);

// The commands' set-notation forms; the Run* of each command hands over to them.
int RunDrawInSetNotation(const Arguments& args, std::ostream& out);
int RunZonesInSetNotation(const Arguments& args, std::ostream& out);
int RunEqualInSetNotation(const Arguments& args, std::ostream& out);
int RunExpressInSetNotation(const Arguments& args, std::ostream& out);
int RunStepsInSetNotation(const Arguments& args, std::ostream& out);

}  // namespace rivo::cli
