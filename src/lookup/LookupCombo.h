#pragma once

#include <QStringList>

class QComboBox;
class QWidget;
class claFenwaurda;

// An editable combo whose list the operator completes by typing: the
// window's auto-complete object is attached whenever the combo gets the
// focus. Typed text is never added to the list.
QComboBox* makeLookupCombo(QWidget* parent, const char* name, claFenwaurda* autoComplete);

// Replaces the list in one go; fit for hundreds of thousands of items.
void setLookupItems(QComboBox* combo, const QStringList& items);
