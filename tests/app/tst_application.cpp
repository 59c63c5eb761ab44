#include "app/Application.h"
#include "platform/widgets/MessageBox.h"
#include "store/StoreError.h"

#include <QPushButton>
#include <QTest>

namespace {

// A field whose key handler fails in the store the first time.
class FailingField : public QWidget
{
public:
    int runs = 0;

protected:
    void keyPressEvent(QKeyEvent*) override
    {
        if (++runs == 1)
            throw store::StoreError(store::StoreError::Kind::DiskFull, QStringLiteral("Disco cheio."));
    }
};

} // namespace

class TestApplication : public QObject
{
    Q_OBJECT

private slots:
    void storeFailureInAHandlerIsShownNotFatal()
    {
        MessageBox::setTestMode(true);
        MessageBox::clearShown();
        FailingField field;
        field.show();
        QVERIFY(QTest::qWaitForWindowExposed(&field));

        // Qt's own frames are built without exceptions and drop what they
        // hold while a failure unwinds through them (the mouse path its copy
        // of the event), so the failure comes from the widget's own handler,
        // right below the application's net.
        QTest::keyClick(&field, Qt::Key_S);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text, QStringLiteral("Disco cheio."));
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Erro no Arquivo de Dados"));
        QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Warning);

        // The program goes on: the next key is handled normally.
        QTest::keyClick(&field, Qt::Key_S);
        QCOMPARE(field.runs, 2);
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
