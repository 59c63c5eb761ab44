// The day's windows and reports, from the menu: the late notes listed and
// printed, and the day's movement asked for its days and printed.

#include "WindowTest.h"
#include "app/frmMenu.h"
#include "platform/widgets/MessageBox.h"
#include "reports/DataReport.h"
#include "reports/ReportPreview.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

// Each group's texts on the report's pages, "|"-joined, the empty ones kept.
QStringList groupLines(const DataReport& report)
{
    QStringList out;
    for (int page = 0; page < report.pageCount(); ++page) {
        QMap<int, QStringList> groups;
        for (const DataReport::Item& item : report.pageItems(page))
            if (item.group >= 0 && !item.line)
                groups[item.group].append(item.text);
        for (const QStringList& texts : groups)
            out.append(texts.join(u'|'));
    }
    return out;
}

QString firstPageHeader(const DataReport& report)
{
    QStringList texts;
    for (const DataReport::Item& item : report.pageItems(0))
        if (item.group < 0 && !item.line)
            texts.append(item.text);
    return texts.join(u'|');
}

} // namespace

class tst_dayreports : public WindowTest
{
    Q_OBJECT

    // A note open since hoursAgo, with its videos "code:category".
    void addOpenNote(const QString& code, int hoursAgo, const QString& account, const QStringList& videos)
    {
        shop->exec("INSERT INTO tblLocacao (Codigo, Data, Clientes) VALUES (?, '01/12/2026', 'x')", {code});
        const QDateTime saved = QDateTime::currentDateTime().addSecs(-qint64(hoursAgo) * 3600);
        shop->exec("INSERT INTO NoteHistory (Codigo, Data, SavedAt, Cliente, ClienteCodigo) VALUES (?, "
                   "'01/12/2026', ?, 'Ana', ?)",
                   {code, saved.toString(Qt::ISODate), account});
        for (int slot = 0; slot < videos.size(); ++slot)
            shop->exec(
                "INSERT INTO RentedVideos (Note, Slot, Codigo, Titulo, Tipo) VALUES ((SELECT MAX(Id) FROM "
                "NoteHistory), ?, ?, 'Filme', ?)",
                {slot, videos[slot].section(':', 0, 0), videos[slot].section(':', 1)});
    }

private slots:
    void lateNotesListedAndPrinted()
    {
        shop->exec("INSERT INTO tblClientes (Codigo, Nome, FoneResidencial, Celular) VALUES ('7', 'Ana', "
                   "'3333-1111', '99999-0000')");
        // 95 hours out: a "Lançamento" 71 hours late, a "48 Horas" 47.
        addOpenNote("100", 95, "7", {"10:Lançamento", "11:48 Horas"});
        addOpenNote("101", 47, "8", {"12:48 Horas", "13:Lançamento"});
        addOpenNote("102", 1, "7", {"14:Lançamento"});
        frmMenu& menu = openMenu();

        menu.findChild<QAction*>(u"mnuConAtraso"_s)->trigger();
        QWidget* window = menu.currentTask();
        QVERIFY(window && window->objectName() == u"frmAtraso"_s && !menu.isEnabled());
        QCOMPARE(window->windowTitle(), u"Locações em Atraso"_s);
        // Read beside the window, which is up at once.
        QTRY_COMPARE(child<QLabel>(window, "lblTotal")->text(), u"2 nota(s) em atraso, 3 vídeo(s)."_s);
        auto* list = child<QTreeWidget>(window, "grdAtraso");
        QStringList shown;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QStringList cells;
            for (int c : {0, 2, 3, 4, 6})
                cells.append(list->topLevelItem(i)->text(c));
            shown.append(cells.join(u'|'));
        }
        QCOMPARE(shown, (QStringList{u"100|Ana|Res. 3333-1111 / Cel. 99999-0000|10 - Filme|3"_s,
                                     u"|||11 - Filme|2"_s, u"101|Ana||13 - Filme|1"_s}));
        QCOMPARE(child<QLabel>(window, "lblTotal")->text(), u"2 nota(s) em atraso, 3 vídeo(s)."_s);
        window->close();
        QTRY_VERIFY(menu.isEnabled());

        menu.findChild<QAction*>(u"mnuRelAtraso"_s)->trigger();
        QCOMPARE(menu.reportWindows().size(), 1);
        auto* preview = qobject_cast<ReportPreview*>(menu.reportWindows().first());
        QVERIFY(preview);
        QCOMPARE(preview->windowTitle(), u"Fenwarda - rptAtraso (DataReport)"_s);
        QCOMPARE(firstPageHeader(preview->report()),
                 u"Locações em Atraso|Página 1|Nota|Cliente|Telefones|Vídeo|Vencimento|Dias"_s);
        const QStringList lines = groupLines(preview->report());
        QCOMPARE(lines.size(), 3);
        const QString due =
            QDateTime::fromString(shop->row(u"NoteHistory"_s, u"100"_s).value(u"SavedAt"_s).toString(),
                                  Qt::ISODate)
                .addDays(1)
                .toString(u"dd/MM/yyyy"_s);
        QCOMPARE(lines[0], u"100|Ana|Res. 3333-1111 / Cel. 99999-0000|10 - Filme|%1|3"_s.arg(due));
        QVERIFY2(lines[2].startsWith(u"101|Ana||13 - Filme|"_s) && lines[2].endsWith(u"|1"_s),
                 qPrintable(lines[2]));
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void dayMovementAsksTheDaysAndPrints()
    {
        shop->exec("INSERT INTO NoteHistory (Codigo, Data, SavedAt, Cliente, Valor, Desconto) VALUES "
                   "('200', '06/12/2026', '2026-12-06T18:00:00', 'Rui', 'R$ 4,00', ''), "
                   "('201', '07/12/2026', '2026-12-07T09:15:00', 'Ana', 'R$ 9,50', '1,00'), "
                   "('202', '08/12/2026', '2026-12-08T20:40:00', 'Rui', 'R$ 3,00', '')");
        shop->exec(
            "INSERT INTO RentedVideos (Note, Slot, Codigo, Titulo, DevolvidoEm, ReturnedAt) VALUES "
            "(1, 0, '10', 'Ran', '07/12/2026', '2026-12-07T10:00:00'), (2, 0, '11', 'Kes', NULL, NULL)");
        frmMenu& menu = openMenu();
        menu.findChild<QAction*>(u"mnuRelMovimento"_s)->trigger();
        QPointer<QWidget> days = menu.currentTask();
        QVERIFY(days && days->objectName() == u"frmMovimentoDia"_s);
        QCOMPARE(child<QLineEdit>(days, "txtDe")->text(), QDate::currentDate().toString(u"dd/MM/yyyy"_s));
        QCOMPARE(child<QLineEdit>(days, "txtAte")->text(), QDate::currentDate().toString(u"dd/MM/yyyy"_s));

        // Dates that are not dates, and a span backwards, are said so.
        typeOver(child<QLineEdit>(days, "txtDe"), u"31/02/2026"_s);
        child<QPushButton>(days, "cmdOk")->click();
        QCOMPARE(lastMessage(),
                 u"Informe uma data válida, como %1."_s.arg(QDate::currentDate().toString(u"dd/MM/yyyy"_s)));
        typeOver(child<QLineEdit>(days, "txtDe"), u"09/12/2026"_s);
        typeOver(child<QLineEdit>(days, "txtAte"), u"08/12/2026"_s);
        child<QPushButton>(days, "cmdOk")->click();
        QCOMPARE(lastMessage(), u"A data inicial é posterior à final."_s);
        QVERIFY(menu.reportWindows().isEmpty());

        typeOver(child<QLineEdit>(days, "txtDe"), u"07/12/2026"_s);
        child<QPushButton>(days, "cmdOk")->click();
        QTRY_VERIFY(!days);
        QVERIFY(menu.isEnabled());
        QCOMPARE(menu.reportWindows().size(), 1);
        auto* preview = qobject_cast<ReportPreview*>(menu.reportWindows().first());
        QVERIFY(preview);
        QCOMPARE(
            firstPageHeader(preview->report()),
            u"Movimento do Dia de 07/12/2026 a 08/12/2026|Página 1|Nota|Data e Hora|Cliente|Valor|Desconto|Líquido"_s);
        QCOMPARE(
            groupLines(preview->report()),
            (QStringList{u"201|07/12/2026 09:15|Ana|R$\u00a010,50|R$\u00a01,00|R$\u00a09,50"_s,
                         u"202|08/12/2026 20:40|Rui|R$\u00a03,00|R$\u00a00,00|R$\u00a03,00"_s,
                         u"Total: 2 notas|||R$\u00a013,50|R$\u00a01,00|R$\u00a012,50"_s, u"|||||"_s,
                         u"Nota|Registrada em|Cliente|Vídeo|Devolvido em"_s,
                         u"200|07/12/2026 10:00|Rui|10 - Ran|07/12/2026"_s, u"Total: 1 devolução||||"_s}));
    }
};

QTEST_MAIN(tst_dayreports)
#include "tst_dayreports.moc"
