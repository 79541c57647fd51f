#include "diagram/core/zones.h"

namespace rivo::diagram {

std::string CirclesOf(DiagramSize size, char code, std::string_view separator) {
    return ZoneName(ZoneOfRegion(size, code), separator);
}

ZoneSet ZonesOfRegions(DiagramSize size, std::string_view regions) {
    ZoneSet zones = 0;
    for (const char code : regions) {
        if (const Zone zone = ZoneOfRegion(size, code)) zones |= ZoneBit(zone);
    }
    return zones;
}

std::string RegionsOfZones(DiagramSize size, ZoneSet zones) {
    std::string regions;
    for (const char code : LayoutOf(size).codes) {
        if ((zones & ZoneBit(ZoneOfRegion(size, code))) != 0) regions += code;
    }
    return regions;
}

std::string ZoneName(Zone zone, std::string_view separator) {
    std::string name;
    for (int circle = 0; circle < 5; ++circle) {
        if ((zone >> circle & 1u) == 0) continue;
        if (!name.empty()) name += separator;
        name += static_cast<char>('A' + circle);
    }
    return name;
}

std::string HiddenZoneList(DiagramSize size, ZoneSet zones) {
    std::string list;
    for (Zone zone = 1; zone <= ZoneCount(size); ++zone) {
        if ((zones & ZoneBit(zone)) == 0 || RegionOfZone(size, zone) != 0) continue;
        if (!list.empty()) list += ", ";
        list += ZoneName(zone, "");
    }
    return list;
}

}  // namespace rivo::diagram
