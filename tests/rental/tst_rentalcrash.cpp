// Kills a process composing and saving rental notes at random moments and
// checks after each restart that no copy was lost: every copy is on the
// shelf or on a saved note, and every saved note has its number row.

#include "TestSupport.h"
#include "platform/print/LinePrinter.h"
#include "platform/widgets/MessageBox.h"
#include "rental/frmLocacao.h"
#include "store/PendingNote.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <QThread>
#include <csignal>
#include <cstdio>
#include <random>

namespace {

constexpr int Videos = 12;
constexpr int Copies = 4;
const QStringList Names{"Maria Silva", "Ana Silva", "João Souza"};

QString videoCode(int i)
{
    return QString::number(500 + i);
}

void enter(QWidget* field, const QString& text)
{
    field->setFocus();
    if (auto* combo = qobject_cast<QComboBox*>(field))
        combo->lineEdit()->selectAll();
    typeText(field, text);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

// The child: composes, undoes, saves and abandons notes through the real
// window for ever, telling the parent after each finished step.
int runChild(const QString& folder, quint32 seed)
{
    MessageBox::setTestMode(true);
    platform::setLinePrinterFactory([](QString*) { return std::make_unique<RecordingLinePrinter>(); });
    store::Database db(folder);
    std::mt19937 random(seed);
    auto pick = [&](int n) { return int(random() % quint32(n)); };
    QPointer<frmLocacao> form;
    for (quint64 step = 0;; ++step) {
        if (!form) {
            form = new frmLocacao(db);
            showAndFocus(form);
        }
        MessageBox::clearShown();
        const int op = pick(10);
        if (op < 2) {
            enter(child<QComboBox>(form, "cboClientes"), Names.at(pick(int(Names.size()))));
        } else if (op < 6) {
            enter(child<QComboBox>(form, "cbo1"), videoCode(pick(Videos)));
        } else if (op < 7) {
            auto* undo = child<QPushButton>(form, "cmdDesfazer");
            if (undo->isEnabled())
                undo->click();
        } else if (op < 9) {
            MessageBox::setNextAnswer(pick(2) ? QMessageBox::Yes : QMessageBox::No);
            child<QPushButton>(form, "cmdSalvar")->click();
        } else {
            form->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QCoreApplication::processEvents();
        std::printf("%llu\n", static_cast<unsigned long long>(step));
        std::fflush(stdout);
    }
}

} // namespace

class TestRentalCrash : public QObject
{
    Q_OBJECT

private slots:
    void noCopyIsLostWhateverTheMomentOfTheKill()
    {
        Shop shop;
        shop.exec(
            "INSERT INTO tblClientes (Codigo, Nome, Dependente1) VALUES ('1', 'Maria Silva', 'Ana Silva')");
        shop.exec("INSERT INTO tblClientes (Codigo, Nome) VALUES ('2', 'João Souza')");
        for (int i = 0; i < Videos; ++i)
            shop.exec("INSERT INTO tblVideos (Codigo, Nome, QTDE, Valor, Tipo) VALUES (?, ?, ?, '2,50', '48 "
                      "Horas')",
                      {videoCode(i), QStringLiteral("Filme %1").arg(i), Copies});
        shop.db().close();

        const quint32 seed = std::random_device{}();
        qInfo("seed %u", seed);
        std::mt19937 random(seed);
        constexpr int Kills = 60;
        int savedNotes = 0;
        for (int round = 0; round < Kills; ++round) {
            QProcess childProcess;
            childProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            childProcess.start(QCoreApplication::applicationFilePath(),
                               {"--child", shop.folder(), QString::number(random())});
            QVERIFY2(childProcess.waitForStarted(), "child did not start");
            // Let it finish some steps, then kill it somewhere in the next.
            const int steps = int(random() % 25);
            int seen = 0;
            while (seen <= steps) {
                if (!childProcess.canReadLine() && !childProcess.waitForReadyRead(60000))
                    break;
                while (childProcess.canReadLine()) {
                    childProcess.readLine();
                    ++seen;
                }
            }
            QVERIFY2(childProcess.state() == QProcess::Running, "child ended by itself");
            QThread::usleep(random() % 4000);
            ::kill(pid_t(childProcess.processId()), SIGKILL);
            QVERIFY(childProcess.waitForFinished(30000));

            // What the program does when it starts again.
            store::Database db(shop.folder());
            store::PendingNote::giveBackLeftovers(db);
            QSqlQuery q(db.connection());
            QVERIFY(q.exec("PRAGMA integrity_check") && q.next());
            QCOMPARE(q.value(0).toString(), QStringLiteral("ok"));
            for (int i = 0; i < Videos; ++i) {
                QString onNotes = QStringLiteral("SELECT COUNT(*) FROM tblLocacao, (SELECT 0 AS k");
                for (int k = 1; k < 16; ++k)
                    onNotes += QStringLiteral(" UNION ALL SELECT %1").arg(k);
                onNotes += QStringLiteral(") AS s WHERE CASE s.k");
                for (int k = 0; k < 16; ++k)
                    onNotes += QStringLiteral(" WHEN %1 THEN \"Codigo(%1)\"").arg(k);
                onNotes += QStringLiteral(" END = ?");
                QSqlQuery c(db.connection());
                c.prepare("SELECT (SELECT QTDE FROM tblVideos WHERE Codigo = ?), (" + onNotes + ")");
                c.addBindValue(videoCode(i));
                c.addBindValue(videoCode(i));
                QVERIFY(c.exec() && c.next());
                QCOMPARE(c.value(0).toInt() + c.value(1).toInt(), Copies);
            }
            QVERIFY(
                q.exec("SELECT (SELECT COUNT(*) FROM tblLocacao), (SELECT COUNT(*) FROM Number), "
                       "(SELECT COUNT(*) FROM tblLocacao WHERE Codigo NOT IN (SELECT Codigo FROM Number)), "
                       "(SELECT COUNT(*) FROM PendingCopies)") &&
                q.next());
            QCOMPARE(q.value(0).toInt(), q.value(1).toInt());
            QCOMPARE(q.value(2).toInt(), 0);
            QCOMPARE(q.value(3).toInt(), 0);
            savedNotes = q.value(0).toInt();
        }
        qInfo("%d kills, %d notes saved", Kills, savedNotes);
        QVERIFY(savedNotes > 0); // the kills did not all come before any save
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("--child"))
        return runChild(args.at(2), args.at(3).toUInt());
    TestRentalCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_rentalcrash.moc"
