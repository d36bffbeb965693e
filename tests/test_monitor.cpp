// The communication monitor at the bench: the frames the controller sends as numbered lines, status frames also
// in fast_pos and fast_status, every way the monitor ends giving the window back, commands meanwhile only sent.
#include <QTest>

#include "monitor/reply_box.h"
#include "protocol/reports.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "tests/harness/script.h"
#include "ui/colours.h"

using tune_cmd::MONITOR_RUNS, tune_cmd::REPORTS, tune_cmd::Reports, tune_cmd::REPLY_BOX_LIMIT;

namespace {
const QByteArray STX("\x02");
QString box(velta& w) { return w.cbox_reply_text->toPlainText(); }

// The monitor's button (caption, enabled, colour), the go-to reply and cmd W.
QString controls(velta& w) {
  auto on = [](QWidget* c) { return c->isEnabled() ? " on" : " off"; };
  return w.cmd_monitor->text() + on(w.cmd_monitor) + " " + ui::BACKCOLOR(w.cmd_monitor).name() + ", goto_replay" +
         on(w.goto_replay) + ", cmd W" + on(w.write_mode);
}
const QString IDLE = "START... on #80ff80, goto_replay on, cmd W on";

// Runs the monitor with the technician's steps (a step that stalls stops it); returns once it is idle again.
void run_monitor(Bench& b, const std::function<void(Script&)>& steps) {
  Script s([&b] { if (MONITOR_RUNS()) b.w().cmd_monitor->click(); });
  s.when("monitor running", [] { return MONITOR_RUNS(); }, [] {});
  steps(s);
  s.start();
  b.w().cmd_monitor->click();
  QCOMPARE(s.failed(), QString());
  QCOMPARE(controls(b.w()), IDLE);
  VERIFY_ENDED(b.w());
}
}  // namespace

class MonitorTest : public QObject {
  Q_OBJECT
 private slots:
  // Frames 300 ms apart (reply period 200 ms), each case twice: every run numbers from 1. The controls as each own
  // frame goes out: locked while it starts (closing the window refused as while it runs); from a click on STOP the
  // caption, go-to reply and cmd W back at once, START... locked until the closing S has ended.
  void frames() {
    const QString locked = "START... off #efefef, goto_replay off, cmd W off";
    // It ends on STOP, by itself, or with the port lost (no closing S then).
    const struct { QList<QByteArray> frames; const char* box; QString message; const char* end; } cases[] = {
        {{"xyz" + STX + "A,?,045,R\r" + STX + "A,V, 1.2 3\r" + STX + "A,?,000,B\r"},
         " 1: <h|A,?,45,R|r>\n 2: <h|A,V,1.23|r>\n 3: <h|A,?,0,B|r>\n", "", "STOP"},
        {{STX + "A,V,1\n2\r"}, " 1: <h|A,V,1\n2|r>\n", "", "STOP"},  // a line feed stays in its line
        {{STX + "A,?;045,R\r" + STX + "A,?,090,R\r"}, " 1: <h|A,?;\n 2: <h|A,?,90,R|r>\n",
         "|<Separator> invalid, received:;", "STOP"},
        {{STX + "A,?,45,R\r" + STX + "A,?,090,B\r"}, " 1: <h|A,?,45,R\n 2: <h|A,?,90,B|r>\n",
         "|Separator invalid, received:R", "STOP"},
        {{STX + "A,?,045,R\n" + STX + "A,?,090,R\r"}, " 1: <h|A,?,45,R\n 2: <h|A,?,90,R|r>\n",
         "|Terminator invalid, received ASC:10", "STOP"},
        {{STX + "A,V,12", STX + "A,V,34\r"}, " 2: <h|A,V,34|r>\n", "", "STOP"},  // a frame cut short costs no other
        {{STX + "XA,V,9\r"}, " 1: <h|A,V,9|r>\n", "", "self"},                  // a bad header ends the monitor
        {{STX + "A,?,045,R"}, " 1: <h|A,?,45,R\n",
         "|COMMUNICATION MONITOR, Communication timeout on <return>", "self"},
        {{STX + "A,?,0", "hangup"}, " 1: <h|A,?,\n",
         "|COM PORT # 1 LOST: the serial device hung up or was unplugged!", "lost"}};
    for (const auto& c : cases)
      for (int run = 0; run < 2; ++run) {
        Bench b;
        b.setReplyPeriod(200);
        velta& w = b.w();
        QStringList seen;
        QObject::connect(&REPORTS(), &Reports::frame_sent, &w, [&](char code, const QString&) {
          if (seen.size() < 4 || seen.last().startsWith("STOP")) seen << QChar(code) + (" " + controls(w));
          if (code == '?') seen << (w.close() ? "closed" : "stays");
        });
        run_monitor(b, [&](Script& s) {
          for (const QByteArray& f : c.frames)
            s.after(300, "send", [&b, f] { f == "hangup" ? void(b.sim().control(f)) : b.sim().send(f); });
          if (c.end == QString("STOP"))
            s.after(300, "stop", [&] { w.cmd_monitor->click(), seen << "STOP " + controls(w); });
        });
        QCOMPARE(seen.join('|'), "S " + locked + "|? " + locked + "|stays|M " + locked + (c.end != QString("STOP") ? "" :
                 "|STOP START... off #efefef, goto_replay on, cmd W on|S START... off #efefef, goto_replay on, cmd W on"));
        QCOMPARE(box(w), QString(c.box));
        QCOMPARE(b.msgs().texts().join('|'), "Please STOP the COMMUNICATION MONITOR before to exit." + c.message);
        QCOMPARE(b.sim().received(), frame('S') + frame('?') + frame('M') + (c.end == QString("lost") ? "" : frame('S')));
      }
  }

  // Commands meanwhile only send; their replies show as lines, the status also
  // in fast_pos and fast_status. Above 65,000 characters the box is emptied
  // before any line; a frame half received when STOP is clicked is completed
  // and shown first. A port that cannot be opened leaves the monitor idle.
  void commands_meanwhile_and_a_stop_in_a_frame() {
    Bench b;
    velta& w = b.w();
    run_monitor(b, [&](Script& s) {
      s.after(0, "cmd ?", [&] { b.apply({"set position 46", "set busy 1"}), w.command_qm->click(); });
      s.when("its reply", [&] { return box(w).count('\n') == 1; }, [&] {
        QCOMPARE(controls(w) + " " + w.fast_pos->text() + " " + w.fast_status->text(),
                 "STOP on #ff0000, goto_replay off, cmd W off 46° BUSY");
        b.apply({"set busy 0"}), w.read_info->click();
      });
      s.when("L reply", [&] { return box(w).count('\n') == 2; }, [&] {
        QCOMPARE(box(w), " 1: <h|A,?,46,B|r>\n 2: <h|A,L,00046,R,00001,00000,00500,01829,00001,00030,00000,00010,00015,"
                         "00001,01829,00000,00000,00002,03049,00000,01234|r>\n");
        w.cbox_reply_text->setPlainText(QString(REPLY_BOX_LIMIT, 'x') + "\n");
        b.sim().send(STX + "A,V,12");
      });
      s.after(100, "stop", [&] { w.cmd_monitor->click(); });
      s.after(20, "rest of the frame", [&] { b.sim().send("34\r"); });
    });
    QCOMPARE(box(w), QString(" 3: <h|A,V,1234|r>\n"));
    QCOMPARE(b.msgs().texts(), QStringList{});
    QCOMPARE(b.sim().received(), frame('S') + frame('?') + frame('M') + frame('?') + frame('L') + frame('S'));
    const auto other = hold_port(1);
    w.cmd_monitor->click();
    QCOMPARE(b.msgs().texts(), QStringList(4, port_in_use_text(1)));  // S, status, M, the monitor's own
    QCOMPARE(controls(w), IDLE);
    VERIFY_ENDED(w);
  }
};

VELTA_TEST_MAIN(MonitorTest)
#include "test_monitor.moc"