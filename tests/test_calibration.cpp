// The calibration window and its four commands against the simulated
// controller: the window's design, its life, the entry colours, the frames
// on the wire and every reply failure.
#include <QPointer>
#include <QTest>

#include "app/myVar.h"
#include "protocol/tune_cmd.h"
#include "tests/harness/bench.h"
#include "ui/calibration.h"
#include "ui/colours.h"

using namespace tune_cmd;

namespace {
CALIBRATION& open_form(Bench& b) {
  QTest::mouseClick(b.w().calib, Qt::LeftButton);
  CALIBRATION* f = calibration_form();
  if (!f) qFatal("the calibration window did not open");
  return *f;
}

QPushButton* button_of(CALIBRATION& f, char code) {
  switch (code) {
    case 'C': return f.calib360;
    case 'c': return f.calib_def;
    case 'K': return f.calib;
    default: return f.write_factor;
  }
}
}  // namespace

// The calibration reply, by character index: 0 STX, 1 "A", 2 ",", 3 code,
// 4 ",", 5 state, 6 CR.
class TestCalibration : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() { delete calibration_form(); }

  void the_window_as_designed() {
    Bench b({}, 1, false);
    CALIBRATION& f = open_form(b);
    QCOMPARE(f.windowTitle(), QStringLiteral("KOR.DEL.VAN.  -  CALIBRATION FORM"));
    QCOMPARE(f.size(), QSize(279, 190));
    QVERIFY(!f.isModal());
    struct Control {
      QWidget* w;
      const char* name;
      QString text;
      QColor colour;
      QRect geometry;
      double points;
    };
    const QColor light_yellow(255, 255, 192), yellow(255, 255, 0), light_blue(192, 192, 255),
        light_green(192, 255, 192);
    const Control controls[] = {
        {f.calib_def, "calib_def", "-Calibration- default (c)", light_yellow, {40, 16, 97, 41}, 9.75},
        {f.calib360, "calib360", "-Calibration- 360\u00b0 (C)", yellow, {144, 16, 89, 41}, 9.75},
        {f.calib, "calib", "-Calibration- any angle (K)", light_blue, {40, 72, 97, 41}, 9.75},
        {f.calib_angle, "calib_angle", "90", light_blue, {144, 72, 81, 40}, 24},
        {f.cal_factor, "cal_factor", "?", light_green, {144, 136, 113, 40}, 24},
        {f.write_factor, "write_factor", "-Calibration- calib factor set (F)", light_green, {40, 128, 97, 57}, 9.75},
    };
    for (const Control& c : controls) {
      QCOMPARE(c.w->objectName(), QString::fromLatin1(c.name));
      const QString text = qobject_cast<QLineEdit*>(c.w) ? qobject_cast<QLineEdit*>(c.w)->text()
                                                         : qobject_cast<QPushButton*>(c.w)->text();
      QCOMPARE(text, c.text);
      QCOMPARE(ui::BACKCOLOR(c.w), c.colour);
      QCOMPARE(c.w->geometry(), c.geometry);
      QCOMPARE(c.w->font().family(), QStringLiteral("Arial"));
      QVERIFY(c.w->font().bold());
      QCOMPARE(c.w->font().pointSizeF(), c.points);
    }
    QCOMPARE(f.Label1->objectName(), QStringLiteral("Label1"));
    QCOMPARE(f.Label1->text(), QStringLiteral("\u00b0"));
    QCOMPARE(f.Label1->geometry(), QRect(224, 72, 9, 17));
    QCOMPARE(f.Label1->font().pointSizeF(), 18.0);
    // Tab order as the controls are listed (labels take no focus).
    const auto next_focus = [](QWidget* w) {
      do w = w->nextInFocusChain();
      while (!(w->focusPolicy() & Qt::TabFocus));
      return w;
    };
    QCOMPARE(next_focus(f.calib_def), f.calib360);
    QCOMPARE(next_focus(f.calib360), f.calib);
    QCOMPARE(next_focus(f.calib), f.calib_angle);
    QCOMPARE(next_focus(f.calib_angle), f.cal_factor);
    QCOMPARE(next_focus(f.cal_factor), f.write_factor);
  }

  void an_open_window_comes_back_as_it_is_and_a_closed_one_anew() {
    Bench b({}, 1, false);
    CALIBRATION& f = open_form(b);
    f.cal_factor->setText("2500");
    QCOMPARE(&open_form(b), &f);  // brought to the front, not built again
    QCOMPARE(f.cal_factor->text(), QStringLiteral("2500"));
    QVERIFY(f.isVisible());
    QVERIFY(b.w().isEnabled());  // not modal: the main window stays usable

    QPointer<CALIBRATION> gone(&f);
    f.close();
    QTRY_VERIFY(gone.isNull());
    QCOMPARE(calibration_form(), nullptr);
    CALIBRATION& again = open_form(b);
    QCOMPARE(again.cal_factor->text(), QStringLiteral("?"));
    QCOMPARE(ui::BACKCOLOR(again.cal_factor), QColor(192, 255, 192));
  }

  void entry_colours_data() {
    QTest::addColumn<bool>("factor");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("red");
    QTest::newRow("factor 2500") << true << "2500" << false;
    QTest::newRow("factor 999") << true << "999" << true;
    QTest::newRow("factor 1000") << true << "1000" << false;
    QTest::newRow("factor 15000") << true << "15000" << false;
    QTest::newRow("factor 15001") << true << "15001" << true;
    QTest::newRow("factor 2500x leading number") << true << "2500x" << false;
    QTest::newRow("factor empty") << true << "" << true;
    QTest::newRow("angle 9") << false << "9" << true;
    QTest::newRow("angle 10") << false << "10" << false;
    QTest::newRow("angle 500") << false << "500" << false;
    QTest::newRow("angle 501") << false << "501" << true;
    QTest::newRow("angle empty counts as 0") << false << "" << true;
    QTest::newRow("angle 90.5") << false << "90.5" << false;
  }
  void entry_colours() {
    QFETCH(bool, factor);
    QFETCH(QString, text);
    QFETCH(bool, red);
    Bench b({}, 1, false);
    CALIBRATION& f = open_form(b);
    QLineEdit* box = factor ? f.cal_factor : f.calib_angle;
    box->setText(text + "1");
    box->setText(text);
    QCOMPARE(ui::BACKCOLOR(box), red ? ui::RED() : ui::SYS_WINDOW_BACKGROUND());
  }

  void commands_on_the_wire_data() {
    QTest::addColumn<char>("code");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("C") << 'C' << "" << QByteArray();
    QTest::newRow("c") << 'c' << "" << QByteArray();
    QTest::newRow("K with the design text") << 'K' << "90" << QByteArray("90");
    QTest::newRow("K out of range, controller decides") << 'K' << "700" << QByteArray("700");
    QTest::newRow("F between blanks") << 'F' << "  2500 " << QByteArray("2500");
    QTest::newRow("F leading zeros kept") << 'F' << "02500" << QByteArray("02500");
    QTest::newRow("F negative") << 'F' << "-5" << QByteArray("-5");
  }
  void commands_on_the_wire() {
    QFETCH(char, code);
    QFETCH(QString, entry);
    QFETCH(QByteArray, data);
    Bench b;
    b.sim().set("absolute", "1");
    CALIBRATION& f = open_form(b);
    if (code == 'K') f.calib_angle->setText(entry);
    if (code == 'F') f.cal_factor->setText(entry);
    QTest::mouseClick(button_of(f, code), Qt::LeftButton);
    QCOMPARE(b.msgs().texts(), QStringList{});
    QCOMPARE(b.sim().received(), frame(code, data));
    QVERIFY(!MSComm1()->portOpen());
    QVERIFY(!Timer1()->isActive());
    if (code == 'F') QCOMPARE(b.sim().control("get calfactor"), QString::number(data.toInt()));
  }

  void entries_that_are_no_whole_number_are_not_sent_data() {
    QTest::addColumn<char>("code");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("message");
    const QString k = "cmd K not sent: the calibration angle must be a whole number, received:";
    const QString f = "cmd F not sent: the calibration factor must be a whole number, received:";
    QTest::newRow("F design text") << 'F' << "?" << f + "?";
    QTest::newRow("F empty") << 'F' << "   " << f;
    QTest::newRow("F decimal") << 'F' << "2500.5" << f + "2500.5";
    QTest::newRow("F trailing letters") << 'F' << "2500abc" << f + "2500abc";
    QTest::newRow("K empty") << 'K' << "" << k;
    QTest::newRow("K decimal") << 'K' << "90.5" << k + "90.5";
    QTest::newRow("K inner blank") << 'K' << "9 0" << k + "9 0";
  }
  void entries_that_are_no_whole_number_are_not_sent() {
    QFETCH(char, code);
    QFETCH(QString, entry);
    QFETCH(QString, message);
    Bench b;
    b.sim().set("absolute", "1");
    CALIBRATION& f = open_form(b);
    QLineEdit* box = code == 'K' ? f.calib_angle : f.cal_factor;
    box->setText(entry);
    const QColor colour = ui::BACKCOLOR(box);
    QTest::mouseClick(button_of(f, code), Qt::LeftButton);
    QCOMPARE(b.msgs().texts(), QStringList{message});
    QCOMPARE(ui::BACKCOLOR(box), colour);  // the range colour stays
    QTest::qWait(50);
    QCOMPARE(b.sim().received(), QByteArray());
    QVERIFY(!MSComm1()->portOpen());
  }

  void reply_failures_data() {
    QTest::addColumn<char>("code");
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QStringList>("messages");
    for (const char code : {'C', 'c', 'K', 'F'}) {
      const QString n(QChar::fromLatin1(code));
      auto row = [&](const char* what) -> QTestData& { return QTest::addRow("%c: %s", code, what); };
      row("not in absolute mode") << code << QStringList{"set absolute 0"}
                                  << QStringList{"Cmd " + n + " not accepted: the CBOX is BUSY or NOT in ABSOLUTE mode!"};
      row("busy") << code << QStringList{"set busy 1"}
                  << QStringList{"Cmd " + n + " not accepted: the CBOX is BUSY or NOT in ABSOLUTE mode!"};
      row("no reply") << code << QStringList{"fault silence"}
                      << QStringList{"cmd " + n + ", Communication timeout on <header>"};
      row("terminator line feed") << code << QStringList{"fault wrong-term"}
                                  << QStringList{"Terminator invalid, received ASC:10"};
      row("terminator never comes") << code << QStringList{"fault cut=6"}
                                    << QStringList{"cmd " + n + ", Communication timeout on <return>"};
    }
    auto header = [](const char* what, const char* fault, const QString& message) {
      QTest::addRow("C: %s", what) << 'C' << QStringList{QString("fault ") + fault} << QStringList{message};
    };
    header("identifier", "replace=1:X", "<Identifier> invalid, received:X");
    header("separator 1", "replace=2:.", "<Separator>1 invalid, received:.");
    header("command echo", "wrong-code", "<Cmd> invalid, received:Z");
    header("separator 2", "replace=4:;", "<Separator>2 invalid, received:;");
    QTest::addRow("c: other state letter counts as accepted")
        << 'c' << QStringList{"fault replace=5:X"} << QStringList{};
  }
  void reply_failures() {
    QFETCH(char, code);
    QFETCH(QStringList, setup);
    QFETCH(QStringList, messages);
    Bench b;
    b.setReplyPeriod(500);
    b.sim().set("absolute", "1");
    for (const QString& s : setup) QCOMPARE(b.sim().control(s), QString());
    CALIBRATION& f = open_form(b);
    f.cal_factor->setText("2500");  // a factor the command sends
    const qint64 factor_before = b.sim().control("get calfactor").toLongLong();
    QTest::mouseClick(button_of(f, code), Qt::LeftButton);
    QCOMPARE(b.msgs().texts(), messages);
    QVERIFY(!MSComm1()->portOpen());
    QVERIFY(!Timer1()->isActive());
    QVERIFY(!myVar::reply_timeout);
    if (code == 'F' && setup.first().startsWith("set"))
      QCOMPARE(b.sim().control("get calfactor").toLongLong(), factor_before);  // refused: not stored
  }

  void with_the_monitor_running_a_calibration_button_only_sends() {
    Bench b;
    b.sim().set("absolute", "1");
    CALIBRATION& f = open_form(b);
    b.w().cmd_monitor->setText("STOP");
    QVERIFY(!OPEN_COM());
    QTest::mouseClick(f.calib, Qt::LeftButton);
    QVERIFY(MSComm1()->portOpen());
    QVERIFY(b.msgs().texts().isEmpty());
    QByteArray sent;
    QTRY_COMPARE((sent += b.sim().received()), frame('K', "90"));
    b.w().cmd_monitor->setText("START...");
    CLOSE_COM();
  }
};

VELTA_TEST_MAIN(TestCalibration)
#include "test_calibration.moc"
