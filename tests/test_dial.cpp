// The rotator dial: the angle under a point; what it shows after the controller's reports and the go-tos sent; the
// clicks, keys and presets that turn the rotator only as Execute does; its View item; the presets file.
#include <QAccessible>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include "app/set_file.h"
#include "tests/harness/bench.h"
#include "ui/dial.h"
#include "ui/dial_controls.h"
#include "ui/options.h"
#include "ui/preset_dialog.h"

using presets::Preset, presets::Presets;

namespace {
QByteArray array_of(QStringList first) {
  while (first.size() < presets::COUNT) first << "null";
  return "[" + first.join(',').toUtf8() + "]";
}

QString button_texts(const DIAL& d) {
  QStringList texts;
  for (const QPushButton* b : d.preset_buttons) texts << b->text();
  return texts.join('|');
}

void trigger(DIAL& d, int number, const char* action) { d.preset_buttons[number - 1]->findChild<QAction*>(action)->trigger(); }

QPoint on_rose(const DIAL& d, double degrees, double share) {
  return dial::POINT_AT(degrees, d.rose->centre(), d.rose->radius() * share).toPoint();
}

// The go-to box, the dial's three labels and its screen reader's value; where the end-stop mark stands on the rim;
// the position needle's colour.
QStringList shown(velta& w, DIAL& d) {
  const QImage rose = d.rose->grab().toImage();
  const QRgb ink = d.palette().color(QPalette::WindowText).rgb();
  QString stop = "no stop";
  for (int at : {0, 180})
    if (rose.pixel(on_rose(d, at, 1.02)) == ink) stop = QString("stop at %1").arg(at);
  const QRgb c = rose.pixel(on_rose(d, d.dial_position->text().chopped(1).toInt(), 0.4));
  const QString needle = d.dial_position->text() == "???" ? "" : c == qRgb(255, 0, 0) ? "red" : c == ink ? "ink" : "none";
  return {w.go_to_angle->text(), d.dial_position->text(), d.dial_target->text(), d.dial_state->text(),
          QAccessible::queryAccessibleInterface(d.rose)->text(QAccessible::Value), stop, needle};
}

}  // namespace

class TestDial : public QObject {
  Q_OBJECT
 private slots:
  void angle_at() {
    const QPointF c(100, 100), points[] = {{100, 20}, {180, 100}, {100, 180}, {20, 100}, dial::POINT_AT(359.6, c, 50),
                                           dial::POINT_AT(0.4, c, 50), dial::POINT_AT(0.5, c, 50), {100, 88.01},
                                           {100, 88}, dial::POINT_AT(225, c, 160)};  // the last beyond the rim
    QStringList angles;
    for (const QPointF& p : points) angles << QString::number(dial::ANGLE_AT(p, c, 80).value_or(-1));
    QCOMPARE(angles.join(' '), "0 90 180 270 0 0 1 -1 0 225");  // the centre circle's radius is 12
  }

  // Each row: what happens, the frames sent, what the window and the dial show after it (and no message). The dial
  // follows the status, the parameter read and a monitor frame, and a go-to's target until READY at it, a stop or E.
  void fed_and_turned() {
    Bench b;
    velta& w = b.w();
    DIAL& d = dial_controls::DIAL_OF(w);
    b.setReplyPeriod(300), b.apply({"set position 123", "set speed 0"});
    presets::LOAD_PRESETS(), presets::KEPT().change(0, Preset{"park", 180});  // no file yet: made here
    w.findChild<QAction*>("rotator_dial")->trigger(), d.resize(400, 560);  // a pixel is far less than a degree
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    const struct { const char* what; std::function<void()> act; QByteArray sent; const char* shown; } rows[] = {
        {"nothing yet", [] {}, "", "?|???||???|position ???|no stop|"},
        {"cmd ?", [&] { click(w.command_qm); }, frame('?'), "?|123°||READY|position 123°|no stop|ink"},
        {"a click at 90°, one in the centre, Enter", [&] {
           QTest::mouseClick(d.rose, Qt::LeftButton, {}, on_rose(d, 90, 0.8));
           QTest::mouseClick(d.rose, Qt::LeftButton, {}, d.rose->centre().toPoint()), QTest::keyClick(d.rose, Qt::Key_Return);
         }, frame('G', "90"), "90|123°|to 90°|READY|position 123°, target 90°|no stop|ink"},
        {"cmd L while turning, south-stop", [&] { click(w.read_info); }, frame('L'),
         "90|123°|to 90°|BUSY|position 123°, target 90°|stop at 180|red"},
        {"a monitor frame READY at the target", [&] {
           b.sim().set("busy", "0");  // stopped short: the monitor's S needs READY
           later(300, [&] { b.sim().send("\x02" "A,?,090,R\r"), later(300, [&] { w.cmd_monitor->click(); }); });
           w.cmd_monitor->click();
         }, frame('S') + frame('?') + frame('M') + frame('S'), "90|90°||READY|position 90°|stop at 180|ink"},
        {"an empty preset, the Park one", [&] { click(d.preset_buttons[1]), click(d.preset_buttons[0]); }, frame('G', "180"),
         "180|90°|to 180°|READY|position 90°, target 180°|stop at 180|ink"},
        {"Soft STOP", [&] { click(w.soft_stop); }, frame('G', "977"), "180|90°||READY|position 90°|stop at 180|ink"},
        {"a double-click at 200° answered E", [&] {
           b.sim().fault("replace=5:E for=G once"), QTest::mouseDClick(d.rose, Qt::LeftButton, {}, on_rose(d, 200, 0.5));
         }, frame('G', "200"), "200|90°||READY|position 90°|stop at 180|ink"},
    };
    for (const auto& row : rows) {
      row.act();
      QCOMPARE(row.what + (" " + b.sim().received()) + " " + (shown(w, d) + b.msgs().texts()).join('|').toUtf8(),
               row.what + (" " + row.sent) + " " + row.shown);  // and no message
    }
    VERIFY_ENDED(w);
  }

  // View > Rotator dial: kept in velta-options.ini, never in velta.ini. The keys turn the angle in the go-to box;
  // nothing turns while Execute is disabled, but a preset's menu still opens, for changing a preset sends nothing.
  void view_keys_and_locks() {
    Bench b;
    velta& w = b.w();
    DIAL& d = dial_controls::DIAL_OF(w);
    QAction* item = w.findChild<QAction*>("rotator_dial");
    ui::SET_OPTION(dial_controls::OPEN_OPTION, true), w.show();  // the dial opens with the window
    QTRY_VERIFY(d.isVisible() && item->isChecked());
    d.close();
    QVERIFY(!item->isChecked());
    item->trigger();
    const std::pair<const char*, Qt::Key> keys[] = {{"355", Qt::Key_Right}, {"355", Qt::Key_PageUp}, {"355", Qt::Key_Left},
                                                   {"355", Qt::Key_PageDown}, {"x", Qt::Key_Left}, {" 0", Qt::Key_PageDown}};
    QStringList seen;
    for (const auto& [from, key] : keys) w.go_to_angle->setText(from), QTest::keyClick(d.rose, key), seen << w.go_to_angle->text();
    QCOMPARE(seen.join(' '), "356 5 354 345 359 350");
    w.execute->setEnabled(false), QTest::keyClick(d.rose, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::mouseDClick(d.rose, Qt::LeftButton, {}, on_rose(d, 10, 0.5));
    QVERIFY(std::ranges::none_of(d.preset_buttons, &QWidget::isEnabled));
    QContextMenuEvent menu_key(QContextMenuEvent::Keyboard, {5, 5}, d.preset_buttons[1]->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(d.preset_buttons[1], &menu_key);
    QTRY_VERIFY(d.preset_buttons[1]->findChild<QMenu*>()->isVisible());
    d.preset_buttons[1]->findChild<QMenu*>()->close(), w.execute->setEnabled(true);
    QTest::qWait(50);
    QVERIFY(b.sim().received().isEmpty() && std::ranges::all_of(d.preset_buttons, &QWidget::isEnabled));
    w.close();  // the program ends: the dial goes and is open at the next start
    QFile options(ui::OPTIONS_FILE);
    QCOMPARE((options.open(QIODevice::ReadOnly), options.readAll()) + settings_file(), "[view]\nrotator_dial=true\n 1 \r\n");
    QVERIFY(!d.isVisible());
  }

  // A damaged presets file gives eight empty presets, none of its own, and is told once, left as it is until a preset
  // is changed; a missing one is no problem. A hand-written file is read (blanks around a name, a member of its own);
  // each change from the menu reaches the file at once and reads back equal.
  void presets_file() {
    QTemporaryDir dir;
    const QString path = dir.filePath(presets::FILE_NAME);
    const std::pair<QByteArray, QString> rows[] = {  // no bytes: no file
        {{}, {}}, {"[1,2", "it is not a JSON document (invalid termination by number at character 4)"},
        {R"({"name": "Mast"})", "it is not a list of presets"},
        {"[null]", "it holds 1 entry instead of 8"},
        {array_of({"null", R"({"name": "Mast", "azimuth": 12.5})"}),
         "entry 2: its azimuth must be a whole number from 0 to 359, found: 12.5"},
        {array_of({R"({"name": "Mast", "azimuth": -5})"}), "entry 1: its azimuth must be a whole number from 0 to 359, found: -5"},
        {array_of({R"({"name": "Mast", "azimuth": 360})"}), "entry 1: its azimuth must be a whole number from 0 to 359, found: 360"},
        {array_of({R"({"azimuth": 3})"}), "entry 1: its name is missing or not text"},
        {array_of({"null", "null", "null", R"({"name": " 123456789012345678901 ", "azimuth": 3})"}),
         "entry 4: the name must have at most 20 characters, it has 21"},
        {array_of({"null", R"({"name": "Mast", "azimuth": 359})", "null", "[]"}), "entry 4: it is neither null nor an object: []"}};
    for (const auto& [bytes, problem] : rows) {
      QFile::remove(path);
      if (!bytes.isEmpty()) QVERIFY(set_file::WRITE_WHOLE(path, bytes).isEmpty());
      Presets read = {std::nullopt, Preset{"left over", 1}};
      const QString told = presets::READ_PRESETS(path, read);
      QCOMPARE(told + (read == Presets{} ? "" : " (read in part)"), problem);
    }
    MsgCapture msgs;
    DIAL d;
    presets::KEPT().load(path);
    QVERIFY(!d.preset_buttons[1]->findChild<QAction*>("set_to_position")->isEnabled());  // no position known yet
    QCOMPARE(msgs.texts().join('|') + "|" + button_texts(d) + "|" + d.preset_buttons[7]->toolTip(),
             "The presets file " + path + " was not read: entry 4: it is neither null nor an object: [].\nThe eight "
             "presets are empty; the file is kept as it is until a preset is changed.|" +
             QStringList(presets::COUNT, "(empty)").join('|') + "|Empty; right-click to set");
    QFile file(path);
    QVERIFY((file.open(QIODevice::ReadOnly), file.readAll()) == std::end(rows)[-1].first);
    QVERIFY(set_file::WRITE_WHOLE(path, array_of({R"({"name": " Park ", "azimuth": 180, "note": "mast 2"})",
                                                  R"({"name": "Parking", "azimuth": 10})", "null",
                                                  R"({"name": "R&D lab", "azimuth": 0})", "null", "null", "null",
                                                  R"({"name": "", "azimuth": 359})"})).isEmpty());
    msgs.clear(), presets::KEPT().load(path);
    QCOMPARE(button_texts(d) + " " + d.preset_buttons[0]->toolTip(),
             "Park 180°|Parking 10°|(empty)|R&&D lab 0°|(empty)|(empty)|(empty)|359° Go to 180°; right-click to change");
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
    const QString changed = "(empty)|Parking 42°|Mast 90°|R&&D lab 0°|(empty)|(empty)|(empty)|359°";
    QCOMPARE(QStringList({problem, button_texts(d), (presets::KEPT().load(path), button_texts(d))}) + msgs.texts(),
             QStringList({"the angle must be a whole number from 0 to 359, received:360", changed, changed}));
  }
};

VELTA_TEST_MAIN(TestDial)
#include "test_dial.moc"
