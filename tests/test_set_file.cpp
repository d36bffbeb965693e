// Set files and the menu bar: a set saved from one controller, loaded after a
// fresh start against another and written, puts exactly the first set into
// it; a file that cannot be loaded changes no box; the monitor's lines with
// and without time stamps, saved as text; every menu item by keyboard.
#include <QJsonDocument>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "app/myVar.h"
#include "app/set_file.h"
#include "tests/harness/bench.h"
#include "tests/harness/script.h"
#include "ui/menus.h"

using namespace tune_cmd;

namespace {
QAction* action(velta& w, const char* name) { return w.findChild<QAction*>(QString::fromLatin1(name)); }

// A fresh main window's start-up against a controller holding `set`.
void start_up(Bench& b, const ControllerSet& set, const QStringList& readings) {
  put_set(b.sim(), set);
  b.apply(readings);
  b.w().command_v_Click();
  start_up_read(b.w());
}

QJsonObject document(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).object() : QJsonObject();
}
}  // namespace

class TestSetFile : public QObject {
  Q_OBJECT
 private slots:
  // Saved from one controller, loaded after a fresh start against another
  // and written, a set puts exactly itself into the second (absolute mode
  // stays: cmd W has none to send); Compare lists what differs, then nothing.
  void round_trip() {
    std::mt19937 rng(16);
    QTemporaryDir files;
    const QString first_file = files.filePath("first.json"), second_file = files.filePath("second.json");
    for (int k = 0; k < 5; ++k) {
      ControllerSet first = random_set(rng, true), second = random_set(rng, true);
      if (k == 0) first[0] = 2;
      if (first[0] == 2) second[0] = 2;
      {
        Bench a({"--no-pacing"});
        QVERIFY(!action(a.w(), "save_set")->isEnabled());
        start_up(a, first, {"set version 323", "set dip 0", "set calfactor 1234"});
        QVERIFY(action(a.w(), "save_set")->isEnabled());
        menus::SAVE_SET(first_file);
        QCOMPARE(a.msgs().texts(), QStringList());
      }
      Bench b({"--no-pacing"});
      start_up(b, second, {"set version 401", "set dip 1", "set calfactor 987"});
      menus::LOAD_SET(first_file);
      menus::COMPARE_SET();  // one line for each value that differs
      int differences = 0;
      for (int i = 0; i < RECORD_VALUES; ++i) differences += first[i] != second[i];
      QCOMPARE(b.msgs().texts().value(0).count('\n'), differences);
      b.msgs().answer(QMessageBox::Yes);
      b.w().write_mode_Click();
      QCOMPARE(b.msgs().texts().size(), 2);  // and the write's question
      b.w().read_info_Click();
      menus::COMPARE_SET();
      QCOMPARE(b.msgs().texts().last(), QStringLiteral("PARAMETERS SET and the last read of the CBOX: no difference."));
      menus::SAVE_SET(second_file);
      QJsonObject one = document(first_file), two = document(second_file);
      for (const char* own : {"saved", "port", "firmware_version", "dip_switches", "calibration_factor"}) {
        QVERIFY(one.contains(own) && two.contains(own));
        one.remove(own), two.remove(own);
      }
      QCOMPARE(two, one);
    }
    // A folder that is not there: the message says where and why.
    Bench c;
    const QString nowhere = files.filePath("no such folder/set.json");
    menus::SAVE_SET(nowhere);
    QVERIFY2(c.msgs().texts().value(0).startsWith("The CBOX set could not be saved to " + nowhere + ": ") &&
                 !QFile::exists(nowhere), qPrintable(c.msgs().texts().value(0)));
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
    QCOMPARE(units["reverse_delay"].toString() + " " + units["offset"].toString() + " " + units["pwm_on_time"].toString(),
             QString("0.5002 sec -70\u00b0 16.4 ms"));
    const QString not_json = QStringLiteral("it is not a JSON document \\(.+\\)");
    const QString range = QStringLiteral(" must be a whole number from ");
    struct Row {
      const char* bytes;  // the file; none: the good document with `key` set to `value` (undefined: removed)
      QString key;
      QJsonValue value;
      QString problem;    // a pattern
    } rows[] = {
        {"", {}, {}, not_json},
        {R"({"document": "CBOX replies", "version": 1})", {}, {}, "it is not a CBOX parameter set file"},
        {nullptr, "version", 2, "its version 2 is unknown to this program, which reads version 1"},
        {nullptr, "ramp", QJsonValue::Undefined, "the value ramp is missing"},
        {nullptr, "reverse_delay", "305", "reverse_delay is not a number: \"305\""},
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

  // Alt and a menu's letter, then the item's letter, reach every item.
  void every_menu_item_by_keyboard() {
    MsgCapture msgs;
    velta w;
    QStringList items, titles;
    for (QAction* m : w.menu_bar->actions()) {
      QStringList letters;
      items << m->menu()->title().remove('&') + ":";
      titles << QKeySequence::mnemonic(m->menu()->title()).toString();
      for (QAction* a : m->menu()->actions())
        if (!a->isSeparator()) letters << QKeySequence::mnemonic(a->text()).toString(), items << a->text().remove('&');
      QVERIFY2(!letters.contains("") && letters.removeDuplicates() == 0, qPrintable(letters.join(' ')));
    }
    QVERIFY2(!titles.contains("") && titles.removeDuplicates() == 0, qPrintable(titles.join(' ')));
    QCOMPARE(items.join('|'), QString("File:|Save CBOX set...|Load set into PARAMETERS SET...|Load a backup...|Compare "
                                      "PARAMETERS SET with CBOX...|Read back after cmd W|Save monitor replies...|View:|"
                                      "Time stamps in monitor|Rotator dial|Tools:|"
                                      "Tracking server|Help:|About"));
    QCOMPARE(action(w, "save_set")->shortcut(), QKeySequence(QKeySequence::Save));
    QCOMPARE(action(w, "load_set")->shortcut(), QKeySequence(QKeySequence::Open));
    QCOMPARE(action(w, "rotator_dial")->shortcut(), QKeySequence("Ctrl+D"));
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
