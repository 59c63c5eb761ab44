#include "Tasks.h"

#include "customers/frmClientes.h"
#include "customers/frmConClientes.h"
#include "customers/frmModClientes.h"
#include "frmMenu.h"
#include "rental/frmLocacao.h"
#include "reports/ReportWindows.h"
#include "reports/rptClientes.h"
#include "reports/rptLocacao.h"
#include "reports/rptVideos.h"
#include "returns/frmConsultaVideo.h"
#include "returns/frmDevolucao.h"
#include "settings/frmConfiguracoes.h"
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
    menu.setTaskFactory("mnuLocacao", [](store::Database& db) { return new frmLocacao(db); });
    menu.setTaskFactory("mnuDevolucao", [](store::Database& db) { return new frmDevolucao(db); });
    menu.setTaskFactory("mnuConVídeos", [](store::Database& db) { return new frmConsultaVideo(db); });
    menu.setTaskFactory("mnuconVideo", [](store::Database& db) { return new frmConVideo(db); });
    menu.setTaskFactory("mnuConfiguracoes", [](store::Database& db) { return new frmConfiguracoes(db); });

    auto reports = std::make_shared<ReportWindows>();
    menu.setReportFactory("mnuRelClientes",
                          [reports](store::Database& db) { return reports->open<rptClientes>(db); });
    menu.setReportFactory("mnuRelVideos",
                          [reports](store::Database& db) { return reports->open<rptVideos>(db); });
    menu.setReportFactory("mnuRelLocVideo",
                          [reports](store::Database& db) { return reports->open<rptLocacao>(db); });
}
