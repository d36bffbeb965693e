#pragma once
// What the command routines and the monitor need of the main window, asked
// through the one panel the window installs when it is built: the controls
// by their object names ("fast_pos", "write_mode", "cmd_monitor"), the
// PARAMETERS SET entries and the monitor's reply box. The routines below the
// window thus never name a widget type, and a program without a window could
// install a panel of its own.
#include <QColor>
#include <QString>

#include "protocol/parameter_record.h"

namespace tune_cmd {
class Panel {
 public:
  virtual ~Panel() = default;
  // A box's text or a button's caption.
  virtual QString text(const QString& control) const = 0;
  virtual void set_text(const QString& control, const QString& text) = 0;
  virtual bool enabled(const QString& control) const = 0;
  virtual void set_enabled(const QString& control, bool on) = 0;
  // The background: a button's face, a text box's field.
  virtual QColor backcolor(const QString& control) const = 0;
  virtual void set_backcolor(const QString& control, const QColor& c) = 0;
  virtual void set_forecolor(const QString& control, const QColor& c) = 0;

  // The PARAMETERS SET entries, and filling them (each text runs the check of
  // its box).
  virtual Entries entries() const = 0;
  virtual void set_entries(const Entries& e) = 0;
  // The PARAMETERS READ boxes back to their design texts and colours.
  virtual void forget_read_values() = 0;
  // A parameter read got the whole reply.
  virtual void read_complete() = 0;

  // The reply box cbox_reply_text: its length (each line with its CR LF),
  // emptying it, and a whole line added at the end and brought into view.
  virtual long long reply_text_length() const = 0;
  virtual void clear_replies() = 0;
  virtual void append_reply(const QString& line) = 0;
};

// Installed by the window when it is built; nullptr again when it goes.
void INSTALL_PANEL(Panel* panel);
Panel& PANEL();
bool PANEL_INSTALLED();

// The monitor's state is the caption of cmd_monitor, and nothing else holds
// it: exactly "START..." idle, "STOP" running.
inline constexpr const char* MONITOR_START = "START...";
inline constexpr const char* MONITOR_STOP = "STOP";
bool MONITOR_IDLE();
bool MONITOR_RUNS();
}  // namespace tune_cmd
