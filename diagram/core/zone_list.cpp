#include "diagram/core/zone_list.h"

namespace rivo::diagram {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string Quoted(std::string_view name) {
    return "\"" + std::string(name) + "\"";
}

// The zone a name stands for, or the reason it stands for none.
std::optional<std::string> ReadName(std::string_view name, int circles, bool outside,
                                    UniverseSet& zones) {
    if (name.empty()) {
        return std::string(
            "the zone list has an empty name (names are separated by single "
            "commas, as in \"A,AC\")");
    }
    if (name == kOutsideZoneName) {
        if (!outside) return Quoted(name) + " (the outside zone) is not a zone here";
        zones |= kOutsideZone;
        return std::nullopt;
    }
    Zone zone = 0;
    for (const char c : name) {
        if (IsBlank(c)) continue;
        const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        const int circle = upper - 'A';
        if (upper < 'A' || circle >= circles) {
            return Quoted(name) + " is not a zone of " + std::to_string(circles) +
                   " circles (a zone is named by its circles, A to " +
                   std::string(1, static_cast<char>('A' + circles - 1)) + ", as in \"AB\")";
        }
        if ((zone >> circle & 1u) != 0) return Quoted(name) + " names a circle twice";
        zone |= Zone{1} << circle;
    }
    zones |= UniverseSet{1} << zone;
    return std::nullopt;
}

}  // namespace

ZoneListReading ReadZoneList(std::string_view text, int circles, bool outside) {
    ZoneListReading reading;
    if (Trimmed(text).empty()) return reading;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view name = Trimmed(text.substr(0, comma));
        if (auto error = ReadName(name, circles, outside, reading.zones)) {
            return {0, std::move(error)};
        }
        if (comma == std::string_view::npos) return reading;
        text.remove_prefix(comma + 1);
    }
}

std::string ZoneListText(ZoneSet zones) {
    std::string text;
    for (Zone zone = 1; zone <= ZoneCount(kMaxCircles); ++zone) {
        if ((zones & ZoneBit(zone)) == 0) continue;
        if (!text.empty()) text += ',';
        text += ZoneName(zone, "");
    }
    return text;
}

}  // namespace rivo::diagram
