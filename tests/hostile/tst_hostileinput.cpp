#include "WindowTest.h"
#include "customers/frmClientes.h"
#include "platform/Formats.h"
#include "platform/widgets/MessageBox.h"
#include "rental/frmLocacao.h"
#include "videos/frmVideos.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTest>

namespace {

// What a field of limit units keeps of text: whole characters only.
QString within(const QString& text, int limit)
{
    if (text.size() <= limit)
        return text;
    return text.left(text[limit - 1].isHighSurrogate() ? limit - 1 : limit);
}

QString schema(Shop& shop)
{
    QSqlQuery q(shop.db().connection());
    q.exec(QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY name"));
    QStringList out;
    while (q.next())
        out << QStringList{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                           q.value(3).toString()}
                   .join(u'|');
    return out.join(u'\n');
}

} // namespace

// Hostile texts pasted into the register windows and the rental window: each
// is stored and read back as the field showed it, or what cannot be stored
// is refused with a message; the schema never changes.
class TestHostileInput : public WindowTest
{
    Q_OBJECT

    int messages = 0; // message boxes expected so far

    // Types into the field that has the focus and moves on with Tab.
    void typeOn(std::initializer_list<const char*> texts)
    {
        for (const char* text : texts) {
            typeText(focus(), QString::fromUtf8(text));
            QTest::keyClick(focus(), Qt::Key_Tab);
        }
    }

    // Pastes text into field as the operator would and leaves it with Tab.
    void paste(QWidget* field, const QString& text, bool refused, int limit, const QString& kept)
    {
        field->setFocus();
        auto* edit = qobject_cast<QLineEdit*>(field);
        if (auto* combo = qobject_cast<QComboBox*>(field))
            edit = combo->lineEdit();
        edit->selectAll();
        QApplication::clipboard()->setText(text);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        if (refused || kept.size() > limit)
            ++messages;
        QCOMPARE(MessageBox::shown().size(), messages);
        QCOMPARE(edit->text(), within(kept, limit));
        QTest::keyClick(focus(), Qt::Key_Tab);
    }

private slots:
    void storedExactlyOrRefused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("kept"); // what the field keeps, before any cut to its limit
        QTest::addColumn<bool>("refused"); // a part is refused with a message
        const QString lone = QStringLiteral("Ana ") + QChar(0xD83C) + QStringLiteral("Bia") + QChar(0xDFAC);
        QTest::newRow("quotes") << "O'Brien \"Bob\" `x`"
                                << "O'Brien \"Bob\" `x`" << false;
        QTest::newRow("sql drop") << "x'); DROP TABLE tblClientes; --"
                                  << "x'); DROP TABLE tblClientes; --" << false;
        QTest::newRow("sql or") << "' OR '1'='1' /*"
                                << "' OR '1'='1' /*" << false;
        QTest::newRow("column names") << "Video-1"
                                      << "Video-1" << false;
        QTest::newRow("column call") << "Codigo(0) %_\\"
                                     << "Codigo(0) %_\\" << false;
        QTest::newRow("right-to-left") << "\u202Bשלום\u202C \u200Fabc\u200E"
                                       << "\u202Bשלום\u202C \u200Fabc\u200E" << false;
        QTest::newRow("combining") << "Jose\u0301 Conceic\u0327a\u0303o"
                                   << "Jose\u0301 Conceic\u0327a\u0303o" << false;
        QTest::newRow("astral") << "Filme \U0001F3AC \U00020BB7"
                                << "Filme \U0001F3AC \U00020BB7" << false;
        QTest::newRow("controls") << QStringLiteral("Ana\tMaria\r\nSilva") + QChar(0) + "\x07\x1b"
                                  << "Ana Maria Silva" << true;
        QTest::newRow("broken utf-16") << lone << "Ana Bia" << true;
        QTest::newRow("page of text") << QString(5000, u'w') << QString(5000, u'w') << false;
        QTest::newRow("pair at the cut")
            << QString(29, u'x') + "\U0001F3AC" << QString(29, u'x') + "\U0001F3AC" << false;
    }

    void storedExactlyOrRefused()
    {
        QFETCH(QString, text);
        QFETCH(QString, kept);
        QFETCH(bool, refused);
        const QString before = schema(*shop);
        messages = 0;

        // A customer named by the text, living at the text.
        QPointer<frmClientes> clientes = open<frmClientes>();
        typeOn({"1", "11122233344", "123"});
        paste(child<QLineEdit>(clientes, "txtEmissor"), text, refused, 20, kept);
        paste(child<QLineEdit>(clientes, "txtNome"), text, refused, 60, kept);
        paste(child<QLineEdit>(clientes, "txtEndereco"), text, refused, 100, kept);
        const QString name = child<QLineEdit>(clientes, "txtNome")->text();
        QCOMPARE(name, platform::properCase(within(kept, 60)));
        const QString address = child<QLineEdit>(clientes, "txtEndereco")->text();
        const QString body = child<QLineEdit>(clientes, "txtEmissor")->text();
        MessageBox::setNextAnswer(QMessageBox::No);
        child<QPushButton>(clientes, "cmdSalvar")->click();
        ++messages; // another customer?
        QTRY_VERIFY(!clientes);
        const auto customer = shop->rows("tblClientes").value(0);
        QCOMPARE(customer.value("Nome").toString(), name);
        QCOMPARE(customer.value("Endereco").toString(), address);
        QCOMPARE(customer.value("Emissor").toString(), body);

        // A video titled by the text, of that genre, kept at that place.
        QPointer<frmVideos> videos = open<frmVideos>();
        typeOn({"10"});
        paste(child<QLineEdit>(videos, "txtVideo"), text, refused, 80, kept);
        paste(child<QComboBox>(videos, "cboGenero"), text, refused, 30, kept);
        paste(child<QLineEdit>(videos, "txtLocal"), text, refused, 30, kept);
        const QString title = child<QLineEdit>(videos, "txtVideo")->text();
        QCOMPARE(title, platform::properCase(within(kept, 80)));
        child<QLineEdit>(videos, "txtQTDE")->setText(QStringLiteral("2"));
        child<QLineEdit>(videos, "txtValor")->setText(QStringLiteral("R$ 5,00"));
        child<QRadioButton>(videos, "optLancamento")->setChecked(true);
        MessageBox::setNextAnswer(QMessageBox::No);
        child<QPushButton>(videos, "cmdSalvar")->click();
        ++messages;
        QTRY_VERIFY(!videos);
        const auto video = shop->rows("tblVideos").value(0);
        QCOMPARE(video.value("Nome").toString(), title);
        QCOMPARE(video.value("Genero").toString(), within(kept, 30));
        QCOMPARE(video.value("Local").toString(), within(kept, 30));

        // The rental finds the customer by the stored name and writes the
        // title into the note's slot.
        QPointer<frmLocacao> rental = open<frmLocacao>();
        paste(child<QComboBox>(rental, "cboClientes"), name, false, 60, name);
        QCOMPARE(child<QLabel>(rental, "lblnome")->text(), name);
        child<QComboBox>(rental, "cbo1")->setFocus();
        typeOn({"10"});
        QCOMPARE(child<QLabel>(rental, "lbl1")->text(), title + " - Lançamento");
        MessageBox::setNextAnswer(QMessageBox::No); // no printing
        child<QPushButton>(rental, "cmdSalvar")->click();
        ++messages;
        QCOMPARE(MessageBox::shown().size(), messages);
        const auto note = shop->rows("tblLocacao").value(0);
        QCOMPARE(note.value("Clientes").toString(), name);
        QCOMPARE(note.value("Video-1").toString(), title + " - Lançamento");
        QCOMPARE(note.value("Codigo(0)").toString(), QStringLiteral("10"));
        delete rental;

        // Nothing lost: one copy on the note, one on the shelf; the schema
        // and the file as they were.
        QCOMPARE(shop->rows("tblVideos").value(0).value("QTDE").toInt(), 1);
        QCOMPARE(shop->count("tblClientes"), 1);
        QCOMPARE(shop->count("Number"), 1);
        QCOMPARE(schema(*shop), before);
        QSqlQuery check(shop->db().connection());
        QVERIFY(check.exec(QStringLiteral("PRAGMA integrity_check")) && check.next());
        QCOMPARE(check.value(0).toString(), QStringLiteral("ok"));
    }
};

QTEST_MAIN(TestHostileInput)
#include "tst_hostileinput.moc"
