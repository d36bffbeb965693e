// The parameter set against the simulated controller: what a read "cmd L" shows and loads, how far a failing reply
// has been shown; the write "cmd W" on the wire, read back, its failures, a stop and edits while it waits.
#include <QSignalSpy>
#include <QTest>

#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "ui/colours.h"

using namespace tune_cmd;

namespace {
// The read-out boxes in the order the reply fills them, and what the simulator's own set shows in them.
const QStringList BOXES = QString("curr_pos cbox_status mode_msg read_lower_limit read_upper_limit read_inv_delay "
                                  "pwm_msg read_pwm_period read_pwm_max_duty read_ramp read_pwm_min_duty optimize_msg "
                                  "read_pres_delay offset_read mot_check_msg check_angle read_rot_timeout dipsw cal_fact")
                              .split(' ');
const QStringList OWN =
    QString("0° READY South-stop 0° 500° 3sec ON 49ms 100% 10° 50% ON 3sec 0° OFF 2° 5sec DISABLED 1234").split(' ');
// What a set that differs from the simulator's own in every box shows.
const QStringList OTHER =
    QString("200° BUSY North-stop 5° 400° 1sec OFF 33ms 50% 5° 10% OFF 1sec -70° ON 3° 3sec ENABLED 999").split(' ');
const QString QUESTION = "THIS COMMAND OVERWRITES THE CBOX SETTINGS!!! ARE YOU SURE?";

QStringList shown(velta& w) {
  QStringList out;
  for (const QString& name : BOXES) out << w.findChild<QLineEdit*>(name)->text();
  return out;
}

// The worked reply, every field given as raw text.
QStringList worked_example() {
  QStringList out;
  for (const QString& f : QString("00123 R 00001 00010 00350 00610 00001 00010 00010 00005 00002 00000 00305 65466 "
                                  "00001 00002 01830 00000 01234").split(' '))
    out << QString("raw %1 %2").arg(out.size() + 1).arg(f);
  return out;
}

// What the tool must have sent: S, W and the first `n` of `lines`.
QByteArray wire(int n, const QStringList& lines = DEFAULT_LINES) {
  QByteArray out = frame('S') + frame('W');
  for (int i = 0; i < n; ++i) out += lines[i].toLatin1() + '\r';
  return out;
}

void write(Bench& b) { b.msgs().answer(QMessageBox::Yes), click(b.w().write_mode); }
}  // namespace

class TestParameters : public QObject {
  Q_OBJECT
 private slots:
  // What a reply shows, as changes of the simulator's own set, and what the start-up's read then loads into the
  // entry controls (from the opposite stop option, so that every change is seen); a click never loads them.
  void boxes() {
    const struct { QStringList controls; const char* changed; const char* loaded; } cases[] = {
        {worked_example(), "curr_pos=123° read_lower_limit=10° read_upper_limit=350° read_inv_delay=1sec "
                           "read_pwm_period=33ms read_pwm_max_duty=50% read_ramp=5° read_pwm_min_duty=10% optimize_msg=OFF "
                           "read_pres_delay=1sec offset_read=-70° mot_check_msg=ON read_rot_timeout=3sec",
         "lower_limit=10 upper_limit=350 inv_delay=1 pwm_period=33 pwm_max_duty=50 ramp=5 pwm_min_duty=10 pres_delay=1 "
         "offset_write=-70 check_angle_write=2 rot_timeout=3 pwm_on=1 optimize=0 mot_check=1 north_stop=0 south_stop=1"},
        {{"fault busy for=L", "raw 1 -00005", "set pwm_on 2", "set optimize 0", "set mot_check 5"},  // only 0 is off
         "cbox_status=BUSY curr_pos=-5° optimize_msg=OFF mot_check_msg=ON", ""},
        // Beyond the 16-bit count: shown as invalid, the rest of the reply still read.
        {{"raw 14 70000", "set check_angle 7", "set pwm_a 0", "set pwm_b 0", "set pwm_c 7", "set pwm_on 0",
          "set stop_mode 2", "set dip 1"},
         "offset_read=invalid:70000 check_angle=7° read_pwm_period=???ms read_pwm_max_duty=???% "
         "read_pwm_min_duty=???% pwm_msg=OFF mode_msg=Absolute dipsw=ENABLED",
         "lower_limit=0 upper_limit=500 inv_delay=3 pwm_period=0 pwm_max_duty=??? ramp=10 pwm_min_duty=??? pres_delay=3 "
         "offset_write=??? check_angle_write=7 rot_timeout=5 pwm_on=0 optimize=1 mot_check=0 north_stop=0 south_stop=0"}};
    for (const auto& [controls, changed, loaded] : cases) {
      Bench b;
      b.apply(controls);
      const Entries entries = b.w().entries();
      click(b.w().read_info);
      QStringList expected = OWN;
      for (const QString& c : QString(changed).split(' ')) expected[BOXES.indexOf(c.section('=', 0, 0))] = c.section('=', 1);
      QCOMPARE(shown(b.w()), expected);
      const QColor dip = b.w().dipsw->text() == "ENABLED" ? colours::RED() : colours::SYS_WINDOW_TEXT();
      QVERIFY(ui::FORECOLOR(b.w().dipsw) == dip && ui::FORECOLOR(b.w().label_dipsw) == dip);
      QVERIFY(b.w().entries() == entries && b.sim().received() == frame('L'));
      VERIFY_ENDED(b.w());
      if (*loaded) b.w().north_stop->setChecked(true), start_up_read(b.w());
      QCOMPARE(b.msgs().texts(), QStringList{});
      QCOMPARE(b.w().entries(), *loaded ? entries_of(QString(loaded).split(' ')) : entries);
    }
  }

  // A reply failing at each position (fields start at 5, 11, 13, 19...): the boxes before it show the new set, the
  // rest the one before, which differs in every box (PWM period and duty show once the off-time's separator is in).
  void failures() {
    const QString sep = "Separator invalid, received:";
    std::vector<std::tuple<QString, QString, int>> cases = {
        {"fault replace=11:X", "cmd L, <data>(R or B) invalid, received:X", 1},
        {"raw 3 00003", "cmd L, <mode>(0, 1 or 2) invalid, received:3", 2},
        {"fault cut=10", sep, 1},
        {"fault cut=16", "GET_NUM05() Communication problems!", 2},  // inside field 3
        {"fault cut=51", "GET_NUM05NT() Communication timeout!", 7},  // inside field 9
        {"fault cut=114", "cmd L, Communication timeout on <return>", 19},
        {"fault replace=114:A", "<Return> invalid, received ASC:65", 19}};  // a bad terminator after all nineteen
    for (int k = 1; k <= 18; ++k)  // the separator after field k
      cases.emplace_back(QString("fault replace=%1:;").arg(k == 1 ? 10 : k == 2 ? 12 : 6 * k), sep + ";", k == 8 || k == 9 ? 7 : k);
    for (const auto& [control, message, written] : cases) {
      Bench b;
      b.setReplyPeriod(500);
      b.w().read_info_Click();  // a first read fills every box with the simulator's own set
      put_set(b.sim(), {0, 5, 400, 610, 0, 10, 10, 5, 2, 0, 610, -70, 1, 3, 1829});
      b.apply({"fault busy for=L", "set position 200", "set dip 1", "set calfactor 999", control});
      QSignalSpy complete(&b.w(), &velta::parameters_read);  // a read that failed is never taken for a whole one
      click(b.w().read_info);
      QCOMPARE(control + ": " + b.msgs().texts().join('|') + (complete.count() ? " (complete)" : ""),
               control + ": " + message);
      QCOMPARE(shown(b.w()), OTHER.mid(0, written) + OWN.mid(written));
      QCOMPARE(b.sim().received(), frame('L') + frame('L'));
      VERIFY_ENDED(b.w());
    }
  }

  // Written, then read back: 30 ticks are 49ms; the write changes no box but the one it reformats. Any set a
  // controller may hold, read at start-up and written back unedited, goes out whole: the guard never refuses it.
  void written_and_read_back() {
    Bench b({"--no-pacing"});
    b.apply({"set pwm_a 1", "set offset 9"});
    b.w().set_entries(defaults_with({"north_stop=1", "south_stop=0", "lower_limit=010", "upper_limit=350", "inv_delay= 2.5 ",
                                     "pwm_on=0", "pwm_max_duty=80", "pwm_min_duty=20", "ramp=5", "optimize=0",
                                     "offset_write=-05", "mot_check=1", "check_angle_write=-3.5", "rot_timeout=10"}));
    const QStringList placeholders = shown(b.w());
    write(b);
    QCOMPARE(b.msgs().texts() << b.w().inv_delay->text(), (QStringList{QUESTION, "2.5"}));
    QCOMPARE(b.sim().received(), wire(15, QString("0 010 350 1524 0 24 6 5 6 0 1829 -5 1 -4 6098").split(' ')));
    QCOMPARE(shown(b.w()), placeholders);
    VERIFY_ENDED(b.w());
    b.w().read_info_Click();
    QCOMPARE(shown(b.w()).mid(2, RECORD_VALUES).join(' '),
             QString("North-stop 10° 350° 2sec OFF 49ms 80% 5° 20% OFF 3sec -5° ON -4° 10sec"));
    std::mt19937 rng(11);
    for (int i = 2; i <= 200; ++i) {
      b.msgs().clear(), put_set(b.sim(), random_set(rng, false));
      start_up_read(b.w()), write(b);
      QCOMPARE(QString("set %1: %2").arg(i).arg(b.msgs().texts().join('|') + " " + b.sim().control("get sets")),
               QString("set %1: %2 %1").arg(i).arg(QUESTION));
    }
  }

  // The question, then each way the write ends: the messages, what reached the controller, whether it took the set.
  // The dialogue's faults beyond its reply frame's (the fault matrix has those); No, a port held elsewhere, garbage
  // in a box send nothing. While it waits, a stop goes out at once; a value read when it is sent carries an edit, a
  // box turned invalid stops the set; only the stops (and the commands no lock covers) are usable.
  void endings() {
    const QString tmo = "cmd W, Communication timeout on <return>", held = port_in_use_text(1);
    const QString ended = "cmd W ended: cmd G999 was sent while it waited for its reply. ";
    const QString offset = "Offset must be a whole number of degrees from -70 to 70, received:";
    const QStringList edited = QString("1 0 400 1829 1 30 0 10 15 1 1829 0 0 2 6098").split(' ');
    const struct { QString control; QStringList edits; QString messages; QByteArray sent; } cases[] = {
        {"write answer 7 E", {}, "Expected N as replay, received: E", wire(7)},
        {"write stop-after 5", {}, "Expected N as replay, received: ", wire(5)},
        {"fault silence", {}, "cmd S, Communication timeout on <header>|cmd W: communication timeout on <header>", wire(0)},
        {"fault replace=5:X for=W", {}, "<data> B or R invalid, received:X", wire(0)},
        {"fault cut=6 for=W", {}, tmo, wire(0)},
        {"fault replace=7:Q for=W", {}, "Expected N, received:Q", wire(0)},
        {"write answer 15 N", {}, "Terminator invalid, received ASC:78 - N", wire(15)},  // all fifteen taken
        {"write stop-after 15", {}, tmo, wire(15)},  // but never confirmed: no success told
        {"fault busy for=S", {}, "R not received:B", wire(15)},  // a failed S is told, the write goes on
        {"No", {}, "", ""},
        {"held", {}, held + "|" + held, ""},  // told once inside S, once for the write itself
        {"offset_write=5.5", {}, "cmd W not sent: " + offset + "5.5", ""},
        {"fault delay=3:800 for=S once", {"stop"}, ended + "Nothing was written to the CBOX.", frame('S') + frame('G', "999")},
        {"write delay 3 800", {"stop"}, ended + "The CBOX may hold the new set only in part: read it with cmd L.",
         wire(3) + frame('G', "999")},
        {"write delay 1 600", {"upper_limit=400", "rot_timeout=10", "pwm_period=20", "pwm_on=0"}, "", wire(15, edited)},
        {"write delay 1 600", {"offset_write=-"}, "cmd W stopped before value 2: " + offset + "-", wire(1, edited)}};
    for (const auto& c : cases) {
      Bench b;
      if (c.edits.isEmpty()) b.setReplyPeriod(500);
      const auto other = c.control == "held" ? hold_port(1) : nullptr;
      if (c.control.contains(' ')) b.apply({c.control});
      b.w().set_entries(defaults_with(c.control.contains(' ') ? QStringList{} : QStringList{c.control}));
      QStringList usable;
      if (!c.edits.isEmpty()) later(300, [&] {
        for (QPushButton* p : b.w().findChildren<QPushButton*>())
          if (p->isEnabled() && p->parentWidget() != b.w().Frame2 && p != b.w().set_default) usable << p->objectName();
        if (c.edits[0] == "stop") click(b.w().fast_stop);
        else b.w().set_entries(entries_of(c.edits));
      });
      b.msgs().answer(c.control == "No" ? QMessageBox::No : QMessageBox::Yes);
      click(b.w().write_mode);
      const ui::MsgBoxRequest& box = b.msgs().boxes().front();
      QVERIFY(box.text == QUESTION && box.title == "WRITE PARAMETERS COMMAND" && box.default_button == QMessageBox::No &&
              box.buttons == (QMessageBox::Yes | QMessageBox::No) && box.icon == QMessageBox::Critical);
      const QString stops = c.edits.isEmpty() ? "" : "calib command_c command_qm command_v fast_stop soft_stop";
      usable.sort();
      QCOMPARE(c.control + ": " + b.msgs().texts().mid(1).join('|') + " | " + usable.join(' '),
               c.control + ": " + c.messages + " | " + stops);
      QCOMPARE(b.sim().received(), c.sent);
      QCOMPARE(b.sim().control("get sets"), QString(c.sent.count('\r') == 17 ? "1" : "0"));
      VERIFY_ENDED(b.w());
    }
  }
};

VELTA_TEST_MAIN(TestParameters)
#include "test_parameters.moc"
