#pragma once
// The windows as their design fixes them, written out a control a line (its
// name, kind, text, colours, cell, state, place on the tab chain, spoken
// name) and the menus an item a line: compared as a whole with the snapshot
// of each window in tests/design/, so that no caption, colour, cell or name
// changes unseen. VELTA_WRITE_DESIGN=1 writes the snapshots instead, for a
// change of design that is meant; review them then as any change. Other
// texts a person reads whole (the --help list) are snapshots the same way.
#include <QStringList>

class QWidget;

QStringList DESIGN_OF(QWidget* window);
void CHECK_DESIGN(QWidget* window, const QString& name);
void CHECK_SNAPSHOT(const QStringList& got, const QString& name);
