#pragma once
// What the controller reported and what was sent to it, told as it happens to
// whoever follows it (the rotator dial, the tracking server, a station's
// log). The window's boxes show the same through the panel; these signals
// carry the values themselves, so that nobody reads them back out of a box.
#include <QObject>
#include <QString>

namespace tune_cmd {
class Reports : public QObject {
  Q_OBJECT
 signals:
  // A command frame went out: its code and data ('G' with "250", "977", "999").
  void frame_sent(char code, const QString& data);
  // A position the controller reported in whole degrees: a status reply or
  // frame, the parameter read's position field.
  void position_read(int degrees);
  // A busy/ready letter it reported ("B", "R", or what came instead).
  void state_read(const QString& letter);
  // A status frame the monitor has listed whole.
  void status_frame(int degrees, const QString& letter);
  // The result letter of a go-to ("R", "E", or what came instead).
  void go_to_result(const QString& letter);
  // The firmware version a V reply gave, as the window shows it ("003.23").
  void version_read(const QString& version);
};

Reports& REPORTS();
}  // namespace tune_cmd
