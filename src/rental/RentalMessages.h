#pragma once

#include "counter/RentalDraft.h"

#include <QString>

// What the rental window tells the operator, word for word.
namespace rentalMessages {

inline const QString Info = QStringLiteral("Informação");
inline const QString VideoInfo = QStringLiteral("Informação de Vídeo");
inline const QString CustomerInfo = QStringLiteral("Informação de Clientes");
inline const QString PrintTitle = QStringLiteral("Impressão do Movomento de Locação");

// Why a video was not entered on the note; empty when it was, or when the
// note is full (looked up, nothing more).
QString entryRefused(const counter::RentalDraft::EntryResult& result);
// A note cut short by a crash still holds copies that could not go back.
QString leftoversStuck(const QString& error);
// The discount is above what the videos cost; consequence says what follows.
QString discountTooLarge(const counter::RentalDraft& draft, const QString& consequence);
QString discountInvalid(const QString& typed);
// Why the note cannot be saved yet: no renter, or no videos.
QString saveRefused(counter::RentalDraft::SaveCheck check);
QString notPrinted(const QString& number, const QString& error);

} // namespace rentalMessages
