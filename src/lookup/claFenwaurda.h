#pragma once

#include <QList>
#include <QObject>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <string_view>
#include <thread>
#include <vector>

class QAbstractItemModel;
class QComboBox;
class QKeyEvent;
class QLineEdit;
class QStringListModel;

namespace lookup_detail {
struct Index;
struct Builder;
} // namespace lookup_detail

// Type-ahead for an editable combo: as the operator types, the first list
// item that begins with the typed text is selected and the part not typed
// yet is highlighted. Backspace and Delete look for an exact match of the
// shortened text. The class never adds, removes or reorders items.
class claFenwaurda : public QObject
{
    Q_OBJECT
public:
    explicit claFenwaurda(QObject* parent = nullptr);
    ~claFenwaurda() override;

    // From now on the key events of combo (and no longer of the combo
    // attached before) are handled here. nullptr detaches.
    void AttachTo(QComboBox* combo);
    QComboBox* attached() const;

    // True when some item equals text, letter case ignored.
    bool Contains(const QString& text);

    // The searches, as the combo list answers them: the first item at or
    // after after + 1, wrapping to the top and ending at after itself;
    // after = -1 searches the whole list. Letter case (accents included) is
    // ignored. -1 when nothing matches or no combo is attached.
    int findPrefix(const QString& text, int after);
    int findExact(const QString& text, int after);

    // The sorted index is built in the background after every list change;
    // until it is ready, searches scan the list. True when the index of the
    // current list is in use.
    bool indexReady() const;
    // Waits at most msecs for the index of the current list and puts it in
    // use. True when it is ready.
    bool waitForIndex(int msecs);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Index = lookup_detail::Index;
    using Builder = lookup_detail::Builder;

    enum class Search { Prefix, Exact };
    bool handleKey(const QKeyEvent& key);
    QString textAfterKey(int key, const QString& character) const;
    bool selectMatch(const QString& text, Search search);
    int find(const QString& text, int after, Search search);
    int scan(std::u16string_view folded, int after, Search search) const;
    void syncLineEdit();
    void syncModel();
    void readAllItems();
    void itemsChanged();
    void onRowsInserted(const QModelIndex& parent, int first, int last);
    void onRowsRemoved(const QModelIndex& parent, int first, int last);
    void onDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles);
    void scheduleRebuild();
    void startRebuild();
    void adoptFinishedIndex();
    void dropItems();
    void detach();

    QPointer<QComboBox> m_combo;
    QPointer<QLineEdit> m_lineEdit;
    QPointer<QAbstractItemModel> m_model;
    QPointer<QStringListModel> m_stringListModel;
    QPersistentModelIndex m_root;
    QList<QMetaObject::Connection> m_connections;
    QMetaObject::Connection m_destroyed;
    // A key sent to the line edit and ignored there travels on to the
    // combo; remembered so that it is not handled twice.
    const QEvent* m_fromLineEdit = nullptr;
    int m_column = 0;

    // The item texts, kept in step with the model through its signals, so
    // that a keystroke never walks the widget's item model. Shared with the
    // worker that indexes them; a change here detaches.
    QStringList m_items;
    // The first folded code units of each item, for a quick scan.
    std::vector<std::array<quint64, 2>> m_leads;
    // Counts list changes; an index or a worker of another count is stale.
    quint64 m_generation = 1;
    std::shared_ptr<const Index> m_index;
    quint64 m_indexGeneration = 0;
    // The list handed to the worker last, and one it failed to index.
    quint64 m_requestedGeneration = 0;
    quint64 m_failedGeneration = 0;
    std::shared_ptr<Builder> m_builder;
    std::thread m_thread;
    bool m_rebuildQueued = false;
};
