#include "tests/harness/design.h"

#include <QAccessible>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "ui/colours.h"

namespace {
QString quoted(const QString& s) { return '"' + QString(s).replace('\n', "\\n") + '"'; }

// The text a control shows.
QString text_of(QWidget* w) {
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
  if (auto* t = qobject_cast<QPlainTextEdit*>(w)) return t->toPlainText();
  return {};
}

// Where a widget stands in a layout, nested ones searched: "cell 1,0 1x2"
// in a grid, "item 3" in a row or column, "/" between nested layouts.
QString place_in(QLayout* layout, QWidget* w) {
  for (int i = 0; layout && i < layout->count(); ++i) {
    QLayoutItem* item = layout->itemAt(i);
    QString here = QString("item %1").arg(i);
    if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
      int r = 0, c = 0, rs = 0, cs = 0;
      grid->getItemPosition(i, &r, &c, &rs, &cs);
      here = QString("cell %1,%2 %3x%4").arg(r).arg(c).arg(rs).arg(cs);
    }
    if (item->widget() == w) return here;
    if (const QString inner = place_in(item->layout(), w); !inner.isEmpty()) return here + " / " + inner;
  }
  return {};
}

// Where it stands: its place in its parent's layout, else in pixels.
QString place_of(QWidget* w) {
  if (const QString in = place_in(w->parentWidget() ? w->parentWidget()->layout() : nullptr, w); !in.isEmpty())
    return in;
  const QRect g = w->geometry();
  return QString("at %1,%2 %3x%4").arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height());
}

// A control of the window itself: what a person sees or types into, not the
// parts the toolkit makes of it (scroll bars, a menu bar's own buttons) nor a
// window of its own.
bool shown_control(QWidget* w, QWidget* window) {
  if (w->window() != window || qobject_cast<QMenuBar*>(w->parentWidget()) || qobject_cast<QMenuBar*>(w)) return false;
  for (QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
    if (qobject_cast<QPlainTextEdit*>(p) || qobject_cast<QComboBox*>(p) || qobject_cast<QLineEdit*>(p)) return false;
  return qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
         qobject_cast<QGroupBox*>(w) || qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QComboBox*>(w) ||
         w->focusPolicy() != Qt::NoFocus || (!w->objectName().isEmpty() && !w->objectName().startsWith("qt_"));
}

QString line_of(QWidget* w, const QList<QWidget*>& tab_chain) {
  QStringList l{w->objectName().isEmpty() ? "-" : w->objectName(), w->metaObject()->className(), quoted(text_of(w)),
                "bg " + ui::BACKCOLOR(w).name(), "fg " + ui::FORECOLOR(w).name(), place_of(w)};
  if (!w->isEnabled()) l << "disabled";
  if (auto* e = qobject_cast<QLineEdit*>(w); e && e->isReadOnly()) l << "read-only";
  if (auto* t = qobject_cast<QPlainTextEdit*>(w); t && t->isReadOnly()) l << "read-only";
  if (auto* b = qobject_cast<QAbstractButton*>(w); b && b->isCheckable()) l << (b->isChecked() ? "checked" : "unchecked");
  if (auto* lb = qobject_cast<QLabel*>(w); lb && lb->buddy()) l << "names " + lb->buddy()->objectName();
  if (const int tab = tab_chain.indexOf(w); tab >= 0) l << QString("tab %1").arg(tab);
  // A list speaks its current line, which is the machine's, not the design's.
  const QString spoken = QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
  if (!spoken.isEmpty() && spoken != text_of(w) && !qobject_cast<QLabel*>(w) && !qobject_cast<QComboBox*>(w))
    l << "spoken " + quoted(spoken);
  return l.join("  ");
}

QStringList menus_of(QWidget* window) {
  QStringList out;
  auto* bar = window->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly);
  for (QAction* m : bar ? bar->actions() : QList<QAction*>{}) {
    out << "menu " + m->menu()->objectName() + "  " + quoted(m->menu()->title());
    for (QAction* a : m->menu()->actions()) {
      QStringList l{"  " + (a->isSeparator() ? "----" : a->objectName()), quoted(a->text()),
                    a->shortcut().toString(QKeySequence::PortableText), "tip " + quoted(a->statusTip())};
      if (a->isCheckable()) l << (a->isChecked() ? "checked" : "unchecked");
      if (!a->isEnabled()) l << "disabled";
      out << l.join("  ");
    }
  }
  return out;
}
}  // namespace

QStringList DESIGN_OF(QWidget* window) {
  QList<QWidget*> chain;
  for (QWidget* w = window->nextInFocusChain(); w && w != window && chain.size() < 500; w = w->nextInFocusChain())
    if (shown_control(w, window) && (w->focusPolicy() & Qt::TabFocus)) chain << w;
  QStringList out{"window " + window->objectName() + "  " + quoted(window->windowTitle())};
  for (QWidget* w : window->findChildren<QWidget*>())
    if (shown_control(w, window)) out << line_of(w, chain);
  return out + menus_of(window);
}

void CHECK_DESIGN(QWidget* window, const QString& name) { CHECK_SNAPSHOT(DESIGN_OF(window), name); }

void CHECK_SNAPSHOT(const QStringList& got, const QString& name) {
  const QString path = QStringLiteral(DESIGN_DIR "/") + name + ".txt";
  QFile file(path);
  if (qEnvironmentVariableIsSet("VELTA_WRITE_DESIGN")) {
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write((got.join('\n') + '\n').toUtf8());
    return;
  }
  QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path + " is missing"));
  QStringList want = QString::fromUtf8(file.readAll()).split('\n');
  want.removeLast();  // the file's own last line break
  for (qsizetype i = 0; i < std::max(got.size(), want.size()); ++i) QCOMPARE(got.value(i), want.value(i));
}
