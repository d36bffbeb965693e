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
}  // namespace tune_cmd
