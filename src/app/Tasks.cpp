#include "Tasks.h"

#include "frmMenu.h"

void registerTasks(frmMenu& menu)
{
    // The About box is built into frmMenu; task and report windows are added
    // here as they become available, e.g.
    //   menu.setTaskFactory("mnuClientes", [](store::Database& db) { return new frmClientes(db); });
    Q_UNUSED(menu);
}
