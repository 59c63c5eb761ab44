#pragma once

#include <QLineEdit>
#include <QString>

class QWidget;

namespace platform {

// A line edit that tests and the windows find by its name.
QLineEdit* namedLineEdit(QWidget* parent, const char* name);

// Drops every key that is not a digit (Backspace included) and refuses
// pasted or dropped text that holds anything but digits. Delete and the
// cursor keys still work.
void makeDigitsOnly(QLineEdit* edit);

// Enter moves to the next field in tab order, on every field of the window.
// Call once, after the window's widgets exist.
void installEnterMovesOn(QWidget* window);

// The window's label text as the field's accessible name.
void setAccessibleLabel(QWidget* field, const QString& label);

// What a field holds, as a record stores it: a masked field's value, a
// combo's text, a line edit's text.
QString fieldText(const QWidget* field);

} // namespace platform

// A line edit with a digit mask: '#' marks an optional digit, any other
// character is a literal. Reads as "" while no digit is typed, and as the
// shown text with its literals otherwise ("123.456.789-01").
class MaskedEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit MaskedEdit(const QString& mask, QWidget* parent = nullptr);

    QString value() const;
    // Shows a stored text; value() gives the same text back.
    void setValue(const QString& text);
    // Removes the mask, empties the field and puts the mask back.
    void clearValue();
    QString mask() const { return m_mask; }
    // Wide enough to show a complete entry.
    QSize minimumSizeHint() const override;

private:
    QString m_mask;
};
