#pragma once

#include <QHash>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <memory>

namespace store {

class Database;
struct TableDef;

// One open table with a current row and a current index, as the windows use
// it: refresh, choose an index, seek a key, read and write columns, add,
// edit, update, delete, walk, count. Every method that touches the file
// throws StoreError on failure; nothing is written by a failed call.
class RecordCursor
{
public:
    // Throws StoreError when the table is unknown or missing in the file.
    RecordCursor(Database& db, const QString& table);
    ~RecordCursor();
    RecordCursor(const RecordCursor&) = delete;
    RecordCursor& operator=(const RecordCursor&) = delete;

    QString tableName() const;

    // Re-reads the table: drops a pending Add or Edit and stands on the
    // first row in table order (no current row when the table is empty).
    void refresh();

    // Chooses the index by the name the windows use ("indCodigo").
    void setIndex(const QString& index);
    QString index() const { return m_index; }

    // Stands on the first row, in index order (ties in insertion order),
    // whose key equals key. Returns false and leaves no current row when
    // there is none; noMatch() tells the same afterwards. Drops a pending
    // Add or Edit.
    bool seek(const QString& key);
    bool noMatch() const { return m_noMatch; }

    bool hasCurrent() const { return m_rowid >= 0; }

    // The column of the current row, or of the pending row while adding or
    // editing. A column that holds no value gives a null QVariant.
    QVariant value(const QString& column) const;
    // As value(), with "no value" read as an empty text.
    QString text(const QString& column) const;
    // Writes a column of the pending row (after addNew or edit).
    void setValue(const QString& column, const QVariant& value);

    void addNew();
    void edit();
    // Stores the pending row; it becomes the current row.
    void update();
    // Drops a pending Add or Edit.
    void cancelUpdate();
    bool pending() const { return m_mode != Mode::None; }
    bool adding() const { return m_mode == Mode::Add; }

    // Deletes the current row; no current row afterwards.
    void remove();

    // Walks the table in its natural (insertion) order.
    void moveFirst();
    void moveNext();
    bool atEnd() const { return m_rowid < 0; }

    int count();
    void close();
    bool isOpen() const { return m_open; }

private:
    enum class Mode { None, Add, Edit };
    void load(QSqlQuery& query);
    void clearCurrent();
    void ensureOpen() const;

    Database& m_db;
    const TableDef* m_table;
    QString m_index;
    bool m_open = true;
    bool m_noMatch = false;
    qint64 m_rowid = -1;
    QHash<QString, QVariant> m_row;     // current row as read
    QHash<QString, QVariant> m_changes; // pending writes
    Mode m_mode = Mode::None;
    std::unique_ptr<QSqlQuery> m_walk;  // open while walking
};

} // namespace store
