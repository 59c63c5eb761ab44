#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>
#include <memory>

class QSqlQuery;
struct sqlite3_stmt;

namespace store {

class Database;
struct TableDef;

// Why SQLite could not keep text exactly as it is, or an empty text when it
// can. SQLite takes U+FEFF at the start of a bound text for a byte-order
// mark and drops it (U+FFFE there swaps the byte order of the rest), and
// reads noncharacters U+FFFE, U+FFFF and lone surrogates back as U+FFFD.
QString unstorableText(const QString& text);

// One open table with a current row and a current index, as the windows use
// it: refresh, choose an index, seek a key, read and write columns, add,
// edit, update, delete, walk, count. Every method that touches the file
// throws StoreError on failure; nothing is written by a failed call. A
// column name that is not in the table, or reading with no current row, is a
// programming error and throws StoreError of kind Other.
class RecordCursor final
{
public:
    // Throws StoreError when the table is unknown or missing in the file.
    // db must outlive the cursor: the cursor's statements belong to it.
    RecordCursor(Database& db, const QString& table);
    ~RecordCursor();
    RecordCursor(const RecordCursor&) = delete;
    RecordCursor& operator=(const RecordCursor&) = delete;

    QString tableName() const;

    // Re-reads the table: drops a pending Add or Edit and stands on the
    // first row in table order (no current row when the table is empty).
    // The first row is read when it is first asked for, so the usual
    // refresh-then-seek costs one lookup.
    void refresh();

    // Chooses the index by the name the windows use ("indCodigo").
    void setIndex(const QString& index);
    QString index() const { return m_index; }

    // Stands on the first row, in index order (ties in insertion order),
    // whose key equals key. Returns false and leaves no current row when
    // there is none (a key that could not be stored names no row);
    // noMatch() tells the same afterwards. Drops a pending Add or Edit.
    bool seek(const QString& key);
    bool noMatch() const { return m_noMatch; }
    // What every window does before trusting a key: re-read the table (so
    // rows stored elsewhere are seen), choose the index, seek.
    bool lookUp(const QString& index, const QString& key);
    // A lookup by a key the operator typed or picked: an empty key names
    // nothing and is never found, though free slots and blank columns hold
    // empty texts. Key-taken checks use lookUp, which finds them.
    bool find(const QString& index, const QString& key);

    bool hasCurrent() const;

    // The column of the current row, or of the pending row while adding or
    // editing. A column that holds no value gives a null QVariant.
    QVariant value(const QString& column) const;
    // As value(), with "no value" read as an empty text.
    QString text(const QString& column) const;
    // Writes a column of the pending row (after addNew or edit). A null
    // QVariant stores no value; any QString, even a null one, stores a text
    // (an empty field is an empty text, not a missing value).
    void setValue(const QString& column, const QVariant& value);

    void addNew();
    void edit();
    // Stores the pending row in one statement; it becomes the current row.
    // On failure (duplicate key, file locked, disk full, a text SQLite
    // would not keep as it is) nothing is written and the pending row is
    // kept, so the caller may retry or cancel.
    void update();
    // Drops a pending Add or Edit.
    void cancelUpdate();
    bool pending() const { return m_mode != Mode::None; }
    bool adding() const { return m_mode == Mode::Add; }

    // Deletes the current row; no current row afterwards, but moveNext()
    // still goes on to the row after the deleted one.
    void remove();

    // Walks the table in its natural (insertion) order. Both drop a pending
    // Add or Edit; moveNext() without a current row throws.
    void moveFirst();
    void moveNext();
    bool atEnd() const { return !hasCurrent(); }

    int count();
    void close();
    bool isOpen() const { return m_open; }

private:
    enum class Mode { None, Add, Edit };
    struct Statements;
    void load(QSqlQuery& query);
    void clearCurrent();
    void ensureOpen() const;
    int columnIndex(const QString& column) const;
    Statements& statements();
    void readRow(qint64 rowid);
    void readFirst();
    // Runs a one-row select: the row becomes current, or there is none.
    void readOne(QSqlQuery& query);
    bool seekDirect(Statements& st, const QString& key);
    bool seekThroughQt(Statements& st, const QString& key);
    void loadDirect(sqlite3_stmt* stmt);
    void settle() const;
    void dropPending();
    void stopWalk();
    void walkFrom(qint64 rowid);
    [[noreturn]] void noCurrent() const;

    Database& m_db;
    const TableDef* m_table;
    QString m_index;
    int m_indexPosition = -1;
    bool m_open = true;
    bool m_noMatch = false;
    bool m_unsettled = false; // refreshed, first row not read yet
    qint64 m_rowid = -1;
    qint64 m_resumeAfter = -1;     // the deleted row, so a walk goes on past it
    QList<QVariant> m_row;         // current row as read, in column order
    QMap<int, QVariant> m_changes; // pending writes by column position
    Mode m_mode = Mode::None;
    // Prepared once per connection, each for its table and index.
    std::unique_ptr<Statements> m_statements;
};

} // namespace store
