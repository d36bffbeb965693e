#pragma once
// The menu bar above the main window's content: set files (save the
// controller's set, load one or a backup into PARAMETERS SET, compare the
// two, read back after cmd W), the
// monitor's replies saved as text, time stamps in the monitor, and About.
// Nothing here talks to the controller.
#include <QString>
#include <QStringList>

#include "protocol/parameter_record.h"

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
// "The file <name> was not loaded: <problem>."
QString NOT_LOADED(const QString& name, const QString& problem);
// The parameters where PARAMETERS SET (as cmd W would send it) and the last
// complete read differ, in one message.
void COMPARE_SET();
// The parameters where two sets differ, one line each, both values in the
// user's units: "<name>: <value> in PARAMETERS SET, <value> in the CBOX".
// The stop mode only `with_stop_mode`.
QStringList DIFFERENCES(const tune_cmd::ControllerSet& boxes, const tune_cmd::ControllerSet& cbox,
                        bool with_stop_mode = true);
// A read-back after cmd W: where the last complete read differs from the
// entries that write sent. A stop mode sent empty (a set saved in absolute
// mode) left the controller's own and is not compared.
QStringList READ_BACK_DIFFERENCES(const tune_cmd::Entries& sent);
// File > Read back after cmd W, kept in velta-options.ini: a cmd W that ended
// well is followed by cmd L and the differences are shown in one message.
inline constexpr const char* READ_BACK_OPTION = "read_back_after_write";
// "The CBOX read back after cmd W differs from what it sent in:\n"
extern const QString READ_BACK_DIFFERS;
// The reply box's lines as plain text, one a line, "\n" line ends.
void SAVE_REPLIES(const QString& path);
// The lines of the About box.
QString ABOUT_TEXT();
}  // namespace menus
