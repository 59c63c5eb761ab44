#include "platform/TextFold.h"

#include <QTest>

// The folding every name and title is matched by: case and accents aside,
// one code point for one, so positions in a text hold in its folded form.
class TestTextFold : public QObject
{
    Q_OBJECT

private slots:
    void folds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("folded");
        QTest::newRow("ascii") << "Maria CLARA 12"
                               << "maria clara 12";
        QTest::newRow("tilde") << "João"
                               << "joao";
        QTest::newRow("cedilla and tilde") << "AÇÃO Mutante"
                                           << "acao mutante";
        QTest::newRow("conceição") << "Conceição"
                                   << "conceicao";
        QTest::newRow("every Latin-1 vowel") << "ÀÁÂÃÄÅàáâãäåÈÉÊËèéêëÌÍÎÏìíîïÒÓÔÕÖØòóôõöøÙÚÛÜùúûüÝýÿ"
                                             << "aaaaaaaaaaaaeeeeeeeeiiiiiiiioooooooooooouuuuuuuuyyy";
        QTest::newRow("Ñ Ð") << "ÑñÐð"
                             << "nndd";
        QTest::newRow("Latin Extended-A") << "ŁÓDŹ Šťěpán Őrség İzmir ıħ"
                                          << "lodz stepan orseg izmir ih";
        QTest::newRow("kept: ligatures, thorn, sharp s") << "ÆæŒœÞþß×÷"
                                                         << "ææœœþþß×÷";
        QTest::newRow("Greek by case only") << "ΣΟΦΊΑ"
                                            << "σοφία";
        QTest::newRow("outside the basic plane") << "\U00010400x"
                                                 << "\U00010428x";
        QTest::newRow("combining mark stays") << "Joa\u0303o"
                                              << "joa\u0303o";
        QTest::newRow("empty") << ""
                               << "";
    }

    void folds()
    {
        QFETCH(QString, text);
        QFETCH(QString, folded);
        QCOMPARE(platform::foldedText(text), folded);
        // Same length in code units: a typed prefix selects the same span.
        QCOMPARE(platform::foldedText(text).size(), text.size());
    }

    void codePointsOneByOne()
    {
        QCOMPARE(platform::foldedCode(U'Ç'), U'c');
        QCOMPARE(platform::foldedCode(U'ç'), U'c');
        QCOMPARE(platform::foldedCode(U'Z'), U'z');
        QCOMPARE(platform::foldedCode(U'7'), U'7');
        QCOMPARE(platform::foldedCode(U'ſ'), U's');
    }
};

QTEST_GUILESS_MAIN(TestTextFold)
#include "tst_textfold.moc"
