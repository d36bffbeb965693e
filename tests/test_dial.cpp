// The rotator dial: the angle under a point as pure calls; what it shows after each report of the controller and
// each go-to sent; the clicks, keys and presets that turn the rotator only as Execute does; the View item kept in
// velta-options.ini; the presets file beside velta.ini (written at once, a damaged one told once and left alone).
#include <QAccessible>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "app/set_file.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "tests/harness/script.h"
#include "ui/dial.h"
#include "ui/dial_controls.h"
#include "ui/options.h"
#include "ui/preset_dialog.h"

using presets::Preset, presets::Presets;

namespace {
// A presets file whose first entries are `first`, the rest null.
QByteArray array_of(QStringList first) {
  while (first.size() < presets::COUNT) first << "null";
  return "[" + first.join(',').toUtf8() + "]";
}

QStringList button_texts(const DIAL& d) {
  QStringList texts;
  for (const QPushButton* b : d.preset_buttons) texts << b->text();
  return texts;
}

void trigger(DIAL& d, int number, const char* action) {
  d.preset_buttons[number - 1]->findChild<QAction*>(action)->trigger();
}

QPoint on_rose(const DIAL& d, double degrees, double share_of_radius) {
  return dial::POINT_AT(degrees, d.rose->centre(), d.rose->radius() * share_of_radius).toPoint();
}

// The go-to box, the dial's three labels and its screen reader's value; where the end-stop mark stands on the rim;
// the position needle's colour.
QStringList shown(velta& w, DIAL& d) {
  const QImage rose = d.rose->grab().toImage();
  const QRgb ink = d.palette().color(QPalette::WindowText).rgb();
  QString stop = "no stop";
  for (int at : {0, 180})
    if (rose.pixel(on_rose(d, at, 1.02)) == ink) stop = QString("stop at %1").arg(at);
  QString needle;
  if (d.dial_position->text() != "???") {
    const QRgb c = rose.pixel(on_rose(d, d.dial_position->text().chopped(1).toInt(), 0.4));
    needle = c == qRgb(255, 0, 0) ? "red" : c == ink ? "ink" : "no needle";
  }
  return {w.go_to_angle->text(), d.dial_position->text(), d.dial_target->text(), d.dial_state->text(),
          QAccessible::queryAccessibleInterface(d.rose)->text(QAccessible::Value), stop, needle};
}

// The bench's dial open through its View item, a preset named "park" at 180° in presets.json.
DIAL& open_dial(Bench& b) {
  b.setReplyPeriod(300);
  b.apply({"set position 123", "set speed 0"});
  if (!set_file::WRITE_WHOLE(presets::FILE_NAME, array_of({R"({"name": "park", "azimuth": 180})"})).isEmpty())
    qFatal("no presets.json");
  presets::LOAD_PRESETS();
  DIAL& d = dial_controls::DIAL_OF(b.w());
  b.w().findChild<QAction*>("rotator_dial")->trigger();
  d.resize(400, 560);  // a pixel is far less than a degree
  if (!QTest::qWaitForWindowExposed(&d)) qFatal("the dial does not show");
  return d;
}
}  // namespace

class TestDial : public QObject {
  Q_OBJECT
 private slots:
  void angle_at() {
    const QPointF c(100, 100);
    const double r = 80;  // the centre circle's radius is 12
    const struct { QPointF point; std::optional<int> angle; } rows[] = {
        {{100, 20}, 0}, {{180, 100}, 90}, {{100, 180}, 180}, {{20, 100}, 270},
        {dial::POINT_AT(359.6, c, 50), 0}, {dial::POINT_AT(0.4, c, 50), 0}, {dial::POINT_AT(0.5, c, 50), 1},
        {{100, 88.01}, std::nullopt}, {{100, 88}, 0}, {dial::POINT_AT(225, c, 2 * r), 225},  // the last beyond the rim
    };
    for (const auto& row : rows)
      QVERIFY2(dial::ANGLE_AT(row.point, c, r) == row.angle, qPrintable(QString::number(&row - rows)));
  }

  // Each row: what happens, the frames that reach the controller, and what the window and the dial show after it.
  // The dial follows the reports of the status exchange, the parameter read and a monitor frame, and the go-to's
  // target from its send until READY at it, a stop, or an E.
  void fed_and_turned() {
    Bench b;
    velta& w = b.w();
    DIAL& d = open_dial(b);
    const auto monitor_frame = [&] {
      b.sim().set("busy", "0");  // stopped short: the monitor's S needs READY
      Script s;
      s.after(300, "frame", [&] { b.sim().send("\x02" "A,?,090,R\r"); });
      s.after(300, "stop", [&] { w.cmd_monitor->click(); });
      s.start();
      w.cmd_monitor->click();
    };
    const struct { const char* what; std::function<void()> act; QByteArray sent; QStringList shown; } rows[] = {
        {"nothing yet", [] {}, "", {"?", "???", "", "???", "position ???", "no stop", ""}},
        {"cmd ?", [&] { click(w.command_qm); }, frame('?'),
         {"?", "123°", "", "READY", "position 123°", "no stop", "ink"}},
        {"a click at 90°, one in the centre, Enter", [&] {
           QTest::mouseClick(d.rose, Qt::LeftButton, {}, on_rose(d, 90, 0.8));
           QTest::mouseClick(d.rose, Qt::LeftButton, {}, d.rose->centre().toPoint());
           QTest::keyClick(d.rose, Qt::Key_Return);
         }, frame('G', "90"), {"90", "123°", "to 90°", "READY", "position 123°, target 90°", "no stop", "ink"}},
        {"cmd L while turning, south-stop", [&] { click(w.read_info); }, frame('L'),
         {"90", "123°", "to 90°", "BUSY", "position 123°, target 90°", "stop at 180", "red"}},
        {"a monitor frame READY at the target", monitor_frame, frame('S') + frame('?') + frame('M') + frame('S'),
         {"90", "90°", "", "READY", "position 90°", "stop at 180", "ink"}},
        {"the Park preset", [&] { click(d.preset_buttons[0]); }, frame('G', "180"),
         {"180", "90°", "to 180°", "READY", "position 90°, target 180°", "stop at 180", "ink"}},
        {"Soft STOP", [&] { click(w.soft_stop); }, frame('G', "977"),
         {"180", "90°", "", "READY", "position 90°", "stop at 180", "ink"}},
        {"a double-click at 200° answered E", [&] {
           b.sim().fault("replace=5:E for=G once");
           QTest::mouseDClick(d.rose, Qt::LeftButton, {}, on_rose(d, 200, 0.5));
         }, frame('G', "200"), {"200", "90°", "", "READY", "position 90°", "stop at 180", "ink"}},
    };
    for (const auto& row : rows) {
      row.act();
      QCOMPARE(row.what + (" " + b.sim().received()) + " " + shown(w, d).join('|').toUtf8(),
               row.what + (" " + row.sent) + " " + row.shown.join('|').toUtf8());
    }
    QCOMPARE(b.msgs().texts(), QStringList());
    VERIFY_ENDED(w);
  }

  // The keys turn the angle in the go-to box; nothing turns while Execute is disabled, but a preset's menu still
  // opens, for changing a preset sends nothing.
  void keys_and_locks() {
    Bench b;
    velta& w = b.w();
    DIAL& d = open_dial(b);
    const struct { const char* from; Qt::Key key; const char* to; } keys[] = {
        {"355", Qt::Key_Right, "356"}, {"355", Qt::Key_PageUp, "5"},     {"355", Qt::Key_Left, "354"},
        {"355", Qt::Key_PageDown, "345"}, {"x", Qt::Key_Left, "359"}, {" 0", Qt::Key_PageDown, "350"}};
    for (const auto& k : keys) {
      w.go_to_angle->setText(k.from);
      QTest::keyClick(d.rose, k.key);
      QCOMPARE(w.go_to_angle->text(), QString(k.to));
    }
    w.execute->setEnabled(false);
    QTest::keyClick(d.rose, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::mouseDClick(d.rose, Qt::LeftButton, {}, on_rose(d, 10, 0.5));
    QVERIFY(std::ranges::none_of(d.preset_buttons, &QWidget::isEnabled));
    QContextMenuEvent menu_key(QContextMenuEvent::Keyboard, {5, 5}, d.preset_buttons[1]->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(d.preset_buttons[1], &menu_key);
    QMenu* menu = d.preset_buttons[1]->findChild<QMenu*>();
    QTRY_VERIFY(menu->isVisible());
    menu->close();
    w.execute->setEnabled(true);
    QTest::qWait(50);
    QCOMPARE(b.sim().received(), QByteArray());
    QVERIFY(std::ranges::all_of(d.preset_buttons, &QWidget::isEnabled));
  }

  // View > Rotator dial: kept in velta-options.ini, never in velta.ini; open again when the window shows.
  void view_item() {
    Bench b;
    velta& w = b.w();
    DIAL& d = dial_controls::DIAL_OF(w);
    QAction* item = w.findChild<QAction*>("rotator_dial");
    ui::SET_OPTION(dial_controls::OPEN_OPTION, true);
    w.show();
    QTRY_VERIFY(d.isVisible() && item->isChecked());
    d.close();
    QVERIFY(!item->isChecked());
    item->trigger();
    QVERIFY(d.isVisible());
    w.close();  // the program ends: the dial goes and is open at the next start
    QFile options(ui::OPTIONS_FILE);
    QVERIFY(options.open(QIODevice::ReadOnly));
    QCOMPARE(options.readAll() + settings_file(), QByteArray("[view]\nrotator_dial=true\n 1 \r\n"));
    QVERIFY(!d.isVisible());
  }

  // A hand-written file is read (blanks around a name, a member of its own); a click goes to a set preset only;
  // each change from the menu reaches the file at once and reads back equal; Park is found by name.
  void presets_round_trip() {
    QTemporaryDir dir;
    const QString path = dir.filePath(presets::FILE_NAME);
    QVERIFY(set_file::WRITE_WHOLE(path, array_of({R"({"name": " Park ", "azimuth": 180, "note": "mast 2"})",
                                                  R"({"name": "Parking", "azimuth": 10})", "null",
                                                  R"({"name": "R&D lab", "azimuth": 0})", "null", "null", "null",
                                                  R"({"name": "", "azimuth": 359})"})).isEmpty());
    DIAL d;
    presets::KEPT().load(path);
    QCOMPARE(button_texts(d), QStringList({"Park 180°", "Parking 10°", "(empty)", "R&&D lab 0°", "(empty)",
                                           "(empty)", "(empty)", "359°"}));
    QCOMPARE(presets::PARK(presets::KEPT().presets()).value_or(-1), 180);
    QSignalSpy go(&d, &DIAL::preset_go), changed(&presets::KEPT(), &presets::Kept::changed);
    click(d.preset_buttons[2]), click(d.preset_buttons[0]);  // empty, then Park
    QVERIFY(go.size() == 1 && go[0][0] == 180);
    QVERIFY(!d.preset_buttons[1]->findChild<QAction*>("set_to_position")->isEnabled());
    d.show_position(42);
    trigger(d, 2, "set_to_position");  // keeps the name
    trigger(d, 1, "clear");
    QString problem;  // the dialog stays open while the angle is wrong
    later(0, [&] {
      auto* dialog = d.findChild<PRESET_DIALOG*>();
      dialog->preset_name->setText("  Mast "), dialog->preset_angle->setText("360"), dialog->accept();
      problem = dialog->isVisible() ? dialog->preset_problem->text() : "closed";
      dialog->preset_angle->setText(" 090"), dialog->accept();
    });
    trigger(d, 3, "set_to");
    QCOMPARE(problem, QString("the angle must be a whole number from 0 to 359, received:360"));
    Presets expected, read;
    expected[1] = {{"Parking", 42}}, expected[2] = {{"Mast", 90}}, expected[3] = {{"R&D lab", 0}}, expected[7] = {{"", 359}};
    QVERIFY(changed.size() == 3 && presets::READ_PRESETS(path, read).isEmpty());
    QVERIFY(read == expected && presets::KEPT().presets() == expected && !presets::PARK(read));
  }

  // A damaged file gives eight empty presets, none of its own, and says what is wrong; a missing one is no
  // problem. In the window: one message naming the file, which stays as it is until a preset is changed.
  void damaged_file() {
    QTemporaryDir dir;
    const QString path = dir.filePath(presets::FILE_NAME);
    const std::pair<QByteArray, QString> rows[] = {  // no bytes: no file; the problem's start
        {{}, {}},
        {"[1,2", "it is not a JSON document ("},
        {"[null]", "it holds 1 entry instead of 8"},
        {array_of({"null", R"({"name": "Mast", "azimuth": 12.5})"}), "entry 2: its azimuth must be a whole number"},
        {array_of({"null", "null", "null", R"({"name": " 123456789012345678901 ", "azimuth": 3})"}),
         "entry 4: the name must have at most 20 characters, it has 21"},
        {array_of({"null", R"({"name": "Mast", "azimuth": 359})", "null", "[]"}), "entry 4: it is neither null nor an object: []"}};
    Presets read;
    for (const auto& [bytes, start] : rows) {
      QFile::remove(path);
      if (!bytes.isEmpty()) QVERIFY(set_file::WRITE_WHOLE(path, bytes).isEmpty());
      read[1] = Preset{"left over", 1};
      const QString problem = presets::READ_PRESETS(path, read);
      QVERIFY2(problem.startsWith(start) && problem.isEmpty() == start.isEmpty() && read == Presets{}, qPrintable(problem));
    }
    MsgCapture msgs;
    DIAL d;
    presets::KEPT().load(path);
    QVERIFY(msgs.texts().size() == 1 && msgs.texts()[0].startsWith("The presets file " + path + " was not read: entry 4: it is neither"));
    QCOMPARE(button_texts(d), QStringList(presets::COUNT, "(empty)"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll() == std::end(rows)[-1].first);
    d.show_position(7);
    trigger(d, 5, "set_to_position");
    QVERIFY(presets::READ_PRESETS(path, read).isEmpty() && read[4] == Preset({"", 7}));
  }
};

VELTA_TEST_MAIN(TestDial)
#include "test_dial.moc"
