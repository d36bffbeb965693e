#include "monitor/reply_box.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTime>

#include "ui/velta.h"

namespace tune_cmd {
namespace {
bool time_stamps = false;
}

void SET_REPLY_TIME_STAMPS(bool on) { time_stamps = on; }
bool REPLY_TIME_STAMPS() { return time_stamps; }

long long REPLY_TEXT_LENGTH() {
  const QTextDocument* doc = velta_form().cbox_reply_text->document();
  // The document keeps one separator per line where the box's text has
  // CR LF, and one final paragraph mark of its own.
  return doc->characterCount() - 1 + (doc->blockCount() - 1);
}

void ADD_REPLY_LINE(const QString& line) {
  QPlainTextEdit* box = velta_form().cbox_reply_text;
  if (REPLY_TEXT_LENGTH() > REPLY_BOX_LIMIT) box->clear();
  // Inserted at the end through a cursor of its own: the box's text is never
  // rebuilt or read back, so a line costs its own length only.
  QTextCursor end(box->document());
  end.movePosition(QTextCursor::End);
  const QString stamp = time_stamps ? QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz")) : QString();
  end.insertText(stamp + line + QLatin1Char('\n'));
  box->setTextCursor(end);
  box->verticalScrollBar()->setValue(box->verticalScrollBar()->maximum());
}
}  // namespace tune_cmd
