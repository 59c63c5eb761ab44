// The reports: grouping, bands and page breaks, the slot grid, texts cut
// short in their cells, the preview window, PDF and print output (where the
// file dialog starts, progress, cancel, a full disk), and a data file that
// cannot be read.

#include "WindowTest.h"
#include "app/Tasks.h"
#include "app/frmMenu.h"
#include "platform/widgets/MessageBox.h"
#include "reports/GroupStream.h"
#include "reports/ReportPreview.h"
#include "reports/datFenwarda.h"
#include "reports/rptClientes.h"
#include "reports/rptLocacao.h"
#include "reports/rptVideos.h"
#include "store/Grouping.h"
#include "store/RecordCursor.h"
#include "store/Schema.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <QFile>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSpinBox>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTest>
#include <optional>

using namespace Qt::StringLiterals;
using Row = QHash<QString, QVariant>;
using Item = DataReport::Item;

namespace {

void addRows(store::Database& db, const QString& table, const QList<Row>& rows)
{
    store::Transaction t(db);
    store::RecordCursor c(db, table);
    for (const Row& row : rows) {
        c.addNew();
        for (auto it = row.begin(); it != row.end(); ++it)
            c.setValue(it.key(), it.value());
        c.update();
    }
    t.commit();
}

QList<Row> customers(int n)
{
    QList<Row> out;
    for (int i = 0; i < n; ++i)
        out.append({{u"Codigo"_s, QString::number(i + 1)},
                    {u"Nome"_s, u"Cliente %1"_s.arg(i + 1)},
                    {u"RG"_s, QString::number(5000 + i)},
                    {u"CPF"_s, u"000.000.%1-00"_s.arg(i, 3, 10, QChar('0'))},
                    {u"Celular"_s, u"9999-%1"_s.arg(i, 4, 10, QChar('0'))},
                    {u"FoneResidencial"_s, u"3333-%1"_s.arg(i, 4, 10, QChar('0'))}});
    return out;
}

QList<Row> videos(int n)
{
    QList<Row> out;
    for (int i = 0; i < n; ++i)
        out.append({{u"Codigo"_s, QString::number(1000 + i)},
                    {u"Nome"_s, u"Filme %1"_s.arg(i + 1)},
                    {u"Genero"_s, u"Drama"_s},
                    {u"QTDE"_s, i % 4}});
    return out;
}

// Notes numbered from 100; note i has i % 17 videos (none for the first).
QList<Row> notes(int n)
{
    QList<Row> out;
    for (int i = 0; i < n; ++i) {
        Row row{{u"Data"_s, u"01/02/2004"_s},
                {u"Codigo"_s, QString::number(100 + i)},
                {u"Clientes"_s, u"Cliente %1"_s.arg(i)}};
        for (int k = 1; k <= 16; ++k)
            row.insert(u"Video-%1"_s.arg(k),
                       k <= i % 17 ? QVariant(u"Filme %1 - Lançamento"_s.arg(k)) : QVariant(u""_s));
        out.append(row);
    }
    return out;
}

std::unique_ptr<DataReport> makeReport(const QString& name, std::shared_ptr<datFenwarda> env)
{
    if (name == "rptClientes"_L1)
        return std::make_unique<rptClientes>(env);
    if (name == "rptVideos"_L1)
        return std::make_unique<rptVideos>(env);
    return std::make_unique<rptLocacao>(env);
}

QStringList texts(const QList<Item>& items, DataReport::Band band)
{
    QStringList out;
    for (const Item& i : items)
        if (i.band == band && !i.line)
            out.append(i.text);
    return out;
}

// The PDF's text, page by page, each run of blanks made one.
QStringList pdfPages(const QString& path)
{
    QProcess p;
    p.start(u"pdftotext"_s, {u"-layout"_s, path, u"-"_s});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        qFatal("pdftotext (poppler-utils, installed by scripts/setup) failed on %s", qPrintable(path));
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(QChar('\f'));
    if (pages.last().trimmed().isEmpty())
        pages.removeLast();
    for (QString& page : pages)
        page = page.replace(QRegularExpression(u"[ \t]+"_s), u" "_s);
    return pages;
}

// Each word of a PDF with its box, as poppler finds them.
QStringList pdfWords(const QString& path)
{
    QProcess p;
    p.start(u"pdftotext"_s, {u"-bbox"_s, path, u"-"_s});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        qFatal("pdftotext failed on %s", qPrintable(path));
    QStringList words;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n'))
        if (line.contains(u"<word"_s))
            words.append(line.trimmed());
    return words;
}

// How wide text is drawn in Arial at points on device, in points: the font
// sized so that one pixel of the device is one point, as a painter scaled
// to points draws it.
qreal drawnWidth(const QString& text, qreal points, const QPaintDevice& device)
{
    QFont font(u"Arial"_s);
    font.setPointSizeF(points * 72 / device.logicalDpiY());
    return QFontMetricsF(font, &device).horizontalAdvance(text);
}

// Files and folders in folder, hidden ones too.
QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// Every tenth row from the first has no value in the columns with a unique
// index and an empty text in empty; seven rows later the same grouping
// values come again, the empty texts now no value: a repeat of that group.
QList<Row> withRepeats(QList<Row> rows, const QStringList& unique, const QString& empty)
{
    for (int i = 0; i < rows.size(); i += 10) {
        for (const QString& column : unique)
            rows[i].remove(column);
        rows[i][empty] = u""_s;
    }
    for (int i = 7; i < rows.size(); i += 10) {
        Row repeat = rows[i - 7];
        for (auto it = repeat.begin(); it != repeat.end();)
            it = it.value().toString().isEmpty() ? repeat.erase(it) : std::next(it);
        rows[i] = repeat;
    }
    return rows;
}

struct ReportRow
{
    const char* entry;
    const char* report;
    const char* table;
    QList<Row> (*rows)(int);
};

const ReportRow Reports[] = {
    {"mnuRelClientes", "rptClientes", "tblClientes", customers},
    {"mnuRelVideos", "rptVideos", "tblVideos", videos},
    {"mnuRelLocVideo", "rptLocacao", "tblLocacao", notes},
};

} // namespace

class tst_reports : public WindowTest
{
    Q_OBJECT

private slots:
    void groupingKeepsFirstAppearanceAndPrintsOnce()
    {
        addRows(shop->db(), u"tblClientes"_s,
                {{{u"Codigo"_s, u"1"_s},
                  {u"Nome"_s, u"Zilda Prado"_s},
                  {u"RG"_s, u"77"_s},
                  {u"Endereco"_s, u"Rua A"_s}},
                 {{u"Codigo"_s, u"2"_s},
                  {u"Nome"_s, u"Ana Lima"_s},
                  {u"RG"_s, u"12"_s},
                  {u"CPF"_s, u"111.111.111-11"_s}},
                 // Agrees with the first in every grouping column (no value and an empty text alike).
                 {{u"Codigo"_s, u"3"_s},
                  {u"Nome"_s, u"Zilda Prado"_s},
                  {u"RG"_s, u"77"_s},
                  {u"CPF"_s, u""_s},
                  {u"Celular"_s, u""_s},
                  {u"Endereco"_s, u"Rua B"_s}}});
        auto env = std::make_shared<datFenwarda>(shop->folder());
        rptClientes report(env);
        QCOMPARE(report.totalGroups(), 2);
        // The rows behind each group, as a whole read of the command groups them.
        const store::GroupedRows rows = store::groupRows(env->cnnClientes(), u"tblClientes"_s,
                                                         datFenwarda::command(u"cmdClientes_Grouping"_s).by);
        QCOMPARE(rows.rowCount(), 3);
        QCOMPARE(rows.groups.size(), 2);
        QCOMPARE(rows.groups[0].children, (QList<int>{0, 2}));
        QCOMPARE(rows.groups[1].children, QList<int>{1});
        QCOMPARE(rows.row(2).at(rows.columns.indexOf(u"Endereco"_s)), u"Rua B"_s);
        QVERIFY(rows.row(0).at(rows.columns.indexOf(u"CPF"_s)).isNull());
        QVERIFY(!rows.row(2).at(rows.columns.indexOf(u"CPF"_s)).isNull());
        QCOMPARE(texts(report.pageItems(0), DataReport::Band::GroupHeader),
                 (QStringList{u"Zilda Prado"_s, u"77"_s, u""_s, u""_s, u""_s, u"Ana Lima"_s, u"12"_s,
                              u"111.111.111-11"_s, u""_s, u""_s}));
        QCOMPARE(datFenwarda::command(u"cmdLocacao_Grouping"_s).by.mid(0, 4),
                 (QStringList{u"Data"_s, u"Clientes"_s, u"Codigo"_s, u"Video-1"_s}));
        QCOMPARE(datFenwarda::command(u"cmdLocacao_Grouping"_s).by.size(), 19);
    }

    // The grouping texts are constants: a wrong one must fail here, never
    // stop the program when a report opens.
    void groupingTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("error"); // empty: the text reads
        for (const auto& [name, text] : datFenwarda::texts())
            QTest::addRow("%s", qPrintable(name)) << text << QString();
        QTest::addRow("no shape") << u"SELECT * FROM tblVideos"_s << u"x does not parse"_s;
        QTest::addRow("child differs")
            << u"SHAPE {SELECT * FROM `tblVideos`}  AS a COMPUTE b BY 'Nome'"_s << u"x does not parse"_s;
        QTest::addRow("unknown table") << u"SHAPE {SELECT * FROM `tblFitas`}  AS a COMPUTE a BY 'Nome'"_s
                                       << u"x reads an unknown table: tblFitas"_s;
        QTest::addRow("unknown column")
            << u"SHAPE {SELECT * FROM `tblVideos`}  AS a COMPUTE a BY 'Nome','Diretor'"_s
            << u"x names an unknown column: Diretor"_s;
        QTest::addRow("no column") << u"SHAPE {SELECT * FROM `tblVideos`}  AS a COMPUTE a BY -"_s
                                   << u"x groups by no column"_s;
    }

    void groupingTexts()
    {
        QFETCH(QString, text);
        QFETCH(QString, error);
        QString why;
        const std::optional<datFenwarda::Command> command = datFenwarda::parse(u"x"_s, text, &why);
        QCOMPARE(why, error);
        QCOMPARE(command.has_value(), error.isEmpty());
        if (command) {
            QVERIFY(store::table(command->table));
            QVERIFY(!command->by.isEmpty());
        }
    }

    void bandsAndPageBreaks_data()
    {
        QTest::addColumn<QString>("report");
        QTest::addColumn<int>("groups");
        QTest::addColumn<QStringList>("captions");
        for (const auto& [name, count] : {std::pair{"rptClientes", 0},
                                          {"rptClientes", 150},
                                          {"rptVideos", 150},
                                          {"rptLocacao", 0},
                                          {"rptLocacao", 40}})
            QTest::addRow("%s %d", name, count)
                << QString::fromLatin1(name) << count
                << (QString::fromLatin1(name) == "rptClientes"_L1
                        ? QStringList{u"Nome"_s, u"RG"_s, u"CPF"_s, u"Celular"_s, u"Telefone"_s}
                    : QString::fromLatin1(name) == "rptVideos"_L1
                        ? QStringList{u"Codigo"_s, u"Nome"_s, u"Genero"_s, u"Qtde na Loja"_s}
                        : QStringList{u"Relação de Vídeos Locados"_s, u"Data"_s, u"Clientes"_s, u"Codigo"_s});
    }

    void bandsAndPageBreaks()
    {
        QFETCH(QString, report);
        QFETCH(int, groups);
        QFETCH(QStringList, captions);
        for (const ReportRow& r : Reports)
            if (report == QLatin1String(r.report))
                addRows(shop->db(), QString::fromLatin1(r.table), r.rows(groups));
        auto rpt = makeReport(report, std::make_shared<datFenwarda>(shop->folder()));
        QCOMPARE(rpt->totalGroups(), groups);
        QVERIFY(groups == 0 ? rpt->pageCount() == 1 : rpt->pageCount() >= 3);

        const QSizeF printable = DataReport::printableSize();
        QList<int> seen;
        for (int page = 0; page < rpt->pageCount(); ++page) {
            const QList<Item> items = rpt->pageItems(page);
            QStringList header = texts(items, DataReport::Band::ReportHeader);
            QCOMPARE(header.contains(u"Página %1"_s.arg(page + 1)), true);
            QCOMPARE(header.size(), page == 0 ? 2 : 1); // the title on the first page only
            QCOMPARE(texts(items, DataReport::Band::PageHeader), captions);
            for (const Item& i : items) {
                QVERIFY(i.rect.left() >= 0 && i.rect.right() <= printable.width());
                QVERIFY2(i.rect.bottom() <= printable.height(), qPrintable(i.text));
                if (i.band == DataReport::Band::GroupHeader && !seen.contains(i.group))
                    seen.append(i.group);
            }
        }
        // Every group once, in order, each on one page only.
        QList<int> expected;
        for (int g = 0; g < groups; ++g)
            expected.append(g);
        QCOMPARE(seen, expected);
        for (int page = 1; page < rpt->pageCount(); ++page)
            QCOMPARE(rpt->firstGroup(page), rpt->firstGroup(page - 1) + rpt->groupCount(page - 1));
    }

    // The first page shows before the table is read to its end; the pages,
    // whichever order they are asked in, hold what a whole read groups, as
    // the file was when the report opened.
    void streamedPagesMatchAWholeRead_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QStringList>("unique");
        QTest::addColumn<QString>("empty");
        QTest::addColumn<QStringList>("fields"); // as each group draws them
        QTest::addColumn<bool>("writeMeanwhile");
        QTest::addColumn<int>("hashBits"); // 0: the whole hash
        const QStringList customerFields{u"Nome"_s, u"RG"_s, u"CPF"_s, u"Celular"_s, u"FoneResidencial"_s};
        const QStringList videoFields{u"Codigo"_s, u"Nome"_s, u"Genero"_s, u"QTDE"_s};
        QStringList noteFields{u"Data"_s, u"Clientes"_s, u"Codigo"_s};
        for (int k = 1; k <= 16; ++k)
            noteFields.append(u"Video-%1"_s.arg(k));
        for (bool write : {false, true}) {
            const char* when = write ? " written meanwhile" : "";
            QTest::addRow("rptClientes%s", when) << 0 << 400 << QStringList{u"Codigo"_s, u"CPF"_s}
                                                 << u"Celular"_s << customerFields << write << 0;
            QTest::addRow("rptVideos%s", when)
                << 1 << 300 << QStringList{u"Codigo"_s} << u"Genero"_s << videoFields << write << 0;
            QTest::addRow("rptLocacao%s", when)
                << 2 << 120 << QStringList{u"Codigo"_s} << u"Clientes"_s << noteFields << write << 0;
        }
        // Different combinations under one hash are still told apart.
        QTest::addRow("rptClientes, four hashes")
            << 0 << 400 << QStringList{u"Codigo"_s, u"CPF"_s} << u"Celular"_s << customerFields << false << 2;
        QTest::addRow("rptLocacao written meanwhile, two hashes")
            << 2 << 120 << QStringList{u"Codigo"_s} << u"Clientes"_s << noteFields << true << 1;
    }

    void streamedPagesMatchAWholeRead()
    {
        QFETCH(int, which);
        QFETCH(int, rows);
        QFETCH(QStringList, unique);
        QFETCH(QString, empty);
        QFETCH(QStringList, fields);
        QFETCH(bool, writeMeanwhile);
        QFETCH(int, hashBits);
        GroupStream::setHashBits(hashBits);
        const auto wholeHash = qScopeGuard([] { GroupStream::setHashBits(0); });
        const ReportRow& r = Reports[which];
        const QString table = QString::fromLatin1(r.table);
        addRows(shop->db(), table, withRepeats(r.rows(rows), unique, empty));
        const QStringList by = datFenwarda::command(makeReport(QString::fromLatin1(r.report),
                                                               std::make_shared<datFenwarda>(shop->folder()))
                                                        ->command())
                                   .by;
        const store::GroupedRows whole = store::groupRows(shop->db(), table, by);
        QCOMPARE(whole.groups.size(), rows - rows / 10);

        frmMenu& menu = openMenu();
        menu.findChild<QAction*>(QString::fromUtf8(r.entry))->trigger();
        auto* preview = qobject_cast<ReportPreview*>(menu.reportWindows().value(0));
        QVERIFY(preview);
        const DataReport& report = preview->report();
        // Only the first page and one group more read when the window shows.
        QVERIFY(!report.isComplete());
        QCOMPARE(report.pagesKnown(), 2);
        QCOMPARE(child<QLabel>(preview, "lblPaginas")->text(), u"de 2…"_s);
        QVERIFY(child<QPushButton>(preview, "cmdProxima")->isEnabled());

        if (writeMeanwhile) {
            // Another window changes, removes and adds rows meanwhile.
            QSqlQuery q(shop->db().connection());
            for (const QString& sql :
                 {u"UPDATE %1 SET %2 = 'Mudado' WHERE rowid > 20"_s, u"DELETE FROM %1 WHERE rowid % 3 = 0"_s,
                  u"INSERT INTO %1 (%2) VALUES ('Novo')"_s})
                QVERIFY2(q.exec(QString(sql).replace(u"%1"_s, table).replace(u"%2"_s, empty)),
                         qPrintable(q.lastError().text()));
        }

        // The groups a page draws, each with its texts in drawing order.
        const auto drawn = [&](int page) {
            QMap<int, QStringList> groups;
            for (const Item& i : report.pageItems(page))
                if (i.band == DataReport::Band::GroupHeader && !i.line)
                    groups[i.group].append(i.text);
            return groups;
        };
        // What the page holds by the whole read.
        const auto expected = [&](int page) {
            QMap<int, QStringList> groups;
            for (int g = report.firstGroup(page); g < report.firstGroup(page) + report.groupCount(page); ++g)
                for (const QString& f : fields)
                    groups[g].append(whole.value(whole.groups.at(g), f));
            return groups;
        };
        // Page by page while the rest is still unread, then backwards.
        int page = 0;
        for (; !report.isComplete() || page < report.pagesKnown(); ++page) {
            QCOMPARE(drawn(page), expected(page));
            QVERIFY(report.groupCount(page) > 0);
        }
        QCOMPARE(report.totalGroups(), whole.groups.size());
        QCOMPARE(page, report.pageCount());
        QCOMPARE(report.firstGroup(page - 1) + report.groupCount(page - 1), whole.groups.size());
        for (int p = report.pageCount() - 1; p >= 0; --p)
            QCOMPARE(drawn(p), expected(p));

        // The window learns the page count once the table is read.
        QTRY_COMPARE(child<QLabel>(preview, "lblPaginas")->text(), u"de %1"_s.arg(report.pageCount()));
        QCOMPARE(child<QSpinBox>(preview, "spnPagina")->maximum(), report.pageCount());
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void slotGridPositions()
    {
        addRows(shop->db(), u"tblLocacao"_s, notes(17).mid(16) + notes(4).mid(3)); // 16 slots, then 3
        rptLocacao report(std::make_shared<datFenwarda>(shop->folder()));
        const QList<Item> items = report.pageItems(0);
        QList<Item> block[2];
        for (const Item& i : items)
            if (i.band == DataReport::Band::GroupHeader && !i.line)
                block[i.group].append(i);
        QCOMPARE(block[0].size(), 19);
        const qreal top = block[0][0].rect.top();
        const qreal line = block[0][0].rect.height();
        // Column and line of slots 1 to 16.
        const int cells[16][2] = {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 0}, {1, 1}, {1, 2},
                                  {1, 3}, {1, 4}, {2, 2}, {2, 3}, {2, 4}, {3, 2}, {3, 3}, {3, 4}};
        for (int k = 1; k <= 16; ++k) {
            const Item& slot = block[0][2 + k];
            QCOMPARE(slot.text, u"Filme %1 - Lançamento"_s.arg(k));
            QCOMPARE(slot.rect, QRectF(cells[k - 1][0] * 122.25, top + cells[k - 1][1] * line, 122.25, line));
            QCOMPARE(slot.pointSize, 8.25);
        }
        // Date, customer and note number on the first line, over the third and fourth columns.
        QCOMPARE((QStringList{block[0][0].text, block[0][1].text, block[0][2].text}),
                 (QStringList{u"01/02/2004"_s, u"Cliente 16"_s, u"116"_s}));
        for (int f = 0; f < 3; ++f)
            QVERIFY(block[0][f].rect.top() == top && block[0][f].rect.left() >= 2 * 122.25);
        // The second note: three slots, the rest blank; a line under each block.
        QCOMPARE(texts(block[1], DataReport::Band::GroupHeader).mid(3).join('|'),
                 u"Filme 1 - Lançamento|Filme 2 - Lançamento|Filme 3 - Lançamento|||||||||||||"_s);
        int lines = 0;
        for (const Item& i : items)
            lines += i.band == DataReport::Band::GroupHeader && i.line ? 1 : 0;
        QCOMPARE(lines, 2);
    }

    // Each pending note names its customer's account under the name, as the
    // history kept it; a note from before accounts were kept names none.
    void pendingNotesShowTheAccount()
    {
        addRows(shop->db(), u"tblLocacao"_s, notes(3));
        shop->exec("INSERT INTO NoteHistory (Id, Codigo, Data, Cliente, ClienteCodigo) VALUES "
                   "(1, '100', '01/02/2004', 'Cliente 0', '7'), (2, '101', '01/02/2004', 'Cliente 1', NULL)");
        rptLocacao report(std::make_shared<datFenwarda>(shop->folder()));
        QStringList accounts(3);
        QList<QRectF> under(3);
        QList<QRectF> name(3);
        for (const Item& i : report.pageItems(0)) {
            if (i.band != DataReport::Band::GroupHeader || i.line)
                continue;
            if (i.text.startsWith(u"Cliente nº"_s)) {
                accounts[i.group] = i.text;
                under[i.group] = i.rect;
            } else if (i.text.startsWith(u"Cliente "_s)) {
                name[i.group] = i.rect;
            }
        }
        QCOMPARE(accounts, (QStringList{u"Cliente nº 7"_s, u""_s, u""_s}));
        QCOMPARE(under[0].left(), name[0].left());
        QCOMPARE(under[0].top(), name[0].bottom());
    }

    // The shop's name, address and phone above the title of the first page
    // only; the rest of the page moves down by their height. Without a name
    // the pages are laid out as they always were.
    void shopHeadingAboveTheTitle_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QStringList>("heading");
        const QStringList all{u"Vídeo Ação"_s, u"Rua São João, 12"_s, u"Telefone: 5555-1234"_s};
        for (int which = 0; which < 3; ++which) {
            QTest::addRow("%s no name", Reports[which].report)
                << which << u""_s << u"Rua São João, 12"_s << u"5555-1234"_s << QStringList();
            QTest::addRow("%s name only", Reports[which].report)
                << which << u"Vídeo Ação"_s << u""_s << u""_s << all.mid(0, 1);
            QTest::addRow("%s all", Reports[which].report)
                << which << u"Vídeo Ação"_s << u"Rua São João, 12"_s << u"5555-1234"_s << all;
        }
    }
    void shopHeadingAboveTheTitle()
    {
        QFETCH(int, which);
        QFETCH(QString, name);
        QFETCH(QString, address);
        QFETCH(QString, phone);
        QFETCH(QStringList, heading);
        storeShopHeading(shop->db(), name, address, phone);
        const ReportRow& r = Reports[which];
        addRows(shop->db(), QString::fromLatin1(r.table), r.rows(which == 2 ? 40 : 150));

        frmMenu& menu = openMenu();
        menu.findChild<QAction*>(QString::fromUtf8(r.entry))->trigger();
        auto* preview = qobject_cast<ReportPreview*>(menu.reportWindows().value(0));
        QVERIFY(preview);
        const DataReport& shown = preview->report();
        const auto plain =
            makeReport(QString::fromLatin1(r.report), std::make_shared<datFenwarda>(shop->folder()));

        const QList<Item> first = shown.pageItems(0);
        const QList<Item> before = plain->pageItems(0);
        const QStringList header = texts(first, DataReport::Band::ReportHeader);
        QCOMPARE(header.mid(0, heading.size()), heading);
        QCOMPARE(header.size(), heading.size() + 2); // then the title and the page number
        // Each line below the one before, the name the largest.
        qreal top = 0;
        for (int i = 0; i < heading.size(); ++i) {
            QCOMPARE(first[i].rect.top(), top);
            QCOMPARE(first[i].pointSize, i == 0 ? 12.0 : 9.75);
            QVERIFY(first[i].rect.right() <= DataReport::printableSize().width());
            top = first[i].rect.bottom();
        }
        // The title line and everything under it, as without a heading, moved
        // down by the heading's height.
        const QList<Item> rest = first.mid(heading.size());
        QVERIFY(rest.size() <= before.size());
        QVERIFY(rest.size() > 4);
        for (int i = 0; i < rest.size(); ++i) {
            QCOMPARE(rest[i].text, before[i].text);
            QCOMPARE(rest[i].rect, before[i].rect.translated(0, top));
        }
        if (heading.isEmpty())
            QCOMPARE(rest.size(), before.size());
        // Later pages carry no heading; every group is still shown once.
        QVERIFY(shown.pageCount() > 1);
        for (int page = 1; page < shown.pageCount(); ++page) {
            QCOMPARE(texts(shown.pageItems(page), DataReport::Band::ReportHeader),
                     QStringList{u"Página %1"_s.arg(page + 1)});
            QCOMPARE(shown.firstGroup(page), shown.firstGroup(page - 1) + shown.groupCount(page - 1));
        }
        QCOMPARE(shown.firstGroup(shown.pageCount() - 1) + shown.groupCount(shown.pageCount() - 1),
                 plain->totalGroups());

        // On paper: the heading above the title.
        QTemporaryDir out;
        const QString pdf = out.filePath(u"r.pdf"_s);
        {
            QPdfWriter writer(pdf);
            writer.setPageLayout(DataReport::pageLayout());
            QVERIFY(shown.render(writer, 0, 1));
        }
        const QStringList pages = pdfPages(pdf);
        QCOMPARE(pages.size(), 2);
        qsizetype at = 0;
        for (const QString& line : heading) {
            const qsizetype found = pages[0].indexOf(line, at);
            QVERIFY2(found >= at, qPrintable(line + u" not in order in:\n"_s + pages[0]));
            at = found + line.size();
        }
        QVERIFY(pages[0].indexOf(u"Relatório de"_s, at) >= at);
        if (!heading.isEmpty())
            QVERIFY(!pages[1].contains(heading.first()));
    }

    // Cells are drawn from glyphs kept per letter; on paper they must be
    // where shaping each text would put them: pairs the font kerns, accents,
    // combining marks, letters of other scripts or missing from the font.
    void cellsPrintAsShapedText()
    {
        const QStringList names{u"AVATAR Tyrone Wallace"_s, u"José Conceição Ávila"_s,
                                u"Zoe\u0301 Ne\u0301lio"_s, u"李小龙 Lee"_s,
                                u"Ωmega Γ. Yvy"_s,          u"Ana \u2013 \u201cLu\u201d\u2026"_s};
        QList<Row> rows;
        for (int i = 0; i < names.size(); ++i)
            rows.append({{u"Codigo"_s, QString::number(i + 1)},
                         {u"Nome"_s, names[i]},
                         {u"RG"_s, u"WAVE %1"_s.arg(i)}});
        addRows(shop->db(), u"tblClientes"_s, rows);
        rptClientes report(std::make_shared<datFenwarda>(shop->folder()));
        QTemporaryDir out;
        const QString drawn = out.filePath(u"drawn.pdf"_s);
        const QString shaped = out.filePath(u"shaped.pdf"_s);
        {
            QPdfWriter writer(drawn);
            writer.setPageLayout(DataReport::pageLayout());
            QVERIFY(report.render(writer, 0, 0));
        }
        {
            QPdfWriter writer(shaped);
            writer.setPageLayout(DataReport::pageLayout());
            QPainter painter(&writer);
            painter.scale(writer.logicalDpiX() / 72.0, writer.logicalDpiX() / 72.0);
            for (const Item& item : report.pageItems(0)) {
                if (item.line || item.text.isEmpty())
                    continue;
                painter.setFont(DataReport::font(item.pointSize, writer));
                const int align = (item.alignRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
                painter.drawText(item.rect, align | Qt::TextSingleLine | Qt::TextDontClip, item.text);
            }
        }
        const QStringList words = pdfWords(drawn);
        QCOMPARE(words, pdfWords(shaped));
        for (const char* word : {"AVATAR", "Conceição", "Lee", "Wallace"})
            QVERIFY2(words.join(u'\n').contains(u'>' + QString::fromUtf8(word) + u'<'), word);
    }

    void previewFromMenuSavesPdfAndPrints_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("rptClientes") << 0
                                     << QStringList{u"Relatório de Clientes Página 1"_s,
                                                    u"Nome RG CPF Celular Telefone"_s,
                                                    u"Cliente 2 5001 000.000.001-00 9999-0001 3333-0001"_s};
        QTest::newRow("rptVideos") << 1
                                   << QStringList{u"Relatório de Vídeos Página 1"_s,
                                                  u"Codigo Nome Genero Qtde na Loja"_s,
                                                  u"1001 Filme 2 Drama 1"_s};
        QTest::newRow("rptLocacao")
            << 2
            << QStringList{u"Relatório de Locação de Vídeos Pendentes Página 1"_s,
                           u"Relação de Vídeos Locados Data Clientes Codigo"_s,
                           u"Filme 1 - Lançamento Filme 6 - Lançamento 01/02/2004 Cliente 7 107"_s,
                           u"Filme 3 - Lançamento"_s};
    }

    void previewFromMenuSavesPdfAndPrints()
    {
        QFETCH(int, which);
        QFETCH(QStringList, expected);
        const ReportRow& r = Reports[which];
        addRows(shop->db(), QString::fromLatin1(r.table), r.rows(which == 2 ? 40 : 150));
        frmMenu& menu = openMenu();
        menu.findChild<QAction*>(QString::fromUtf8(r.entry))->trigger();
        QCOMPARE(menu.reportWindows().size(), 1);
        auto* preview = qobject_cast<ReportPreview*>(menu.reportWindows().first());
        QVERIFY(preview && preview->isVisible() && menu.isEnabled());
        QCOMPARE(preview->windowTitle(), u"Fenwarda - %1 (DataReport)"_s.arg(QLatin1String(r.report)));
        // Choosing the entry again brings the same window forward.
        menu.findChild<QAction*>(QString::fromUtf8(r.entry))->trigger();
        QCOMPARE(menu.reportWindows().size(), 1);

        QTest::mouseClick(child<QPushButton>(preview, "cmdUltima"), Qt::LeftButton);
        const int pages = preview->report().pageCount();
        QCOMPARE(preview->currentPage(), pages - 1);
        QCOMPARE(child<QSpinBox>(preview, "spnPagina")->value(), pages);
        QCOMPARE(child<QLabel>(preview, "lblPaginas")->text(), u"de %1"_s.arg(pages));
        QVERIFY(!child<QPushButton>(preview, "cmdProxima")->isEnabled());
        QTest::mouseClick(child<QPushButton>(preview, "cmdAnterior"), Qt::LeftButton);
        QCOMPARE(preview->currentPage(), pages - 2);
        const qreal zoom = preview->zoom();
        QTest::mouseClick(child<QPushButton>(preview, "cmdAmpliar"), Qt::LeftButton);
        QCOMPARE(preview->zoom(), zoom * 1.25);
        QCOMPARE(child<QLabel>(preview, "lblZoom")->text(), u"125%"_s);

        QTemporaryDir out;
        const QString pdf = out.filePath(u"r.pdf"_s);
        preview->setFileChooser([&] { return pdf; });
        QTest::mouseClick(child<QPushButton>(preview, "cmdPDF"), Qt::LeftButton);
        const QStringList pdfText = pdfPages(pdf);
        QCOMPARE(pdfText.size(), pages);
        for (const QString& line : expected)
            QVERIFY2(pdfText.first().contains(line), qPrintable(line + u" not in:\n"_s + pdfText.first()));
        for (int page = 1; page < pages; ++page)
            QVERIFY(pdfText[page].contains(u"Página %1\n"_s.arg(page + 1)) &&
                    pdfText[page].contains(expected[1]));

        // Printing honours the page range chosen in the print dialog.
        const QString printed = out.filePath(u"p.pdf"_s);
        preview->setPrinterChooser([&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printed);
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(2, 2);
            return true;
        });
        QTest::mouseClick(child<QPushButton>(preview, "cmdImprimir"), Qt::LeftButton);
        const QStringList printedText = pdfPages(printed);
        QCOMPARE(printedText.size(), 1);
        QCOMPARE(printedText.first(), pdfText[1]);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void longTextsAreCutShortInTheirCells_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("column");
        QTest::addColumn<qreal>("points");
        QTest::addColumn<QString>("text"); // its last word never fits
        const QString name =
            u"Maria Aparecida dos Santos Albuquerque Cavalcanti de Oliveira Rezende Escondido"_s;
        const QString title =
            u"O Senhor dos Anéis: A Sociedade do Anel, Versão Estendida - Lançamento Escondido"_s;
        QTest::newRow("rptClientes Nome") << 0 << u"Nome"_s << 9.75 << name;
        QTest::newRow("rptVideos Nome") << 1 << u"Nome"_s << 9.75 << title;
        QTest::newRow("rptLocacao Clientes") << 2 << u"Clientes"_s << 8.25 << name;
        QTest::newRow("rptLocacao Video-1") << 2 << u"Video-1"_s << 8.25 << title;
        QTest::newRow("rptLocacao Video-12") << 2 << u"Video-12"_s << 8.25 << title;
    }

    void longTextsAreCutShortInTheirCells()
    {
        QFETCH(int, which);
        QFETCH(QString, column);
        QFETCH(qreal, points);
        QFETCH(QString, text);
        const ReportRow& r = Reports[which];
        QList<Row> rows = r.rows(17).mid(15); // for notes: 15 and 16 slots
        rows[1][column] = text;
        addRows(shop->db(), QString::fromLatin1(r.table), rows);

        frmMenu& menu = openMenu();
        menu.findChild<QAction*>(QString::fromUtf8(r.entry))->trigger();
        auto* preview = qobject_cast<ReportPreview*>(menu.reportWindows().value(0));
        QVERIFY(preview);

        // What the page draws: the long text cut short with "…", inside its
        // cell, as late as the cell allows; every other text whole.
        QImage screen(1, 1, QImage::Format_RGB32);
        QPdfWriter paper(u"unused.pdf"_s); // never painted on: no file
        QList<Item> cut;
        for (const Item& i : preview->report().pageItems(0)) {
            if (i.line)
                continue;
            QVERIFY2(drawnWidth(i.text, i.pointSize, screen) <= i.rect.width(), qPrintable(i.text));
            QVERIFY2(drawnWidth(i.text, i.pointSize, paper) <= i.rect.width(), qPrintable(i.text));
            if (i.text.endsWith(u"…"_s))
                cut.append(i);
        }
        QCOMPARE(cut.size(), 1);
        const Item& item = cut.first();
        QCOMPARE(item.group, 1);
        QCOMPARE(item.pointSize, points);
        const QString kept = item.text.chopped(1);
        QVERIFY2(kept.size() >= 15 && text.startsWith(kept), qPrintable(item.text));
        QVERIFY(drawnWidth(item.text, points, screen) > 0.75 * item.rect.width());

        // The PDF carries the cut text and nothing of the rest.
        QTemporaryDir out;
        const QString pdf = out.filePath(u"r.pdf"_s);
        preview->setFileChooser([&] { return pdf; });
        QTest::mouseClick(child<QPushButton>(preview, "cmdPDF"), Qt::LeftButton);
        const QString page = pdfPages(pdf).value(0);
        QVERIFY2(page.contains(item.text), qPrintable(item.text + u" not in:\n"_s + page));
        QVERIFY2(!page.contains(u"Escondido"_s), qPrintable(page));
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void pdfFileDialogStartsInDocuments()
    {
        // The user's documents folder as the XDG user directories name it.
        QTemporaryDir config;
        const QString docs = config.filePath(u"Documentos"_s);
        QVERIFY(QDir().mkpath(docs));
        QFile dirs(config.filePath(u"user-dirs.dirs"_s));
        QVERIFY(dirs.open(QIODevice::WriteOnly));
        dirs.write(u"XDG_DOCUMENTS_DIR=\"%1\"\n"_s.arg(docs).toUtf8());
        dirs.close();
        const bool hadConfig = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        const auto restore = qScopeGuard([&] {
            if (hadConfig)
                qputenv("XDG_CONFIG_HOME", oldConfig);
            else
                qunsetenv("XDG_CONFIG_HOME");
        });
        QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), docs);

        addRows(shop->db(), u"tblVideos"_s, videos(2));
        frmMenu& menu = openMenu();
        menu.findChild<QAction*>(u"mnuRelVideos"_s)->trigger();
        auto* preview = qobject_cast<ReportPreview*>(menu.reportWindows().value(0));
        QVERIFY(preview);
        QCOMPARE(preview->pdfStartPath(), docs + u"/rptVideos.pdf"_s);

        // The real dialog: looked at once it is up (the first event its own
        // loop runs), then cancelled.
        QString folder, file;
        QMetaObject::invokeMethod(
            qApp,
            [&] {
                if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                    folder = dialog->directory().absolutePath();
                    file = dialog->selectedFiles().value(0);
                    dialog->reject();
                }
            },
            Qt::QueuedConnection);
        child<QPushButton>(preview, "cmdPDF")->click();
        QCOMPARE(folder, docs);
        QCOMPARE(file, docs + u"/rptVideos.pdf"_s);
        QVERIFY(entries(docs).isEmpty());
        QVERIFY(MessageBox::shown().isEmpty());

        // No documents folder: the home folder.
        QVERIFY(QDir(docs).removeRecursively());
        QCOMPARE(preview->pdfStartPath(), QDir::home().filePath(u"rptVideos.pdf"_s));
    }

    void pdfSaveLeavesNoFileWhenCancelledOrFailing_data()
    {
        QTest::addColumn<bool>("folderMissing");
        QTest::addColumn<bool>("older");      // a file of that name is there already
        QTest::addColumn<qint64>("room");     // bytes a file may grow to; 0 for no limit
        QTest::addColumn<int>("cancelAt");    // the page whose progress is cancelled; 0 for none
        QTest::addColumn<QString>("message"); // empty: none, and the PDF is saved
        const QString full =
            u"Não foi possível gravar o arquivo %1.\nVerifique se há espaço livre no disco.\nO relatório não foi salvo."_s;
        QTest::newRow("saved over an older file") << false << true << qint64(0) << 0 << QString();
        QTest::newRow("cancelled at the first page") << false << false << qint64(0) << 1 << QString();
        QTest::newRow("cancelled, older file kept") << false << true << qint64(0) << 2 << QString();
        QTest::newRow("cancelled at the last page") << false << false << qint64(0) << 3 << QString();
        QTest::newRow("disk full") << false << false << qint64(4096) << 0 << full;
        QTest::newRow("disk full, older file kept") << false << true << qint64(4096) << 0 << full;
        QTest::newRow("folder missing")
            << true << false << qint64(0) << 0
            << u"Não foi possível criar o arquivo %1.\nVerifique se a pasta existe e permite gravação."_s;
    }

    void pdfSaveLeavesNoFileWhenCancelledOrFailing()
    {
        QFETCH(bool, folderMissing);
        QFETCH(bool, older);
        QFETCH(qint64, room);
        QFETCH(int, cancelAt);
        QFETCH(QString, message);
        addRows(shop->db(), u"tblClientes"_s, customers(150));
        frmMenu& menu = openMenu();
        menu.findChild<QAction*>(u"mnuRelClientes"_s)->trigger();
        auto* preview = qobject_cast<ReportPreview*>(menu.reportWindows().value(0));
        QVERIFY(preview);
        const int pages = preview->report().pageCount();
        QCOMPARE(pages, 3);

        QTemporaryDir out;
        const QString pdf = QDir(folderMissing ? out.filePath(u"sumiu"_s) : out.path()).filePath(u"r.pdf"_s);
        const QByteArray yesterday = "o relatório de ontem";
        if (older) {
            QFile f(pdf);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(yesterday) == yesterday.size());
        }
        struct Seen
        {
            int value, maximum;
            QString cancel;
            Qt::WindowModality modality;
        };
        QList<Seen> seen;
        preview->setOnPdfProgress([&](QProgressDialog& progress) {
            auto* cancel = progress.findChild<QPushButton*>();
            seen.append({progress.value(), progress.maximum(), cancel ? cancel->text() : QString(),
                         progress.windowModality()});
            if (seen.size() == cancelAt && cancel)
                cancel->click();
        });
        preview->setFileChooser([&] { return pdf; });
        {
            std::optional<FileSizeLimit> limit;
            if (room > 0)
                limit.emplace(room);
            QTest::mouseClick(child<QPushButton>(preview, "cmdPDF"), Qt::LeftButton);
        }

        // The progress counts the pages, cancels with "Cancelar", and keeps
        // the other windows still meanwhile; a cancel stops at once.
        const int saved = folderMissing ? 0 : cancelAt > 0 ? cancelAt : pages;
        QCOMPARE(seen.size(), saved);
        for (int k = 0; k < seen.size(); ++k) {
            QCOMPARE(seen[k].value, k + 1);
            QCOMPARE(seen[k].maximum, pages);
            QCOMPARE(seen[k].cancel, u"Cancelar"_s);
            QCOMPARE(seen[k].modality, Qt::ApplicationModal);
        }

        if (message.isEmpty()) {
            QVERIFY(MessageBox::shown().isEmpty());
        } else {
            QCOMPARE(MessageBox::shown().size(), 1);
            QCOMPARE(MessageBox::shown().first().text, message.arg(QDir::toNativeSeparators(pdf)));
            QCOMPARE(MessageBox::shown().first().title, preview->windowTitle());
            QCOMPARE(MessageBox::shown().first().icon, QMessageBox::Warning);
        }
        // Only a complete PDF takes the file's place; nothing else is left.
        const bool written = message.isEmpty() && cancelAt == 0;
        QCOMPARE(entries(out.path()), (older || written ? QStringList{u"r.pdf"_s} : QStringList()));
        if (written)
            QCOMPARE(pdfPages(pdf).size(), pages);
        else if (older)
            QCOMPARE(bytesOf(pdf), yesterday);
    }

    void closingEndsTheResultAndReopeningReadsAgain()
    {
        addRows(shop->db(), u"tblVideos"_s, videos(2));
        frmMenu& menu = openMenu();
        QAction* entry = menu.findChild<QAction*>(u"mnuRelVideos"_s);
        entry->trigger();
        QPointer<ReportPreview> preview = qobject_cast<ReportPreview*>(menu.reportWindows().value(0));
        QVERIFY(preview);
        // A window writing meanwhile does not change the open report.
        addRows(shop->db(), u"tblVideos"_s, videos(3).mid(2));
        QCOMPARE(preview->report().totalGroups(), 2);
        preview->close();
        QTRY_VERIFY(!preview);
        entry->trigger();
        preview = qobject_cast<ReportPreview*>(menu.reportWindows().value(0));
        QVERIFY(preview);
        QCOMPARE(preview->report().totalGroups(), 3);

        // The reports' own connection cannot write.
        datFenwarda env(shop->folder());
        env.open();
        store::RecordCursor c(env.cnnClientes(), u"tblVideos"_s);
        c.addNew();
        c.setValue(u"Codigo"_s, u"9"_s);
        QVERIFY_THROWS_EXCEPTION(store::StoreError, c.update());
        QCOMPARE(shop->count(u"tblVideos"_s), 3);
    }

    void unreadableDataFileGivesMessageAndNoWindow_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << QByteArray() << u"o arquivo não existe"_s;
        QTest::newRow("damaged") << QByteArray(4096, 'x') << u"está danificado"_s;
    }

    void unreadableDataFileGivesMessageAndNoWindow()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QTemporaryDir dir;
        if (!content.isEmpty()) {
            QFile f(store::Database::filePath(dir.path()));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        store::Database db(dir.path());
        frmMenu menu(db);
        registerTasks(menu);
        menu.findChild<QAction*>(u"mnuRelLocVideo"_s)->trigger();
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY2(MessageBox::shown().first().text.contains(message),
                 qPrintable(MessageBox::shown().first().text));
        QCOMPARE(MessageBox::shown().first().title, u"Erro no Arquivo de Dados"_s);
        QVERIFY(menu.reportWindows().isEmpty());
        QVERIFY(menu.isEnabled());
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<ReportPreview*>(w));
        QCOMPARE(QFile::exists(store::Database::filePath(dir.path())), !content.isEmpty());
    }
};

QTEST_MAIN(tst_reports)
#include "tst_reports.moc"
