#include "RentalMessages.h"

#include "platform/Formats.h"

namespace rentalMessages {

QString entryRefused(const counter::RentalDraft::EntryResult& result)
{
    using Entry = counter::RentalDraft::Entry;
    switch (result.outcome) {
    case Entry::NotFound:
        return QStringLiteral("Vídeo não cadastrado");
    case Entry::BadPrice:
        return QStringLiteral("O preço de locação deste vídeo não é válido: \"%1\".\n"
                              "Corrija o preço no cadastro do vídeo antes de alugá-lo.")
            .arg(result.price);
    case Entry::OverMax:
        return QStringLiteral("Com este vídeo o valor da locação passaria do máximo de %1.\n"
                              "Grave esta nota e faça outra para os demais vídeos.")
            .arg(platform::formatMoney(platform::MaxNoteValue));
    case Entry::Full:
    case Entry::LeftoversStuck:
    case Entry::Entered:
        break;
    }
    return {};
}

QString leftoversStuck(const QString& error)
{
    return QStringLiteral("Uma locação interrompida deixou vídeos fora do estoque, e eles "
                          "ainda não puderam voltar:\n%1\n"
                          "Nenhum vídeo pode ser incluído na nota até que voltem.")
        .arg(error);
}

QString discountTooLarge(const counter::RentalDraft& draft, const QString& consequence)
{
    return QStringLiteral("O desconto de %1 é maior que o valor da locação, %2.\n")
               .arg(platform::formatMoney(draft.discount()), platform::formatMoney(draft.total())) +
           consequence;
}

QString discountInvalid(const QString& typed)
{
    return QStringLiteral("O desconto \"%1\" não é um valor válido.\n"
                          "Digite o valor do desconto em reais, por exemplo 2,00.")
        .arg(typed.trimmed());
}

QString saveRefused(counter::RentalDraft::SaveCheck check)
{
    if (check == counter::RentalDraft::SaveCheck::NoRenter)
        return QStringLiteral("Informe o cliente antes de salvar a nota.");
    return QStringLiteral("A nota não tem nenhum vídeo e não foi gravada.\n"
                          "Inclua ao menos um vídeo antes de salvar.");
}

QString notPrinted(const QString& number, const QString& error)
{
    return QStringLiteral("A nota %1 foi gravada, mas não foi impressa: %2.").arg(number, error);
}

} // namespace rentalMessages
