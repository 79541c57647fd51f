// Zones as a list, as rivo-cli reads and writes them: zone names separated by commas, each name
// its circles' letters ("A,AC,ABC"); the empty text is the empty set. No Qt.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "diagram/core/set_notation.h"
#include "diagram/core/zones.h"

namespace rivo::diagram {

// The name of the outside zone, in no circle (bit 0 of a UniverseSet).
inline constexpr std::string_view kOutsideZoneName = "none";

// What ReadZoneList makes of a text: the zones, or why it does not read.
struct ZoneListReading {
    UniverseSet zones = 0;  // bit z for zone z; bit 0 the outside zone
    std::optional<std::string> error;
};

// Reads a zone list for `circles` circles (2 to 5). A name is the letters of its circles, A to
// the last circle's, in either case and any order, with blanks around and between them ignored
// ("a c" is AC); a zone named twice counts once. With `outside`, "none" names the outside zone.
// An empty name (two commas in a row, a comma at an end), a letter twice, another character, or
// "none" where the outside zone is not allowed make an error that quotes the name.
ZoneListReading ReadZoneList(std::string_view text, int circles, bool outside = false);

// The zones of a set as a list, in zone order: "A,AB"; the empty set is the empty text.
std::string ZoneListText(ZoneSet zones);

}  // namespace rivo::diagram
