// The communication monitor at the bench: frames the controller sends show
// as numbered lines, status frames also in fast_pos and fast_status, every
// way the monitor ends gives the window back, and commands clicked meanwhile
// only send their frame.
#include <QTest>

#include "app/myVar.h"
#include "monitor/locking.h"
#include "monitor/reply_box.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "tests/harness/script.h"
#include "ui/calibration.h"
#include "ui/colours.h"

namespace {
const QByteArray STX("\x02");

bool running(velta& w) { return w.cmd_monitor->text() == QLatin1String("STOP"); }

// The monitor's lines in the reply box.
QStringList lines(velta& w) {
  QStringList out = w.cbox_reply_text->toPlainText().split('\n');
  if (!out.isEmpty() && out.last().isEmpty()) out.removeLast();
  return out;
}

// Starts the monitor with `script` as the technician's part; returns when the
// monitor has ended. A script that stalls stops the monitor itself.
void run_monitor(Bench& b, Script& script) {
  script.start();
  b.w().cmd_monitor->click();
}

Script& session(Bench& b) {
  auto* s = new Script([&b] {
    if (running(b.w())) b.w().cmd_monitor->click();
  }, &b.w());
  s->when("monitor running", [&b] { return running(b.w()); }, [] {});
  return *s;
}

void click_stop(Bench& b) { b.w().cmd_monitor->click(); }

// The window as every end of the monitor must leave it.
void expect_idle(velta& w) {
  QCOMPARE(w.cmd_monitor->text(), QStringLiteral("START..."));
  QVERIFY(w.cmd_monitor->isEnabled());
  QVERIFY(w.goto_replay->isEnabled());
  for (QPushButton* b : {w.write_mode, w.read_info, w.execute, w.fast_stop, w.soft_stop, w.command_s})
    QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));
  QVERIFY(!tune_cmd::MSComm1()->portOpen());
  QVERIFY(!w.Timer1->isActive());
}

// Frames of the monitor's own start (S, status, M) and end (S).
const QByteArray START_FRAMES = frame('S') + frame('?') + frame('M');
}  // namespace

class MonitorTest : public QObject {
  Q_OBJECT
 private slots:
  // --- what a frame looks like in the box -------------------------------
  void frames_show_as_numbered_lines() {
    Bench b;
    Script& s = session(b);
    s.after(0, "send", [&b] {
      b.sim().send("xyz" + STX + "A,?,045,R\r");  // noise before STX never shows
      b.sim().send(STX + "A,V, 1.2 3\r");          // blanks leave no trace
      b.sim().send(STX + "A,?,000,B\r");
    });
    s.when("three lines", [&b] { return lines(b.w()).size() == 3; }, [&b] { click_stop(b); });
    // While its opening exchanges run, the monitor's own button, the go-to
    // reply and the write are locked and the caption still reads idle.
    QString starting;
    later(0, [&] {
      velta& w = b.w();
      starting = w.cmd_monitor->text() + (w.cmd_monitor->isEnabled() ? " on" : " off") +
                 (w.goto_replay->isEnabled() ? " on" : " off") + (w.write_mode->isEnabled() ? " on" : " off");
    });
    run_monitor(b, s);
    QCOMPARE(starting, QStringLiteral("START... off off off"));
    QCOMPARE(s.failed(), QString());
    QCOMPARE(lines(b.w()),
             (QStringList{" 1: <h|A,?,45,R|r>", " 2: <h|A,V,1.23|r>", " 3: <h|A,?,0,B|r>"}));
    QCOMPARE(b.w().fast_pos->text(), QStringLiteral("0°"));
    QCOMPARE(b.w().fast_status->text(), QStringLiteral("BUSY"));
    QCOMPARE(ui::BACKCOLOR(b.w().fast_status), ui::RED());
    QCOMPARE(b.msgs().texts(), QStringList{});
    QCOMPARE(b.sim().received(), START_FRAMES + frame('S'));
    expect_idle(b.w());
  }

  void every_run_numbers_from_one() {
    Bench b;
    for (int run = 0; run < 2; ++run) {
      Script& s = session(b);
      s.after(0, "stream", [&b] { b.sim().control("stream status 20"); });
      s.when("four lines", [&b] { return lines(b.w()).size() >= 4; },
             [&b] { b.sim().control("stream off"); click_stop(b); });
      b.w().clr_reply_Click();
      run_monitor(b, s);
      QCOMPARE(s.failed(), QString());
      const QStringList got = lines(b.w());
      for (int i = 0; i < got.size(); ++i)
        QVERIFY2(got[i].startsWith(QStringLiteral(" %1: <h|A,?,").arg(i + 1)), qPrintable(got[i]));
      expect_idle(b.w());
      QTest::qWait(50);  // the stream's last frame drains
      b.sim().received();
    }
    QCOMPARE(b.msgs().texts(), QStringList{});
  }

  void status_separator_fault_is_told_and_the_monitor_goes_on() {
    Bench b;
    Script& s = session(b);
    s.after(0, "send", [&b] { b.sim().send(STX + "A,?;045,R\r"); });
    s.when("faulty line", [&b] { return lines(b.w()).size() == 1; },
           [&b] { b.sim().send(STX + "A,?,090,R\r"); });
    s.when("next line", [&b] { return lines(b.w()).size() == 2; }, [&b] { click_stop(b); });
    run_monitor(b, s);
    QCOMPARE(s.failed(), QString());
    QCOMPARE(b.msgs().texts(), QStringList{"<Separator> invalid, received:;"});
    QCOMPARE(lines(b.w()), (QStringList{" 1: <h|A,?;", " 2: <h|A,?,90,R|r>"}));
    QCOMPARE(b.w().fast_pos->text(), QStringLiteral("90°"));
  }

  void frame_cut_short_does_not_cost_the_next_one() {
    Bench b;
    b.setReplyPeriod(200);
    Script& s = session(b);
    s.after(0, "half a frame", [&b] { b.sim().send(STX + "A,V,12"); });
    s.after(500, "next frame", [&b] { b.sim().send(STX + "A,V,34\r"); });
    s.when("its line", [&b] { return lines(b.w()).size() == 1; }, [&b] { click_stop(b); });
    run_monitor(b, s);
    QCOMPARE(s.failed(), QString());
    QCOMPARE(lines(b.w()), QStringList{" 2: <h|A,V,34|r>"});
    QCOMPARE(b.msgs().texts(), QStringList{});
  }

  // --- the box stays bounded --------------------------------------------
  void box_is_emptied_above_its_bound_before_any_line() {
    for (const QByteArray& reply : {STX + "A,?,045,R\r", STX + "A,V,1.0\r"}) {
      Bench b;
      Script& s = session(b);
      s.after(0, "fill and send", [&b, reply] {
        b.w().cbox_reply_text->setPlainText(QString(tune_cmd::REPLY_BOX_LIMIT + 1, 'x'));
        b.sim().send(reply);
      });
      s.when("line", [&b] { return b.w().cbox_reply_text->toPlainText().startsWith(" 1:"); },
             [&b] {
               // At the bound exactly the box keeps what it holds.
               b.w().cbox_reply_text->setPlainText(QString(tune_cmd::REPLY_BOX_LIMIT - 2, 'y') + "\n");
               b.sim().send(STX + "A,V,2\r");
             });
      s.when("second line", [&b] { return b.w().cbox_reply_text->toPlainText().endsWith("|r>\n"); },
             [&b] { click_stop(b); });
      run_monitor(b, s);
      QCOMPARE(s.failed(), QString());
      const QStringList got = lines(b.w());
      QCOMPARE(got.size(), 2);
      QCOMPARE(got[1], QStringLiteral(" 2: <h|A,V,2|r>"));
      QCOMPARE(tune_cmd::REPLY_TEXT_LENGTH(), qint64(tune_cmd::REPLY_BOX_LIMIT - 2 + 2 + got[1].size() + 2));
    }
  }

  // --- every way the monitor ends ---------------------------------------
  void bad_header_ends_the_monitor_with_the_rest_of_its_frame() {
    Bench b;
    Script& s = session(b);
    s.after(0, "bad frame", [&b] { b.sim().send(STX + "XA,V,9\r"); });
    run_monitor(b, s);
    QCOMPARE(s.failed(), QString());
    QCOMPARE(lines(b.w()), QStringList{" 1: <h|A,V,9|r>"});
    QCOMPARE(b.msgs().texts(), QStringList{});
    // The closing S is a full exchange: its reply was read and checked.
    QCOMPARE(b.sim().received(), START_FRAMES + frame('S'));
    expect_idle(b.w());
  }

  void stop_in_the_middle_of_a_frame_completes_it() {
    Bench b;
    Script& s = session(b);
    s.after(0, "half a frame", [&b] { b.sim().send(STX + "A,V,12"); });
    s.after(100, "stop", [&b] { click_stop(b); });
    s.after(20, "rest of the frame", [&b] { b.sim().send("34\r"); });
    run_monitor(b, s);
    QCOMPARE(s.failed(), QString());
    QCOMPARE(lines(b.w()), QStringList{" 1: <h|A,V,1234|r>"});
    QCOMPARE(b.msgs().texts(), QStringList{});
    QCOMPARE(b.sim().received(), START_FRAMES + frame('S'));
    expect_idle(b.w());
  }

  void status_terminator_that_never_comes_ends_the_monitor() {
    Bench b;
    b.setReplyPeriod(200);
    Script& s = session(b);
    s.after(0, "frame without CR", [&b] { b.sim().send(STX + "A,?,045,R"); });
    run_monitor(b, s);
    QCOMPARE(s.failed(), QString());
    QCOMPARE(b.msgs().texts(), QStringList{"COMMUNICATION MONITOR, Communication timeout on <return>"});
    QCOMPARE(lines(b.w()), QStringList{" 1: <h|A,?,45,R"});
    expect_idle(b.w());
  }

  void port_that_cannot_be_opened_leaves_the_monitor_idle() {
    Bench b;
    myVar::com_port_number = 300;  // no such port
    QVERIFY(!b.configurePort());
    b.msgs().clear();
    b.w().cmd_monitor->click();
    const QString e = QStringLiteral("ERROR OPENING COM PORT # 300");
    QCOMPARE(b.msgs().texts(), (QStringList{e, e, e, e}));
    expect_idle(b.w());
  }

  void device_vanishing_ends_the_monitor_with_one_message() {
    Bench b;
    Script& s = session(b);
    s.after(0, "status stream", [&b] { b.sim().control("stream status 20"); });
    s.when("a line", [&b] { return lines(b.w()).size() >= 2; }, [&b] { b.sim().control("hangup"); });
    run_monitor(b, s);
    QCOMPARE(s.failed(), QString());
    QCOMPARE(b.msgs().texts(),
             QStringList{"COM PORT # 1 LOST: the serial device hung up or was unplugged!"});
    expect_idle(b.w());
  }

  // --- the window while the monitor runs --------------------------------
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
      QVERIFY(calibration_form());
      QVERIFY(!b.w().close());
      click_stop(b);
    });
    run_monitor(b, s);
    QCOMPARE(s.failed(), QString());
    const QStringList got = lines(b.w());
    QVERIFY2(got[0].startsWith(" 1: <h|A,?,") && got[0].endsWith("|r>"), qPrintable(got[0]));
    QVERIFY2(got[1].startsWith(" 2: <h|A,L,") && got[1].endsWith("|r>"), qPrintable(got[1]));
    QTRY_COMPARE(calibration_form(), nullptr);
    QCOMPARE(b.msgs().texts(), QStringList{"Please STOP the COMMUNICATION MONITOR before to exit."});
    QCOMPARE(b.sim().received(), frame('?') + frame('L') + frame('S'));
    expect_idle(b.w());
  }

  // --- faults in the middle of a stream of status frames ------------------
  void fault_in_a_stream_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("goes_on");  // the monitor keeps running after it
    QTest::newRow("noise before STX is skipped") << "noise=8" << QStringList{} << true;
    QTest::newRow("bad separator") << "bad-sep" << QStringList{"<Separator> invalid, received:;"} << true;
    QTest::newRow("short position field") << "short-field" << QStringList{"Separator invalid, received:R"} << true;
    QTest::newRow("wrong terminator") << "wrong-term" << QStringList{"Terminator invalid, received ASC:10"} << true;
    QTest::newRow("wrong header ends the monitor") << "wrong-header" << QStringList{} << false;
    QTest::newRow("hang-up ends the monitor")
        << "hangup=5" << QStringList{"COM PORT # 1 LOST: the serial device hung up or was unplugged!"} << false;
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
    QCOMPARE(s.failed(), QString());
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
