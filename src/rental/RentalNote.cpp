#include "RentalNote.h"

#include "counter/RentalDraft.h"
#include "counter/ShopSettings.h"
#include "platform/Formats.h"
#include "platform/print/LinePrinter.h"

namespace {

const QString Font = QStringLiteral("Arial");

void rule(LinePrinter& printer, int width)
{
    printer.printAt(1, QString(width, u'-'));
    printer.endLine();
}

void labelled(LinePrinter& printer, const QString& label, int column, const QString& value)
{
    printer.printAt(10, label);
    printer.printAt(column, value);
    printer.endLine();
}

} // namespace

RentalNote noteOf(const counter::RentalDraft& draft, const QString& date, const QString& number,
                  const QString& discount, const counter::ShopSettings& shop)
{
    RentalNote note;
    note.date = date;
    note.number = number;
    note.customer = draft.renter();
    for (int k = 0; k < draft.count(); ++k) {
        note.descriptions[k] = draft.slot(k).description;
        note.codes[k] = draft.slot(k).code;
    }
    note.value = platform::formatMoney(draft.value());
    note.discount = discount;
    note.heading = shop.headingLines();
    return note;
}

RentalNote copyOf(const counter::History::Note& saved, const counter::ShopSettings& shop)
{
    RentalNote note;
    note.date = saved.date;
    note.number = saved.code;
    note.customer = saved.customer;
    for (const counter::History::Video& v : saved.videos) {
        if (v.slot < 0 || v.slot >= RentalNote::Slots)
            continue;
        note.codes[size_t(v.slot)] = v.code;
        // As the note held it; older notes kept no category apart.
        note.descriptions[size_t(v.slot)] =
            v.category.isNull() ? v.title : v.title + QStringLiteral(" - ") + v.category;
    }
    note.value = saved.value;
    note.discount = saved.discount;
    note.heading = shop.headingLines();
    note.copy = true;
    return note;
}

bool printRentalNote(LinePrinter& printer, const RentalNote& note)
{
    // The name in the title's size, the rest in the body's.
    for (qsizetype i = 0; i < note.heading.size(); ++i) {
        printer.setFont(Font, i == 0 ? 12 : 8);
        printer.printAt(10, note.heading.at(i));
        printer.endLine();
    }
    printer.setFont(Font, 12);
    printer.printAt(10, note.copy ? QStringLiteral("Movimento de Locação - 2ª via")
                                  : QStringLiteral("Movimento de Locação"));
    printer.endLine();
    rule(printer, 70);

    printer.setFont(Font, 8);
    labelled(printer, QStringLiteral("Data da Locação:"), 30, note.date);
    rule(printer, 100);
    labelled(printer, QStringLiteral("Nota Nº:"), 20, note.number);
    rule(printer, 100);
    labelled(printer, QStringLiteral("Cliente:"), 20, note.customer);
    rule(printer, 100);

    // Slot 1's line is always there, even on a note without videos.
    labelled(printer, QStringLiteral("Video"), 20,
             note.codes[0] + QStringLiteral(": ") + note.descriptions[0]);
    for (int k = 1; k < RentalNote::Slots; ++k) {
        if (!note.descriptions[k].isEmpty())
            labelled(printer, QStringLiteral("Video:"), 20,
                     note.codes[k] + QStringLiteral(": ") + note.descriptions[k]);
    }
    rule(printer, 100);

    printer.printAt(10, QStringLiteral("Valor:"));
    printer.printAt(20, note.value);
    printer.printAt(30, QStringLiteral("Desconto:"));
    printer.printAt(45, note.discount);
    printer.endLine();
    return printer.endDocument();
}

bool printOnDefaultPrinter(const RentalNote& note, QString* error)
{
    std::unique_ptr<LinePrinter> printer = platform::openDefaultPrinter(error);
    if (printer && printRentalNote(*printer, note))
        return true;
    if (printer)
        *error = printer->errorText();
    return false;
}
