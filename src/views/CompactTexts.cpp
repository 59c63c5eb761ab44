#include "CompactTexts.h"

#include <algorithm>
#include <limits>
#include <new>

namespace views {

void CompactTexts::assign(const QStringList& texts)
{
    clear();
    m_spans.reserve(size_t(texts.size()));
    for (const QString& t : texts)
        append(t);
}

void CompactTexts::clear()
{
    m_chunks = {};
    m_spans = {};
    m_chars = 0;
    m_unused = 0;
}

CompactTexts::Span CompactTexts::store(QStringView text)
{
    const qsizetype room = qsizetype(ChunkMask) + 1;
    if (m_chunks.empty() || m_chunks.back().size() + text.size() > room) {
        // Four thousand buffers of a million letters: a list no shop has.
        if (m_chunks.size() > (std::numeric_limits<quint32>::max() >> ChunkBits) || text.size() > room)
            throw std::bad_alloc();
        if (!m_chunks.empty())
            m_chunks.back().squeeze(); // full: it grew by doubling
        m_chunks.emplace_back();
    }
    QString& chunk = m_chunks.back();
    const Span span{quint32((m_chunks.size() - 1) << ChunkBits | size_t(chunk.size())), quint32(text.size())};
    chunk.append(text);
    m_chars += text.size();
    return span;
}

void CompactTexts::append(QStringView text)
{
    m_spans.push_back(store(text));
}

void CompactTexts::insert(qsizetype at, const QStringList& texts)
{
    std::vector<Span> added;
    added.reserve(size_t(texts.size()));
    for (const QString& t : texts)
        added.push_back(store(t));
    m_spans.insert(m_spans.begin() + at, added.begin(), added.end());
}

void CompactTexts::remove(qsizetype at, qsizetype count)
{
    for (qsizetype i = at; i < at + count; ++i)
        forget(i);
    m_spans.erase(m_spans.begin() + at, m_spans.begin() + at + count);
    packIfWasteful();
}

void CompactTexts::replace(qsizetype at, QStringView text)
{
    Span& old = m_spans[size_t(at)];
    if (text.size() <= qsizetype(old.size)) {
        // Written over in place (a copy shared with a reader is left as it was).
        QString& chunk = m_chunks[old.begin >> ChunkBits];
        std::copy(text.begin(), text.end(), chunk.data() + (old.begin & ChunkMask));
        m_unused += old.size - text.size();
        old.size = quint32(text.size());
        return;
    }
    forget(at);
    m_spans[size_t(at)] = store(text);
    packIfWasteful();
}

void CompactTexts::packIfWasteful()
{
    if (m_unused * 2 <= m_chars)
        return;
    CompactTexts packed;
    packed.m_spans.reserve(m_spans.size());
    for (qsizetype i = 0; i < size(); ++i)
        packed.append(at(i));
    *this = std::move(packed);
}

} // namespace views
