// Leaks on purpose from a test slot, whose stack runs through Qt: the
// sanitizer build must report it (the test is expected to fail), so that the
// leak suppressions can never again hide every leak of the tests.
#include <QObject>
#include <QTest>

class LeakCanary : public QObject
{
    Q_OBJECT

private slots:
    void leaks()
    {
        static int* volatile lost;
        lost = new int[100];
        lost = nullptr;
        QVERIFY(!lost);
    }
};

QTEST_GUILESS_MAIN(LeakCanary)
#include "leak_canary.moc"
