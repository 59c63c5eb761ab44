#include "ServerShop.h"
#include "app/Startup.h"
#include "app/frmAbertura.h"
#include "app/frmMenu.h"
#include "counter/CustomerRecords.h"
#include "platform/widgets/MessageBox.h"
#include "store/Database.h"
#include "store/Names.h"
#include "views/PickList.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

using namespace store::names;

// The program started on a server, as each counter of a shop starts it:
// the whole start, the main window, and a second counter beside it.
class tst_servershell : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!serverTestsWanted())
            QSKIP("the server's run of this test is tst_servershell_servidor");
        MessageBox::setTestMode(true);
    }

    void twoCountersStartOnOneShop()
    {
        const QString address = freshServerShop();
        std::unique_ptr<Startup> counters[2];
        for (auto& counter : counters) {
            counter = std::make_unique<Startup>(address);
            QSignalSpy menuShown(counter.get(), &Startup::menuShown);
            // A second counter is not kept off the shop, as a second copy of
            // the program is off a file.
            QVERIFY(counter->start());
            QTRY_VERIFY(counter->database());
            QVERIFY(counter->database()->isServer());
            if (counter->splash())
                QTest::keyClick(counter->splash(), Qt::Key_Return);
            QTRY_COMPARE(menuShown.count(), 1);
            QVERIFY(MessageBox::shown().isEmpty());
        }
        // A customer registered at one counter comes into the other's list
        // of names by itself.
        views::PickList& names =
            views::pickList(*counters[1]->database(), store::PickListKind::CustomerNames);
        const counter::Record customer{{tblClientes::Codigo, QStringLiteral("77")},
                                       {tblClientes::Data, QStringLiteral("08/12/2026")},
                                       {tblClientes::Nome, QStringLiteral("Iracema Lins")},
                                       {tblClientes::Endereco, QStringLiteral("Rua B, 2")},
                                       {tblClientes::RG, QStringLiteral("123")},
                                       {tblClientes::CPF, QStringLiteral("777.777.777-77")}};
        QCOMPARE(counter::CustomerRecords(*counters[0]->database()).add(customer).status,
                 counter::RecordService::Outcome::Done);
        QTRY_VERIFY(names.stringList().contains(QStringLiteral("Iracema Lins")));
    }
};

QTEST_MAIN(tst_servershell)
#include "tst_servershell.moc"
