#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QComboBox;

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
    // attached before) are handled here.
    void AttachTo(QComboBox* combo);
    QComboBox* attached() const { return m_combo; }

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
    QString textAfterKey(int key, const QString& character) const;
    bool selectMatch(const QString& text, Search search);
    int find(const QString& text, int after, Search search);
    void rebuildFolded();
    void detach();

    QPointer<QComboBox> m_combo;
    // Case-folded copy of the list, rebuilt when the list changes, so that
    // a keystroke never walks the widget's item model.
    QStringList m_folded;
    bool m_dirty = true;
    QList<QMetaObject::Connection> m_connections;
};
