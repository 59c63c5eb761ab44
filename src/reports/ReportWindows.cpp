#include "ReportWindows.h"

#include "DataReport.h"
#include "ReportPreview.h"
#include "counter/ShopSettings.h"
#include "datFenwarda.h"
#include "store/Database.h"

QWidget* ReportWindows::open(const QString& name, store::Database& db, const Maker& make)
{
    if (QWidget* shown = m_open.value(name)) {
        shown->showNormal();
        shown->raise();
        shown->activateWindow();
        return nullptr;
    }
    if (!m_env || m_env->folder() != db.folder())
        m_env = std::make_shared<datFenwarda>(db.folder());
    m_env->open();
    // The first page is read before any widget exists: a failure leaves no
    // window. The rest is read while the window is up.
    std::unique_ptr<DataReport> report = make(m_env);
    report->setHeading(counter::SettingsStore(m_env->cnnClientes()).read().headingLines());
    report->readTo(0);
    auto* preview = new ReportPreview(std::move(report));
    m_open.insert(name, preview);
    return preview;
}
