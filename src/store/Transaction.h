#pragma once

namespace store {

class Database;

// Writes that belong together: BEGIN IMMEDIATE now, COMMIT on commit(),
// ROLLBACK when the scope ends without one (an exception on the way).
class Transaction final
{
public:
    explicit Transaction(Database& db); // throws StoreError
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit(); // throws StoreError; rolled back then

private:
    Database& m_db;
    bool m_done = false;
};

} // namespace store
