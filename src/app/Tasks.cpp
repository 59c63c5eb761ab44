#include "Tasks.h"

#include "customers/frmClientes.h"
#include "customers/frmConClientes.h"
#include "customers/frmModClientes.h"
#include "frmMenu.h"
#include "videos/frmConVideo.h"
#include "videos/frmModVideo.h"
#include "videos/frmVideos.h"

void registerTasks(frmMenu& menu)
{
    menu.setTaskFactory("mnuClientes", [](store::Database& db) { return new frmClientes(db); });
    menu.setTaskFactory("mnuVídeos", [](store::Database& db) { return new frmVideos(db); });
    menu.setTaskFactory("mnuModCliente", [](store::Database& db) { return new frmModClientes(db); });
    menu.setTaskFactory("mnuModVideo", [](store::Database& db) { return new frmModVideo(db); });
    menu.setTaskFactory("mnuConClientes", [](store::Database& db) { return new frmConClientes(db); });
    menu.setTaskFactory("mnuconVideo", [](store::Database& db) { return new frmConVideo(db); });
}
