#pragma once

#include <QHash>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class datFenwarda;
class DataReport;

namespace store {
class Database;
}

// What the report entries of the main menu open. The data environment is
// created on the first report shown and kept for all of them; a report
// that is already open is brought to the front instead of built again.
class ReportWindows
{
public:
    // The preview of Report, or nullptr when it was open already. Throws
    // StoreError (no window is built then) when the data file cannot be read.
    template <typename Report> QWidget* open(store::Database& db)
    {
        return open(QString::fromLatin1(Report::Name), db, [](std::shared_ptr<datFenwarda> env) {
            return std::make_unique<Report>(std::move(env));
        });
    }

    using Maker = std::function<std::unique_ptr<DataReport>(std::shared_ptr<datFenwarda>)>;
    // The preview of the report make builds, known as name (a report on
    // other dates is another name), or nullptr when it was open already.
    QWidget* open(const QString& name, store::Database& db, const Maker& make);

    datFenwarda* environment() const { return m_env.get(); }

private:
    std::shared_ptr<datFenwarda> m_env;
    QHash<QString, QPointer<QWidget>> m_open;
};
