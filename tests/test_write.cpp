// The parameter write "cmd W" against the simulated controller: the value
// lines on the wire and read back, the dialogue's failures, what is never
// sent, a stop and edits while it waits, and the write-back of any set a
// controller may hold.
#include <QTest>

#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"

using namespace tune_cmd;

namespace {
const QString QUESTION = "THIS COMMAND OVERWRITES THE CBOX SETTINGS!!! ARE YOU SURE?";
const QStringList DEFAULT_LINES = QString("1 0 500 1829 1 30 0 10 15 1 1829 0 0 2 3049").split(' ');

// What the tool must have sent: S, W and the first `n` of `lines`.
QByteArray wire(const QStringList& lines, int n) {
  QByteArray out = frame('S') + frame('W');
  for (int i = 0; i < n; ++i) out += lines[i].toLatin1() + '\r';
  return out;
}

void load_defaults(Bench& b) {
  b.msgs().answer(QMessageBox::Yes);
  b.w().set_default_Click();
  b.msgs().clear();
}

void write(Bench& b) {
  b.msgs().answer(QMessageBox::Yes);
  click(b.w().write_mode);
}

QStringList read_out(velta& w) {
  QStringList out;
  for (const Parameter& p : RECORD()) out << w.findChild<QLineEdit*>(p.read_out)->text();
  return out;
}
}  // namespace

class TestWrite : public QObject {
  Q_OBJECT
 private slots:
  // Written, then read back: the tick conversion loses the period's last
  // millisecond (30 ticks are 49ms); nothing is read back by the write itself.
  void written_and_read_back() {
    const struct { QStringList edits; const char* lines; const char* shown; } cases[] = {
        {{"inv_delay=  3 "}, "1 0 500 1829 1 30 0 10 15 1 1829 0 0 2 3049",
         "South-stop 0° 500° 3sec ON 49ms 100% 10° 50% ON 3sec 0° OFF 2° 5sec"},
        {{"north_stop=1", "lower_limit=010", "upper_limit=350", "inv_delay=2.5", "pwm_on=0", "pwm_period=20",
          "pwm_max_duty=80", "pwm_min_duty=20", "ramp=5", "optimize=0", "offset_write=-05", "mot_check=1",
          "check_angle_write=-3.5", "rot_timeout=10"},
         "0 010 350 1524 0 10 2 5 2 0 1829 -5 1 -4 6098",
         "North-stop 10° 350° 2sec OFF 20ms 83.3333333333333% 5° 17% OFF 3sec -5° ON -4° 10sec"}};
    for (const auto& c : cases) {
      Bench b;
      b.apply({"set pwm_a 1", "set offset 9"});
      load_defaults(b);
      b.w().set_entries(entries_of(c.edits));
      const QStringList placeholders = read_out(b.w());
      write(b);
      QCOMPARE(b.msgs().texts(), QStringList{QUESTION});
      QCOMPARE(b.sim().received(), wire(QString(c.lines).split(' '), 15));
      QCOMPARE(b.w().inv_delay->text(), b.w().inv_delay->text().trimmed());  // the one text the write changes
      QCOMPARE(read_out(b.w()), placeholders);
      VERIFY_ENDED(b.w());
      b.w().read_info_Click();
      QCOMPARE(read_out(b.w()).join(' '), QString(c.shown));
    }
  }

  // The dialogue's faults beyond its reply frame's (the fault matrix has those):
  // the messages, the value lines sent, whether the controller took the set.
  void dialogue_failures() {
    const QString tmo = "cmd W, Communication timeout on <return>";
    const struct { const char* control; QString messages; int sent; bool stored; } cases[] = {
        {"write answer 7 E", "Expected N as replay, received: E", 7, false},
        {"write stop-after 5", "Expected N as replay, received: ", 5, false},
        {"fault silence", "cmd S, Communication timeout on <header>|cmd W: communication timeout on <header>", 0, false},
        {"fault replace=5:X for=W", "<data> B or R invalid, received:X", 0, false},
        {"fault cut=6 for=W", tmo, 0, false},
        {"fault replace=7:Q for=W", "Expected N, received:Q", 0, false},
        {"write answer 15 N", "Terminator invalid, received ASC:78 - N", 15, true},
        {"write stop-after 15", tmo, 15, true},  // took all fifteen but never confirmed: no success told
        {"fault busy for=S", "R not received:B", 15, true}};  // a failed S is told, the write goes on
    for (const auto& c : cases) {
      Bench b;
      b.setReplyPeriod(500);
      b.apply({c.control});
      load_defaults(b);
      write(b);
      QCOMPARE(b.msgs().texts().join('|'), QUESTION + "|" + c.messages);
      QCOMPARE(b.sim().received(), wire(DEFAULT_LINES, c.sent));
      QCOMPARE(b.sim().control("get sets"), QString(c.stored ? "1" : "0"));
      VERIFY_ENDED(b.w());
    }
  }

  // No, a port held elsewhere, garbage in a box (a running monitor still
  // gets its own refusal first): nothing reaches the controller.
  void nothing_sent() {
    Bench b;
    load_defaults(b);
    b.w().write_mode_Click();  // answered No
    const ui::MsgBoxRequest& box = b.msgs().boxes().front();
    QVERIFY(box.text == QUESTION && box.title == "WRITE PARAMETERS COMMAND" && box.default_button == QMessageBox::No &&
            box.buttons == (QMessageBox::Yes | QMessageBox::No) && box.icon == QMessageBox::Critical);
    {
      const auto other = hold_port(1);
      write(b);  // told once inside S, once for the write itself
      QCOMPARE(b.msgs().texts().mid(1), (QStringList{QUESTION, port_in_use_text(1), port_in_use_text(1)}));
    }
    b.w().set_entries({{"offset_write", "5.5"}});
    write(b);
    QCOMPARE(b.msgs().texts().last(),
             QString("cmd W not sent: Offset must be a whole number of degrees from -70 to 70, received:5.5"));
    VERIFY_ENDED(b.w());
    QCOMPARE(sent_with_monitor_running(b, [&b] { write(b); }), QByteArray());
    QCOMPARE(b.msgs().texts().last(), QString("Monitor is ACTIVE, cmd W not allowed!"));
    QCOMPARE(b.sim().received(), QByteArray());
  }

  // A stop goes out at once while the write waits; the write ends saying
  // what it left in the controller.
  void a_stop_while_the_write_waits() {
    const struct { const char* control; int sent; const char* left; } cases[] = {
        {"fault delay=3:800 for=S once", -1, "Nothing was written to the CBOX."},
        {"write delay 3 800", 3, "The CBOX may hold the new set only in part: read it with cmd L."}};
    for (const auto& c : cases) {
      Bench b;
      load_defaults(b);
      b.apply({c.control});
      later(300, [&] { click(b.w().fast_stop); });
      write(b);
      QCOMPARE(b.msgs().texts().last(), "cmd W ended: cmd G999 was sent while it waited for its reply. " + QString(c.left));
      QCOMPARE(b.sim().received(), (c.sent < 0 ? frame('S') : wire(DEFAULT_LINES, c.sent)) + frame('G', "999"));
      QCOMPARE(b.sim().control("get sets"), QString("0"));
      VERIFY_ENDED(b.w());
    }
  }

  // The boxes stay editable while the write waits: a value read when it is
  // sent carries the edit, one taken before the frame does not, a box turned
  // invalid stops the set before its value goes out. Only the stops (and the
  // commands no lock covers) are usable meanwhile.
  void edits_while_the_write_waits() {
    const struct { QStringList edits; QString message; int sent; } cases[] = {
        {{"upper_limit=400", "rot_timeout=10", "pwm_period=20", "pwm_on=0"}, "", 15},
        {{"offset_write=-"}, "cmd W stopped before value 2: Offset must be a whole number of degrees from -70 to 70, received:-", 1}};
    for (const auto& c : cases) {
      Bench b;
      load_defaults(b);
      b.apply({"write delay 1 600"});  // the prompt after value 1 comes late
      QStringList usable;
      later(300, [&] {
        for (QPushButton* p : b.w().findChildren<QPushButton*>())
          if (p->isEnabled() && p->parentWidget() != b.w().Frame2 && p != b.w().set_default) usable << p->objectName();
        b.w().set_entries(entries_of(c.edits));
      });
      write(b);
      QCOMPARE(b.msgs().texts().last(), c.message.isEmpty() ? QUESTION : c.message);
      QStringList lines = DEFAULT_LINES;
      if (c.sent == 15) lines[2] = "400", lines[14] = "6098";
      QCOMPARE(b.sim().received(), wire(lines, c.sent));
      usable.sort();
      QCOMPARE(usable.join(' '), QString("calib command_c command_qm command_v fast_stop soft_stop"));
      VERIFY_ENDED(b.w());
    }
  }

  // Any set a controller may hold, read at start-up and written back with no
  // edit, goes out with no message as the record's conversions give it from
  // the boxes the read filled.
  void a_read_set_is_written_back() {
    Bench b({"--no-pacing"});
    std::mt19937 rng(11);
    for (int i = 0; i < 200; ++i) {
      put_set(b.sim(), random_set(rng, false));
      start_up_read(b.w());
      b.sim().received();
      QStringList lines;
      for (int n = 1; n <= RECORD_VALUES; ++n) lines << WIRE_VALUE(b.w().entries(), n);
      write(b);
      QVERIFY2(b.msgs().texts() == QStringList{QUESTION} && b.sim().received() == wire(lines, 15),
               qPrintable(QString("set %1: %2").arg(i).arg(b.msgs().texts().join('|'))));
      b.msgs().clear();
    }
  }
};

VELTA_TEST_MAIN(TestWrite)
#include "test_write.moc"
