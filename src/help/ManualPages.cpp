#include "ManualPages.h"

#include "platform/TextFold.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTextDocument>

namespace help {

QString resourceFolder()
{
    return QStringLiteral(":/manual");
}

const QList<ManualPage>& manualPages()
{
    static const QList<ManualPage> pages = {
        {QStringLiteral("index.html"), QStringLiteral("Início")},
        {QStringLiteral("rotina.html"), QStringLiteral("O dia na locadora")},
        {QStringLiteral("teclado.html"), QStringLiteral("Teclas e menus")},
        {QStringLiteral("principal.html"), QStringLiteral("Janela principal")},
        {QStringLiteral("clientes.html"), QStringLiteral("Cadastro de Clientes")},
        {QStringLiteral("modclientes.html"), QStringLiteral("Modificar ou Excluir Clientes")},
        {QStringLiteral("conclientes.html"), QStringLiteral("Consulta de Clientes")},
        {QStringLiteral("videos.html"), QStringLiteral("Cadastro de Vídeos")},
        {QStringLiteral("modvideo.html"), QStringLiteral("Modificar ou Excluir Vídeo")},
        {QStringLiteral("convideo.html"), QStringLiteral("Consulta de Vídeo")},
        {QStringLiteral("locacao.html"), QStringLiteral("Locação de Vídeos")},
        {QStringLiteral("devolucao.html"), QStringLiteral("Devolução de Vídeos")},
        {QStringLiteral("consultavideo.html"), QStringLiteral("Consulta para Locação")},
        {QStringLiteral("atrasos.html"), QStringLiteral("Locações em Atraso")},
        {QStringLiteral("configuracoes.html"), QStringLiteral("Configurações")},
        {QStringLiteral("relatorios.html"), QStringLiteral("Relatórios")},
        {QStringLiteral("busca.html"), QStringLiteral("Buscar e nomes iguais")},
        {QStringLiteral("copias.html"), QStringLiteral("Cópias de segurança")},
        {QStringLiteral("problemas.html"), QStringLiteral("Quando algo dá errado")},
        {QStringLiteral("mensagens.html"), QStringLiteral("Mensagens do programa")},
    };
    return pages;
}

QString pageHtml(const QString& file)
{
    QFile f(resourceFolder() + QLatin1Char('/') + file);
    if (file.isEmpty() || !f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

const QList<QPair<QString, QString>>& windowPages()
{
    static const QList<QPair<QString, QString>> map = {
        {QStringLiteral("frmMenu"), QStringLiteral("principal.html")},
        {QStringLiteral("frmClientes"), QStringLiteral("clientes.html")},
        {QStringLiteral("frmModClientes"), QStringLiteral("modclientes.html")},
        {QStringLiteral("frmConClientes"), QStringLiteral("conclientes.html")},
        {QStringLiteral("frmVideos"), QStringLiteral("videos.html")},
        {QStringLiteral("frmModVideo"), QStringLiteral("modvideo.html")},
        {QStringLiteral("frmConVideo"), QStringLiteral("convideo.html")},
        {QStringLiteral("frmLocacao"), QStringLiteral("locacao.html")},
        {QStringLiteral("frmDevolucao"), QStringLiteral("devolucao.html")},
        {QStringLiteral("frmConsultaVideo"), QStringLiteral("consultavideo.html")},
        {QStringLiteral("frmConfiguracoes"), QStringLiteral("configuracoes.html")},
        {QStringLiteral("frmAtraso"), QStringLiteral("atrasos.html")},
        {QStringLiteral("frmMovimentoDia"), QStringLiteral("relatorios.html")},
        {QStringLiteral("frmSobre"), QStringLiteral("index.html")},
    };
    return map;
}

QString pageForWindow(const QString& windowName)
{
    for (const auto& [name, page] : windowPages())
        if (name == windowName)
            return page;
    // Every report's preview is named after its report.
    if (windowName.startsWith(QLatin1String("rpt")))
        return QStringLiteral("relatorios.html");
    return manualPages().first().file;
}

namespace {

// Each page's words, folded once: the manual is small and never changes
// while the program runs.
const QHash<QString, QString>& foldedTexts()
{
    static const QHash<QString, QString> texts = [] {
        QHash<QString, QString> out;
        for (const ManualPage& page : manualPages()) {
            QTextDocument doc;
            doc.setHtml(pageHtml(page.file));
            out.insert(page.file, platform::searchFolded(doc.toPlainText()));
        }
        return out;
    }();
    return texts;
}

} // namespace

QStringList searchPages(const QString& words)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList wanted = platform::searchFolded(words).split(blanks, Qt::SkipEmptyParts);
    QStringList found;
    for (const ManualPage& page : manualPages()) {
        const QString& text = foldedTexts().value(page.file);
        const bool all =
            std::all_of(wanted.begin(), wanted.end(), [&](const QString& w) { return text.contains(w); });
        if (all)
            found.append(page.file);
    }
    return found;
}

} // namespace help
