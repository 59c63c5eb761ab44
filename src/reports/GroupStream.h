#pragma once

#include "ReportRows.h"
#include "store/Database.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QStringList>
#include <chrono>
#include <limits>
#include <memory>
#include <vector>

// A grouping command's groups, read forward through the table a slice at a
// time: one group per distinct combination of the grouping columns, in the
// order each first appears (an empty text and no value count as the same).
// A big shop runs to hundreds of thousands of groups, so only where groups
// start is kept, one mark every few dozen groups, and the values of the
// groups asked for are read again from the file. The stream reads on its own
// read-only connection, inside one read transaction: every read sees the
// file as it was when the stream opened, whatever is written meanwhile.
class GroupStream final : public ReportRows
{
public:
    // Throws StoreError: the file cannot be read, or (kind Other) table or
    // a column of by is not in the schema.
    GroupStream(const QString& folder, const QString& table, const QStringList& by);
    ~GroupStream() override;

    const QStringList& by() const override { return m_by; }
    bool complete() const override { return m_complete; }
    int groupsKnown() const override { return m_groups; }
    int rowsRead() const { return m_rows; }

    // Reads on until at least groups are known or the table ends. Throws StoreError.
    void readUntil(int groups) override;
    // Reads for about budget; true once the table has ended. Throws StoreError.
    bool readFor(std::chrono::milliseconds budget) override;

    // The grouping values of groups [first, first + count), which must be
    // known; no value reads as an empty text. Throws StoreError.
    QList<QStringList> keys(int first, int count) override;

    // Keeps only the low bits of each combination's hash (all of them for
    // 0), so that many combinations share a hash, as a few may in a big
    // shop: for tests.
    static void setHashBits(int bits);

    class Cursor;

private:
    bool step();
    bool sameKeyAs(qint64 rowid);

    QStringList m_by;
    std::unique_ptr<store::Database> m_db;
    std::unique_ptr<Cursor> m_scan;  // the forward read, kept open between slices
    std::unique_ptr<Cursor> m_fetch; // rows from a rowid on
    bool m_complete = false;
    int m_groups = 0;
    int m_rows = 0;
    // The rowid of every Stride-th group's first row.
    std::vector<qint64> m_marks;
    // Rows whose combination an earlier row had, in rowid order: few in a
    // real shop, and skipped when a group's values are read again.
    std::vector<qint64> m_repeats;
    // While reading: a hash of each combination met and its first row, so
    // that a repeat costs one look; a hash two combinations share keeps the
    // later ones' rows aside. Dropped once the table has ended.
    QHash<size_t, qint64> m_seen;
    QHash<size_t, QList<qint64>> m_sharedHash;
    inline static size_t s_hashMask = ~size_t(0);
    QByteArray m_key;
    QByteArray m_otherKey;
};
