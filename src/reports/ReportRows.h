#pragma once

#include <QList>
#include <QStringList>
#include <chrono>
#include <limits>

// Where a report's groups come from, read forward as its pages need them:
// each group is one row of texts, named by by().
class ReportRows
{
public:
    ReportRows() = default;
    virtual ~ReportRows() = default;
    ReportRows(const ReportRows&) = delete;
    ReportRows& operator=(const ReportRows&) = delete;

    virtual const QStringList& by() const = 0;
    virtual bool complete() const = 0;
    virtual int groupsKnown() const = 0;
    // Reads on until at least groups are known or the rows end. Throws StoreError.
    virtual void readUntil(int groups) = 0;
    void readAll() { readUntil(std::numeric_limits<int>::max()); }
    // Reads for about budget; true once the rows have ended. Throws StoreError.
    virtual bool readFor(std::chrono::milliseconds budget) = 0;
    // The texts of groups [first, first + count), which must be known.
    // Throws StoreError.
    virtual QList<QStringList> keys(int first, int count) = 0;
};
