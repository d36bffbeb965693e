#pragma once
// The set of the last complete parameter read, as the controller reported it.
#include <QString>

#include "protocol/parameter_record.h"

namespace myVar {
// True only while start-up runs the parameter read: also load the entry controls.
extern bool fill_set_fields;
}  // namespace myVar

namespace tune_cmd {
struct ReadSet {
  ControllerSet values{};  // the fifteen values; the offset in degrees
  QString version;         // firm_version as it stood when the read ran
  QString dip;             // DIP switches field
  QString cal_factor;      // calibration factor field
  bool complete = false;
};
// Kept by every read that got the whole reply; `complete` false before any.
const ReadSet& LAST_READ();
void KEEP_READ_SET(const ReadSet& read);

// The controller's set as the tool last knew it: the last complete read, or,
// once a cmd W ended well after it, the set that write sent (the read's
// firmware version, DIP switches and calibration factor kept). `complete`
// false before any complete read: nothing is known then.
const ReadSet& KNOWN_SET();
// A cmd W ended well with the entries `sent`. A stop mode sent empty leaves
// the controller's own, and so the one known.
void KEEP_WRITTEN_SET(const Entries& sent);
}  // namespace tune_cmd
