// Zones: every non-empty combination of a diagram's circles, whether the picture has a region
// for it or not. Four and five circles cannot show every combination (four have no region in A
// and C alone), so a set is worked out over zones and the picture shows its drawn part. No Qt.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "diagram/core/diagram_layout.h"

namespace rivo::diagram {

// A zone is its circles as bits, A the lowest: 0b101 is the zone in A and C and no other.
using Zone = unsigned;
// A set of zones, bit (zone - 1) each; 31 zones of five circles fit one word.
using ZoneSet = std::uint32_t;

// Zone-level work (truth sets, zone lists, expressions by zones) takes the circle count, 2 to 5;
// the overloads for a DiagramSize are the same for its circles.
constexpr Zone ZoneCount(int circles) {
    return (Zone{1} << circles) - 1;
}

constexpr Zone ZoneCount(DiagramSize size) {
    return ZoneCount(CircleCount(size));
}

constexpr ZoneSet ZoneBit(Zone zone) {
    return ZoneSet{1} << (zone - 1);
}

constexpr ZoneSet AllZones(int circles) {
    return (ZoneSet{1} << ZoneCount(circles)) - 1;
}

constexpr ZoneSet AllZones(DiagramSize size) {
    return AllZones(CircleCount(size));
}

// The zones inside a circle, 0 for A: every zone with the circle's bit. Zone z is bit z - 1, so
// the pattern is that of the numbers with bit `circle`, shifted down by one.
constexpr ZoneSet ZonesOfCircle(int circles, int circle) {
    constexpr std::array<ZoneSet, 5> kWithBit = {0xAAAAAAAAu, 0xCCCCCCCCu, 0xF0F0F0F0u, 0xFF00FF00u,
                                                 0xFFFF0000u};
    return (kWithBit[static_cast<std::size_t>(circle)] >> 1) & AllZones(circles);
}

constexpr ZoneSet ZonesOfCircle(DiagramSize size, int circle) {
    return ZonesOfCircle(CircleCount(size), circle);
}

// The zone of a region: the circles whose variable set holds its code; 0 for a foreign code.
constexpr Zone ZoneOfRegion(DiagramSize size, char code) {
    Zone zone = 0;
    const auto sets = LayoutOf(size).variableSets;
    for (std::size_t i = 0; i < sets.size(); ++i) {
        if (sets[i].find(code) != std::string_view::npos) zone |= Zone{1} << i;
    }
    return zone;
}

// The region code of a zone, 0 when the diagram has no region for it.
constexpr char RegionOfZone(DiagramSize size, Zone zone) {
    for (const char code : LayoutOf(size).codes) {
        if (ZoneOfRegion(size, code) == zone) return code;
    }
    return 0;
}

// The zones the picture shows, one region each.
constexpr ZoneSet DrawnZones(DiagramSize size) {
    ZoneSet zones = 0;
    for (const char code : LayoutOf(size).codes)
        zones |= ZoneBit(ZoneOfRegion(size, code));
    return zones;
}

// The circles a region lies in, `separator` between two: "AB" or "A B"; empty for a code the
// size does not have.
std::string CirclesOf(DiagramSize size, char code, std::string_view separator = {});

// The zones of a region set; foreign codes are no zone.
ZoneSet ZonesOfRegions(DiagramSize size, std::string_view regions);

// The drawn part of a zone set as a canonical region set: codes ascending.
std::string RegionsOfZones(DiagramSize size, ZoneSet zones);

// A zone's circles as capital letters, `separator` between two: "A C" or "AC".
std::string ZoneName(Zone zone, std::string_view separator);

// The zones of a set the picture cannot show, as a reader is told them: "AC, BD".
std::string HiddenZoneList(DiagramSize size, ZoneSet zones);

namespace zone_checks {

// Regions and drawn zones match one to one: every code lies in at least one circle, and no two
// codes share their circles. The picture of a zone set is then exactly its drawn part.
constexpr bool RegionsAreDistinctZones(DiagramSize size) {
    const auto codes = LayoutOf(size).codes;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (ZoneOfRegion(size, codes[i]) == 0) return false;
        for (std::size_t j = 0; j < i; ++j) {
            if (ZoneOfRegion(size, codes[i]) == ZoneOfRegion(size, codes[j])) return false;
        }
    }
    return true;
}

// The circle patterns hold exactly the zones with the circle's bit.
constexpr bool CirclesHoldTheirZones(DiagramSize size) {
    for (int circle = 0; circle < CircleCount(size); ++circle) {
        for (Zone zone = 1; zone <= ZoneCount(size); ++zone) {
            const bool inside = (ZonesOfCircle(size, circle) & ZoneBit(zone)) != 0;
            if (inside != ((zone >> circle & 1u) != 0)) return false;
        }
    }
    return true;
}

static_assert(CirclesHoldTheirZones(DiagramSize::kThree));
static_assert(CirclesHoldTheirZones(DiagramSize::kFour));
static_assert(CirclesHoldTheirZones(DiagramSize::kFive));

static_assert(RegionsAreDistinctZones(DiagramSize::kThree));
static_assert(RegionsAreDistinctZones(DiagramSize::kFour));
static_assert(RegionsAreDistinctZones(DiagramSize::kFive));

}  // namespace zone_checks

}  // namespace rivo::diagram
