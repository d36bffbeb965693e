// Set files and the menu bar: a set saved from one controller, loaded after a
// fresh start against another and written, puts exactly the first set into
// it; a file that cannot be loaded changes no box; the monitor's lines with
// and without time stamps, saved as text; every menu item by keyboard.
#include <QAccessible>
#include <QJsonDocument>
#include <QMenu>
#include <QMenuBar>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "app/myVar.h"
#include "app/set_file.h"
#include "protocol/number_text.h"
#include "tests/harness/bench.h"
#include "tests/harness/script.h"
#include "ui/menus.h"

using namespace tune_cmd;

namespace {
// The simulator's keys of the fifteen values, in the record's order.
const char* const SIM_KEYS[RECORD_VALUES] = {"stop_mode",  "lower_limit", "upper_limit", "inv_delay",   "pwm_on",
                                             "pwm_a",      "pwm_b",       "ramp",        "pwm_c",       "optimize",
                                             "pres_delay", "offset",      "mot_check",   "check_angle", "rot_timeout"};

// A set the controller can hold; one value in ten at an end of its range.
ControllerSet random_set(QRandomGenerator& r) {
  auto pick = [&r](int lo, int hi) { return double(r.bounded(10) ? r.bounded(lo, hi + 1) : r.bounded(2) ? lo : hi); };
  const double period = pick(1, 99999), a = pick(0, int(period));
  return {pick(0, 2), pick(0, 500),   pick(0, 500),   pick(0, 99999), pick(0, 1),  a,           period - a,
          pick(0, 30), pick(0, int(period)), pick(0, 1), pick(0, 99999), pick(-70, 70), pick(0, 1), pick(0, 30),
          pick(0, 99999)};
}

QAction* action(velta& w, const char* name) { return w.findChild<QAction*>(QString::fromLatin1(name)); }

// A fresh main window's start-up against a controller holding `set`: the
// version, then the read that also fills PARAMETERS SET.
void start_up(Bench& b, const ControllerSet& set, const QStringList& readings) {
  for (int i = 0; i < RECORD_VALUES; ++i) b.sim().set(SIM_KEYS[i], S(set[i]));
  for (const QString& r : readings) b.sim().set(r.section('=', 0, 0), r.section('=', 1));
  b.w().command_v_Click();
  myVar::fill_set_fields = true;
  b.w().read_info_Click();
  myVar::fill_set_fields = false;
}

QJsonObject document(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).object() : QJsonObject();
}
}  // namespace

class TestSetFile : public QObject {
  Q_OBJECT
 private slots:
  // Whatever set the controller holds, the boxes ENTRIES_OF fills make cmd W
  // send exactly that set (no stop option: absolute mode).
  void the_boxes_give_back_every_set() {
    QRandomGenerator r(16);
    for (int k = 0; k < 5000; ++k) {
      const ControllerSet set = random_set(r);
      const Entries e = ENTRIES_OF(set, true);
      QVERIFY2(RECORD_PROBLEM(e).isEmpty() && SET_OF(e) == set, qPrintable(QStringList(e.values()).join(' ')));
    }
  }

  void round_trip_data() {
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {1u, 2u, 3u}) QTest::addRow("seed %u", seed) << seed;
  }
  void round_trip() {
    QFETCH(quint32, seed);
    QRandomGenerator r(seed);
    QTemporaryDir files;
    const QString first_file = files.filePath("first.json"), second_file = files.filePath("second.json");
    for (int k = 0; k < 3; ++k) {
      ControllerSet first = random_set(r), second = random_set(r);
      if (k == 0) first[0] = 2;
      // cmd W has no absolute mode to send: the controller keeps its own.
      if (first[0] == 2) second[0] = 2;
      {
        Bench a({"--no-pacing"});
        QVERIFY(!action(a.w(), "save_set")->isEnabled());
        start_up(a, first, {"version=323", "dip=0", "calfactor=1234"});
        QVERIFY(action(a.w(), "save_set")->isEnabled());
        menus::SAVE_SET(first_file);
        QCOMPARE(a.msgs().texts(), QStringList());
      }
      Bench b({"--no-pacing"});
      start_up(b, second, {"version=401", "dip=1", "calfactor=987"});
      menus::LOAD_SET(first_file);
      menus::COMPARE_SET();  // one line for each value that differs
      int differences = 0;
      for (int i = 0; i < RECORD_VALUES; ++i) differences += first[i] != second[i];
      QCOMPARE(b.msgs().texts().value(0).count('\n'), differences);
      b.msgs().answer(QMessageBox::Yes);
      b.w().write_mode_Click();
      QCOMPARE(b.msgs().texts().size(), 2);  // and the write's question
      for (int i = 0; i < RECORD_VALUES; ++i)
        QCOMPARE(Val(b.sim().control(QStringLiteral("get ") + SIM_KEYS[i])), first[i]);
      b.w().read_info_Click();
      menus::COMPARE_SET();
      QCOMPARE(b.msgs().texts().last(), QStringLiteral("PARAMETERS SET and the last read of the CBOX: no difference."));
      menus::SAVE_SET(second_file);
      if (k == 0) {  // a folder that is not there: the message says where and why
        const QString nowhere = files.filePath("no such folder/set.json");
        menus::SAVE_SET(nowhere);
        QVERIFY2(b.msgs().texts().last().startsWith("The CBOX set could not be saved to " + nowhere + ": ") &&
                     !QFile::exists(nowhere),
                 qPrintable(b.msgs().texts().last()));
      }
      QJsonObject one = document(first_file), two = document(second_file);
      for (const char* own : {"saved", "port", "firmware_version", "dip_switches", "calibration_factor"}) {
        QVERIFY(one.contains(own) && two.contains(own));
        one.remove(own);
        two.remove(own);
      }
      QCOMPARE(two, one);
    }
  }

  void a_file_that_cannot_be_loaded_changes_no_box() {
    QTemporaryDir files;
    const QString path = files.filePath("set.json");
    MsgCapture msgs;
    velta w;
    ReadSet read;
    read.values = {1, 10, 350, 305, 1, 10, 10, 5, 2, 0, 610, -70, 1, 2, 1829};
    const QJsonObject good = set_file::DOCUMENT_OF(read, 1, QDateTime::currentDateTime());
    // For a person reading the file: the same values in the window's units.
    const QJsonObject units = good.value("user_units").toObject();
    QCOMPARE(QStringList({units["stop_mode"].toString(), units["reverse_delay"].toString(), units["offset"].toString(),
                          units["pwm"].toString(), units["pwm_on_time"].toString()}),
             QStringList({"South-stop", "0.5002 sec", "-70\u00b0", "ON", "16.4 ms"}));
    const QString not_json = QStringLiteral("it is not a JSON document \\(.+\\)");
    const QString range = QStringLiteral(" must be a whole number from ");
    struct Row {
      const char* bytes;  // the file; none: the good document with `key` set to `value` (undefined: removed)
      QString key;
      QJsonValue value;
      QString problem;    // a pattern
    } rows[] = {
        {"", {}, {}, not_json},
        {"COM=1\r\n", {}, {}, not_json},
        {R"({"document": "CBOX replies", "version": 1})", {}, {}, "it is not a CBOX parameter set file"},
        {nullptr, "version", 2, "its version 2 is unknown to this program, which reads version 1"},
        {nullptr, "ramp", QJsonValue::Undefined, "the value ramp is missing"},
        {nullptr, "reverse_delay", "305", "reverse_delay is not a number: \"305\""},
        {nullptr, "rotation_timeout", 100000, "rotation_timeout" + range + "0 to 99999, found: 100000"},
        {nullptr, "preset_delay", 610.5, "preset_delay" + range + "0 to 99999, found: 610\\.5"},
        {nullptr, "offset", 90, "offset" + range + "-70 to 70, found: 90"},
        {nullptr, "pwm_on_time", 0, "pwm_on_time and pwm_off_time are both 0: .+"},  // the off-time is 0 too
    };
    for (const Row& row : rows) {
      QJsonObject doc = good, values = good.value("values").toObject();
      QJsonObject& where = row.key == "version" ? doc : values;
      if (row.value.isUndefined()) where.remove(row.key);
      else if (!row.key.isEmpty()) where[row.key] = row.value;
      if (row.key == "pwm_on_time") values["pwm_off_time"] = 0;
      doc["values"] = values;
      QVERIFY(set_file::WRITE_WHOLE(path, row.bytes ? QByteArray(row.bytes) : QJsonDocument(doc).toJson()).isEmpty());
      w.set_entries(ENTRIES_OF({1, 0, 500, 1829, 1, 30, 0, 10, 15, 1, 1829, 0, 0, 2, 3049}, false));
      const Entries before = w.entries();
      msgs.clear();
      menus::LOAD_SET(path);
      const QRegularExpression expected("^The file " + QRegularExpression::escape(path) + " was not loaded: " +
                                        row.problem + "\\.\nPARAMETERS SET is unchanged\\.$");
      QVERIFY2(msgs.texts().size() == 1 && expected.match(msgs.texts()[0]).hasMatch(), qPrintable(row.problem));
      QVERIFY2(w.entries() == before, qPrintable(row.problem));
    }
  }

  void monitor_lines_with_and_without_time_stamps() {
    Bench b;
    velta& w = b.w();
    QAction* stamps = action(w, "time_stamps");
    QVERIFY(stamps->isCheckable() && !stamps->isChecked());
    const auto lines = [&w] { return w.cbox_reply_text->toPlainText().count('\n'); };
    auto* s = new Script([&w] { if (w.cmd_monitor->text() == "STOP") w.cmd_monitor->click(); }, &w);
    s->when("running", [&w] { return w.cmd_monitor->text() == "STOP"; },
            [&] { stamps->trigger(); b.sim().send("\x02" "A,?,045,R\r"); });
    s->when("one line", [&] { return lines() == 1; }, [&] { stamps->trigger(); b.sim().send("\x02" "A,V,1.23\r"); });
    s->when("two lines", [&] { return lines() == 2; }, [&w] { w.cmd_monitor->click(); });
    s->start();
    w.cmd_monitor->click();
    QCOMPARE(s->failed(), QString());
    const QString text = w.cbox_reply_text->toPlainText();
    static const QRegularExpression format("^\\d\\d:[0-5]\\d:[0-5]\\d\\.\\d{3} 1: <h\\|A,\\?,45,R\\|r>\n"
                                           " 2: <h\\|A,V,1\\.23\\|r>\n$");
    QVERIFY2(format.match(text).hasMatch(), qPrintable(text));
    QTemporaryDir files;
    menus::SAVE_REPLIES(files.filePath("replies.txt"));
    QFile saved(files.filePath("replies.txt"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), text.toUtf8());
  }

  // Alt and a menu's letter, then the item's letter, reach every item; a
  // screen reader speaks each by its text.
  void every_menu_item_by_keyboard_and_named() {
    MsgCapture msgs;
    velta w;
    const QStringList expected[] = {{"File", "Save CBOX set...", "Load set into PARAMETERS SET...",
                                     "Compare PARAMETERS SET with CBOX...", "Save monitor replies..."},
                                    {"View", "Time stamps in monitor"},
                                    {"Tools", "Tracking server"},
                                    {"Help", "About"}};
    QStringList titles;
    QCOMPARE(w.menu_bar->actions().size(), 4);
    for (int m = 0; m < 4; ++m) {
      QMenu* menu = w.menu_bar->actions()[m]->menu();
      QStringList names{menu->title().remove('&')}, letters;
      titles << QKeySequence::mnemonic(menu->title()).toString();
      QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(menu);
      for (int i = 0; i < iface->childCount(); ++i)
        if (!iface->child(i)->text(QAccessible::Name).isEmpty()) names << iface->child(i)->text(QAccessible::Name);
      for (QAction* a : menu->actions())
        if (!a->isSeparator()) letters << QKeySequence::mnemonic(a->text()).toString();
      QCOMPARE(names, expected[m]);
      QVERIFY2(!letters.contains("") && letters.removeDuplicates() == 0, qPrintable(letters.join(' ')));
    }
    QVERIFY2(!titles.contains("") && titles.removeDuplicates() == 0, qPrintable(titles.join(' ')));
    QCOMPARE(action(w, "save_set")->shortcut(), QKeySequence(QKeySequence::Save));
    QCOMPARE(action(w, "load_set")->shortcut(), QKeySequence(QKeySequence::Open));
    myVar::com_port_number = 7;
    action(w, "about")->trigger();
    QCOMPARE(msgs.boxes().size(), size_t(1));
    QCOMPARE(msgs.boxes()[0].title, QStringLiteral("About velta"));
    QCOMPARE(msgs.boxes()[0].text.split('\n').filter(QRegularExpression("^velta \\d|COM 7$|^It opens|^Settings file: ")),
             (QStringList{"velta " VELTA_VERSION, "Port in use: COM 7", "It opens: /dev/ttyS6 (default)",
                          "Settings file: " + QDir::current().absoluteFilePath("velta.ini")}));
    QVERIFY(QFile::exists(":/velta.svg"));  // the windows' icon is built in
  }
};

VELTA_TEST_MAIN(TestSetFile)
#include "test_set_file.moc"
