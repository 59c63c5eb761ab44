#include "Tasks.h"

#include "customers/frmClientes.h"
#include "customers/frmConClientes.h"
#include "customers/frmModClientes.h"
#include "frmMenu.h"
#include "overdue/frmAtraso.h"
#include "rental/frmLocacao.h"
#include "reports/ReportWindows.h"
#include "reports/frmMovimentoDia.h"
#include "reports/rptAtraso.h"
#include "reports/rptClientes.h"
#include "reports/rptLocacao.h"
#include "reports/rptMovimento.h"
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

    menu.setTaskFactory("mnuConAtraso", [](store::Database& db) { return new frmAtraso(db); });
    menu.setReportFactory("mnuRelAtraso",
                          [reports](store::Database& db) { return reports->open<rptAtraso>(db); });
    // The days are asked first; each span is a report of its own.
    menu.setTaskFactory("mnuRelMovimento", [reports, &menu](store::Database& db) {
        return new frmMovimentoDia(db, [reports, &menu, &db](const QDate& from, const QDate& to) {
            const QString name = QStringLiteral("%1 %2 %3")
                                     .arg(QString::fromLatin1(rptMovimento::Name), from.toString(Qt::ISODate),
                                          to.toString(Qt::ISODate));
            menu.openReport(reports->open(name, db, [from, to](std::shared_ptr<datFenwarda> env) {
                return std::make_unique<rptMovimento>(std::move(env), from, to);
            }));
        });
    });
}
