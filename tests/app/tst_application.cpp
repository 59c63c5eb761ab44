#include "app/Application.h"
#include "platform/widgets/MessageBox.h"
#include "store/StoreError.h"

#include <QPushButton>
#include <QTest>

class TestApplication : public QObject
{
    Q_OBJECT

private slots:
    void storeFailureInAHandlerIsShownNotFatal()
    {
        MessageBox::setTestMode(true);
        MessageBox::clearShown();
        QPushButton button(QStringLiteral("&Salvar"));
        int runs = 0;
        connect(&button, &QPushButton::clicked, [&runs] {
            if (++runs == 1)
                throw store::StoreError(store::StoreError::Kind::DiskFull, QStringLiteral("Disco cheio."));
        });
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));

        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text, QStringLiteral("Disco cheio."));
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Erro no Arquivo de Dados"));
        QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Warning);

        // The program goes on: the next click is handled normally.
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(runs, 2);
        QCOMPARE(MessageBox::shown().size(), 1);
    }
};

int main(int argc, char** argv)
{
    Application app(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
