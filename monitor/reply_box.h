#pragma once
// The reply box cbox_reply_text as the monitor fills it: whole lines added
// at the end, each costing only itself, and a bound on what the box holds.
#include <QString>

namespace tune_cmd {
// The box is emptied before a line is added once it holds more than this.
inline constexpr long long REPLY_BOX_LIMIT = 65000;

// Characters the box holds, each line counted with its CR LF.
long long REPLY_TEXT_LENGTH();

// Empties the box when it holds more than REPLY_BOX_LIMIT characters, then
// adds the line at the end and brings the end into view. With time stamps on
// the line is led by the local time "hh:mm:ss.zzz" (the line's own blank then
// stands between the time and the frame number).
void ADD_REPLY_LINE(const QString& line);

// Time stamps for the lines added from now on; off when the program starts.
void SET_REPLY_TIME_STAMPS(bool on);
bool REPLY_TIME_STAMPS();
}  // namespace tune_cmd
