#include "rptAtraso.h"

#include "ReportRows.h"
#include "counter/Overdue.h"
#include "datFenwarda.h"
#include "platform/Formats.h"

namespace {

// The late notes, read whole on the first page: few, however big the shop.
class LateRows final : public ReportRows
{
public:
    LateRows(store::Database& db, const QDateTime& now) : m_db(db), m_now(now) {}

    const QStringList& by() const override
    {
        static const QStringList columns{"Nota", "Cliente", "Telefones", "Vídeo", "Vencimento", "Dias"};
        return columns;
    }
    bool complete() const override { return m_read; }
    int groupsKnown() const override { return int(m_lines.size()); }
    void readUntil(int) override { read(); }
    bool readFor(std::chrono::milliseconds) override
    {
        read();
        return true;
    }
    QList<QStringList> keys(int first, int count) override { return m_lines.mid(first, count); }

private:
    void read()
    {
        if (m_read)
            return;
        for (const counter::Overdue::Note& note : counter::Overdue(m_db).notes(m_now)) {
            bool firstLine = true;
            for (const counter::Overdue::Video& v : note.videos) {
                m_lines.append({firstLine ? note.code : QString(), firstLine ? note.customer : QString(),
                                firstLine ? note.phones.join(QStringLiteral(" / ")) : QString(),
                                v.code + QStringLiteral(" - ") + v.title, platform::shortDate(v.due.date()),
                                QString::number(v.daysLate)});
                firstLine = false;
            }
        }
        m_read = true;
    }

    store::Database& m_db;
    QDateTime m_now;
    bool m_read = false;
    QList<QStringList> m_lines;
};

} // namespace

rptAtraso::rptAtraso(std::shared_ptr<datFenwarda> env, const QDateTime& now)
    : LineReport(env, QString::fromLatin1(Name), std::make_shared<LateRows>(env->cnnClientes(), now),
                 QStringLiteral("Locações em Atraso"), 18, 9.75,
                 {{QStringLiteral("Nota"), QStringLiteral("Nota"), 0, 38},
                  {QStringLiteral("Cliente"), QStringLiteral("Cliente"), 38, 105},
                  {QStringLiteral("Telefones"), QStringLiteral("Telefones"), 143, 180},
                  {QStringLiteral("Vídeo"), QStringLiteral("Vídeo"), 323, 118},
                  {QStringLiteral("Vencimento"), QStringLiteral("Vencimento"), 441, 57},
                  {QStringLiteral("Dias"), QStringLiteral("Dias"), 498, 25}})
{
}
