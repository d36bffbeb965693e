#include "monitor/reply_box.h"

#include <QTime>

#include "protocol/panel.h"

namespace tune_cmd {
namespace {
bool time_stamps = false;
}

void SET_REPLY_TIME_STAMPS(bool on) { time_stamps = on; }
bool REPLY_TIME_STAMPS() { return time_stamps; }

long long REPLY_TEXT_LENGTH() { return PANEL().reply_text_length(); }

void ADD_REPLY_LINE(const QString& line) {
  Panel& p = PANEL();
  if (p.reply_text_length() > REPLY_BOX_LIMIT) p.clear_replies();
  const QString stamp = time_stamps ? QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz")) : QString();
  p.append_reply(stamp + line);
}
}  // namespace tune_cmd
