#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

namespace views {

// Many short texts kept in a few large buffers with their places beside
// them: a name of twenty letters takes 48 bytes here against 88 as a string
// of its own in a list, which is most of the memory of a shop of a million
// names. The buffers are of a fixed size, so that a growing list never
// copies what it holds, and a copy of the texts (a reader on another
// thread) shares them until one is written. A changed text goes to the end;
// the buffers are packed again once the texts no longer held would fill
// half of them.
class CompactTexts
{
public:
    qsizetype size() const { return qsizetype(m_spans.size()); }
    bool isEmpty() const { return m_spans.empty(); }
    // Valid until the texts next change.
    QStringView at(qsizetype i) const
    {
        const Span s = m_spans[size_t(i)];
        return QStringView(m_chunks[s.begin >> ChunkBits]).mid(s.begin & ChunkMask, s.size);
    }

    void assign(const QStringList& texts);
    void clear();
    void append(QStringView text);
    void insert(qsizetype at, const QStringList& texts);
    void remove(qsizetype at, qsizetype count);
    void replace(qsizetype at, QStringView text);

private:
    static constexpr int ChunkBits = 20; // a million code units, 2 MB a buffer
    static constexpr quint32 ChunkMask = (quint32(1) << ChunkBits) - 1;
    struct Span
    {
        quint32 begin; // the buffer's number, then the place in it
        quint32 size;
    };
    Span store(QStringView text);
    void forget(qsizetype at) { m_unused += m_spans[size_t(at)].size; }
    void packIfWasteful();

    std::vector<QString> m_chunks;
    std::vector<Span> m_spans;
    qsizetype m_chars = 0;  // held in the buffers
    qsizetype m_unused = 0; // of those, no text's
};

// A list model that keeps its texts so: a reader (the type-ahead) takes them
// from it without a QVariant each.
class KeepsCompactTexts
{
public:
    virtual ~KeepsCompactTexts() = default;
    virtual const CompactTexts& texts() const = 0;
};

} // namespace views
