#include "rptLocacao.h"

#include "datFenwarda.h"

#include "counter/History.h"
#include "store/Names.h"
#include "store/StoreError.h"

using namespace store::names;

namespace {

constexpr qreal FieldPoints = 8.25;
constexpr int BlockLines = 5;
constexpr qreal BlockGap = 6; // the line under a block sits in the middle of it

} // namespace

rptLocacao::rptLocacao(std::shared_ptr<datFenwarda> env)
    : DataReport(env, QString::fromLatin1(Name), QStringLiteral("cmdLocacao_Grouping")), m_env(std::move(env))
{
    // Date, customer and note number sit over the third and fourth columns,
    // whose slots start on the third line of a block.
    setHeaders(QStringLiteral("Relatório de Locação de Vídeos Pendentes"), 15.75,
               {{QStringLiteral("Relação de Vídeos Locados"), 0, 2 * CellWidth},
                {QStringLiteral("Data"), 2 * CellWidth, 55},
                {QStringLiteral("Clientes"), 2 * CellWidth + 58, 170},
                {QStringLiteral("Codigo"), 2 * CellWidth + 231, 44}},
               9.75);
}

rptLocacao::~rptLocacao() = default;

QPoint rptLocacao::slotCell(int slot)
{
    if (slot <= 10)
        return QPoint((slot - 1) / 5, (slot - 1) % 5);
    if (slot <= 13)
        return QPoint(2, slot - 11 + 2);
    return QPoint(3, slot - 14 + 2);
}

qreal rptLocacao::groupHeight() const
{
    return BlockLines * lineHeight(FieldPoints) + BlockGap;
}

void rptLocacao::addGroupItems(QList<Item>& out, int group, qreal top) const
{
    addFields(out, group,
              {{tblLocacao::Data, 2 * CellWidth, 55},
               {tblLocacao::Clientes, 2 * CellWidth + 58, 170},
               {tblLocacao::Codigo, 2 * CellWidth + 231, 44}},
              top, FieldPoints);
    const qreal line = lineHeight(FieldPoints);
    for (int slot = 1; slot <= tblLocacao::Slots; ++slot) {
        const QPoint cell = slotCell(slot);
        addFields(out, group, {{tblLocacao::videoColumn(slot - 1), cell.x() * CellWidth, CellWidth}},
                  top + cell.y() * line, FieldPoints);
    }
    // Namesakes told apart: the account's number under the name, on the
    // line the slots leave free.
    const QString account = accountOf(groupValue(group, tblLocacao::Codigo));
    if (!account.isEmpty())
        out.append(textItem(Band::GroupHeader, QRectF(2 * CellWidth + 58, top + line, 170, line),
                            QStringLiteral("Cliente nº %1").arg(account), FieldPoints, group));
    const qreal under = top + BlockLines * line + BlockGap / 2;
    out.append(lineItem(Band::GroupHeader, under, 0, printableSize().width(), group));
}

QString rptLocacao::accountOf(const QString& note) const
{
    if (const auto known = m_accounts.constFind(note); known != m_accounts.cend())
        return *known;
    QString account;
    try {
        if (!m_history)
            m_history = std::make_unique<counter::History>(m_env->cnnClientes());
        if (const auto saved = m_history->savedNote(note))
            account = saved->customerCode;
    } catch (const store::StoreError&) {
        // The block is drawn without the number; the note itself came through.
    }
    m_accounts.insert(note, account);
    return account;
}
