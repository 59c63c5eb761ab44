#include "Station.h"

#include <QSettings>

namespace counter {

namespace {

const QString Organization = QStringLiteral("Fenwarda");
const QString Application = QStringLiteral("estacao");
const QString ServerKey = QStringLiteral("servidor");

} // namespace

QString savedServer()
{
    return QSettings(Organization, Application).value(ServerKey).toString().trimmed();
}

bool saveServer(const QString& address)
{
    QSettings settings(Organization, Application);
    if (address.trimmed().isEmpty())
        settings.remove(ServerKey);
    else
        settings.setValue(ServerKey, address.trimmed());
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace counter
