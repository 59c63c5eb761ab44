#pragma once

#include <QString>
#include <QStringList>
#include <array>

// The names of the data file's tables, columns and indexes, one constant
// each, grouped by table, so that a misspelt name fails to compile. The
// schema is built from these same constants. Each identifier is the name it
// stands for: tblVideos::QTDE is the column "QTDE" of tblVideos.
//
// Use them with `using namespace store::names;` and then `tblVideos::Codigo`.
namespace store::names {

namespace tblClientes {
inline const QString Table = QStringLiteral("tblClientes");

inline const QString Codigo = QStringLiteral("Codigo");
inline const QString Data = QStringLiteral("Data");
inline const QString Nome = QStringLiteral("Nome");
inline const QString Endereco = QStringLiteral("Endereco");
inline const QString Dependente1 = QStringLiteral("Dependente1");
inline const QString Dependente2 = QStringLiteral("Dependente2");
inline const QString Dependente3 = QStringLiteral("Dependente3");
inline const QString Emissor = QStringLiteral("Emissor");
inline const QString RG = QStringLiteral("RG");
inline const QString CPF = QStringLiteral("CPF");
inline const QString FoneResidencial = QStringLiteral("FoneResidencial");
inline const QString FoneComercial = QStringLiteral("FoneComercial");
inline const QString Celular = QStringLiteral("Celular");
inline const QString CEP = QStringLiteral("CEP");

inline const QString indCodigo = QStringLiteral("indCodigo");
inline const QString indCPF = QStringLiteral("indCPF");
inline const QString indNome = QStringLiteral("indNome");
inline const QString indDependente1 = QStringLiteral("indDependente1");
inline const QString indDependente2 = QStringLiteral("indDependente2");
inline const QString indDependente3 = QStringLiteral("indDependente3");

// Where a name is looked up, in this order: a holder is found before any
// customer's dependant of the same name.
inline const std::array<QString, 4> NameIndexes{indNome, indDependente1, indDependente2, indDependente3};
// The columns those indexes cover, in the same order.
inline const std::array<QString, 4> NameColumns{Nome, Dependente1, Dependente2, Dependente3};
} // namespace tblClientes

namespace tblVideos {
inline const QString Table = QStringLiteral("tblVideos");

inline const QString Data = QStringLiteral("Data");
inline const QString Codigo = QStringLiteral("Codigo");
inline const QString Nome = QStringLiteral("Nome");
inline const QString Genero = QStringLiteral("Genero");
inline const QString QTDE = QStringLiteral("QTDE");
inline const QString Local = QStringLiteral("Local");
inline const QString Valor = QStringLiteral("Valor");
inline const QString Tipo = QStringLiteral("Tipo");

inline const QString indCodigo = QStringLiteral("indCodigo");
inline const QString indNome = QStringLiteral("indNome");
} // namespace tblVideos

namespace tblLocacao {
inline const QString Table = QStringLiteral("tblLocacao");

inline const QString Data = QStringLiteral("Data");
inline const QString Codigo = QStringLiteral("Codigo");
inline const QString Clientes = QStringLiteral("Clientes");
inline const QString Valor = QStringLiteral("Valor");
inline const QString Desconto = QStringLiteral("Desconto");

inline const QString indCodigo = QStringLiteral("indCodigo");

// A note's sixteen slots, counted here from 0: slot 0 is the column pair
// "Video-1" (description) and "Codigo(0)" (video code), indexed by "ind0".
constexpr int Slots = 16;

namespace detail {
template <typename Name> std::array<QString, Slots> slotNames(Name name)
{
    std::array<QString, Slots> out;
    for (int slot = 0; slot < Slots; ++slot)
        out[slot] = name(slot);
    return out;
}
} // namespace detail

// "Video-1" for slot 0 .. "Video-16" for slot 15; throws for any other slot.
inline const QString& videoColumn(int slot)
{
    static const auto all = detail::slotNames([](int s) { return QStringLiteral("Video-%1").arg(s + 1); });
    return all.at(slot);
}
// "Codigo(0)" .. "Codigo(15)".
inline const QString& codeColumn(int slot)
{
    static const auto all = detail::slotNames([](int s) { return QStringLiteral("Codigo(%1)").arg(s); });
    return all.at(slot);
}
// "ind0" .. "ind15", on codeColumn(slot).
inline const QString& codeIndex(int slot)
{
    static const auto all = detail::slotNames([](int s) { return QStringLiteral("ind%1").arg(s); });
    return all.at(slot);
}
} // namespace tblLocacao

namespace Number {
inline const QString Table = QStringLiteral("Number");

inline const QString Codigo = QStringLiteral("Codigo");
} // namespace Number

// The program's own table beside the four: one row per copy taken off the
// shelf for the rental note being composed, written in the same transaction
// as the shelf count, so that a crash before the note is saved can give the
// copies back at the next start. No other reader of the file needs it.
// Each counter sharing a server has its own rows (the file's counter has
// an empty name).
namespace PendingCopies {
inline const QString Table = QStringLiteral("PendingCopies");

inline const QString Estacao = QStringLiteral("Estacao");

inline const QString Slot = QStringLiteral("Slot");
inline const QString Codigo = QStringLiteral("Codigo");
} // namespace PendingCopies

// The shop's history, kept by the program beside the four tables: a note
// stays here when it leaves tblLocacao, with each video it held and when
// that came back. Written in the transaction of the change it records.
namespace NoteHistory {
inline const QString Table = QStringLiteral("NoteHistory");

inline const QString Id = QStringLiteral("Id");
inline const QString Codigo = QStringLiteral("Codigo");
inline const QString Data = QStringLiteral("Data");       // the note's date, as it shows it
inline const QString SavedAt = QStringLiteral("SavedAt"); // ISO date and time; none for older notes
inline const QString Cliente = QStringLiteral("Cliente");
inline const QString ClienteCodigo = QStringLiteral("ClienteCodigo"); // the renter's account
inline const QString Valor = QStringLiteral("Valor");                 // as the note holds it
inline const QString Desconto = QStringLiteral("Desconto");
} // namespace NoteHistory

namespace RentedVideos {
inline const QString Table = QStringLiteral("RentedVideos");

inline const QString Note = QStringLiteral("Note"); // NoteHistory.Id
inline const QString Slot = QStringLiteral("Slot"); // 0..15
inline const QString Codigo = QStringLiteral("Codigo");
inline const QString Titulo = QStringLiteral("Titulo");
inline const QString Tipo = QStringLiteral("Tipo");
inline const QString Preco = QStringLiteral("Preco");             // centavos; none for older notes
inline const QString DevolvidoEm = QStringLiteral("DevolvidoEm"); // the return date typed
inline const QString ReturnedAt = QStringLiteral("ReturnedAt");   // ISO date and time it was booked
} // namespace RentedVideos

// The shop's settings, one row each, kept in the data file.
namespace Settings {
inline const QString Table = QStringLiteral("Settings");

inline const QString Name = QStringLiteral("Name");
inline const QString Value = QStringLiteral("Value");
} // namespace Settings

// The search indexes, full-text tables of SQLite over the rows of
// tblClientes and tblVideos themselves (no copy of the texts): one row per
// customer and per video, under the row's own rowid. Kept current by
// triggers, so every writer of the two tables keeps them in step, in the
// transaction of the write.
namespace PeopleSearch {
inline const QString Table = QStringLiteral("PeopleSearch");
// The columns of tblClientes it indexes: the four names, then the numbers.
inline const QStringList Columns{
    tblClientes::Nome, tblClientes::Dependente1,     tblClientes::Dependente2,   tblClientes::Dependente3,
    tblClientes::CPF,  tblClientes::FoneResidencial, tblClientes::FoneComercial, tblClientes::Celular};
} // namespace PeopleSearch

namespace VideoSearch {
inline const QString Table = QStringLiteral("VideoSearch");
inline const QStringList Columns{tblVideos::Nome, tblVideos::Codigo};
} // namespace VideoSearch

} // namespace store::names
