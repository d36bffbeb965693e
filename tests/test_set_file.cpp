// Set files and the menu bar: a set saved from one controller puts exactly itself into another; a file that cannot
// be loaded changes no box; the monitor's lines, saved as text; the About box.
#include <QJsonDocument>
#include <QLineEdit>
#include <QTest>
#include <numeric>

#include "app/myVar.h"
#include "app/set_file.h"
#include "tests/harness/bench.h"
#include "tests/harness/script.h"
#include "ui/menus.h"

using namespace tune_cmd;

namespace {
const QString QUESTION = "THIS COMMAND OVERWRITES THE CBOX SETTINGS!!! ARE YOU SURE?";
const QString SAME = "PARAMETERS SET and the last read of the CBOX: no difference.";

QByteArray contents(const QString& path) { QFile f(path); return f.open(QIODevice::ReadOnly) ? f.readAll() : "<none>"; }

// What a set file keeps of the controller and of the save, taken out of it; the rest is the set.
QString readings(const QString& path, QJsonObject& doc) {
  doc = QJsonDocument::fromJson(contents(path)).object();
  QString kept = QDateTime::fromString(doc.take("saved").toString(), Qt::ISODate).isValid() ? "|saved" : "|no time";
  for (const char* key : {"port", "firmware_version", "dip_switches", "calibration_factor"})
    kept += ' ' + doc.take(key).toVariant().toString();
  return kept;
}
}  // namespace

class TestSetFile : public QObject {
  Q_OBJECT
 private slots:
  // Saved from one controller, loaded after a start-up against another and written, a set puts exactly itself into
  // the second (absolute mode stays: cmd W has none to send); Compare lists what differs, then nothing.
  void round_trip() {
    std::mt19937 rng(16);
    for (int k = 0; k < 5; ++k) {
      // The first round, before anything was read in this program: two sets two values apart, and what fails.
      ControllerSet first = random_set(rng, true), second = random_set(rng, true);
      if (k == 0) first = {2, 10, 350, 305, 1, 10, 10, 5, 2, 0, 610, -70, 1, 2, 1829}, second = first;
      if (k == 0) second[7] = 9, second[11] = 3;
      if (first[0] == 2) second[0] = 2;
      Bench b({"--no-pacing"});
      if (k == 0) menus::SAVE_SET("first.json"), menus::COMPARE_SET();
      QVERIFY(!b.w().findChild<QAction*>("save_set")->isEnabled());
      put_set(b.sim(), first), b.apply({"set version 323", "set dip 0", "set calfactor 1234"});
      b.w().command_v_Click(), start_up_read(b.w()), menus::SAVE_SET("first.json");
      QVERIFY(b.w().findChild<QAction*>("save_set")->isEnabled());
      put_set(b.sim(), second), b.apply({"set version 401", "set dip 1", "set calfactor 987"});  // another controller
      b.w().command_v_Click(), start_up_read(b.w());
      menus::LOAD_SET("first.json"), menus::COMPARE_SET();
      b.msgs().answer(QMessageBox::Yes), b.w().write_mode_Click(), b.w().read_info_Click();
      later(200, [] { auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());  // the name typed in File > Save
                      d->findChild<QLineEdit*>("fileNameEdit")->setText("second.json"), d->accept(); });
      menus::COMPARE_SET(), b.w().findChild<QAction*>("save_set")->trigger();
      QJsonObject one, two;
      QCOMPARE(readings("first.json", one) + readings("second.json", two), QString("|saved 1 003.23 0 1234|saved 1 004.01 1 987"));
      QCOMPARE(two, one);
      const int differ = std::inner_product(first.begin(), first.end(), second.begin(), 0, std::plus<>(), std::not_equal_to<>());
      if (k) QCOMPARE(QString::number(b.msgs().texts().value(0).count('\n')) + "|" + b.msgs().texts().mid(1).join('|'),
                      QString::number(differ) + "|" + QUESTION + "|" + SAME);  // a line for each value that differs
      if (k) continue;
      menus::SAVE_SET("no such folder/set.json"), b.w().lower_limit->setText("501"), menus::COMPARE_SET();
      const QString no_read = "No complete read of the CBOX yet: there is ";
      QCOMPARE(b.msgs().texts(), (QStringList{
          no_read + "no set to save. Read it with cmd L.", no_read + "nothing to compare with. Read it with cmd L.",
          "PARAMETERS SET differs from the last read of the CBOX in:\nramp: 5° in PARAMETERS SET, 9° in the CBOX\n"
          "offset: -70° in PARAMETERS SET, 3° in the CBOX", QUESTION, SAME,
          "The CBOX set could not be saved to no such folder/set.json: No such file or directory",
          "cmd W would not send PARAMETERS SET: Lower Limit must be a whole number of degrees from 0 to 500, received:501"}));
    }
  }

  // One window: set files that cannot be loaded (each told, no box changed), the monitor's lines saved, the About box.
  void failed_loads_monitor_lines_and_about() {
    Bench b;
    velta& w = b.w();
    const QJsonObject doc = set_file::DOCUMENT_OF({{1, 10, 350, 305, 1, 10, 0, 5, 2, 0, 610, -70, 1, 2, 1829}, {}, {}, {}, true}, 1, {});
    QStringList units;  // for a person reading the file
    for (const char* key : {"reverse_delay", "offset", "pwm_on_time"}) units << doc["user_units"][key].toString();
    const QString good = QJsonDocument(doc).toJson(QJsonDocument::Compact), range = " must be a whole number from ";
    // A part of the good file (no PWM off-time), what stands there instead, the problem.
    const std::tuple<QString, QString, QString> rows[] = {
        {good, "", "it is not a JSON document (illegal value at character 0)"},
        {good, R"({"document": "CBOX replies", "version": 1})", "it is not a CBOX parameter set file"},
        {R"("version":1)", R"("version":2)", "its version 2 is unknown to this program, which reads version 1"},
        {R"("ramp":5,)", "", "the value ramp is missing"},
        {R"("reverse_delay":305)", R"("reverse_delay":"305")", "reverse_delay is not a number: \"305\""},
        {R"("preset_delay":610)", R"("preset_delay":610.5)", "preset_delay" + range + "0 to 99999, found: 610.5"},
        {R"("offset":-70)", R"("offset":90)", "offset" + range + "-70 to 70, found: 90"},
        {R"("pwm_on_time":10)", R"("pwm_on_time":0)", "pwm_on_time and pwm_off_time are both 0: PWM:period would be "
                                                       "0 ms and the duties no number, which PARAMETERS SET cannot hold"},
    };
    const Entries before = w.entries();
    QStringList told;
    for (const auto& [part, instead, problem] : rows) {
      QVERIFY(set_file::WRITE_WHOLE("set.json", QString(good).replace(part, instead).toUtf8()).isEmpty());
      menus::LOAD_SET("set.json");
      told << "The file set.json was not loaded: " + problem + ".\nPARAMETERS SET is unchanged.";
    }
    QVERIFY(w.entries() == before);

    QAction* stamps = w.findChild<QAction*>("time_stamps");  // off at start: the first line alone has its time
    const auto lines = [&w] { return w.cbox_reply_text->toPlainText().count('\n'); };
    auto* s = new Script([&w] { if (w.cmd_monitor->text() == "STOP") w.cmd_monitor->click(); }, &w);
    s->when("running", [&w] { return w.cmd_monitor->text() == "STOP"; },
            [&] { stamps->trigger(); b.sim().send("\x02" "A,?,045,R\r"); });
    s->when("one line", [&] { return lines() == 1; }, [&] { stamps->trigger(); b.sim().send("\x02" "A,V,1.23\r"); });
    s->when("two lines", [&] { return lines() == 2; }, [&w] { w.cmd_monitor->click(); }).start();
    w.cmd_monitor->click();
    const QString text = w.cbox_reply_text->toPlainText(), time = "^\\d\\d:[0-5]\\d:[0-5]\\d\\.\\d{3} ";
    QCOMPARE(s->failed() + QString(text).replace(QRegularExpression(time), "TIME "),
             QString("TIME 1: <h|A,?,45,R|r>\n 2: <h|A,V,1.23|r>\n"));  // a step that never came first
    menus::SAVE_REPLIES("replies.txt"), menus::SAVE_REPLIES("no such folder/replies.txt");
    myVar::com_port_number = 7;
    w.findChild<QAction*>("about")->trigger();
    QCOMPARE(b.msgs().texts() << b.msgs().boxes().back().title << contents("replies.txt") << units.join(' '),
             told << "The monitor replies could not be saved to no such folder/replies.txt: No such file or directory"
                  << "velta " VELTA_VERSION "\nService tool for the CBOX antenna-rotator controller\n\nPort in use: COM 7\n"
                     "It opens: /dev/ttyS6 (default)\nSettings file: " + b.sim().dir() + "/velta.ini"
                  << "About velta" << text << "0.5002 sec -70\u00b0 16.4 ms");
  }
};

VELTA_TEST_MAIN(TestSetFile)
#include "test_set_file.moc"
