#pragma once

#include <QLineEdit>
#include <QString>

class QComboBox;
class QWidget;

namespace platform {

// How much each kind of field holds, in UTF-16 code units (a character
// outside the Basic Multilingual Plane takes two).
struct FieldLimit
{
    static constexpr int Code = 10;           // customer number, note number
    static constexpr int VideoCode = 20;      // room for the barcode a scanner types (EAN-13)
    static constexpr int IdentityNumber = 14; // RG digits
    static constexpr int IssuingBody = 20;    // "SSP/SP", "DETRAN-RJ"
    static constexpr int PersonName = 60;     // holder and dependants
    static constexpr int Address = 100;
    static constexpr int Title = 80; // video title
    static constexpr int Genre = 30;
    static constexpr int Place = 30; // where in the shop
    static constexpr int Copies = 9; // always within the integer column
    static constexpr int Money = 20; // "R$ 1.000.000,00" and room to spare
    static constexpr int Date = 20;
    static constexpr int Passage = 10; // a tab stop that holds nothing
};

// Keeps what the operator types, pastes or drops into edit within limit
// characters: the part that does not fit is cut at a whole character (never
// half of a surrogate pair or a letter without its accent), control
// characters and broken UTF-16 are dropped, and a message tells the operator
// what was left out. Texts the program sets itself are never cut, so a
// stored value longer than the limit shows and saves whole.
void limitLength(QLineEdit* edit, int limit);
// The same for an editable combo's line edit.
void limitLength(QComboBox* combo, int limit);
// The text the length limit of edit takes the field to hold, for checks: it
// must be the field's own text at any time. Null when edit has no limit.
QString lengthLimitRecord(const QLineEdit* edit);

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
class MaskedEdit final : public QLineEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MaskedEdit)
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
