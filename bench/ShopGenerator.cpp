#include "ShopGenerator.h"

#include "store/Database.h"
#include "store/Names.h"
#include "store/Schema.h"
#include "store/Transaction.h"

#include <QDateTime>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <algorithm>
#include <memory>
#include <random>
#include <stdexcept>

using namespace store::names;

namespace bench {

namespace {

const QStringList firstNames{
    "Maria",    "José",      "Ana",       "João",     "Antônio", "Francisco", "Carlos",  "Paulo",
    "Pedro",    "Lucas",     "Luiz",      "Marcos",   "Gabriel", "Rafael",    "Daniel",  "Marcelo",
    "Bruno",    "Eduardo",   "Felipe",    "Raimundo", "Rodrigo", "Francisca", "Antônia", "Adriana",
    "Juliana",  "Márcia",    "Fernanda",  "Patrícia", "Aline",   "Sandra",    "Camila",  "Amanda",
    "Bruna",    "Jéssica",   "Letícia",   "Júlia",    "Luciana", "Vanessa",   "Mariana", "Sebastião",
    "Benedito", "Conceição", "Terezinha", "Rita",     "Sônia",
};
const QStringList middleNames{
    "Aparecida", "Cristina", "Helena", "Eduarda", "Carolina", "Luiza", "Paula",  "Augusto",
    "Henrique",  "Roberto",  "Carlos", "Antônio", "José",     "Lúcia", "Regina", "Vitória",
};
const QStringList surnames{
    "Silva",     "Santos",    "Oliveira", "Souza",   "Rodrigues", "Ferreira", "Alves",      "Pereira",
    "Lima",      "Gomes",     "Costa",    "Ribeiro", "Martins",   "Carvalho", "Almeida",    "Lopes",
    "Soares",    "Fernandes", "Vieira",   "Barbosa", "Rocha",     "Dias",     "Nascimento", "Andrade",
    "Moreira",   "Nunes",     "Marques",  "Machado", "Mendes",    "Freitas",  "Cardoso",    "Ramos",
    "Gonçalves", "Santana",   "Teixeira", "Araújo",
};
const QStringList streets{
    "Rua das Flores",          "Rua São João",           "Avenida Brasil",   "Rua Sete de Setembro",
    "Rua XV de Novembro",      "Avenida Getúlio Vargas", "Rua Tiradentes",   "Rua Dom Pedro II",
    "Travessa da Paz",         "Rua Santa Rita",         "Avenida Paulista", "Rua do Comércio",
    "Rua Barão do Rio Branco", "Rua Marechal Deodoro",
};
const QStringList genres{
    "Ação",     "Aventura", "Comédia",  "Documentário", "Drama",   "Erótico", "Ficção",
    "Infantil", "Musical",  "Policial", "Religião",     "Romance", "Terror",
};
const QStringList types{"Super Lançamento", "Lançamento", "48 Horas"};
const QStringList titleStarts{
    "O Segredo",  "A Última Fronteira",
    "O Retorno",  "A Vingança",
    "O Mistério", "A Lenda",
    "O Guardião", "A Noite",
    "O Caminho",  "A Fuga",
    "O Tesouro",  "A Ilha",
    "O Silêncio", "A Promessa",
    "O Voo",      "A Casa",
    "O Herói",    "A Estrada",
    "O Destino",  "A Batalha",
};
const QStringList titleEnds{
    "do Vale",    "da Montanha",   "do Sertão",   "da Cidade",    "do Mar",    "da Floresta",
    "do Deserto", "da Meia-Noite", "do Dragão",   "da Serra",     "do Rio",    "das Estrelas",
    "do Tempo",   "da Lua",        "do Pantanal", "da Fronteira", "do Abismo", "dos Sonhos",
};
const QList<int> prices{200, 250, 300, 350, 400, 450, 500}; // centavos

class Maker
{
public:
    explicit Maker(quint32 seed) : m_gen(seed) {}

    int between(int lo, int hi) { return lo + int(m_gen() % quint32(hi - lo + 1)); }
    const QString& pick(const QStringList& list) { return list.at(between(0, int(list.size()) - 1)); }

    QString digits(int count)
    {
        QString out;
        for (int i = 0; i < count; ++i)
            out.append(QChar('0' + between(0, 9)));
        return out;
    }

    QString date()
    {
        return QStringLiteral("%1/%2/%3")
            .arg(between(1, 28), 2, 10, QChar('0'))
            .arg(between(1, 12), 2, 10, QChar('0'))
            .arg(between(1998, 2004));
    }

    QString personName()
    {
        QString name = pick(firstNames);
        if (between(0, 2) == 0)
            name += ' ' + pick(middleNames);
        name += ' ' + pick(surnames);
        if (between(0, 3) == 0)
            name += ' ' + pick(surnames);
        return name;
    }

    QString title()
    {
        QString t = pick(titleStarts) + ' ' + pick(titleEnds);
        if (between(0, 4) == 0)
            t += QStringLiteral(" %1").arg(between(2, 5));
        return t;
    }

private:
    std::mt19937 m_gen;
};

QString money(int centavos)
{
    // The currency format puts a no-break space after the symbol.
    return QStringLiteral("R$\u00a0%1,%2").arg(centavos / 100).arg(centavos % 100, 2, 10, QChar('0'));
}

// A real-looking taxpayer number: nine digits unique per customer, then the
// two check digits.
QString cpf(int index)
{
    const qint64 base =
        (qint64(index) * 387420489 + 123456789) % 1000000000; // 3^18 is prime to 10: no repeats
    int d[11];
    qint64 v = base;
    for (int i = 8; i >= 0; --i) {
        d[i] = int(v % 10);
        v /= 10;
    }
    for (int check = 9; check <= 10; ++check) {
        int sum = 0;
        for (int i = 0; i < check; ++i)
            sum += d[i] * (check + 1 - i);
        const int r = (sum * 10) % 11;
        d[check] = r == 10 ? 0 : r;
    }
    QString s;
    for (int i = 0; i < 11; ++i) {
        s.append(QChar('0' + d[i]));
        if (i == 2 || i == 5)
            s.append('.');
        else if (i == 8)
            s.append('-');
    }
    return s;
}

QSqlQuery prepareInsert(store::Database& db, const QString& tableName)
{
    const store::TableDef* t = store::table(tableName);
    QStringList cols;
    QStringList marks;
    for (const QString& c : t->columns) {
        cols.append(store::quoted(c));
        marks.append(QStringLiteral("?"));
    }
    QSqlQuery q(db.connection());
    if (!q.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                       .arg(store::quoted(t->name), cols.join(','), marks.join(','))))
        db.fail(q.lastError(), QStringLiteral("preparar"));
    return q;
}

void insert(store::Database& db, QSqlQuery& q, const QVariantList& values)
{
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec())
        db.fail(q.lastError(), QStringLiteral("gerar a loja"));
}

struct Video
{
    QString code;
    QString title;
    QString type;
    int price;
};

// The history as the program writes it: one NoteHistory row per note, one
// RentedVideos row per video on it.
class HistoryWriter
{
public:
    explicit HistoryWriter(store::Database& db)
        : m_db(db), m_notes(db.connection()), m_videos(db.connection())
    {
        namespace H = NoteHistory;
        namespace V = RentedVideos;
        if (!m_notes.prepare(
                QStringLiteral("INSERT INTO %1 (%2, %3, %4, %5, %6, %7, %8) VALUES (?, ?, ?, ?, ?, ?, ?)")
                    .arg(H::Table, H::Codigo, H::Data, H::SavedAt, H::Cliente, H::ClienteCodigo, H::Valor,
                         H::Desconto)) ||
            !m_videos.prepare(
                QStringLiteral(
                    "INSERT INTO %1 (%2, %3, %4, %5, %6, %7, %8, %9) VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
                    .arg(V::Table, V::Note, V::Slot, V::Codigo, V::Titulo, V::Tipo, V::Preco, V::DevolvidoEm)
                    .arg(V::ReturnedAt)))
            db.fail(m_notes.lastError(), QStringLiteral("preparar"));
    }
    // returned: when each video came back (invalid: still out).
    void add(const QString& code, const QDateTime& saved, const QString& customer, int account,
             const QList<const Video*>& videos, const QList<QDateTime>& returned, int discount)
    {
        int total = 0;
        for (const Video* v : videos)
            total += v->price;
        discount = std::min(discount, total);
        ++m_id;
        insert(m_db, m_notes,
               {code, dateText(saved), saved.toString(Qt::ISODate), customer, QString::number(account),
                money(total - discount), discount ? money(discount) : QString()});
        for (int slot = 0; slot < videos.size(); ++slot) {
            const Video& v = *videos.at(slot);
            const QDateTime& back = returned.at(slot);
            insert(m_db, m_videos,
                   {m_id, slot, v.code, v.title, v.type, v.price,
                    back.isValid() ? dateText(back) : QVariant(),
                    back.isValid() ? back.toString(Qt::ISODate) : QVariant()});
        }
    }
    void finish()
    {
        m_notes.finish();
        m_videos.finish();
    }
    static QString dateText(const QDateTime& at) { return at.toString(QStringLiteral("dd/MM/yyyy")); }

private:
    store::Database& m_db;
    QSqlQuery m_notes;
    QSqlQuery m_videos;
    qint64 m_id = 0; // the file's history starts empty
};

// A time of the shop's opening hours on day, days before the history's end.
QDateTime openHours(Maker& make, int daysBefore)
{
    const QDate end(HistoryEndYear, HistoryEndMonth, HistoryEndDay);
    return QDateTime(end.addDays(-daysBefore), QTime(9, 0)).addSecs(make.between(0, 13 * 3600 - 1));
}

} // namespace

void generateShop(const QString& folder, const ShopSize& size)
{
    const QString path = store::Database::filePath(folder);
    if (QFile::exists(path) && QFile(path).size() > 0)
        throw std::runtime_error("the folder already holds a data file: " + path.toStdString());

    store::Database db(folder);
    db.open(); // the tables come from the store itself, so the names match
    Maker make(20240611);
    {
        store::Transaction t(db);

        QSqlQuery customers = prepareInsert(db, tblClientes::Table);
        QStringList holders;
        holders.reserve(size.customers);
        for (int i = 0; i < size.customers; ++i) {
            const QString name = make.personName();
            const QString family = name.section(' ', -1);
            const int dependants = make.between(0, 3);
            QString dep[3];
            for (int k = 0; k < 3; ++k)
                dep[k] = k < dependants ? make.pick(firstNames) + ' ' + family : QString("");
            // Some names exist only as a third dependant: the longest way
            // a name is found.
            if (dependants == 3 && make.between(0, 4) == 0)
                dep[2] += QStringLiteral(" Neto");
            holders.append(dependants > 0 && make.between(0, 4) == 0 ? dep[0] : name);
            insert(db, customers,
                   {QString::number(i + 1), make.date(), name,
                    QStringLiteral("%1, %2").arg(make.pick(streets)).arg(make.between(1, 2999)), dep[0],
                    dep[1], dep[2], QStringLiteral("SSP"), make.digits(make.between(7, 9)), cpf(i),
                    make.digits(4) + '-' + make.digits(4),
                    make.between(0, 1) ? make.digits(4) + '-' + make.digits(4) : "",
                    make.between(0, 1) ? make.digits(4) + '-' + make.digits(4) : "",
                    make.digits(2) + '.' + make.digits(3) + '-' + make.digits(3)});
        }

        // The catalogue first, then the notes that take copies from it, so
        // that each shelf count is its stock less the copies out on notes.
        QList<Video> catalogue;
        QList<int> onShelf;
        catalogue.reserve(size.videos);
        for (int i = 0; i < size.videos; ++i) {
            catalogue.append(
                {QString::number(1000 + i), make.title(), make.pick(types), prices.at(make.between(0, 6))});
            onShelf.append(make.between(1, 5));
        }

        QSqlQuery notes = prepareInsert(db, tblLocacao::Table);
        QSqlQuery numbers = prepareInsert(db, Number::Table);

        // The settled notes first, as they were saved before the open ones;
        // their own random numbers, so the rest of the shop stays as without.
        std::unique_ptr<HistoryWriter> history;
        std::unique_ptr<Maker> historyMake;
        if (size.historyNotes > 0) {
            history = std::make_unique<HistoryWriter>(db);
            historyMake = std::make_unique<Maker>(20261130);
            Maker& h = *historyMake;
            constexpr int Days = 730;
            QList<const Video*> videos;
            QList<QDateTime> returned;
            for (int i = 0; i < size.historyNotes && !holders.isEmpty() && !catalogue.isEmpty(); ++i) {
                // From two years before the end to the day before the open notes.
                const QDateTime saved = openHours(h, Days - int(qint64(i) * (Days - 15) / size.historyNotes));
                const int who = h.between(0, int(holders.size()) - 1);
                const int wanted = h.between(0, 9) == 0 ? h.between(5, 16) : h.between(1, 4);
                videos.clear();
                returned.clear();
                for (int k = 0; k < wanted; ++k) {
                    videos.append(&catalogue.at(h.between(0, int(catalogue.size()) - 1)));
                    returned.append(saved.addSecs(h.between(2, 96) * 3600));
                }
                const QString code = QString::number(100 + i);
                history->add(code, saved, holders.at(who), who + 1, videos, returned,
                             h.between(0, 9) == 0 ? 100 : 0);
                insert(db, numbers, {code});
            }
        }
        for (int i = 0; i < size.notes; ++i) {
            const QString code = QString::number(100 + size.historyNotes + i);
            QVariantList row{make.date(), code, QString("")};
            const int who = holders.isEmpty() ? -1 : make.between(0, int(holders.size()) - 1);
            if (who >= 0)
                row[2] = holders.at(who);
            QList<const Video*> out;
            QStringList slotTexts(16, QString(""));
            QStringList codes(16, QString(""));
            int total = 0;
            // Most notes hold a few videos; one in ten holds up to sixteen.
            int wanted = make.between(0, 9) == 0 ? make.between(5, 16) : make.between(1, 4);
            int used = 0;
            for (int tries = 0; used < wanted && tries < 4 * wanted && !catalogue.isEmpty(); ++tries) {
                const int pick = make.between(0, int(catalogue.size()) - 1);
                if (onShelf[pick] == 0)
                    continue;
                --onShelf[pick];
                const Video& v = catalogue.at(pick);
                slotTexts[used] = v.title + QStringLiteral(" - ") + v.type;
                codes[used] = v.code;
                total += v.price;
                out.append(&v);
                ++used;
            }
            if (history) {
                const QDateTime saved = openHours(*historyMake, historyMake->between(0, 14));
                row[0] = HistoryWriter::dateText(saved);
                history->add(code, saved, row[2].toString(), who + 1, out, QList<QDateTime>(out.size()), 0);
            }
            for (const QString& s : std::as_const(slotTexts))
                row.append(s);
            for (const QString& c : std::as_const(codes))
                row.append(c);
            row.append(used ? money(total) : QString(""));
            row.append(QStringLiteral("R$0,00"));
            insert(db, notes, row);
            insert(db, numbers, {code});
        }

        QSqlQuery videos = prepareInsert(db, tblVideos::Table);
        for (int i = 0; i < catalogue.size(); ++i) {
            const Video& v = catalogue.at(i);
            insert(db, videos,
                   {make.date(), v.code, v.title, make.pick(genres), onShelf.at(i),
                    QStringLiteral("Estante %1").arg(make.between(1, 40)), money(v.price), v.type});
        }
        if (history)
            history->finish();
        customers.finish();
        videos.finish();
        notes.finish();
        numbers.finish();
        t.commit();
    }
    db.close();
}

} // namespace bench
