#include "SaveOrNew.h"

#include <QGridLayout>
#include <QPushButton>

QPushButton* recordButton(QWidget* window, const char* name, const char* caption)
{
    auto* b = new QPushButton(QString::fromUtf8(caption), window);
    b->setObjectName(QString::fromUtf8(name));
    return b;
}

SaveOrNew::SaveOrNew(QWidget* window, QGridLayout* grid, int row, int column)
    : QObject(window), cmdSalvar(recordButton(window, "cmdSalvar", "&Salvar")),
      cmdNovo(recordButton(window, "cmdNovo", "&Novo"))
{
    // The same cell: Novo lies exactly over Salvar.
    grid->addWidget(cmdSalvar, row, column);
    grid->addWidget(cmdNovo, row, column);
    cmdNovo->hide();
    cmdNovo->setEnabled(false);
}

void SaveOrNew::offerNew()
{
    cmdSalvar->hide();
    cmdSalvar->setEnabled(false);
    cmdNovo->setEnabled(true);
    cmdNovo->show();
    cmdNovo->setFocus();
}

void SaveOrNew::offerSave()
{
    cmdNovo->setEnabled(false);
    cmdNovo->hide();
    cmdSalvar->setEnabled(true);
    cmdSalvar->show();
}
