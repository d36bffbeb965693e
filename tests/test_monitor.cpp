// The communication monitor at the bench: frames the controller sends show
// as numbered lines, status frames also in fast_pos and fast_status, every
// way the monitor ends gives the window back, and commands clicked meanwhile
// only send their frame.
#include <QTest>

#include "monitor/reply_box.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "tests/harness/script.h"
#include "ui/calibration.h"
#include "ui/colours.h"

namespace {
const QByteArray STX("\x02");
const QString LOST = "COM PORT # 1 LOST: the serial device hung up or was unplugged!";

bool running(velta& w) { return w.cmd_monitor->text() == QLatin1String("STOP"); }

QStringList lines(velta& w) {
  QStringList out = w.cbox_reply_text->toPlainText().split('\n');
  if (!out.isEmpty() && out.last().isEmpty()) out.removeLast();
  return out;
}

// The technician's part while the monitor runs; a script that stalls stops
// the monitor itself.
Script& session(Bench& b) {
  auto* s = new Script([&b] {
    if (running(b.w())) b.w().cmd_monitor->click();
  }, &b.w());
  s->when("monitor running", [&b] { return running(b.w()); }, [] {});
  return *s;
}

// Starts the monitor with `script`; returns when the monitor has ended.
void run_monitor(Bench& b, Script& script) {
  script.start();
  b.w().cmd_monitor->click();
  QCOMPARE(script.failed(), QString());
}

void click_stop(Bench& b) { b.w().cmd_monitor->click(); }

// The window as every end of the monitor must leave it.
void expect_idle(velta& w) {
  QCOMPARE(w.cmd_monitor->text(), QStringLiteral("START..."));
  QVERIFY(w.goto_replay->isEnabled());
  VERIFY_ENDED(w);
}

// Frames of the monitor's own start (S, status, M) and end (S).
const QByteArray START_FRAMES = frame('S') + frame('?') + frame('M');
}  // namespace

class MonitorTest : public QObject {
  Q_OBJECT
 private slots:
  // Frames sent one after another, 300 ms apart (the reply period is 200 ms).
  void frames_data() {
    QTest::addColumn<QList<QByteArray>>("frames");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("ends");  // the monitor ends by itself
    QTest::newRow("status, raw, busy; noise and blanks leave no trace")
        << QList<QByteArray>{"xyz" + STX + "A,?,045,R\r" + STX + "A,V, 1.2 3\r" + STX + "A,?,000,B\r"}
        << " 1: <h|A,?,45,R|r>\n 2: <h|A,V,1.23|r>\n 3: <h|A,?,0,B|r>\n" << QStringList{} << false;
    QTest::newRow("a line feed in a frame stays in its line")
        << QList<QByteArray>{STX + "A,V,1\n2\r"} << " 1: <h|A,V,1\n2|r>\n" << QStringList{} << false;
    QTest::newRow("a status separator fault is told, the monitor goes on")
        << QList<QByteArray>{STX + "A,?;045,R\r" + STX + "A,?,090,R\r"} << " 1: <h|A,?;\n 2: <h|A,?,90,R|r>\n"
        << QStringList{"<Separator> invalid, received:;"} << false;
    QTest::newRow("a frame cut short does not cost the next one")
        << QList<QByteArray>{STX + "A,V,12", STX + "A,V,34\r"} << " 2: <h|A,V,34|r>\n" << QStringList{} << false;
    QTest::newRow("a bad header ends the monitor with the rest of its frame")
        << QList<QByteArray>{STX + "XA,V,9\r"} << " 1: <h|A,V,9|r>\n" << QStringList{} << true;
    QTest::newRow("a status terminator that never comes ends it")
        << QList<QByteArray>{STX + "A,?,045,R"} << " 1: <h|A,?,45,R\n"
        << QStringList{"COMMUNICATION MONITOR, Communication timeout on <return>"} << true;
  }
  void frames() {
    QFETCH(QList<QByteArray>, frames);
    QFETCH(QString, box);
    QFETCH(QStringList, messages);
    QFETCH(bool, ends);
    Bench b;
    b.setReplyPeriod(200);
    for (int run = 0; run < 2; ++run) {  // every run numbers from 1
      b.w().clr_reply_Click();
      Script& s = session(b);
      for (const QByteArray& f : frames) s.after(300, "send", [&b, f] { b.sim().send(f); });
      if (!ends) s.after(300, "stop", [&b] { click_stop(b); });
      // While its opening exchanges run, the monitor's own button, the go-to
      // reply and the write are locked, the caption still reads idle, and
      // closing the window is refused as while it runs.
      QString starting;
      later(0, [&] {
        velta& w = b.w();
        starting = w.cmd_monitor->text() + (w.cmd_monitor->isEnabled() ? " on" : " off") +
                   (w.goto_replay->isEnabled() ? " on" : " off") + (w.write_mode->isEnabled() ? " on" : " off") +
                   (w.close() ? " closed" : " stays");
      });
      b.msgs().clear();
      run_monitor(b, s);
      QCOMPARE(starting, QStringLiteral("START... off off off stays"));
      QCOMPARE(b.w().cbox_reply_text->toPlainText(), box);
      QCOMPARE(b.msgs().texts(), QStringList{"Please STOP the COMMUNICATION MONITOR before to exit."} + messages);
      QCOMPARE(b.sim().received(), START_FRAMES + frame('S'));  // the closing S read its own reply
      expect_idle(b.w());
    }
    if (box.contains(",0,B|")) QCOMPARE(b.w().fast_pos->text() + ui::BACKCOLOR(b.w().fast_status).name(), "0°#ff0000");
  }

  // Above 65,000 characters the box is emptied before any line, so that a
  // stream of other frames cannot grow it without bound either.
  void the_box_stays_bounded() {
    for (const QByteArray& reply : {STX + "A,?,045,R\r", STX + "A,V,1.0\r"}) {
      Bench b;
      Script& s = session(b);
      s.after(0, "fill and send", [&b, reply] {
        b.w().cbox_reply_text->setPlainText(QString(tune_cmd::REPLY_BOX_LIMIT, 'x') + "\n");
        b.sim().send(reply);
      });
      s.when("line", [&b] { return lines(b.w()).last().endsWith("|r>"); }, [&b] { click_stop(b); });
      run_monitor(b, s);
      QCOMPARE(lines(b.w()), QStringList{reply.contains('?') ? " 1: <h|A,?,45,R|r>" : " 1: <h|A,V,1.0|r>"});
    }
  }

  void stop_in_the_middle_of_a_frame_completes_it() {
    Bench b;
    Script& s = session(b);
    s.after(0, "half a frame", [&b] { b.sim().send(STX + "A,V,12"); });
    s.after(100, "stop", [&b] { click_stop(b); });
    s.after(20, "rest of the frame", [&b] { b.sim().send("34\r"); });
    run_monitor(b, s);
    QCOMPARE(lines(b.w()), QStringList{" 1: <h|A,V,1234|r>"});
    QCOMPARE(b.msgs().texts(), QStringList{});
    QCOMPARE(b.sim().received(), START_FRAMES + frame('S'));
    expect_idle(b.w());
  }

  void a_port_that_cannot_be_opened_leaves_the_monitor_idle() {
    Bench b;
    const auto other = hold_port(1);
    b.w().cmd_monitor->click();
    QCOMPARE(b.msgs().texts(), QStringList(4, port_in_use_text(1)));  // S, status, M, the monitor's own
    expect_idle(b.w());
  }

  void commands_meanwhile_only_send_and_show_as_lines() {
    Bench b;
    Script& s = session(b);
    s.after(0, "cmd ?", [&b] {
      b.sim().received();
      b.w().command_qm->click();
    });
    s.when("its reply", [&b] { return lines(b.w()).size() == 1; }, [&b] {
      QVERIFY(!b.w().write_mode->isEnabled());
      QVERIFY(!b.w().goto_replay->isEnabled());
      QCOMPARE(ui::BACKCOLOR(b.w().cmd_monitor), ui::RED());
      b.w().calib_Click();
      b.w().read_info->click();
    });
    s.when("L reply", [&b] { return lines(b.w()).size() == 2; }, [&b] {
      // Closing is refused while the monitor runs; the calibration window
      // closes all the same.
      QVERIFY(!b.w().close());
      click_stop(b);
    });
    run_monitor(b, s);
    const QStringList got = lines(b.w());
    QVERIFY2(got[0].startsWith(" 1: <h|A,?,") && got[0].endsWith("|r>"), qPrintable(got[0]));
    QVERIFY2(got[1].startsWith(" 2: <h|A,L,") && got[1].endsWith("|r>"), qPrintable(got[1]));
    QTRY_COMPARE(calibration_form(), nullptr);
    QCOMPARE(b.msgs().texts(), QStringList{"Please STOP the COMMUNICATION MONITOR before to exit."});
    QCOMPARE(b.sim().received(), frame('?') + frame('L') + frame('S'));
    expect_idle(b.w());
  }

  // Faults in the middle of a stream of status frames.
  void fault_in_a_stream_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("goes_on");  // the monitor keeps running after it
    QTest::newRow("noise before STX is skipped") << "noise=8" << QStringList{} << true;
    QTest::newRow("bad separator") << "bad-sep" << QStringList{"<Separator> invalid, received:;"} << true;
    QTest::newRow("short position field") << "short-field" << QStringList{"Separator invalid, received:R"} << true;
    QTest::newRow("wrong terminator") << "wrong-term" << QStringList{"Terminator invalid, received ASC:10"} << true;
    QTest::newRow("wrong header ends the monitor") << "wrong-header" << QStringList{} << false;
    QTest::newRow("hang-up ends the monitor") << "hangup=5" << QStringList{LOST} << false;
  }
  void fault_in_a_stream() {
    QFETCH(QString, fault);
    QFETCH(QStringList, messages);
    QFETCH(bool, goes_on);
    Bench b;
    Script& s = session(b);
    int lines_at_fault = 0;
    bool running_after = false;
    s.after(0, "stream", [&b] { b.sim().control("stream status 30"); });
    s.when("two lines", [&b] { return lines(b.w()).size() >= 2; }, [&] {
      lines_at_fault = lines(b.w()).size();
      b.sim().fault(fault + " once");
    });
    s.after(600, "look", [&] {
      running_after = running(b.w());
      b.sim().control("stream off");
      if (running_after) click_stop(b);
    });
    run_monitor(b, s);
    QCOMPARE(b.msgs().texts(), messages);
    QCOMPARE(running_after, goes_on);
    if (goes_on) {
      // Frames after the faulty one are shown as before.
      const QStringList got = lines(b.w());
      QVERIFY2(got.size() >= lines_at_fault + 3, qPrintable(got.join(" / ")));
      QVERIFY2(got.last().endsWith(",R|r>"), qPrintable(got.last()));
    }
    expect_idle(b.w());
  }
};

VELTA_TEST_MAIN(MonitorTest)
#include "test_monitor.moc"
