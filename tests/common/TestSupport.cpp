#include "TestSupport.h"

#include "counter/ShopSettings.h"
#include "platform/Formats.h"
#include "platform/widgets/MessageBox.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

Shop::Shop()
{
    platform::setAppLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
    MessageBox::setTestMode(true);
    MessageBox::clearShown();
    m_db = std::make_unique<store::Database>(m_dir.path());
    m_db->open();
}

Shop::~Shop()
{
    m_db->close();
    MessageBox::clearShown();
}

QList<QHash<QString, QVariant>> Shop::rows(const QString& table)
{
    QSqlQuery q(m_db->connection());
    if (!q.exec(QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(table)))
        qFatal("rows(%s): %s", qPrintable(table), qPrintable(q.lastError().text()));
    QList<QHash<QString, QVariant>> out;
    while (q.next()) {
        QHash<QString, QVariant> row;
        const QSqlRecord rec = q.record();
        for (int i = 0; i < rec.count(); ++i)
            row.insert(rec.fieldName(i), q.value(i));
        out.append(row);
    }
    return out;
}

int Shop::count(const QString& table)
{
    QSqlQuery q(m_db->connection());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(table)) || !q.next())
        qFatal("count(%s): %s", qPrintable(table), qPrintable(q.lastError().text()));
    return q.value(0).toInt();
}

QHash<QString, QVariant> Shop::row(const QString& table, const QString& codigo)
{
    for (const auto& r : rows(table))
        if (r.value(QStringLiteral("Codigo")).toString() == codigo)
            return r;
    return {};
}

void Shop::whileLocked(const std::function<void()>& action)
{
    const QString name = QStringLiteral("other program");
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        other.setDatabaseName(m_db->filePath());
        QSqlQuery lock(other);
        if (!other.open() || !lock.exec(QStringLiteral("BEGIN EXCLUSIVE")))
            qFatal("cannot lock %s", qPrintable(m_db->filePath()));
        action();
        if (!lock.exec(QStringLiteral("ROLLBACK")))
            qFatal("cannot unlock %s", qPrintable(m_db->filePath()));
    }
    QSqlDatabase::removeDatabase(name);
}

void Shop::exec(const QString& sql, const QVariantList& values)
{
    QSqlQuery q(m_db->connection());
    q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        qFatal("exec(%s): %s", qPrintable(sql), qPrintable(q.lastError().text()));
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void damagePages(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite) || f.size() < 3 * 4096 || !f.seek(4096))
        qFatal("cannot damage %s", qPrintable(path));
    f.write(QByteArray(int(f.size()) - 4096, '\x5a'));
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    // Without this the kernel ends the process at the first refused write.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0)
        qFatal("getrlimit failed");
    m_before = limit.rlim_cur;
    limit.rlim_cur = rlim_t(bytes);
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
        qFatal("setrlimit failed");
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(m_before);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

void showAndFocus(QWidget* window)
{
    window->show();
    QApplication::setActiveWindow(window);
    if (!QTest::qWaitForWindowActive(window))
        qWarning("window did not become active");
}

void typeText(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(widget, char(c.unicode()));
            continue;
        }
        const int key = c.toUpper().unicode();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

void typeOver(QWidget* field, const QString& text)
{
    field->setFocus();
    auto* edit = qobject_cast<QLineEdit*>(field);
    if (auto* combo = qobject_cast<QComboBox*>(field))
        edit = combo->lineEdit();
    if (edit)
        edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    typeText(field, text);
}

void enterText(QWidget* field, const QString& text)
{
    typeOver(field, text);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

void barcodeRows()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("code");
    QTest::newRow("EAN-13") << "7891234567895"
                            << "7891234567895";
    QTest::newRow("twenty digits") << "12345678901234567890"
                                   << "12345678901234567890";
    QTest::newRow("the twenty-first is cut") << "123456789012345678901"
                                             << "12345678901234567890";
}

void storeShopHeading(store::Database& db, const QString& name, const QString& address, const QString& phone)
{
    counter::ShopSettings settings;
    settings.shopName = name;
    settings.shopAddress = address;
    settings.shopPhone = phone;
    counter::SettingsStore(db).write(settings);
}
