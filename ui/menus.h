#pragma once
// The menu bar above the main window's content: set files (save the
// controller's set, load one into PARAMETERS SET, compare the two), the
// monitor's replies saved as text, time stamps in the monitor, and About.
// Nothing here talks to the controller.
#include <QString>

class velta;

namespace menus {
// Builds the menus "File", "View" and "Help" and puts the bar on top of the
// window's layout; the window keeps the bar as menu_bar and the Help menu as
// help_menu (a menu added later goes before it).
void BUILD_MENUS(velta& w);

// The work of the menu items; the items ask a file dialog for the path.
// The set of the last complete read into a set file.
void SAVE_SET(const QString& path);
// A set file into PARAMETERS SET, so that cmd W sends exactly its values;
// nothing is sent. A file that cannot be loaded changes no control.
void LOAD_SET(const QString& path);
// The parameters where PARAMETERS SET (as cmd W would send it) and the last
// complete read differ, in one message.
void COMPARE_SET();
// The reply box's lines as plain text, one a line, "\n" line ends.
void SAVE_REPLIES(const QString& path);
// The lines of the About box.
QString ABOUT_TEXT();
}  // namespace menus
