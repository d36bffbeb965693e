#pragma once
// The control channel: one command a line on standard input, one answer a
// line on standard output ("ok ..." or "err ...").
//
//   fault SPEC          add a fault (see faults.h); "fault clear" removes all
//   set KEY VALUE       position, target, speed, busy, absolute, version, dip,
//                       calfactor, pacing, or a parameter: stop_mode,
//                       lower_limit, upper_limit, inv_delay, pwm_on, pwm_a,
//                       pwm_b, ramp, pwm_c, optimize, pres_delay, offset,
//                       mot_check, check_angle, rot_timeout
//   raw N TEXT          field N (1..19) of the parameter read sent as TEXT;
//                       "raw clear" sends the values again
//   write stop-after K  the W dialogue: no prompt after value K (1..15; after
//                       15: no final CR)
//   write answer K C    value K answered with C (a character or a decimal code)
//                       in place of "N" (of the final CR after value 15)
//   write delay K MS    the prompt after value K comes MS ms late
//   write store K VALUE value K acknowledged as ever, but VALUE stored in its
//                       place (a set the controller takes differently than
//                       it confirms: only a read-back sees it)
//   write clear         the W dialogue without faults again
//   get KEY             "ok VALUE"; "get sets": complete W sets stored so far
//   rx                  "ok HEX" of everything received since the last rx
//   send HEX            send these characters as they are
//   stream status MS | stream flood | stream off
//   stats               "ok sent=N received=N queued=N last_sent_ns=T" (T on the
//                       monotonic clock: when the last character left)
//   hangup              hang the line up now (a new pty takes its place)
//   quit
#include <string>

class Controller;
class PtyLink;

// Runs one control line. Sets *quit on "quit"; *hangup on "hangup".
std::string run_control(Controller& c, const std::string& line, bool* quit, bool* hangup);
// Applies "KEY=VALUE" from the command line (--set).
bool set_value(Controller& c, const std::string& key, const std::string& value, std::string* error);
