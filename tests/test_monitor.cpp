// The communication monitor at the bench: frames the controller sends show as
// numbered lines, status frames also in fast_pos and fast_status, every way
// the monitor ends gives the window back, and commands meanwhile only send.
#include <QRegularExpression>
#include <QTest>

#include "monitor/reply_box.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "tests/harness/script.h"
#include "ui/calibration.h"
#include "ui/colours.h"

namespace {
const QByteArray STX("\x02");
// The monitor's own frames: S, status and M to start, S to end.
const QByteArray OWN_FRAMES = frame('S') + frame('?') + frame('M') + frame('S');

bool running(velta& w) { return w.cmd_monitor->text() == QLatin1String("STOP"); }
QString box(velta& w) { return w.cbox_reply_text->toPlainText(); }

// The technician's part while the monitor runs; a script that stalls stops it.
Script& session(Bench& b) {
  auto* s = new Script([&b] {
    if (running(b.w())) b.w().cmd_monitor->click();
  }, &b.w());
  s->when("monitor running", [&b] { return running(b.w()); }, [] {});
  return *s;
}

// Starts the monitor with `script`; returns when it has ended, idle again.
void run_monitor(Bench& b, Script& script) {
  script.start();
  b.w().cmd_monitor->click();
  QCOMPARE(script.failed(), QString());
  QVERIFY(b.w().cmd_monitor->text() == "START..." && b.w().goto_replay->isEnabled());
  VERIFY_ENDED(b.w());
}
}  // namespace

class MonitorTest : public QObject {
  Q_OBJECT
 private slots:
  // Frames sent 300 ms apart (the reply period is 200 ms), each case run
  // twice: every run numbers from 1. While its opening exchanges run, the
  // monitor's button, the go-to reply and the write are locked, the caption
  // still reads idle, and closing the window is refused as while it runs.
  void frames() {
    const QString refused = "Please STOP the COMMUNICATION MONITOR before to exit.";
    const struct { QList<QByteArray> frames; const char* box; QString message; bool ends; } cases[] = {
        {{"xyz" + STX + "A,?,045,R\r" + STX + "A,V, 1.2 3\r" + STX + "A,?,000,B\r"},
         " 1: <h|A,?,45,R|r>\n 2: <h|A,V,1.23|r>\n 3: <h|A,?,0,B|r>\n", "", false},
        {{STX + "A,V,1\n2\r"}, " 1: <h|A,V,1\n2|r>\n", "", false},  // a line feed stays in its line
        {{STX + "A,?;045,R\r" + STX + "A,?,090,R\r"}, " 1: <h|A,?;\n 2: <h|A,?,90,R|r>\n",
         "<Separator> invalid, received:;", false},
        {{STX + "A,V,12", STX + "A,V,34\r"}, " 2: <h|A,V,34|r>\n", "", false},  // a frame cut short costs no other
        {{STX + "XA,V,9\r"}, " 1: <h|A,V,9|r>\n", "", true},                     // a bad header ends the monitor
        {{STX + "A,?,045,R"}, " 1: <h|A,?,45,R\n", "COMMUNICATION MONITOR, Communication timeout on <return>", true}};
    for (const auto& c : cases)
      for (int run = 0; run < 2; ++run) {
        Bench b;
        b.setReplyPeriod(200);
        Script& s = session(b);
        for (const QByteArray& f : c.frames) s.after(300, "send", [&b, f] { b.sim().send(f); });
        if (!c.ends) s.after(300, "stop", [&b] { b.w().cmd_monitor->click(); });
        QString starting;
        later(0, [&] {
          velta& w = b.w();
          starting = w.cmd_monitor->text() + (w.cmd_monitor->isEnabled() || w.goto_replay->isEnabled() ||
                                              w.write_mode->isEnabled() ? " unlocked" : " locked") +
                     (w.close() ? " closed" : " stays");
        });
        run_monitor(b, s);
        QCOMPARE(starting, QString("START... locked stays"));
        QCOMPARE(box(b.w()), QString(c.box));
        QCOMPARE(b.msgs().texts().join('|'), refused + (c.message.isEmpty() ? "" : "|" + c.message));
        QCOMPARE(b.sim().received(), OWN_FRAMES);  // the closing S read its own reply
      }
  }

  // Above 65,000 characters the box is emptied before any line; a frame
  // half received when STOP is clicked is completed and shown first.
  void bounded_box_and_stop_in_a_frame() {
    Bench b;
    Script& s = session(b);
    s.after(0, "fill and send half a frame", [&b] {
      b.w().cbox_reply_text->setPlainText(QString(tune_cmd::REPLY_BOX_LIMIT, 'x') + "\n");
      b.sim().send(STX + "A,V,12");
    });
    s.after(100, "stop", [&b] { b.w().cmd_monitor->click(); });
    s.after(20, "rest of the frame", [&b] { b.sim().send("34\r"); });
    run_monitor(b, s);
    QCOMPARE(box(b.w()), QString(" 1: <h|A,V,1234|r>\n"));
    QCOMPARE(b.msgs().texts(), QStringList{});
  }

  void a_port_that_cannot_be_opened_leaves_it_idle() {
    Bench b;
    const auto other = hold_port(1);
    b.w().cmd_monitor->click();
    QCOMPARE(b.msgs().texts(), QStringList(4, port_in_use_text(1)));  // S, status, M, the monitor's own
    VERIFY_ENDED(b.w());
  }

  // Commands meanwhile only send and their replies show as lines.
  void commands_meanwhile() {
    Bench b;
    Script& s = session(b);
    s.after(0, "cmd ?", [&b] { b.sim().received(), b.w().command_qm->click(); });
    s.when("its reply", [&b] { return box(b.w()).count('\n') == 1; }, [&b] {
      QVERIFY(!b.w().write_mode->isEnabled() && !b.w().goto_replay->isEnabled());
      QCOMPARE(ui::BACKCOLOR(b.w().cmd_monitor), colours::RED());
      b.w().read_info->click();
    });
    s.when("L reply", [&b] { return box(b.w()).count('\n') == 2; }, [&b] { b.w().cmd_monitor->click(); });
    run_monitor(b, s);
    QVERIFY2(box(b.w()).contains(QRegularExpression("^ 1: <h\\|A,\\?,\\d+,R\\|r>\n 2: <h\\|A,L,.*\\|r>\n$")),
             qPrintable(box(b.w())));
    QCOMPARE(b.msgs().texts(), QStringList{});
    QCOMPARE(b.sim().received(), frame('?') + frame('L') + frame('S'));
  }

  // Faults in the middle of a stream of status frames: told, and the frames
  // after them shown as before, or the monitor ends.
  void fault_in_a_stream() {
    const struct { const char* fault; const char* message; bool goes_on; } cases[] = {
        {"noise=8", "", true},
        {"bad-sep", "<Separator> invalid, received:;", true},
        {"short-field", "Separator invalid, received:R", true},
        {"wrong-term", "Terminator invalid, received ASC:10", true},
        {"wrong-header", "", false},
        {"hangup=5", "COM PORT # 1 LOST: the serial device hung up or was unplugged!", false}};
    for (const auto& c : cases) {
      Bench b;
      Script& s = session(b);
      int lines_at_fault = 0;
      bool running_after = false;
      s.after(0, "stream", [&b] { b.sim().control("stream status 30"); });
      s.when("two lines", [&b] { return box(b.w()).count('\n') >= 2; }, [&] {
        lines_at_fault = box(b.w()).count('\n');
        b.sim().fault(QString(c.fault) + " once");
      });
      s.after(600, "look", [&] {
        b.sim().control("stream off");
        if ((running_after = running(b.w()))) b.w().cmd_monitor->click();
      });
      run_monitor(b, s);
      QCOMPARE(b.msgs().texts().join('|'), QString(c.message));
      QCOMPARE(running_after, c.goes_on);
      if (c.goes_on) QVERIFY2(box(b.w()).count('\n') >= lines_at_fault + 3 && box(b.w()).endsWith(",R|r>\n"),
                              qPrintable(box(b.w())));
    }
  }
};

VELTA_TEST_MAIN(MonitorTest)
#include "test_monitor.moc"
