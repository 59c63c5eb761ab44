// Pictures of the windows on a small generated shop, for checking the
// layout by eye: fenwarda_screens OUTDIR (run under Xvfb or offscreen).

#include "ShopGenerator.h"

#include "app/Tasks.h"
#include "app/frmAbertura.h"
#include "app/frmMenu.h"
#include "customers/frmClientes.h"
#include "customers/frmConClientes.h"
#include "platform/Formats.h"
#include "platform/widgets/MessageBox.h"
#include "rental/frmLocacao.h"
#include "returns/frmConsultaVideo.h"
#include "returns/frmDevolucao.h"
#include "store/Database.h"
#include "videos/frmConVideo.h"
#include "videos/frmVideos.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
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

void leave(QWidget* field, const QString& text)
{
    field->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->setText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(field))
        combo->setEditText(text);
    QTest::keyClick(field, Qt::Key_Tab);
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
    save(&splash, out, "splash");
    splash.finish();

    frmMenu menu(db);
    registerTasks(menu);
    save(&menu, out, "main");

    auto* clientes = new frmClientes(db);
    save(clientes, out, "clientes-new");
    activate(clientes);
    leave(clientes->findChild<QLineEdit*>(QStringLiteral("txtCodigo")), QStringLiteral("1"));
    save(clientes, out, "clientes-duplicate");
    delete clientes;

    auto* videos = new frmVideos(db);
    save(videos, out, "videos-new");
    delete videos;

    auto* conClientes = new frmConClientes(db);
    activate(conClientes);
    auto* names = conClientes->findChild<QComboBox*>(QStringLiteral("cboCliente"));
    leave(names, names->itemText(0));
    save(conClientes, out, "conclientes");
    delete conClientes;

    auto* conVideo = new frmConVideo(db);
    activate(conVideo);
    auto* titles = conVideo->findChild<QComboBox*>(QStringLiteral("cboVideo"));
    leave(titles, titles->itemText(0));
    save(conVideo, out, "convideo");
    delete conVideo;

    // A note of three videos being composed, a return, a status query.
    auto* rental = new frmLocacao(db);
    activate(rental);
    auto* customers = rental->findChild<QComboBox*>(QStringLiteral("cboClientes"));
    leave(customers, customers->itemText(0));
    auto* codes = rental->findChild<QComboBox*>(QStringLiteral("cbo1"));
    for (int i = 0; i < 11; ++i)
        leave(codes, codes->itemText(i));
    save(rental, out, "locacao");
    rental->close();
    delete rental;

    auto* returns = new frmDevolucao(db);
    activate(returns);
    auto* notes = returns->findChild<QComboBox*>(QStringLiteral("cboCodigo"));
    leave(notes, notes->itemText(0));
    auto* open = returns->findChild<QComboBox*>(QStringLiteral("cboCodigoVideo"));
    leave(open, open->itemText(0));
    save(returns, out, "devolucao");
    delete returns;

    auto* status = new frmConsultaVideo(db);
    activate(status);
    auto* videoCodes = status->findChild<QComboBox*>(QStringLiteral("cboVideo"));
    leave(videoCodes, videoCodes->itemText(0));
    save(status, out, "consultavideo");
    delete status;

    // The report previews, opened from the menu as the operator does.
    for (const char* entry : {"mnuRelClientes", "mnuRelVideos", "mnuRelLocVideo"}) {
        menu.findChild<QAction*>(QString::fromUtf8(entry))->trigger();
        QWidget* report = menu.reportWindows().value(0);
        if (!report)
            continue;
        save(report, out, qPrintable(report->objectName()));
        delete report;
    }
    return 0;
}
