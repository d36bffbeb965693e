// Command L, the parameter read: the controller's position, busy/ready state,
// its fifteen parameters, DIP switches and calibration factor, converted into
// the user's units and shown in the "PARAMETERS READ" boxes. At start-up
// (fill_set_fields True) the values also go into the entry controls.
#include "protocol/colours.h"
#include "protocol/parameter_record.h"
#include "protocol/read_set.h"
#include "protocol/reports.h"
#include "protocol/tune_cmd.h"

namespace myVar {
bool fill_set_fields = false;
}  // namespace myVar

namespace tune_cmd {
namespace {
const QString DEGREE = QStringLiteral("\u00b0");

// Shows parameter p of the set read so far (its field's text t, its value in
// the set); loads its entry controls too at start-up. False, after telling
// it, when the field holds what the parameter cannot be.
bool show(Panel& w, const Parameter& p, const QString& t, const ControllerSet& set, bool fill) {
  const double v = set[static_cast<std::size_t>(p.n - 1)];
  const double a = set[5], b = set[6];
  const QString box = QString::fromLatin1(p.read_out);
  Entries entries;
  const QString entry = QString::fromLatin1(p.entry);
  switch (p.unit) {
    case Unit::stop_mode:
      if (t != QLatin1String("0") && t != QLatin1String("1") && t != QLatin1String("2")) {
        REPORT(QStringLiteral("cmd L, <mode>(0, 1 or 2) invalid, received:") + t);
        return false;
      }
      w.set_text(box, USER_TEXT(set, p.n));
      for (const char* option : {"north_stop", "south_stop"}) entries[option] = ENTRIES_OF(set, false).value(option);
      break;
    case Unit::degrees:
    case Unit::check_angle:
      w.set_text(box, t + DEGREE);
      entries[entry] = t;
      break;
    case Unit::seconds:
      w.set_text(box, SECONDS_TEXT(v) + QStringLiteral("sec"));
      entries[entry] = SECONDS_TEXT(v);
      break;
    case Unit::on_off:
      w.set_text(box, USER_TEXT(set, p.n));
      entries[entry] = v != 0 ? QStringLiteral("1") : QStringLiteral("0");
      break;
    case Unit::pwm_on_time:
      return true;  // shown with the off-time
    case Unit::pwm_off_time:
      // The period shows in the box of the on-time, the maximum duty in this one's.
      w.set_text(QString::fromLatin1(PARAMETER(p.n - 1).read_out),
                 a + b != 0 ? PERIOD_TEXT(a, b) + QStringLiteral("ms") : QStringLiteral("???ms"));
      w.set_text(box, MAX_DUTY_TEXT(a, b) + QStringLiteral("%"));
      entries[QStringLiteral("pwm_period")] = PERIOD_TEXT(a, b);
      entries[QStringLiteral("pwm_max_duty")] = MAX_DUTY_TEXT(a, b);
      break;
    case Unit::pwm_min_on_time:
      w.set_text(box, MIN_DUTY_TEXT(a, b, v) + QStringLiteral("%"));
      entries[entry] = MIN_DUTY_TEXT(a, b, v);
      break;
    case Unit::offset:
      // A count the 16 bits cannot hold is shown as invalid, never wrapped
      // into a plausible angle, and is kept out of the entry control so it
      // cannot be written back. The field had its full width, so the items
      // after it are still in step and read on.
      if (Val(t) > 65535) {
        w.set_text(box, QStringLiteral("invalid:") + t);
        return true;
      }
      w.set_text(box, S(v) + DEGREE);
      entries[entry] = S(v);
      break;
  }
  if (fill) w.set_entries(entries);
  return true;
}

// The body of the L reply after its header, item by item. True when the reply
// was complete; at its first fault (told by then) false.
bool read_body(Panel& w, ReadSet& read) {
  QString t;
  // The separator between two items; false (and told) when it is not ",".
  auto separator = [] {
    const QString c = GET_CHAR();
    if (c == QLatin1String(",")) return true;
    REPORT(QStringLiteral("Separator invalid, received:") + c, KIND_OF(c));
    return false;
  };
  // Field readers tell their own time-out; an empty text ends the body.
  auto field = [&t](bool plain = false) {
    t = plain ? GET_NUM05() : GET_NUM05NT();
    return !t.isEmpty();
  };

  // 1: current position; 2: busy or ready.
  if (!field()) return false;
  w.set_text(QStringLiteral("curr_pos"), t + DEGREE);
  if (IS_DIGITS(t)) emit REPORTS().position_read(t.toInt());
  if (!separator()) return false;
  t = GET_CHAR();
  emit REPORTS().state_read(t);
  if (!SHOW_STATE(QStringLiteral("cbox_status"), t)) {
    // Anything else leaves the rest of the reply unreadable.
    REPORT(QStringLiteral("cmd L, <data>(R or B) invalid, received:") + t, KIND_OF(t));
    return false;
  }
  if (!separator()) return false;

  // 3 to 17: the parameter record. The stop mode is read without sign
  // handling; the PWM period and maximum duty show once the separator after
  // the off-time has been checked.
  for (const Parameter& p : RECORD()) {
    if (!field(p.unit == Unit::stop_mode)) return false;
    double v = Val(t);
    if (p.unit == Unit::offset) v = OFFSET_OF(v);
    read.values[static_cast<std::size_t>(p.n - 1)] = v;
    const bool after_separator = p.unit == Unit::pwm_off_time;
    if (!after_separator && !show(w, p, t, read.values, myVar::fill_set_fields)) return false;
    if (!separator()) return false;
    if (after_separator) show(w, p, t, read.values, myVar::fill_set_fields);
  }

  // 18: DIP switches, red while enabled.
  if (!field()) return false;
  read.dip = t;
  const bool enabled = t != QLatin1String("0");
  w.set_text(QStringLiteral("dipsw"), enabled ? QStringLiteral("ENABLED") : QStringLiteral("DISABLED"));
  const QColor text_colour = enabled ? colours::RED() : colours::SYS_WINDOW_TEXT();
  w.set_forecolor(QStringLiteral("dipsw"), text_colour);
  w.set_forecolor(QStringLiteral("label_dipsw"), text_colour);
  if (!separator()) return false;

  // 19: calibration factor, as it came.
  if (!field()) return false;
  read.cal_factor = t;
  w.set_text(QStringLiteral("cal_fact"), t);

  return CHECK_TERMINATOR(QStringLiteral("<Return> invalid, received ASC:"), TERMINATOR_TIMEOUT(QStringLiteral("cmd L")));
}
}  // namespace

bool CMD_READ_INFO() {
  Panel& w = PANEL();
  // A read a stop broke into must not look like a complete one.
  const WaitingExchange waiting(QStringLiteral("cmd L"),
                                QStringLiteral("The PARAMETERS READ boxes show nothing of its reply."),
                                [&w] { w.forget_read_values(); });
  ReadSet read;
  read.version = w.text(QStringLiteral("firm_version"));
  const Outcome outcome = EXCHANGE({'L', {}, QStringLiteral("cmd L: communication timeout on <header>")},
                                   [&w, &read] { return read_body(w, read); });
  if (outcome != Outcome::done) return false;
  read.complete = true;
  KEEP_READ_SET(read);
  w.read_complete();
  return true;
}

namespace {
ReadSet last_read;
ReadSet known_set;
}  // namespace
const ReadSet& LAST_READ() { return last_read; }
void KEEP_READ_SET(const ReadSet& read) { last_read = known_set = read; }

const ReadSet& KNOWN_SET() { return known_set; }
void KEEP_WRITTEN_SET(const Entries& sent) {
  if (!known_set.complete) return;
  const double stop_mode = known_set.values[0];
  known_set.values = SET_OF(sent);
  if (WIRE_VALUE(sent, 1).isEmpty()) known_set.values[0] = stop_mode;
}
}  // namespace tune_cmd
