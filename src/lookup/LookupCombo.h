#pragma once

#include <QStringList>

class QAbstractItemModel;
class QString;
class QComboBox;
class QWidget;
class claFenwaurda;

// An editable combo whose list the operator completes by typing: the
// window's auto-complete object is attached whenever the combo gets the
// focus. Typed text is never added to the list.
QComboBox* makeLookupCombo(QWidget* parent, const char* name, claFenwaurda* autoComplete);

// Replaces the list in one go; fit for hundreds of thousands of items.
void setLookupItems(QComboBox* combo, const QStringList& items);
// Shows a list kept for the whole run (a pick list of the shop, changed a
// row at a time as records are stored); its index is kept with it and
// updated in place. nullptr shows an empty list.
void setLookupItems(QComboBox* combo, QAbstractItemModel* list);

// Indexes a list kept for the run now, in the background, so that the
// first window to show it finds the index ready (the program's start does
// this while the splash is up).
void prepareLookup(QAbstractItemModel* list);

// The items of the combo's list that equal text, letter case and accents
// ignored, each spelling once, in list order; text itself first when it is
// one of them, and last when the list does not hold it. Lets a window find
// "João Silva" when "joao silva" was typed without the list's completion.
QStringList lookupSpellings(QComboBox* combo, const QString& text);

// Empties the combo: no item chosen, nothing typed.
void clearLookup(QComboBox* combo);
// What was typed in the combo finds nothing: says so in an information box
// and empties the combo for the next try. Always false, for leave checks.
bool refuseLookup(QComboBox* combo, const QString& title, const QString& text);
