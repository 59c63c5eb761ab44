#include "WindowTest.h"
#include "platform/widgets/MessageBox.h"
#include "rental/frmLocacao.h"
#include "returns/frmConsultaVideo.h"
#include "returns/frmDevolucao.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

QStringList items(QComboBox* combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out.append(combo->itemText(i));
    return out;
}

// Whether the field shows its whole text: with the cursor at the end, the
// first character is still in view (drawing scrolls the text to the cursor).
bool showsWhole(QLineEdit* edit)
{
    edit->end(false);
    edit->grab();
    return edit->cursorPositionAt(QPoint(0, edit->height() / 2)) == 0;
}

} // namespace

class TestReturns : public WindowTest
{
    Q_OBJECT

    void addVideo(const QString& code, const QVariant& title, int qtde = 2)
    {
        shop->exec("INSERT INTO tblVideos (Codigo, Nome, QTDE, Valor, Tipo, Local) VALUES (?, ?, ?, '3,00', "
                   "'48 Horas', 'Estante 4')",
                   {code, title, qtde});
    }
    // A note with the given codes in the given slots (0..15); the other
    // slots hold empty texts, as the rental writes them.
    void addNote(const QString& code, const QVariant& date, const QList<QPair<int, QString>>& occupied)
    {
        QStringList columns{"Codigo", "Data", "Clientes"};
        QVariantList values{code, date, "Maria Silva"};
        for (int k = 0; k < 16; ++k) {
            QString video;
            for (const auto& [slot, c] : occupied)
                if (slot == k)
                    video = c;
            columns << QStringLiteral("\"Codigo(%1)\"").arg(k) << QStringLiteral("\"Video-%1\"").arg(k + 1);
            values << video << (video.isEmpty() ? QString("") : "Filme " + video);
        }
        QStringList marks(values.size(), "?");
        shop->exec("INSERT INTO tblLocacao (" + columns.join(',') + ") VALUES (" + marks.join(',') + ")",
                   values);
    }
    QHash<QString, QVariant> note(const QString& code) { return shop->row("tblLocacao", code); }
    void enter(const char* name, const QString& text) { enterText(w<QWidget>(name), text); }
    void openReturns() { open<frmDevolucao>(); }
    void openQuery() { open<frmConsultaVideo>(); }
    void returnVideo(const QString& note, const QString& video)
    {
        enter("cboCodigo", note);
        enter("cboCodigoVideo", video);
        w<QPushButton>("cmdOk")->click();
    }

    void stock() override
    {
        addVideo("7", "Alien");
        addVideo("8", "Ran");
    }

private slots:
    void reprintsTheChosenNote()
    {
        addNote("100", "01/12/2026", {{0, "7"}, {2, "8"}});
        addNote("101", "02/12/2026", {{0, "7"}});
        shop->exec("INSERT INTO NoteHistory (Id, Codigo, Data, Cliente, Valor, Desconto) VALUES "
                   "(1, '100', '01/12/2026', 'Maria Silva', 'R$ 6,00', 'R$ 0,00')");
        shop->exec("INSERT INTO RentedVideos (Note, Slot, Codigo, Titulo, Tipo) VALUES (1, 0, '7', 'Alien', "
                   "'48 Horas'), (1, 1, '9', 'Nosferatu', ''), (1, 2, '8', 'Ran - Drama', NULL)");
        shop->exec("INSERT INTO Settings (Name, Value) VALUES ('shop/name', 'Vídeo Sol')");
        openReturns();
        // Nothing chosen yet: asked for the note, nothing printed.
        w<QPushButton>("cmdReimprimir")->click();
        QCOMPARE(lastMessage(), QStringLiteral("Informe o código da locação antes de reimprimir a nota."));
        QVERIFY(printedLines.isEmpty());

        // Printed as saved, with the slot returned since and under today's heading.
        returnVideo("100", "8");
        w<QPushButton>("cmdReimprimir")->click();
        QCOMPARE(printedLines.value(0), QStringLiteral("Vídeo Sol"));
        QCOMPARE(printedLines.value(1), QStringLiteral("Movimento de Locação - 2ª via"));
        QVERIFY2(printedLines.contains(QStringLiteral("Video | 7: Alien - 48 Horas")),
                 qPrintable(printedLines.join('\n')));
        QVERIFY(printedLines.contains(QStringLiteral("Video: | 9: Nosferatu - ")));
        QVERIFY(printedLines.contains(QStringLiteral("Video: | 8: Ran - Drama")));
        QCOMPARE(printedLines.last(), QStringLiteral("Valor: | R$ 6,00 | Desconto: | R$ 0,00"));

        // A note the history does not hold is said so.
        MessageBox::clearShown();
        printedLines.clear();
        enter("cboCodigo", "101");
        w<QPushButton>("cmdReimprimir")->click();
        QCOMPARE(lastMessage(),
                 QStringLiteral("A nota 101 não está no histórico e não pode ser reimpressa."));
        QVERIFY(printedLines.isEmpty());
    }

    void marksALateVideoWhenChosen()
    {
        // Saved 30 hours ago: the 24-hour "Lançamento" is 6 hours late, the
        // "48 Horas" not yet due.
        addNote("100", "01/12/2026", {{0, "7"}, {1, "8"}});
        const QDateTime saved = QDateTime::currentDateTime().addSecs(-30 * 3600);
        shop->exec(
            "INSERT INTO NoteHistory (Id, Codigo, Data, SavedAt, Cliente) VALUES (1, '100', '01/12/2026', ?, "
            "'Maria Silva')",
            {saved.toString(Qt::ISODate)});
        shop->exec("INSERT INTO RentedVideos (Note, Slot, Codigo, Titulo, Tipo) VALUES (1, 0, '7', 'Alien', "
                   "'48 Horas'), (1, 1, '8', 'Ran', 'Lançamento')");
        openReturns();
        auto* late = w<QLabel>("lblAtraso");
        enter("cboCodigo", "100");
        enter("cboCodigoVideo", "8");
        QVERIFY(!late->isHidden());
        const QDateTime due = saved.addSecs(24 * 3600);
        QCOMPARE(late->text(), QStringLiteral("Vídeo em atraso: 1 dia (vencido em %1)")
                                   .arg(due.toString(QStringLiteral("dd/MM/yyyy HH:mm"))));
        enter("cboCodigoVideo", "7");
        QVERIFY(late->isHidden());
        // Chosen again and returned: the mark goes with it.
        enter("cboCodigoVideo", "8");
        QVERIFY(!late->isHidden());
        w<QPushButton>("cmdOk")->click();
        QVERIFY(late->isHidden());
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(note("100").value("Codigo(1)").toString(), QString());
    }

    void returnsFromEverySlot_data()
    {
        QTest::addColumn<int>("slot");
        for (int k = 0; k < 16; ++k)
            QTest::addRow("slot %d", k) << k;
    }

    void returnsFromEverySlot()
    {
        QFETCH(int, slot);
        addNote("101", "01/12/2026", {{slot, "7"}});
        addNote("102", "02/12/2026", {{slot, "7"}}); // same code, same slot, another note
        openReturns();
        QCOMPARE(focus(), w("txtData"));
        QCOMPARE(items(w<QComboBox>("cboCodigo")), QStringList({"101", "102"}));
        returnVideo("102", "7");
        QVERIFY2(MessageBox::shown().isEmpty(), qPrintable(lastMessage()));
        QCOMPARE(qtde("7"), 3);
        QVERIFY(note("102").isEmpty());
        QCOMPARE(note("101").value(QStringLiteral("Codigo(%1)").arg(slot)).toString(), QStringLiteral("7"));
        QCOMPARE(items(w<QComboBox>("cboCodigo")), QStringList({"101"}));
        QCOMPARE(w<QLabel>("lbl")->text(), QStringLiteral("0"));
        QCOMPARE(w<QComboBox>("cboCodigoVideo")->count(), 0);
    }

    void checksNoteAndVideoBeforeAnyChange()
    {
        addVideo("9", "Sem Nota");
        addNote("101", QVariant(), {{0, "7"}, {3, "8"}, {15, "7"}});
        addNote("102", "02/12/2026", {{1, "8"}});
        openReturns();
        // OK before anything is chosen changes nothing and says what is missing.
        w<QPushButton>("cmdOk")->click();
        QCOMPARE(lastMessage(),
                 QStringLiteral("Informe o código da locação antes de confirmar a devolução."));
        for (const QString& bad : {QStringLiteral("999"), QString()}) {
            MessageBox::clearShown();
            enter("cboCodigo", bad);
            QCOMPARE(lastMessage(), QStringLiteral("Registro de Locação não encontrado"));
            QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Informação de Devolução"));
            QCOMPARE(focus(), w<QComboBox>("cboCodigo"));
        }
        enter("cboCodigo", "101");
        QCOMPARE(w<QLabel>("lblData")->text(), QString()); // a date with no value shows empty
        QCOMPARE(items(w<QComboBox>("cboCodigoVideo")), QStringList({"7", "8", "7"}));
        // OK with the video field still empty: its check stops the click.
        MessageBox::clearShown();
        w<QPushButton>("cmdOk")->click();
        QCOMPARE(lastMessage(), QStringLiteral("Vídeo não alugado para esta Nota"));
        // In the catalogue but not on this note, unknown, or empty: refused.
        for (const QString& bad : {QStringLiteral("9"), QStringLiteral("55"), QString()}) {
            MessageBox::clearShown();
            enter("cboCodigoVideo", bad);
            QCOMPARE(lastMessage(), QStringLiteral("Vídeo não alugado para esta Nota"));
            QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Informação"));
            QCOMPARE(w<QComboBox>("cboCodigoVideo")->currentText(), QString());
            QCOMPARE(focus(), w<QComboBox>("cboCodigoVideo"));
        }
        QCOMPARE(qtde("7"), 2);
        QCOMPARE(qtde("8"), 2);

        // The same video twice: the first slot holding it goes first.
        returnVideo("101", "7");
        QCOMPARE(w<QLabel>("lbl")->text(), QStringLiteral("2"));
        QVERIFY(note("101").value("Codigo(0)").isNull());
        QVERIFY(note("101").value("Video-1").isNull());
        QCOMPARE(note("101").value("Codigo(15)").toString(), QStringLiteral("7"));
        QCOMPARE(items(w<QComboBox>("cboCodigoVideo")), QStringList({"8", "7"}));
        QCOMPARE(w<QLabel>("lblnome")->text(), QString());
        // OK again without choosing again books nothing twice.
        MessageBox::clearShown();
        w<QPushButton>("cmdOk")->click();
        QCOMPARE(qtde("7"), 3);
        QCOMPARE(lastMessage(), QStringLiteral("Informe o vídeo devolvido antes de confirmar a devolução."));

        // A video deleted from the catalogue while out can still come back.
        shop->exec("DELETE FROM tblVideos WHERE Codigo = '8'");
        MessageBox::clearShown();
        enter("cboCodigoVideo", "8");
        QVERIFY(lastMessage().startsWith("O vídeo 8 não está mais no cadastro de vídeos."));
        w<QPushButton>("cmdOk")->click();
        returnVideo("101", "7");
        QCOMPARE(qtde("7"), 4);
        QVERIFY(note("101").isEmpty());
        QCOMPARE(items(w<QComboBox>("cboCodigo")), QStringList({"102"}));
        QCOMPARE(note("102").value("Codigo(1)").toString(), QStringLiteral("8"));
    }

    void statusQuery_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("date");
        QTest::newRow("only in the sixteenth slot") << "7"
                                                    << "Locado"
                                                    << "16/11/2026";
        QTest::newRow("slot 1 of one note beats slot 2 of another") << "8"
                                                                    << "Locado"
                                                                    << "03/11/2026";
        QTest::newRow("in the catalogue, on no note") << "9"
                                                      << "Não Locado"
                                                      << "";
    }

    void statusQuery()
    {
        QFETCH(QString, code);
        QFETCH(QString, situation);
        QFETCH(QString, date);
        addVideo("9", "Na Prateleira", 0);
        addNote("101", "16/11/2026", {{15, "7"}});
        addNote("102", "02/11/2026", {{2, "8"}});
        addNote("103", "03/11/2026", {{1, "8"}});
        addNote("104", "04/11/2026", {{1, "8"}});
        openQuery();
        QCOMPARE(form->windowTitle(), QStringLiteral("Consulta para Locação de Vídeos"));
        enter("cboVideo", code);
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(w("txtSituacao")->text(), situation);
        QCOMPARE(w("txtData")->text(), date);
        QCOMPARE(w("txtLocal")->text(), QStringLiteral("Estante 4"));
        QCOMPARE(focus(), w<QPushButton>("cmdOk"));
    }

    // Who has the note, told apart from namesakes by the account it was
    // saved for; a note from before accounts were kept shows the name only.
    void theNotesCustomerWithItsNumber_data()
    {
        QTest::addColumn<bool>("status"); // else the returns window
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("shown");
        QTest::newRow("status, account kept") << true << "7"
                                              << "Maria Silva (nº 12)";
        QTest::newRow("status, before accounts") << true << "8"
                                                 << "Maria Silva";
        QTest::newRow("returns, account kept") << false << "101"
                                               << "Maria Silva (nº 12)";
        QTest::newRow("returns, before accounts") << false << "102"
                                                  << "Maria Silva";
    }

    void theNotesCustomerWithItsNumber()
    {
        QFETCH(bool, status);
        QFETCH(QString, key);
        QFETCH(QString, shown);
        addNote("101", "16/11/2026", {{0, "7"}});
        addNote("102", "17/11/2026", {{0, "8"}});
        shop->exec(
            "INSERT INTO NoteHistory (Id, Codigo, Data, Cliente, ClienteCodigo) VALUES "
            "(1, '101', '16/11/2026', 'Maria Silva', '12'), (2, '102', '17/11/2026', 'Maria Silva', NULL)");
        if (status) {
            openQuery();
            enter("cboVideo", key);
            QCOMPARE(w("txtCliente")->text(), shown);
        } else {
            openReturns();
            enter("cboCodigo", key);
            QCOMPARE(w<QLabel>("lblCliente")->text(), shown);
        }
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void statusQueryRefusesUnknownAndEmptyCodes()
    {
        addNote("101", "16/11/2026", {{0, "7"}}); // its free slots hold empty texts
        openQuery();
        enter("cboVideo", "7");
        QCOMPARE(w("txtVideo")->text(), QStringLiteral("Alien"));
        for (const QString& bad : {QStringLiteral("70"), QString()}) {
            MessageBox::clearShown();
            enter("cboVideo", bad);
            QCOMPARE(lastMessage(), QStringLiteral("Video não Encontrado ou Cadastrado"));
            QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Informação de Vídeo"));
            for (const char* name : {"txtVideo", "txtQTDE", "txtSituacao", "txtData", "txtLocal"})
                QVERIFY2(w(name)->text().isEmpty(), name);
            QCOMPARE(focus(), w<QComboBox>("cboVideo"));
        }
    }

    void codesFromABarcode_data() { barcodeRows(); }

    // A long code typed in the status query and in the return window.
    void codesFromABarcode()
    {
        QFETCH(QString, typed);
        QFETCH(QString, code);
        // Stored after each window opened, so no list completes the code:
        // the field itself takes every digit typed.
        openQuery();
        addVideo(code, "Código de Barras");
        addNote("101", "01/12/2026", {{0, code}});
        auto* query = w<QComboBox>("cboVideo");
        typeOver(query, typed);
        QCOMPARE(query->currentText(), code);
        QVERIFY(showsWhole(query->lineEdit()));
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(w("txtVideo")->text(), QStringLiteral("Código de Barras"));
        QCOMPARE(w("txtSituacao")->text(), QStringLiteral("Locado"));
        form->close();

        openReturns();
        auto* video = w<QComboBox>("cboCodigoVideo");
        typeOver(video, typed); // no note chosen yet: an empty list
        QCOMPARE(video->currentText(), code);
        QVERIFY(showsWhole(video->lineEdit()));
        enter("cboCodigo", "101");
        typeOver(video, typed);
        QCOMPARE(video->currentText(), code);
        QTest::keyClick(focus(), Qt::Key_Return);
        QCOMPARE(w<QLabel>("lblnome")->text(), QStringLiteral("Código de Barras"));
        MessageBox::clearShown(); // what the field cut, if anything
        w<QPushButton>("cmdOk")->click();
        QVERIFY2(MessageBox::shown().isEmpty(), qPrintable(lastMessage()));
        QCOMPARE(qtde(code), 3);
        QVERIFY(note("101").isEmpty());
    }

    // Rent two videos, query, return one, query, return the other, query.
    void wholeRentalCycle()
    {
        shop->exec("INSERT INTO tblClientes (Codigo, Nome, CPF) VALUES ('1', 'Maria Silva', '1')");
        open<frmLocacao>();
        enter("cboClientes", "Maria Silva");
        enter("cbo1", "7");
        enter("cbo1", "8");
        MessageBox::setNextAnswer(QMessageBox::No);
        w<QPushButton>("cmdSalvar")->click();
        QCOMPARE(qtde("7"), 1);
        QCOMPARE(qtde("8"), 1);
        form->close();

        const QString today = note("100").value("Data").toString();
        QVERIFY(!today.isEmpty());
        auto status = [&](const QString& code) {
            openQuery();
            enter("cboVideo", code);
            return w("txtSituacao")->text() + ' ' + w("txtData")->text();
        };
        QCOMPARE(status("8"), "Locado " + today);
        openReturns();
        returnVideo("100", "7");
        QCOMPARE(qtde("7"), 2);
        QCOMPARE(status("7"), QStringLiteral("Não Locado "));
        QCOMPARE(status("8"), "Locado " + today);
        openReturns();
        returnVideo("100", "8");
        QCOMPARE(qtde("8"), 2);
        QCOMPARE(status("8"), QStringLiteral("Não Locado "));
        QCOMPARE(shop->count("tblLocacao"), 0);
        QVERIFY2(MessageBox::shown().size() == 1, qPrintable(lastMessage())); // the print question only
    }
};

QTEST_MAIN(TestReturns)
#include "tst_returns.moc"
