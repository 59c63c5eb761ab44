// The manual: opened from the menu and by F1 at the window's page, its
// search, and every page, link and picture it names present in the program.

#include "WindowTest.h"
#include "app/frmMenu.h"
#include "help/ManualPages.h"
#include "help/frmManual.h"

#include <QAction>
#include <QApplication>
#include <QDirIterator>
#include <QListWidget>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <QTextBrowser>

using namespace Qt::StringLiterals;

class TestManual : public WindowTest
{
    Q_OBJECT

private:
    static QString pageTitle(const QString& file)
    {
        static const QRegularExpression h1(QStringLiteral("<h1>(.*)</h1>"));
        return h1.match(help::pageHtml(file)).captured(1);
    }

private slots:

    void f1OpensTheWindowsPage_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("heading");
        auto row = [](const char* entry, const char* page, const char* heading) {
            QTest::newRow(entry) << QString::fromUtf8(entry) << QString::fromUtf8(page)
                                 << QString::fromUtf8(heading);
        };
        row("mnuClientes", "clientes.html", "Cadastro de Clientes");
        row("mnuVídeos", "videos.html", "Cadastro de Vídeos");
        row("mnuConfiguracoes", "configuracoes.html", "Configurações");
        row("mnuModCliente", "modclientes.html", "Modificar ou Excluir Clientes");
        row("mnuModVideo", "modvideo.html", "Modificar ou Excluir Vídeo");
        row("mnuLocacao", "locacao.html", "Locação de Vídeos");
        row("mnuDevolucao", "devolucao.html", "Devolução de Vídeos");
        row("mnuconVideo", "convideo.html", "Consulta de Vídeo");
        row("mnuConVídeos", "consultavideo.html", "Consulta para Locação de Vídeos");
        row("mnuConClientes", "conclientes.html", "Consulta de Clientes e Dependentes");
        row("mnuSobre", "index.html", "Manual do Fenwarda de Vídeo");
        row("mnuRelClientes", "relatorios.html", "Relatórios");
        row("mnuRelVideos", "relatorios.html", "Relatórios");
        row("mnuRelLocVideo", "relatorios.html", "Relatórios");
        row("mnuConAtraso", "atrasos.html", "Locações em Atraso");
        row("mnuRelAtraso", "relatorios.html", "Relatórios");
        row("mnuRelMovimento", "relatorios.html", "Relatórios");
    }
    void f1OpensTheWindowsPage()
    {
        QFETCH(QString, entry);
        QFETCH(QString, page);
        QFETCH(QString, heading);
        frmMenu& menu = openMenu();
        menu.entry(entry)->trigger();
        QPointer<QWidget> task = menu.currentTask() ? menu.currentTask() : menu.reportWindows().value(0);
        QVERIFY(task);
        QVERIFY(QTest::qWaitForWindowActive(task));
        // From the field that has the focus, as the operator presses it.
        QTest::keyClick(focus() && focus()->window() == task ? focus() : task.data(), Qt::Key_F1);
        frmManual* manual = frmManual::shown();
        QVERIFY(manual);
        QVERIFY(manual->isVisible());
        QVERIFY(manual->isEnabled()); // the main window is disabled, the manual is not
        QCOMPARE(manual->currentPage(), page);
        QCOMPARE(pageTitle(page), heading);
        QVERIFY(task); // the task goes on
    }

    void menuEntryAndF1OpenTheMainWindowsPage_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("Ajuda › Manual") << false;
        QTest::newRow("F1") << true;
    }
    void menuEntryAndF1OpenTheMainWindowsPage()
    {
        QFETCH(bool, byKey);
        frmMenu& menu = openMenu();
        menu.show();
        QVERIFY(QTest::qWaitForWindowActive(&menu));
        if (byKey)
            QTest::keyClick(&menu, Qt::Key_F1);
        else
            menu.entry(QStringLiteral("mnuManual"))->trigger();
        QVERIFY(frmManual::shown());
        QCOMPARE(frmManual::shown()->currentPage(), QStringLiteral("principal.html"));
        QVERIFY(menu.isEnabled());
        // The manual goes with the program.
        menu.endProgram();
        QVERIFY(!frmManual::shown());
    }

    // Every window opens from the keyboard alone: Alt and the menu's letter,
    // then the entry's letter, or the arrows and Enter where it has none.
    void everyWindowOpensByKeyboard_data()
    {
        QTest::addColumn<int>("menuKey");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("window");
        using K = QList<int>;
        QTest::newRow("Alt+T C") << int(Qt::Key_T) << K{Qt::Key_C} << QStringLiteral("frmClientes");
        QTest::newRow("Alt+T I") << int(Qt::Key_T) << K{Qt::Key_I} << QStringLiteral("frmVideos");
        QTest::newRow("Alt+T O") << int(Qt::Key_T) << K{Qt::Key_O} << QStringLiteral("frmConfiguracoes");
        QTest::newRow("Alt+M Enter") << int(Qt::Key_M) << K{Qt::Key_Return}
                                     << QStringLiteral("frmModClientes");
        QTest::newRow("Alt+M Down Enter")
            << int(Qt::Key_M) << K{Qt::Key_Down, Qt::Key_Return} << QStringLiteral("frmModVideo");
        QTest::newRow("Alt+N L") << int(Qt::Key_N) << K{Qt::Key_L} << QStringLiteral("frmLocacao");
        QTest::newRow("Alt+N D") << int(Qt::Key_N) << K{Qt::Key_D} << QStringLiteral("frmDevolucao");
        QTest::newRow("Alt+A V") << int(Qt::Key_A) << K{Qt::Key_V} << QStringLiteral("frmConVideo");
        QTest::newRow("Alt+A O") << int(Qt::Key_A) << K{Qt::Key_O} << QStringLiteral("frmConsultaVideo");
        QTest::newRow("Alt+A E") << int(Qt::Key_A) << K{Qt::Key_E} << QStringLiteral("frmConClientes");
        QTest::newRow("Alt+A A") << int(Qt::Key_A) << K{Qt::Key_A} << QStringLiteral("frmAtraso");
        QTest::newRow("Alt+R Enter") << int(Qt::Key_R) << K{Qt::Key_Return} << QStringLiteral("rptClientes");
        QTest::newRow("Alt+R Down×4 Enter")
            << int(Qt::Key_R) << K{Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}
            << QStringLiteral("frmMovimentoDia");
        QTest::newRow("Alt+J M") << int(Qt::Key_J) << K{Qt::Key_M} << QStringLiteral("frmManual");
        QTest::newRow("Alt+J S") << int(Qt::Key_J) << K{Qt::Key_S} << QStringLiteral("frmSobre");
    }
    void everyWindowOpensByKeyboard()
    {
        QFETCH(int, menuKey);
        QFETCH(QList<int>, keys);
        QFETCH(QString, window);
        frmMenu& menu = openMenu();
        menu.show();
        QVERIFY(QTest::qWaitForWindowActive(&menu));
        QTest::keyClick(&menu, Qt::Key(menuKey), Qt::AltModifier);
        for (int key : keys) {
            QTRY_VERIFY(QApplication::activePopupWidget());
            QTest::keyClick(QApplication::activePopupWidget(), Qt::Key(key));
        }
        QWidget* opened = menu.currentTask() ? menu.currentTask() : menu.reportWindows().value(0);
        if (!opened)
            opened = frmManual::shown();
        QVERIFY(opened);
        QCOMPARE(opened->objectName(), window);
        delete opened;
    }

    // Windows with no button to close them: Esc is the keyboard's way out.
    void escClosesWindowsWithoutAButton_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::newRow("Sobre") << QStringLiteral("mnuSobre");
        QTest::newRow("Relatório de Clientes") << QStringLiteral("mnuRelClientes");
        QTest::newRow("Vídeos em Estoque") << QStringLiteral("mnuRelVideos");
        QTest::newRow("Locação Pendente") << QStringLiteral("mnuRelLocVideo");
    }
    void escClosesWindowsWithoutAButton()
    {
        QFETCH(QString, entry);
        frmMenu& menu = openMenu();
        menu.show();
        menu.entry(entry)->trigger();
        QPointer<QWidget> window = menu.currentTask() ? menu.currentTask() : menu.reportWindows().value(0);
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.data(),
                        Qt::Key_Escape);
        QTRY_VERIFY(!window);
        QVERIFY(menu.isEnabled());
    }

    void searchIgnoresAccentsAndCase_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("page");
        QTest::newRow("with accents") << QStringLiteral("Devolução") << QStringLiteral("devolucao.html");
        QTest::newRow("without") << QStringLiteral("devolucao") << QStringLiteral("devolucao.html");
        QTest::newRow("upper case") << QStringLiteral("DEVOLUCAO") << QStringLiteral("devolucao.html");
        QTest::newRow("two words") << QStringLiteral("referencia nota") << QStringLiteral("locacao.html");
        QTest::newRow("genre with accent") << QStringLiteral("comedia") << QStringLiteral("videos.html");
    }
    void searchIgnoresAccentsAndCase()
    {
        QFETCH(QString, typed);
        QFETCH(QString, page);
        // The fixture's cleanup closes the main window, and the manual with
        // it; this one is opened without.
        const auto closing = qScopeGuard([] { frmManual::closeShown(); });
        frmManual* manual = frmManual::showPage(QStringLiteral("index.html"));
        auto* field = child<QLineEdit>(manual, "txtBuscar");
        auto* list = child<QListWidget>(manual, "lstPaginas");
        typeText(field, typed);
        QVERIFY(list->count() > 0);
        QVERIFY(list->count() < int(help::manualPages().size()));
        QStringList listed;
        for (int i = 0; i < list->count(); ++i)
            listed << list->item(i)->data(Qt::UserRole).toString();
        QVERIFY2(listed.contains(page), qPrintable(listed.join(u',')));
        // Every page listed holds the word; one left out does not.
        for (const help::ManualPage& p : help::manualPages())
            QCOMPARE(listed.contains(p.file), help::searchPages(typed).contains(p.file));
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(manual->currentPage(), listed.first());
    }

    void aWordOnNoPageFindsNothing()
    {
        QVERIFY(help::searchPages(QStringLiteral("xyzzy")).isEmpty());
        QCOMPARE(help::searchPages(QString()).size(), help::manualPages().size());
    }

    void everyPageLinkAndPictureIsInTheProgram()
    {
        QStringList files;
        QDirIterator it(help::resourceFolder(), QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next().mid(help::resourceFolder().size() + 1);
        static const QRegularExpression ref(QStringLiteral("(?:href|src)=\"([^\"#:]+)(?:#[^\"]*)?\""));
        QSet<QString> linked;
        for (const help::ManualPage& page : help::manualPages()) {
            const QString html = help::pageHtml(page.file);
            QVERIFY2(!html.isEmpty(), qPrintable(page.file));
            QVERIFY2(!pageTitle(page.file).isEmpty(), qPrintable(page.file));
            for (const QRegularExpressionMatch& m : ref.globalMatch(html)) {
                linked << m.captured(1);
                QVERIFY2(files.contains(m.captured(1)), qPrintable(page.file + u" -> "_s + m.captured(1)));
            }
        }
        // Every picture shipped is shown somewhere, and every window's page exists.
        for (const QString& file : files)
            if (file.startsWith(u"img/"_s))
                QVERIFY2(linked.contains(file), qPrintable(file));
        for (const auto& [window, page] : help::windowPages())
            QVERIFY2(files.contains(page), qPrintable(window));
    }

    void linksInAPageMoveTheContentsMark()
    {
        const auto closing = qScopeGuard([] { frmManual::closeShown(); });
        frmManual* manual = frmManual::showPage(QStringLiteral("rotina.html"));
        auto* browser = child<QTextBrowser>(manual, "txtPagina");
        auto* list = child<QListWidget>(manual, "lstPaginas");
        browser->setSource(QUrl(QStringLiteral("qrc:/manual/devolucao.html")));
        QCOMPARE(manual->currentPage(), QStringLiteral("devolucao.html"));
        QCOMPARE(list->currentItem()->data(Qt::UserRole).toString(), QStringLiteral("devolucao.html"));
        QTest::keyClick(browser, Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(manual->currentPage(), QStringLiteral("rotina.html"));
        QTest::keyClick(manual, Qt::Key_Escape);
        QTRY_VERIFY(!frmManual::shown());
    }
};

QTEST_MAIN(TestManual)
#include "tst_manual.moc"
