#include "RentalDraft.h"

#include "History.h"
#include "KeptStatements.h"
#include "PeopleSearch.h"
#include "platform/Formats.h"
#include "store/Names.h"
#include "store/PendingNote.h"
#include "store/RecordCursor.h"
#include "store/Schema.h"
#include "store/StoreError.h"

#include <QHash>
#include <algorithm>

namespace counter {

using namespace store::names;

RentalDraft::RentalDraft(store::Database& db)
    : m_db(db), m_pending(std::make_unique<store::PendingNote>(db)),
      m_people(std::make_unique<PeopleSearch>(db)), m_history(std::make_unique<History>(db)),
      m_statements(std::make_unique<KeptStatements>(db))
{
}

RentalDraft::~RentalDraft() = default;

store::RecordCursor& RentalDraft::cursor(std::unique_ptr<store::RecordCursor>& slot, const QString& table)
{
    // Opened on first use, so that a file that failed once is tried again.
    if (!slot)
        slot = std::make_unique<store::RecordCursor>(m_db, table);
    return *slot;
}

void RentalDraft::recoverLeftovers()
{
    m_pending->recoverLeftovers();
}

bool RentalDraft::confirmRenter(const QString& name)
{
    const std::optional<PeopleSearch::Person> person = m_people->find(name);
    if (!person)
        return false;
    chooseRenter(*person);
    return true;
}

QList<PeopleSearch::Person> RentalDraft::findRenters(const QStringList& names)
{
    return m_people->findAll(names);
}

void RentalDraft::chooseRenter(const PeopleSearch::Person& person)
{
    m_renter = person.name;
    m_renterCode = person.code();
    m_renterConfirmed = true;
}

RentalDraft::EntryResult RentalDraft::enter(const QString& code)
{
    EntryResult result;
    if (KeptStatements::namesNothing(code))
        return result;
    // The video by its unique code: the one seek of an entry, on a
    // statement kept for the draft's life.
    static const QString sql = QStringLiteral("SELECT %1, %2, %3 FROM %4 WHERE %5 = ? LIMIT 1")
                                   .arg(store::quoted(tblVideos::Nome), store::quoted(tblVideos::Tipo),
                                        store::quoted(tblVideos::Valor), store::quoted(tblVideos::Table),
                                        store::quoted(tblVideos::Codigo));
    static const QString what = QStringLiteral("buscar na tabela %1").arg(tblVideos::Table);
    QString title, category;
    if (!m_statements->first(
            0, sql, {code},
            [&](const KeptStatements::Row& r) {
                title = r.text(0);
                category = r.text(1);
                result.price = r.text(2);
            },
            what))
        return result;

    if (m_count == Slots) {
        result.outcome = Entry::Full;
        return result;
    }
    // An empty price rents for nothing; a negative, unreadable or absurd one
    // is the catalogue's mistake and must be mended there.
    const platform::PriceReading reading = platform::readPrice(result.price);
    if (!reading.usable()) {
        result.outcome = Entry::BadPrice;
        return result;
    }
    if (total() + reading.centavos > platform::MaxNoteValue) {
        result.outcome = Entry::OverMax;
        return result;
    }
    // Copies of a note a crash cut short are still off the shelf: composing
    // over them could lose one for good. Try again; refuse while they stay.
    if (!m_pending->leftoversRecovered()) {
        try {
            m_pending->recoverLeftovers();
        } catch (const store::StoreError& error) {
            result.outcome = Entry::LeftoversStuck;
            result.error = error.message();
            return result;
        }
    }
    if (!m_pending->takeCopy(m_count + 1, code))
        return result;

    m_slots[size_t(m_count)] = {code, title + QStringLiteral(" - ") + category, reading.centavos, title,
                                category};
    ++m_count;
    result.outcome = Entry::Entered;
    return result;
}

bool RentalDraft::undo()
{
    if (m_count == 0)
        return false;
    const int k = m_count - 1;
    m_pending->giveBack(k + 1, m_slots[size_t(k)].code);
    m_slots[size_t(k)] = {};
    --m_count;
    return true;
}

void RentalDraft::abandon()
{
    m_pending->giveBackAll();
    clear();
}

void RentalDraft::clear()
{
    m_slots.fill({});
    m_count = 0;
    m_discount = 0;
    m_renter.clear();
    m_renterCode.clear();
    m_renterConfirmed = false;
}

qint64 RentalDraft::total() const
{
    qint64 sum = 0;
    for (int k = 0; k < m_count; ++k)
        sum += m_slots[size_t(k)].price;
    return sum;
}

qint64 RentalDraft::value() const
{
    return std::max<qint64>(0, total() - m_discount);
}

bool RentalDraft::discountTooLarge() const
{
    return m_count > 0 && m_discount > total();
}

std::optional<qint64> RentalDraft::readDiscount(const QString& text)
{
    const QString typed = text.trimmed();
    if (typed.isEmpty())
        return 0;
    const std::optional<qint64> amount = platform::parseMoney(typed);
    if (!amount || *amount < 0)
        return std::nullopt;
    return amount;
}

RentalDraft::Discount RentalDraft::giveDiscount(const QString& text)
{
    const std::optional<qint64> amount = readDiscount(text);
    if (!amount)
        return Discount::Invalid;
    // Given, not added: the discount counts once however often it is typed.
    m_discount = *amount;
    return discountTooLarge() ? Discount::TooLarge : Discount::Accepted;
}

RentalDraft::SaveCheck RentalDraft::checkSave(const QString& discountText)
{
    if (!m_renterConfirmed)
        return SaveCheck::NoRenter;
    if (m_count == 0)
        return SaveCheck::NoVideos;
    switch (giveDiscount(discountText)) {
    case Discount::Invalid:
        return SaveCheck::DiscountInvalid;
    case Discount::TooLarge:
        return SaveCheck::DiscountTooLarge;
    case Discount::Accepted:
        break;
    }
    return SaveCheck::Ready;
}

QString RentalDraft::nextNumber()
{
    return QString::number(FirstNumber + cursor(m_numbers, Number::Table).count());
}

QString RentalDraft::save(const QString& date, const QString& number, const QString& customer,
                          const QString& discountText)
{
    QHash<QString, QString> columns{
        {tblLocacao::Data, date},
        {tblLocacao::Clientes, customer},
        {tblLocacao::Valor, platform::formatMoney(value())},
        {tblLocacao::Desconto, discountText},
    };
    for (int k = 0; k < Slots; ++k) {
        columns.insert(tblLocacao::videoColumn(k), m_slots[size_t(k)].description);
        columns.insert(tblLocacao::codeColumn(k), m_slots[size_t(k)].code);
    }
    // The number shown, unless a note saved meanwhile (another counter's)
    // has issued it: then the next one free.
    const auto issue = [&] {
        const QString due = nextNumber();
        bool shownOk = false;
        const qint64 shown = number.toLongLong(&shownOk);
        return shownOk && shown >= due.toLongLong() ? number : due;
    };
    const QString issued = m_pending->store(columns, issue, [&](const QString& saved) {
        History::Note entry{saved,        date, customer, m_renterCode, columns.value(tblLocacao::Valor),
                            discountText, {}};
        for (int k = 0; k < m_count; ++k) {
            const Slot& slot = m_slots[size_t(k)];
            entry.videos.append({k, slot.code, slot.title, slot.category, slot.price});
        }
        m_history->noteSaved(entry);
    });
    clear();
    return issued;
}

} // namespace counter
