#include "rptMovimento.h"

#include "ReportRows.h"
#include "counter/DayMovement.h"
#include "datFenwarda.h"
#include "platform/Formats.h"

#include <QElapsedTimer>
#include <vector>

namespace {

using counter::DayMovement;

constexpr qreal FieldPoints = 9.75;
constexpr int Slice = 500;

// The report's lines: the notes, their totals, a blank line, the returns'
// captions, the returns and their count. The first column says which.
enum Kind { NoteLine, NoteTotal, Blank, ReturnCaptions, ReturnLine, ReturnTotal };

QString dateTime(const QDateTime& at)
{
    return platform::shortDate(at.date()) + at.toString(QStringLiteral(" HH:mm"));
}

// Read a slice at a time as the pages need them; what is kept of each line
// is small, so a span of years stays in memory.
class MovementRows final : public ReportRows
{
public:
    MovementRows(store::Database& db, const QDate& from, const QDate& to) : m_day(db, from, to) {}

    const QStringList& by() const override
    {
        static const QStringList columns{"Tipo", "1", "2", "3", "4", "5", "6"};
        return columns;
    }
    bool complete() const override { return m_returnsDone; }
    int groupsKnown() const override
    {
        if (!m_notesDone)
            return int(m_notes.size());
        // Notes, total, blank and captions, the returns, and their count once done.
        return int(m_notes.size()) + 3 + int(m_returns.size()) + (m_returnsDone ? 1 : 0);
    }
    void readUntil(int groups) override
    {
        while (!complete() && groupsKnown() < groups)
            readSlice();
    }
    bool readFor(std::chrono::milliseconds budget) override
    {
        QElapsedTimer clock;
        clock.start();
        while (!complete() && clock.elapsed() < budget.count())
            readSlice();
        return complete();
    }
    QList<QStringList> keys(int first, int count) override
    {
        QList<QStringList> out;
        for (int group = first; group < first + count; ++group)
            out.append(line(group));
        return out;
    }

private:
    void readSlice()
    {
        if (!m_notesDone) {
            const QList<DayMovement::Note> slice = m_day.notes(m_afterNote, Slice);
            for (const DayMovement::Note& note : slice) {
                m_totals.add(note);
                m_notes.push_back(note);
            }
            m_notesDone = slice.size() < Slice;
            return;
        }
        const QList<DayMovement::Return> slice = m_day.returns(m_afterReturn, Slice);
        m_returns.insert(m_returns.end(), slice.begin(), slice.end());
        m_returnsDone = slice.size() < Slice;
    }

    QStringList line(int group) const
    {
        using platform::formatMoney;
        const int notes = int(m_notes.size());
        if (group < notes) {
            const DayMovement::Note& n = m_notes[size_t(group)];
            return {QString::number(NoteLine), n.code,
                    dateTime(n.savedAt),       n.customer,
                    formatMoney(n.value),      formatMoney(n.discount),
                    formatMoney(n.net())};
        }
        if (group == notes)
            return {QString::number(NoteTotal),
                    QStringLiteral("Total: %1 %2")
                        .arg(m_totals.notes)
                        .arg(m_totals.notes == 1 ? "nota" : "notas"),
                    QString(),
                    QString(),
                    formatMoney(m_totals.value),
                    formatMoney(m_totals.discount),
                    formatMoney(m_totals.net)};
        if (group == notes + 1)
            return {QString::number(Blank), {}, {}, {}, {}, {}, {}};
        if (group == notes + 2)
            return {QString::number(ReturnCaptions),
                    QStringLiteral("Nota"),
                    QStringLiteral("Registrada em"),
                    QStringLiteral("Cliente"),
                    QStringLiteral("Vídeo"),
                    QStringLiteral("Devolvido em"),
                    {}};
        const int at = group - notes - 3;
        if (at < int(m_returns.size())) {
            const DayMovement::Return& r = m_returns[size_t(at)];
            return {QString::number(ReturnLine),
                    r.note,
                    dateTime(r.bookedAt),
                    r.customer,
                    r.code + QStringLiteral(" - ") + r.title,
                    r.returnedOn,
                    {}};
        }
        const int count = int(m_returns.size());
        return {QString::number(ReturnTotal),
                QStringLiteral("Total: %1 %2").arg(count).arg(count == 1 ? "devolução" : "devoluções"),
                {},
                {},
                {},
                {},
                {}};
    }

    DayMovement m_day;
    DayMovement::After m_afterNote;
    DayMovement::After m_afterReturn;
    std::vector<DayMovement::Note> m_notes;
    std::vector<DayMovement::Return> m_returns;
    DayMovement::Totals m_totals;
    bool m_notesDone = false;
    bool m_returnsDone = false;
};

// The columns of a note's line, and of a return's.
struct Box
{
    qreal x;
    qreal width;
    bool right;
};
const Box NoteBoxes[] = {{0, 50, false},  {50, 85, false}, {135, 178, false},
                         {313, 70, true}, {383, 70, true}, {453, 70, true}};
const Box ReturnBoxes[] = {
    {0, 50, false}, {50, 85, false}, {135, 150, false}, {285, 170, false}, {455, 68, false}};

} // namespace

rptMovimento::rptMovimento(std::shared_ptr<datFenwarda> env, const QDate& from, const QDate& to)
    : DataReport(env, QString::fromLatin1(Name), std::make_shared<MovementRows>(env->cnnClientes(), from, to))
{
    QList<Caption> captions;
    const char* texts[] = {"Nota", "Data e Hora", "Cliente", "Valor", "Desconto", "Líquido"};
    for (int k = 0; k < 6; ++k)
        captions.append({QString::fromUtf8(texts[k]), NoteBoxes[k].x, NoteBoxes[k].width});
    setHeaders(title(from, to), 18, captions, 9.75);
}

QString rptMovimento::title(const QDate& from, const QDate& to)
{
    using platform::shortDate;
    if (from == to)
        return QStringLiteral("Movimento do Dia %1").arg(shortDate(from));
    return QStringLiteral("Movimento do Dia de %1 a %2").arg(shortDate(from), shortDate(to));
}

qreal rptMovimento::groupHeight() const
{
    return lineHeight(FieldPoints);
}

void rptMovimento::addGroupItems(QList<Item>& out, int group, qreal top) const
{
    const QStringList key = keyOf(group);
    const int kind = key.value(0).toInt();
    const bool returnLike = kind == ReturnCaptions || kind == ReturnLine || kind == ReturnTotal;
    const int columns = returnLike ? 5 : 6;
    for (int k = 0; k < columns; ++k) {
        const Box& box = returnLike ? ReturnBoxes[k] : NoteBoxes[k];
        // A total's caption runs over the time and customer columns.
        const qreal width = (kind == NoteTotal || kind == ReturnTotal) && k == 0 ? 313 : box.width;
        Item item = textItem(Band::GroupHeader, QRectF(box.x, top, width, groupHeight()), key.value(k + 1),
                             FieldPoints, group);
        item.alignRight = box.right;
        out.append(item);
    }
    if (kind == NoteTotal || kind == ReturnCaptions)
        out.append(lineItem(Band::GroupHeader, top, 0, printableSize().width(), group));
}
