#include "CompactTexts.h"

#include <limits>
#include <new>

namespace views {

void CompactTexts::assign(const QStringList& texts)
{
    clear();
    qsizetype chars = 0;
    for (const QString& t : texts)
        chars += t.size();
    reserve(texts.size(), chars);
    for (const QString& t : texts)
        append(t);
}

void CompactTexts::clear()
{
    m_chars = QString();
    m_spans = {};
    m_unused = 0;
}

void CompactTexts::reserve(qsizetype texts, qsizetype chars)
{
    m_spans.reserve(size_t(texts));
    m_chars.reserve(chars);
}

void CompactTexts::squeeze()
{
    m_chars.squeeze();
    m_spans.shrink_to_fit();
}

CompactTexts::Span CompactTexts::store(QStringView text)
{
    // The places are 32-bit: a buffer that would outgrow them is a list no
    // shop has (two thousand million letters).
    if (m_chars.size() + text.size() > qsizetype(std::numeric_limits<quint32>::max()))
        throw std::bad_alloc();
    const Span span{quint32(m_chars.size()), quint32(text.size())};
    m_chars.append(text);
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
    const Span old = m_spans[size_t(at)];
    if (text.size() <= qsizetype(old.size)) {
        // Written over in place: nothing new in the buffer.
        std::copy(text.begin(), text.end(), m_chars.data() + old.begin);
        m_unused += old.size - text.size();
        m_spans[size_t(at)].size = quint32(text.size());
        return;
    }
    forget(at);
    m_spans[size_t(at)] = store(text);
    packIfWasteful();
}

void CompactTexts::packIfWasteful()
{
    if (m_unused * 2 <= m_chars.size())
        return;
    QString packed;
    packed.reserve(m_chars.size() - m_unused);
    for (Span& s : m_spans) {
        const QStringView text = QStringView(m_chars).mid(s.begin, s.size);
        s.begin = quint32(packed.size());
        packed.append(text);
    }
    m_chars = std::move(packed);
    m_unused = 0;
}

} // namespace views
