#pragma once

#include "PeopleSearch.h"
#include "VideoStatus.h"

#include <QList>
#include <QString>
#include <memory>
#include <optional>

namespace store {
class Database;
}

namespace counter {

class KeptStatements;

// The "Buscar" of the queries: people and videos found by any word of a
// name or title (accents and case ignored, the last word as a beginning,
// since the operator is still typing it), by a CPF or telephone with or
// without its punctuation, or by a customer number or video code. Reads
// the file's search indexes; every call that reads throws StoreError.
class Search final
{
public:
    // The most results one search gives.
    static constexpr int Limit = 100;

    struct Person
    {
        QString name;
        QString number; // the account's customer number
        QString cpf;    // the holder's, as stored; empty for a dependant
        QString phone;  // the holder's first telephone, or the one searched for
        QString holder; // a dependant's holder; empty for a holder
        int which = 0;  // 0 the holder, 1 to 3 the dependant of that column
    };
    struct Video
    {
        QString title;
        QString code;
        QString category; // the rental category
        QString onShelf;  // copies on the shelf, as stored
    };

    explicit Search(store::Database& db);
    ~Search();
    Search(const Search&) = delete;
    Search& operator=(const Search&) = delete;

    // In the order of the file, an exact number first.
    QList<Person> people(const QString& typed);
    QList<Video> videos(const QString& typed);

    // What a query shows of a result chosen, read afresh by its number or
    // code, so that namesakes are never mixed up; nullopt once it is gone.
    std::optional<PeopleSearch::Person> account(const Person& chosen);
    std::optional<VideoStatus::Record> record(const Video& chosen);

    // Whether both indexes hold exactly what a fresh build from the two
    // tables would: the same words of the same rows. Reads the whole file.
    static bool indexesMatchTables(store::Database& db);

private:
    std::unique_ptr<KeptStatements> m_statements;
};

} // namespace counter
