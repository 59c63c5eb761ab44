#pragma once

#include <QString>
#include <array>

class LinePrinter;

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
};

// Prints the "Movimento de Locação" slip and sends it. False when the
// printer failed (its errorText() says why).
bool printRentalNote(LinePrinter& printer, const RentalNote& note);
