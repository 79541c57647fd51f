// The accessibility of the window's single-line edit: an editable text whose value, characters,
// cursor and selection assistive technologies read and change.
#pragma once

namespace rivo::app {

// Makes LineEdit known to the accessibility framework; calls after the first change nothing.
void InstallLineEditAccessibility();

}  // namespace rivo::app
