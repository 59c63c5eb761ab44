#pragma once

#include <QString>
#include <QStringList>
#include <array>

#include "counter/History.h"

class LinePrinter;

namespace counter {
class RentalDraft;
struct ShopSettings;
} // namespace counter

// A rental note as the rental window shows it, every value as its text.
struct RentalNote
{
    static constexpr int Slots = 16;

    QString date;
    QString number;
    QString customer;
    std::array<QString, Slots> codes;        // slot k at k - 1
    std::array<QString, Slots> descriptions; // title, " - ", category
    QString value;
    QString discount;
    // The shop's name, address and phone above the title; none: the slip
    // starts with its title.
    QStringList heading;
    bool copy = false; // printed again: "2ª via" on the title line
};

// The note as stored, for the slip: the draft's renter, slots and value,
// the date, number and discount as the window shows them, under the shop's
// heading.
RentalNote noteOf(const counter::RentalDraft& draft, const QString& date, const QString& number,
                  const QString& discount, const counter::ShopSettings& shop);

// A note printed again, as the history keeps it: the same layout as at
// saving, under the shop's heading of today.
RentalNote copyOf(const counter::History::Note& saved, const counter::ShopSettings& shop);

// Prints the "Movimento de Locação" slip and sends it. False when the
// printer failed (its errorText() says why).
bool printRentalNote(LinePrinter& printer, const RentalNote& note);

// Prints the slip on the system's default printer; false with *error
// saying why when it could not.
bool printOnDefaultPrinter(const RentalNote& note, QString* error);
