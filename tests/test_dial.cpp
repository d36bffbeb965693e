// The rotator dial: the angle under a click, what the labels, the screen reader and the needles show, the keys,
// and the presets file beside velta.ini (written at once, a damaged one told once and left alone).
#include <QAccessible>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "app/set_file.h"
#include "tests/harness/bench.h"
#include "ui/dial.h"
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

  // What the rose shows (labels, screen reader, needles, end stop) follows each report at once; a click or a key
  // on it marks an angle or asks for the go-to.
  void the_rose() {
    DIAL d;
    d.resize(400, 560);  // a pixel is far less than a degree
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    // A row: what is reported; where the end-stop mark stands (-1: none); the position needle (at 123°) red
    // while BUSY; the position, target and state shown and the screen reader's value.
    const struct { std::optional<int> position; const char* state; std::optional<int> target, mode; int stop_at;
                   bool red; QStringList shown; } rows[] = {
        {{}, "", {}, {}, -1, false, {"???", "", "???", "position ???"}},
        {123, "R", {}, 0, 0, false, {"123°", "", "READY", "position 123°"}},
        {{}, "B", {}, 1, 180, true, {"123°", "", "BUSY", "position 123°"}},
        {{}, "B", 250, 2, -1, true, {"123°", "to 250°", "BUSY", "position 123°, target 250°"}},
        {{}, "?", {}, {}, -1, false, {"123°", "", "???", "position 123°"}},
    };
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(d.rose);
    const QRgb ink = d.palette().color(QPalette::WindowText).rgb();
    for (const auto& row : rows) {
      d.show_status(row.position, row.state), d.show_target(row.target), d.show_stop_mode(row.mode);
      const QString name = row.shown.join('|');
      QCOMPARE(QStringList({d.dial_position->text(), d.dial_target->text(), d.dial_state->text(),
                            reader->text(QAccessible::Value)}), row.shown);
      const QImage image = d.rose->grab().toImage();
      if (row.shown[0] != "???")
        QVERIFY2(image.pixel(on_rose(d, 123, 0.4)) == (row.red ? qRgb(255, 0, 0) : ink), qPrintable(name));
      // On the rim, just outside its thin line.
      for (int at : {0, 180})
        QVERIFY2((image.pixel(on_rose(d, at, 1.02)) == ink) == (row.stop_at == at), qPrintable(name));
    }

    QSignalSpy marked(&d, &DIAL::angle_marked), execute(&d, &DIAL::execute_requested);
    QTest::mouseClick(d.rose, Qt::LeftButton, {}, on_rose(d, 90, 0.8));
    QTest::mouseClick(d.rose, Qt::LeftButton, {}, d.rose->centre().toPoint());
    QTest::mouseDClick(d.rose, Qt::LeftButton, {}, d.rose->centre().toPoint());
    QVERIFY(marked.size() == 1 && marked[0][0] == 90 && execute.isEmpty());
    QTest::mouseDClick(d.rose, Qt::LeftButton, {}, on_rose(d, 200, 0.5));
    QCOMPARE(marked.last().value(0).toInt(), 200);
    QTest::keyClick(d.rose, Qt::Key_Return);
    QTest::keyClick(d.rose, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(execute.size(), 3);
    const struct { std::optional<int> from; Qt::Key key; int to; } steps[] = {
        {355, Qt::Key_Right, 356}, {355, Qt::Key_PageUp, 5}, {355, Qt::Key_Left, 354},
        {355, Qt::Key_PageDown, 345}, {{}, Qt::Key_Left, 359}, {0, Qt::Key_PageDown, 350}};
    for (const auto& s : steps) {
      d.show_marked(s.from);
      QTest::keyClick(d.rose, s.key);
      QCOMPARE(marked.last().value(0).toInt(), s.to);
    }
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
    d.load_presets(path);
    QCOMPARE(button_texts(d), QStringList({"Park 180°", "Parking 10°", "(empty)", "R&&D lab 0°", "(empty)",
                                           "(empty)", "(empty)", "359°"}));
    QCOMPARE(presets::PARK(d.presets()).value_or(-1), 180);
    QSignalSpy go(&d, &DIAL::preset_go), changed(&d, &DIAL::presets_changed);
    click(d.preset_buttons[2]), click(d.preset_buttons[0]);  // empty, then Park
    d.set_execute_enabled(false), click(d.preset_buttons[1]);
    QVERIFY(go.size() == 1 && go[0][0] == 180);

    QVERIFY(!d.preset_buttons[1]->findChild<QAction*>("set_to_position")->isEnabled());
    d.show_status(42, "R");
    trigger(d, 2, "set_to_position");  // keeps the name
    trigger(d, 1, "clear");
    QString problem;  // the dialog stays open while the angle is wrong
    later(0, [&] {
      auto* dialog = d.findChild<PRESET_DIALOG*>();
      dialog->preset_name->setText("  Mast ");
      dialog->preset_angle->setText("360");
      dialog->accept();
      problem = dialog->isVisible() ? dialog->preset_problem->text() : "closed";
      dialog->preset_angle->setText(" 090");
      dialog->accept();
    });
    trigger(d, 3, "set_to");
    QCOMPARE(problem, QString("the angle must be a whole number from 0 to 359, received:360"));
    QCOMPARE(changed.size(), 3);
    Presets expected, read;
    expected[1] = {{"Parking", 42}}, expected[2] = {{"Mast", 90}}, expected[3] = {{"R&D lab", 0}};
    expected[7] = {{"", 359}};
    QCOMPARE(presets::READ_PRESETS(path, read), QString());
    QVERIFY(read == expected);
    QVERIFY(!presets::PARK(read));
  }

  // A damaged file gives eight empty presets, none of its own, and says what
  // is wrong; a missing one is no problem.
  void damaged_file() {
    QTemporaryDir dir;
    const QString path = dir.filePath(presets::FILE_NAME);
    // No bytes: no file. The problem's start. The last file stays for the window below.
    const struct { QByteArray bytes; QString problem; } rows[] = {
        {{}, {}},
        {"[1,2", "it is not a JSON document ("},
        {"[null]", "it holds 1 entry instead of 8"},
        {array_of({"null", R"({"name": "Mast", "azimuth": 12.5})"}), "entry 2: its azimuth must be a whole number"},
        {array_of({"null", "null", "null", R"({"name": " 123456789012345678901 ", "azimuth": 3})"}),
         "entry 4: the name must have at most 20 characters, it has 21"},
        {array_of({"null", R"({"name": "Mast", "azimuth": 359})", "null", "[]"}),
         "entry 4: it is neither null nor an object: []"},
    };
    Presets read;
    for (const auto& row : rows) {
      QFile::remove(path);
      if (!row.bytes.isEmpty()) QVERIFY(set_file::WRITE_WHOLE(path, row.bytes).isEmpty());
      read[1] = Preset{"left over", 1};
      const QString problem = presets::READ_PRESETS(path, read);
      QVERIFY2(problem.startsWith(row.problem) && problem.isEmpty() == row.problem.isEmpty(), qPrintable(problem));
      QVERIFY2(read == Presets{}, qPrintable(problem));
    }

    // In the window: one message naming the file, which stays as it is.
    MsgCapture msgs;
    DIAL d;
    d.load_presets(path);
    QVERIFY(msgs.texts().size() == 1 &&
            msgs.texts()[0].startsWith("The presets file " + path + " was not read: entry 4: it is neither"));
    QCOMPARE(button_texts(d), QStringList(presets::COUNT, "(empty)"));
    d.show_status(7, "R");
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll() == std::end(rows)[-1].bytes);
    trigger(d, 5, "set_to_position");
    QVERIFY(presets::READ_PRESETS(path, read).isEmpty() && read[4] == Preset({"", 7}));
  }
};

VELTA_TEST_MAIN(TestDial)
#include "test_dial.moc"
