#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QComboBox;

// Type-ahead for an editable combo: as the operator types, the first list
// item that begins with the typed text (case and accents aside) is selected and the part not typed
// yet is highlighted. Backspace and Delete look for an exact match of the
// shortened text. The class never adds, removes or reorders items.
class claFenwaurda final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(claFenwaurda)
public:
    explicit claFenwaurda(QObject* parent = nullptr);
    ~claFenwaurda() override;

    // From now on the key events of combo (and no longer of the combo
    // attached before) are handled here. nullptr detaches.
    void attachTo(QComboBox* combo);
    QComboBox* attached() const;

    // True when some item equals text, letter case and accents ignored.
    bool contains(const QString& text);

    // The searches, as the combo list answers them: the first item at or
    // after after + 1, wrapping to the top and ending at after itself;
    // after = -1 searches the whole list. Letter case and accents are
    // ignored ("joao" finds "João"). -1 when nothing matches or no combo is attached.
    int findPrefix(const QString& text, int after);
    int findExact(const QString& text, int after);

    // The sorted index of a list is built in the background and kept with
    // the list; until it is ready, searches scan the list. True when the
    // index of the attached list is in use.
    bool indexReady() const;
    // Waits at most msecs for the index of the attached list. True when it
    // is ready.
    bool waitForIndex(int msecs);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
