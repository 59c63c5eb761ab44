// Pictures of the windows on a small generated shop: the manual's and
// README's pictures (`make docs` writes them to docs/manual/img), and a way
// to check the layout by eye: fenwarda_screens OUTDIR (offscreen or Xvfb).

#include "ShopGenerator.h"

#include "app/Tasks.h"
#include "app/frmAbertura.h"
#include "app/frmMenu.h"
#include "customers/frmClientes.h"
#include "customers/frmConClientes.h"
#include "customers/frmModClientes.h"
#include "help/frmManual.h"
#include "overdue/frmAtraso.h"
#include "platform/Formats.h"
#include "platform/widgets/MessageBox.h"
#include "rental/frmLocacao.h"
#include "reports/frmMovimentoDia.h"
#include "returns/frmConsultaVideo.h"
#include "returns/frmDevolucao.h"
#include "settings/frmConfiguracoes.h"
#include "store/Database.h"
#include "videos/frmConVideo.h"
#include "videos/frmModVideo.h"
#include "videos/frmVideos.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace {

void activate(QWidget* window)
{
    window->show();
    QApplication::setActiveWindow(window);
    if (!QTest::qWaitForWindowActive(window))
        std::fprintf(stderr, "window did not become active\n");
}

void save(QWidget* window, const QString& dir, const char* name)
{
    activate(window);
    QTest::qWait(150);
    const QString path = QDir(dir).filePath(QString::fromUtf8(name) + QStringLiteral(".png"));
    if (!window->grab().save(path))
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
}

// Types into a field and leaves it, as the operator does.
void leave(QWidget* field, const QString& text)
{
    field->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->setText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(field))
        combo->setEditText(text);
    QTest::keyClick(field, Qt::Key_Tab);
}

// A window that closes itself (a question answered No) is gone already.
template <typename W> void done(QPointer<W> window)
{
    if (window) {
        window->close();
        delete window.data();
    }
}

QLineEdit* edit(QWidget* window, const char* name)
{
    return window->findChild<QLineEdit*>(QString::fromUtf8(name));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: fenwarda_screens OUTDIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    platform::setAppLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
    MessageBox::setTestMode(true);

    QTemporaryDir folder;
    bench::generateShop(folder.path(), {200, 200, 20});
    store::Database db(folder.path());
    db.open();

    frmAbertura splash;
    save(&splash, out, "abertura");
    splash.finish();

    frmMenu menu(db);
    registerTasks(menu);
    save(&menu, out, "principal");
    // Each menu dropped down, for the list of keys.
    for (QMenu* drop : menu.menuBar()->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) {
        if (drop->objectName().isEmpty())
            continue; // the bar's own overflow list
        drop->popup(menu.mapToGlobal(menu.menuBar()->actionGeometry(drop->menuAction()).bottomLeft()));
        QTest::qWait(100);
        const QString path = QDir(out).filePath(QStringLiteral("menu-%1.png").arg(drop->objectName()));
        if (!drop->grab().save(path))
            std::fprintf(stderr, "could not write %s\n", qPrintable(path));
        drop->hide();
    }

    // A new customer half typed, then a number already on file.
    QPointer<frmClientes> clientes = new frmClientes(db);
    activate(clientes);
    leave(edit(clientes, "txtCodigo"), QStringLiteral("9001"));
    leave(edit(clientes, "mskCPF"), QStringLiteral("12345678901"));
    leave(edit(clientes, "txtRG"), QStringLiteral("4455667"));
    leave(edit(clientes, "txtEmissor"), QStringLiteral("ssp"));
    leave(edit(clientes, "txtNome"), QStringLiteral("maria da conceição souza"));
    edit(clientes, "txtEndereco")->setFocus();
    save(clientes, out, "clientes");
    done(clientes);
    clientes = new frmClientes(db);
    activate(clientes);
    leave(edit(clientes, "txtCodigo"), QStringLiteral("1"));
    save(clientes, out, "clientes-duplicado");
    done(clientes);

    QPointer<frmModClientes> modClientes = new frmModClientes(db);
    activate(modClientes);
    leave(edit(modClientes, "txtCodigo"), QStringLiteral("2"));
    save(modClientes, out, "modclientes");
    done(modClientes);

    QPointer<frmVideos> videos = new frmVideos(db);
    activate(videos);
    leave(edit(videos, "txtCodigo"), QStringLiteral("9001"));
    leave(edit(videos, "txtVideo"), QStringLiteral("a grande aventura"));
    auto* genre = videos->findChild<QComboBox*>(QStringLiteral("cboGenero"));
    leave(genre, QStringLiteral("Aventura"));
    leave(edit(videos, "txtLocal"), QStringLiteral("Estante 4"));
    leave(edit(videos, "txtQTDE"), QStringLiteral("3"));
    videos->findChild<QRadioButton*>(QStringLiteral("optLancamento"))->setChecked(true);
    leave(edit(videos, "txtValor"), QStringLiteral("4,50"));
    save(videos, out, "videos");
    done(videos);

    QPointer<frmModVideo> modVideo = new frmModVideo(db);
    activate(modVideo);
    leave(edit(modVideo, "txtCodigo"), QStringLiteral("2"));
    save(modVideo, out, "modvideo");
    done(modVideo);

    QPointer<frmConClientes> conClientes = new frmConClientes(db);
    activate(conClientes);
    auto* names = conClientes->findChild<QComboBox*>(QStringLiteral("cboCliente"));
    leave(names, names->itemText(0));
    save(conClientes, out, "conclientes");
    done(conClientes);

    QPointer<frmConVideo> conVideo = new frmConVideo(db);
    activate(conVideo);
    auto* titles = conVideo->findChild<QComboBox*>(QStringLiteral("cboVideo"));
    leave(titles, titles->itemText(0));
    save(conVideo, out, "convideo");
    done(conVideo);

    // A note of three videos being composed, a return, a status query.
    QPointer<frmLocacao> rental = new frmLocacao(db);
    activate(rental);
    auto* customers = rental->findChild<QComboBox*>(QStringLiteral("cboClientes"));
    leave(customers, customers->itemText(0));
    auto* codes = rental->findChild<QComboBox*>(QStringLiteral("cbo1"));
    for (int i = 0; i < 3; ++i)
        leave(codes, codes->itemText(i));
    save(rental, out, "locacao");
    done(rental);

    QPointer<frmDevolucao> returns = new frmDevolucao(db);
    activate(returns);
    auto* notes = returns->findChild<QComboBox*>(QStringLiteral("cboCodigo"));
    leave(notes, notes->itemText(0));
    auto* open = returns->findChild<QComboBox*>(QStringLiteral("cboCodigoVideo"));
    leave(open, open->itemText(0));
    save(returns, out, "devolucao");
    done(returns);

    QPointer<frmConsultaVideo> status = new frmConsultaVideo(db);
    activate(status);
    auto* videoCodes = status->findChild<QComboBox*>(QStringLiteral("cboVideo"));
    leave(videoCodes, videoCodes->itemText(0));
    save(status, out, "consultavideo");
    done(status);

    QPointer<frmConfiguracoes> settings = new frmConfiguracoes(db);
    save(settings, out, "configuracoes");
    done(settings);

    // The late notes, once read beside the window; the day's dates.
    QPointer<frmAtraso> late = new frmAtraso(db);
    activate(late);
    for (int i = 0; i < 500 && !late->findChild<QPushButton*>(QStringLiteral("cmdAtualizar"))->isEnabled();
         ++i)
        QTest::qWait(20);
    save(late, out, "atraso");
    done(late);
    QPointer<frmMovimentoDia> days = new frmMovimentoDia(db, [](const QDate&, const QDate&) {});
    activate(days);
    save(days, out, "movimento");
    done(days);

    // The report previews, opened from the menu as the operator does.
    for (const char* entry : {"mnuRelClientes", "mnuRelVideos", "mnuRelLocVideo"}) {
        menu.findChild<QAction*>(QString::fromUtf8(entry))->trigger();
        QWidget* report = menu.reportWindows().value(0);
        if (!report)
            continue;
        report->resize(720, 520); // a page's top is enough, and keeps the file small
        save(report, out, qPrintable(report->objectName()));
        delete report;
    }

    // The manual itself, at the rental's page.
    frmManual* manual = frmManual::showPage(QStringLiteral("locacao.html"));
    save(manual, out, "manual");
    frmManual::closeShown();
    return 0;
}
