#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <string_view>
#include <vector>

class QAbstractItemModel;
class QComboBox;
class QKeyEvent;
class QLineEdit;

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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Search { Prefix, Exact };
    bool handleKey(const QKeyEvent& key);
    QString textAfterKey(int key, const QString& character) const;
    bool selectMatch(const QString& text, Search search);
    int find(const QString& text, int after, Search search);
    int findFolded(std::u16string_view folded, int after, Search search) const;
    std::u16string_view item(int row) const
    {
        const auto begin = m_offsets[size_t(row)];
        return {reinterpret_cast<const char16_t*>(m_chars.utf16()) + begin,
                size_t(m_offsets[size_t(row) + 1] - begin)};
    }
    void syncLineEdit();
    void syncModel();
    void rebuildFolded();
    void dropFolded();
    void detach();

    QPointer<QComboBox> m_combo;
    QPointer<QLineEdit> m_lineEdit;
    QPointer<QAbstractItemModel> m_model;
    QList<QMetaObject::Connection> m_connections;
    QMetaObject::Connection m_destroyed;
    // A key sent to the line edit and ignored there travels on to the
    // combo; remembered so that it is not handled twice.
    const QEvent* m_fromLineEdit = nullptr;

    // Case-folded copy of the list, rebuilt when the list changes, so that
    // a keystroke never walks the widget's item model. All items share one
    // buffer: item i is m_chars[m_offsets[i], m_offsets[i + 1]).
    QString m_chars;
    std::vector<qsizetype> m_offsets;
    // Rows ordered by folded text, then by row, so that a binary search
    // tells at once whether anything matches and which rows do.
    std::vector<int> m_sorted;
    int m_column = 0;
    bool m_dirty = true;
};
