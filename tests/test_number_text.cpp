// Number reading and number text, as the conversions of the tool use them.
#include <QTest>

#include "protocol/number_text.h"
#include "tests/harness/bench.h"

using tune_cmd::S;
using tune_cmd::Val;

class TestNumberText : public QObject {
  Q_OBJECT
 private slots:
  void val_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("decimal") << "2.5" << 2.5;
    QTest::newRow("comma stops") << "1,5" << 1.0;
    QTest::newRow("trailing letters") << "12abc" << 12.0;
    QTest::newRow("question marks") << "???" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("blanks inside") << " 1 2\t3\n" << 123.0;
    QTest::newRow("negative, leading zero") << "-05" << -5.0;
    QTest::newRow("plus") << "+5" << 5.0;
    QTest::newRow("exponent") << "1.5e2x" << 150.0;
    QTest::newRow("exponent without digits") << "3e" << 3.0;
    QTest::newRow("lone sign") << "-" << 0.0;
    QTest::newRow("lone point") << "." << 0.0;
    QTest::newRow("point first") << ".5" << 0.5;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
  }
  void val() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(Val(text), value);
  }

  void s_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("integral") << 1829.0 << "1829";
    QTest::newRow("negative") << -15.0 << "-15";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("one third of 100") << 100.0 / 3.0 << "33.3333333333333";
    QTest::newRow("fraction") << 2.5 << "2.5";
    QTest::newRow("large") << 1e20 << "1E+20";
  }
  void s() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(S(value), text);
  }
};

VELTA_TEST_MAIN(TestNumberText)
#include "test_number_text.moc"
