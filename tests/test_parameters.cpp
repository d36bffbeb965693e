// The parameter set against the simulated controller: what a read "cmd L"
// shows and loads, how far a reply failing anywhere has been shown; the
// write "cmd W" on the wire and read back, its dialogue's failures, what is
// never sent, a stop and edits while it waits, any read set written back.
#include <QSignalSpy>
#include <QTest>

#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "ui/colours.h"

using namespace tune_cmd;

namespace {
// The read-out boxes in the order the reply fills them, and what the
// simulator's own set shows in them.
const QStringList BOXES = QString("curr_pos cbox_status mode_msg read_lower_limit read_upper_limit read_inv_delay "
                                  "pwm_msg read_pwm_period read_pwm_max_duty read_ramp read_pwm_min_duty optimize_msg "
                                  "read_pres_delay offset_read mot_check_msg check_angle read_rot_timeout dipsw cal_fact")
                              .split(' ');
const QStringList OWN =
    QString("0° READY South-stop 0° 500° 3sec ON 49ms 100% 10° 50% ON 3sec 0° OFF 2° 5sec DISABLED 1234").split(' ');
// A set that differs from the simulator's own in every box, and what it shows.
const QStringList OTHER_SET = QString("position 200,stop_mode 0,lower_limit 5,upper_limit 400,inv_delay 610,pwm_on 0,"
                                      "pwm_a 10,pwm_b 10,ramp 5,pwm_c 2,optimize 0,pres_delay 610,offset -70,"
                                      "mot_check 1,check_angle 3,rot_timeout 1829,dip 1,calfactor 999")
                                  .replace(",", ",set ").prepend("fault busy for=L,set ").split(',');
const QStringList OTHER =
    QString("200° BUSY North-stop 5° 400° 1sec OFF 33ms 50% 5° 10% OFF 1sec -70° ON 3° 3sec ENABLED 999").split(' ');

QStringList shown(velta& w) {
  QStringList out;
  for (const QString& name : BOXES) out << w.findChild<QLineEdit*>(name)->text();
  return out;
}

// Box texts with "box=text" overrides.
QStringList with(QStringList texts, const QStringList& overrides) {
  for (const QString& o : overrides) texts[BOXES.indexOf(o.section('=', 0, 0))] = o.section('=', 1);
  return texts;
}

// The worked reply, every field given as raw text.
QStringList worked_example() {
  QStringList out = QString("00123 R 00001 00010 00350 00610 00001 00010 00010 00005 00002 00000 00305 65466 00001 "
                            "00002 01830 00000 01234").split(' ');
  for (int i = 0; i < out.size(); ++i) out[i] = QString("raw %1 %2").arg(i + 1).arg(out[i]);
  return out;
}

// Character index of the separator after field k (1..18) and of the start of
// field k (1..19) in an L reply of five-character fields.
int separator_after(int k) { return k == 1 ? 10 : k == 2 ? 12 : 18 + (k - 3) * 6; }
int field_start(int k) { return k == 1 ? 5 : k == 2 ? 11 : 13 + (k - 3) * 6; }
const QString QUESTION = "THIS COMMAND OVERWRITES THE CBOX SETTINGS!!! ARE YOU SURE?";

// What the tool must have sent: S, W and the first `n` of `lines`.
QByteArray wire(const QStringList& lines, int n) {
  QByteArray out = frame('S') + frame('W');
  for (int i = 0; i < n; ++i) out += lines[i].toLatin1() + '\r';
  return out;
}

void load_defaults(Bench& b) { b.w().set_entries(defaults_with()); }
void write(Bench& b) { b.msgs().answer(QMessageBox::Yes), click(b.w().write_mode); }

// The read-out boxes of the fifteen parameters.
QStringList read_out(velta& w) { return shown(w).mid(2, RECORD_VALUES); }
}  // namespace

class TestParameters : public QObject {
  Q_OBJECT
 private slots:
  // What a reply shows, as changes of the simulator's own set; a click never
  // loads the entry controls.
  void boxes() {
    const std::pair<QStringList, const char*> cases[] = {
        {worked_example(), "curr_pos=123° read_lower_limit=10° read_upper_limit=350° read_inv_delay=1sec "
                           "read_pwm_period=33ms read_pwm_max_duty=50% read_ramp=5° read_pwm_min_duty=10% optimize_msg=OFF "
                           "read_pres_delay=1sec offset_read=-70° mot_check_msg=ON read_rot_timeout=3sec"},
        {{"fault busy for=L", "raw 1 -00005"}, "cbox_status=BUSY curr_pos=-5°"},
        // Beyond the 16-bit count: shown as invalid, the rest of the reply still read.
        {{"raw 14 70000", "set check_angle 7"}, "offset_read=invalid:70000 check_angle=7°"},
        {{"set pwm_a 0", "set pwm_b 0", "set pwm_c 7"}, "read_pwm_period=???ms read_pwm_max_duty=???% read_pwm_min_duty=???%"},
        {{"set pwm_on 2", "set optimize 0", "set mot_check 5"}, "optimize_msg=OFF mot_check_msg=ON"},  // only 0 is off
        {{"set stop_mode 2", "set dip 1"}, "mode_msg=Absolute dipsw=ENABLED"},
        {{"fault replace=114:A"}, ""}};  // a bad terminator after all nineteen
    for (const auto& [controls, changed] : cases) {
      Bench b;
      b.apply(controls);
      const Entries entries = b.w().entries();
      click(b.w().read_info);
      QCOMPARE(b.msgs().texts(), *changed ? QStringList{} : QStringList{"<Return> invalid, received ASC:65"});
      QCOMPARE(shown(b.w()), with(OWN, QString(changed).split(' ', Qt::SkipEmptyParts)));
      QCOMPARE(ui::BACKCOLOR(b.w().cbox_status) == colours::RED(), b.w().cbox_status->text() == "BUSY");
      const QColor dip = b.w().dipsw->text() == "ENABLED" ? colours::RED() : colours::SYS_WINDOW_TEXT();
      QVERIFY(ui::FORECOLOR(b.w().dipsw) == dip && ui::FORECOLOR(b.w().label_dipsw) == dip);
      QCOMPARE(b.w().entries(), entries);
      QCOMPARE(b.sim().received(), frame('L'));
      VERIFY_ENDED(b.w());
    }
  }

  // The start-up's read also fills the entry controls (from the opposite
  // option, so that every change is seen).
  void start_up_loads_the_entry_controls() {
    const std::pair<QStringList, const char*> cases[] = {
        {worked_example(), "lower_limit=10 upper_limit=350 inv_delay=1 pwm_period=33 pwm_max_duty=50 ramp=5 "
                           "pwm_min_duty=10 pres_delay=1 offset_write=-70 check_angle_write=2 rot_timeout=3 pwm_on=1 "
                           "optimize=0 mot_check=1 north_stop=0 south_stop=1"},
        {{"set stop_mode 2", "set pwm_a 0", "set pwm_b 0", "set pwm_on 0", "raw 14 70000"},
         "lower_limit=0 upper_limit=500 inv_delay=3 pwm_period=0 pwm_max_duty=??? ramp=10 pwm_min_duty=??? pres_delay=3 "
         "offset_write=??? check_angle_write=2 rot_timeout=5 pwm_on=0 optimize=1 mot_check=0 north_stop=0 south_stop=0"}};
    for (const auto& [controls, expected] : cases) {
      Bench b;
      b.apply(controls);
      b.w().north_stop->setChecked(true);
      start_up_read(b.w());
      QCOMPARE(b.msgs().texts(), QStringList{});
      QCOMPARE(b.w().entries(), entries_of(QString(expected).split(' ')));
    }
  }

  // A reply failing at each position: the boxes before it show the new set,
  // the rest the set of the read before (the PWM period and maximum duty show
  // once the separator after the off-time is in). The two sets differ in every
  // box: a box that no read writes shows here.
  void failures() {
    const QString sep = "Separator invalid, received:";
    std::vector<std::tuple<QString, QString, int>> cases;
    for (int k = 1; k <= 18; ++k) cases.emplace_back(QString("fault replace=%1:;").arg(separator_after(k)), sep + ";", k == 8 || k == 9 ? 7 : k);
    cases.emplace_back("fault replace=11:X", "cmd L, <data>(R or B) invalid, received:X", 1);
    cases.emplace_back("raw 3 00003", "cmd L, <mode>(0, 1 or 2) invalid, received:3", 2);
    cases.emplace_back("fault cut=10", sep, 1);
    cases.emplace_back(QString("fault cut=%1").arg(field_start(3) + 3), "GET_NUM05() Communication problems!", 2);
    cases.emplace_back(QString("fault cut=%1").arg(field_start(9) + 2), "GET_NUM05NT() Communication timeout!", 7);
    cases.emplace_back("fault cut=114", "cmd L, Communication timeout on <return>", 19);
    for (const auto& [control, message, written] : cases) {
      Bench b;
      b.setReplyPeriod(500);
      b.w().read_info_Click();  // a first read fills every box with the simulator's own set
      QCOMPARE(shown(b.w()), OWN);
      b.sim().received();
      b.apply(OTHER_SET + QStringList{control});
      QSignalSpy complete(&b.w(), &velta::parameters_read);
      click(b.w().read_info);
      QCOMPARE(complete.count(), 0);  // a read that failed is never taken for a whole one
      QCOMPARE(control + ": " + b.msgs().texts().join('|'), control + ": " + message);
      QCOMPARE(shown(b.w()), OTHER.mid(0, written) + OWN.mid(written));
      QCOMPARE(b.sim().received(), frame('L'));
      VERIFY_ENDED(b.w());
    }
  }
  // Written, then read back (the value lines' conversions are the units'
  // table): the tick conversion loses the period's last millisecond (30
  // ticks are 49ms); nothing is read back by the write itself.
  void written_and_read_back() {
    Bench b;
    b.apply({"set pwm_a 1", "set offset 9"});
    load_defaults(b);
    b.w().set_entries(entries_of({"north_stop=1", "lower_limit=010", "upper_limit=350", "inv_delay= 2.5 ", "pwm_on=0",
                                  "pwm_max_duty=80", "pwm_min_duty=20", "ramp=5", "optimize=0", "offset_write=-05",
                                  "mot_check=1", "check_angle_write=-3.5", "rot_timeout=10"}));
    const QStringList placeholders = read_out(b.w());
    write(b);
    QCOMPARE(b.msgs().texts(), QStringList{QUESTION});
    QCOMPARE(b.sim().received(), wire(QString("0 010 350 1524 0 24 6 5 6 0 1829 -5 1 -4 6098").split(' '), 15));
    QCOMPARE(b.w().inv_delay->text(), QString("2.5"));  // the one text the write changes
    QCOMPARE(read_out(b.w()), placeholders);
    VERIFY_ENDED(b.w());
    b.w().read_info_Click();
    QCOMPARE(read_out(b.w()).join(' '), QString("North-stop 10° 350° 2sec OFF 49ms 80% 5° 20% OFF 3sec -5° ON -4° 10sec"));
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

  // No, a port held elsewhere, garbage in a box: nothing reaches the
  // controller. (A running monitor's own refusal comes first: the commands'
  // tests write with the monitor running and the design's "???" in the boxes.)
  void nothing_sent() {
    Bench b;
    load_defaults(b);
    b.w().write_mode_Click();  // answered No
    const ui::MsgBoxRequest& box = b.msgs().boxes().front();
    QVERIFY(box.text == QUESTION && box.title == "WRITE PARAMETERS COMMAND" && box.default_button == QMessageBox::No &&
            box.buttons == (QMessageBox::Yes | QMessageBox::No) && box.icon == QMessageBox::Critical);
    if (const auto other = hold_port(1); other) {
      write(b);  // told once inside S, once for the write itself
      QCOMPARE(b.msgs().texts().mid(1), (QStringList{QUESTION, port_in_use_text(1), port_in_use_text(1)}));
    }
    b.w().set_entries({{"offset_write", "5.5"}});
    write(b);
    QCOMPARE(b.msgs().texts().last(),
             QString("cmd W not sent: Offset must be a whole number of degrees from -70 to 70, received:5.5"));
    VERIFY_ENDED(b.w());
    QCOMPARE(b.sim().received(), QByteArray());
  }

  // While the write waits: a stop goes out at once and the write ends saying what it left in the controller;
  // the boxes stay editable, a value read when it is sent carries the edit, one taken before the frame does
  // not, a box turned invalid stops the set before its value goes out. Only the stops (and the commands no
  // lock covers) are usable meanwhile.
  void while_the_write_waits() {
    const QString ended = "cmd W ended: cmd G999 was sent while it waited for its reply. ";
    const QStringList edited = QString("1 0 400 1829 1 30 0 10 15 1 1829 0 0 2 6098").split(' ');
    const struct { const char* control; QStringList edits; QString message; QByteArray sent; } cases[] = {
        {"fault delay=3:800 for=S once", {"stop"}, ended + "Nothing was written to the CBOX.", frame('S')},
        {"write delay 3 800", {"stop"}, ended + "The CBOX may hold the new set only in part: read it with cmd L.",
         wire(DEFAULT_LINES, 3)},
        {"write delay 1 600", {"upper_limit=400", "rot_timeout=10", "pwm_period=20", "pwm_on=0"}, QUESTION, wire(edited, 15)},
        {"write delay 1 600", {"offset_write=-"},
         "cmd W stopped before value 2: Offset must be a whole number of degrees from -70 to 70, received:-", wire(edited, 1)}};
    for (const auto& c : cases) {
      Bench b;
      load_defaults(b);
      b.apply({c.control});
      QStringList usable;
      later(300, [&] {
        for (QPushButton* p : b.w().findChildren<QPushButton*>())
          if (p->isEnabled() && p->parentWidget() != b.w().Frame2 && p != b.w().set_default) usable << p->objectName();
        if (c.edits[0] == "stop") click(b.w().fast_stop);
        else b.w().set_entries(entries_of(c.edits));
      });
      write(b);
      usable.sort();
      QCOMPARE(b.msgs().texts().last() + " | " + usable.join(' '),
               c.message + " | calib command_c command_qm command_v fast_stop soft_stop");
      QCOMPARE(b.sim().received(), c.sent + (c.edits[0] == "stop" ? frame('G', "999") : QByteArray()));
      QCOMPARE(b.sim().control("get sets"), QString(c.sent.count('\r') == 17 ? "1" : "0"));
      VERIFY_ENDED(b.w());
    }
  }

  // Any set a controller may hold, read at start-up and written back with no
  // edit, goes out whole with no message: the write's guard never refuses what
  // a read put into the boxes.
  void a_read_set_is_written_back() {
    Bench b({"--no-pacing"});
    std::mt19937 rng(11);
    for (int i = 1; i <= 200; ++i) {
      put_set(b.sim(), random_set(rng, false));
      start_up_read(b.w());
      write(b);
      QVERIFY2(b.msgs().texts() == QStringList{QUESTION} && b.sim().control("get sets") == QString::number(i),
               qPrintable(QString("set %1: %2").arg(i).arg(b.msgs().texts().join('|'))));
      b.msgs().clear();
    }
  }
};

VELTA_TEST_MAIN(TestParameters)
#include "test_parameters.moc"
