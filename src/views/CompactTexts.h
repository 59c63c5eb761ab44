#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

namespace views {

// Many short texts kept in one buffer with their places beside it: a name
// of twenty letters takes 48 bytes here against 88 as a string of its own in
// a list, which is most of the memory of a shop of a million names. A
// changed text goes to the end of the buffer; the buffer is packed again
// once the texts no longer held would fill half of it.
class CompactTexts
{
public:
    qsizetype size() const { return qsizetype(m_spans.size()); }
    bool isEmpty() const { return m_spans.empty(); }
    // Valid until the texts next change.
    QStringView at(qsizetype i) const
    {
        const Span s = m_spans[size_t(i)];
        return QStringView(m_chars).mid(s.begin, s.size);
    }

    void assign(const QStringList& texts);
    void clear();
    void append(QStringView text);
    void insert(qsizetype at, const QStringList& texts);
    void remove(qsizetype at, qsizetype count);
    void replace(qsizetype at, QStringView text);
    void reserve(qsizetype texts, qsizetype chars);
    // Gives back what a read in pieces left unused.
    void squeeze();

private:
    struct Span
    {
        quint32 begin;
        quint32 size;
    };
    Span store(QStringView text);
    void forget(qsizetype at) { m_unused += m_spans[size_t(at)].size; }
    void packIfWasteful();

    QString m_chars;
    std::vector<Span> m_spans;
    qsizetype m_unused = 0; // characters of the buffer no text holds
};

} // namespace views
