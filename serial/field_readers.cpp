#include "serial/field_readers.h"

#include "serial/serial_vars.h"
#include "serial/number_text.h"
#include "serial/link.h"
#include "serial/yield.h"

namespace tune_cmd {
namespace {
// Waits until `width` characters are in the port or the wait's reply period
// has run out. True when the field is there.
bool wait_for(ReplyWait& wait, int width) {
  while (wait.pass(width) && MSComm1()->inBufferCount() < width) {
  }
  TIMER_OFF();
  return !myVar::reply_timeout;
}

QString finish(int blanks_for_zero) {
  if (myVar::rx_buffer == QString(blanks_for_zero, ' ')) myVar::rx_buffer = QStringLiteral("0");
  myVar::reply_timeout = false;
  return TRIM_BLANKS(myVar::rx_buffer);
}

// Takes one character of a field that the wait has already seen in the port.
// Empty only when something run from the yield (a stop exchange nested in a
// read) has taken or discarded the port's input in the meantime; the yield
// then never outlasts the wait's reply period.
QString take_char(const ReplyWait& wait) {
  wait.yield();
  return READ_PORT();
}

// The plain readers, 5 or 3 characters wide.
QString get_plain(int width, const char* message) {
  myVar::rx_buffer.clear();
  myVar::reply_timeout = false;
  ReplyWait wait;
  if (!wait_for(wait, width)) {
    if (message) REPORT(QString::fromLatin1(message), Failure::timeout);
    myVar::reply_timeout = false;
    return {};
  }
  bool leading_zeros = true;
  while (myVar::rx_buffer.size() < width) {
    const QString c = take_char(wait);
    if (c.isEmpty()) {
      if (message) REPORT(QString::fromLatin1(message), Failure::timeout);
      myVar::reply_timeout = false;
      return {};
    }
    if (leading_zeros && c == "0") {
      myVar::rx_buffer += ' ';
    } else {
      leading_zeros = false;
      myVar::rx_buffer += c;
    }
  }
  return finish(width);
}
}  // namespace

QString GET_NUM05() { return get_plain(5, "GET_NUM05() Communication problems!"); }

QString GET_NUM03_SILENT() { return get_plain(3, nullptr); }

QString GET_NUM05NT() {
  static const char* message = "GET_NUM05NT() Communication timeout!";
  myVar::rx_buffer.clear();
  myVar::reply_timeout = false;
  int wanted = 5;
  int count = 0;
  ReplyWait wait;
  if (!wait_for(wait, wanted)) {
    REPORT(QString::fromLatin1(message), Failure::timeout);
    myVar::reply_timeout = false;
    return {};
  }
  bool leading_zeros = true;
  while (count < wanted) {
    QString c = take_char(wait);
    if (c.isEmpty()) {
      // Only a six-character field whose last character never came ends up
      // here without a message: it completes with what it has.
      if (wanted == 6 && myVar::reply_timeout) break;
      REPORT(QString::fromLatin1(message), Failure::timeout);
      myVar::reply_timeout = false;
      return {};
    }
    if (c == "-") {
      wanted = 6;
      myVar::rx_buffer += c;
      ++count;
      wait = ReplyWait();
      wait_for(wait, 6);
      c = take_char(wait);
      if (c.isEmpty() && myVar::reply_timeout) break;
      if (c.isEmpty()) {
        REPORT(QString::fromLatin1(message), Failure::timeout);
        myVar::reply_timeout = false;
        return {};
      }
    }
    if (leading_zeros && c == "0") {
      if (wanted == 5) myVar::rx_buffer += ' ';
    } else {
      leading_zeros = false;
      myVar::rx_buffer += c;
    }
    ++count;
  }
  return finish(5);
}
}  // namespace tune_cmd
