#pragma once

#include <QObject>

class QGridLayout;
class QPushButton;
class QWidget;

// A push button of a record window, named name, showing caption.
QPushButton* recordButton(QWidget* window, const char* name, const char* caption);

// "&Salvar" and "&Novo" in one place on a new-record window: Salvar while a
// new record is being entered, Novo (a fresh start) once a stored record is
// shown instead. Exactly one of the two is visible and enabled.
class SaveOrNew final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SaveOrNew)
public:
    SaveOrNew(QWidget* window, QGridLayout* grid, int row, int column);

    QPushButton* const cmdSalvar;
    QPushButton* const cmdNovo;

    // A stored record is shown: only Novo, with the focus.
    void offerNew();
    // Back to entering a new record.
    void offerSave();
};
