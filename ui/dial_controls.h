#pragma once
// The main window's side of the rotator dial: the View menu's "Rotator dial"
// item, whether the dial was open kept for the next start, the dial fed from
// what the controller reports (never by asking it), and the dial's clicks
// and presets turned into the go-to exactly as Execute runs it.
class velta;
class DIAL;

namespace dial_controls {
// The option in velta-options.ini that tells whether the dial was open.
inline constexpr const char* OPEN_OPTION = "view/rotator_dial";

// Builds the window's dial (hidden until asked for) and the View item;
// called once from the window's build, after the menu bar. The dial comes
// back open once the window first shows when it was open at the last end.
void BUILD(velta& w);
// The dial of the window.
DIAL& DIAL_OF(velta& w);
}  // namespace dial_controls
