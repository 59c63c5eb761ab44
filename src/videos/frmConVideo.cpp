#include "frmConVideo.h"

#include "VideoFields.h"
#include "lookup/HistoryList.h"
#include "lookup/LookupCombo.h"
#include "platform/Formats.h"
#include "platform/widgets/Fields.h"
#include "platform/widgets/FormGrid.h"
#include "search/SearchPanel.h"
#include "store/Names.h"
#include "store/Queries.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

using namespace store::names;

namespace {

const QString Title = QStringLiteral("Consulta de Vídeo");

} // namespace

frmConVideo::frmConVideo(store::Database& db, QWidget* parent)
    : QueryWindow(db, Title, "frmConVideo", "cboVideo", platform::FieldLimit::Title, parent), m_videos(db),
      m_history(db), m_search(db)
{
    m_txtCodigo = displayField(this, "txtCodigo");
    m_txtGenero = displayField(this, "txtGenero");
    m_txtQTDE = displayField(this, "txtQTDE");
    m_txtLocal = displayField(this, "txtLocal");
    m_txtLocal->setToolTip(VideoFields::localToolTip());
    m_txtValor = displayField(this, "txtValor");
    m_txtVezes = displayField(this, "txtVezes");
    m_lstLocado = new HistoryList(
        this, "lstLocado", {QStringLiteral("Nota"), QStringLiteral("Data"), QStringLiteral("Cliente")});

    // Placed as drawn, in twips: fields 360 high on rows 480 apart. A face
    // wider than the drawing's pushes the field columns right rather than
    // clip a label.
    FormGrid grid(this);
    grid.layout()->setContentsMargins(0, FormGrid::pixels(360), FormGrid::pixels(300), FormGrid::pixels(180));
    grid.layout()->setVerticalSpacing(FormGrid::pixels(480 - 360));
    grid.layout()->setSizeConstraint(QLayout::SetFixedSize);
    grid.keepDrawnColumns({240, 1080, 2520, 4560});
    // The code is alone on its row: wide enough for the longest one.
    const int codeTwips =
        std::max(1455, VideoFields::codeWidth(m_txtCodigo, font(), platform::FieldLimit::VideoCode) * 15);
    const QList<QLabel*> labels = grid.add({{m_key, "Vídeo:", 0, 0, 3, 5415},
                                            {m_txtCodigo, "Código:", 1, 0, 3, codeTwips},
                                            {m_txtGenero, "Gênero:", 2, 0, 1, 1455},
                                            {m_txtLocal, "Local da Loja:", 2, 2, 1, 1935},
                                            {m_txtQTDE, "QTDE:", 3, 0, 1, 735},
                                            {m_txtValor, "Preço de Locação:", 3, 2, 1, 1935},
                                            {m_cmdOk, nullptr, 4, 2, 1, 855}});
    QLabel* listCaption =
        grid.add({{m_txtVezes, "Vezes Locado:", 5, 0, 1, 735}, {m_lstLocado, "Com:", 6, 0, 3}}).last();
    // A list's caption stands at its top line.
    listCaption->setAlignment((listCaption->alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignTop);
    m_lstLocado->setFixedHeight(FormGrid::pixels(1440));
    m_buscar = new SearchPanel(this,
                               {QStringLiteral("Título"), QStringLiteral("Código"),
                                QStringLiteral("Categoria"), QStringLiteral("Na Loja")},
                               [this](const QString& typed) {
                                   m_found.clear();
                                   guarded([&] { m_found = m_search.videos(typed); });
                                   QList<QStringList> lines;
                                   for (const auto& v : std::as_const(m_found))
                                       lines.append({v.title, v.code, v.category, v.onShelf});
                                   return lines;
                               });
    m_buscar->list()->setFixedHeight(FormGrid::pixels(1800));
    grid.add({{m_buscar, nullptr, 7, 0, 4}});
    connect(m_buscar, &SearchPanel::chosen, this, &frmConVideo::showFound);
    const char* labelNames[] = {"Label2", "Label1", "Label5", "Label3", "Label4", "Label6"};
    for (qsizetype i = 0; i < labels.size(); ++i)
        labels[i]->setObjectName(QString::fromUtf8(labelNames[i]));
    m_cmdOk->setFixedHeight(FormGrid::pixels(615));
    grid.layout()->setRowMinimumHeight(4, FormGrid::pixels(615));

    setTabOrder(m_key, m_cmdOk);
    setTabOrder(m_cmdOk, m_txtValor);
    setTabOrder(m_txtValor, m_txtQTDE);
    setTabOrder(m_txtQTDE, m_txtLocal);
    setTabOrder(m_txtLocal, m_txtCodigo);
    setTabOrder(m_txtCodigo, m_txtGenero);

    finishQuery(store::PickListKind::VideoTitles);
}

void frmConVideo::clearResults()
{
    for (QLineEdit* edit : {m_txtCodigo, m_txtQTDE, m_txtGenero, m_txtLocal, m_txtValor, m_txtVezes})
        edit->clear();
    m_lstLocado->clear();
}

bool frmConVideo::lookUp()
{
    // Off to the search with nothing typed: no title was looked up.
    if (m_key->currentText().isEmpty() && m_buscar->hasFocusWithin())
        return true;
    std::optional<counter::VideoStatus::Record> video;
    // The title as stored, accents and letter case aside.
    const QString title = lookupSpellings(m_key, m_key->currentText()).constFirst();
    if (!guarded([&] { video = m_videos.findTitle(title); }))
        return false;
    if (!video)
        return refuse(QStringLiteral("Informação de Vídeo"),
                      QStringLiteral("Vídeo não Encontrado ou Cadastrado!"));
    if (m_key->currentText() != title)
        m_key->setEditText(title);
    showVideo(*video);
    return true;
}

void frmConVideo::showFound(int line)
{
    std::optional<counter::VideoStatus::Record> video;
    if (line < 0 || line >= m_found.size() || !guarded([&] { video = m_search.record(m_found.at(line)); }))
        return;
    if (!video) {
        refuse(QStringLiteral("Informação de Vídeo"), QStringLiteral("Vídeo não Encontrado ou Cadastrado!"));
        return;
    }
    m_key->setEditText(m_found.at(line).title);
    showVideo(*video);
}

void frmConVideo::showVideo(const counter::VideoStatus::Record& found)
{
    const auto* video = &found;
    m_txtCodigo->setText(video->code);
    m_txtGenero->setText(video->genre);
    m_txtQTDE->setText(video->onShelf);
    m_txtLocal->setText(video->place);
    m_txtValor->setText(platform::moneyForDisplay(video->price));
    counter::History::VideoRentals rentals;
    if (guarded([&] { rentals = m_history.videoRentals(video->code); })) {
        m_txtVezes->setText(QString::number(rentals.times));
        QList<QStringList> out;
        for (const auto& l : rentals.out)
            out.append({l.note, l.date, l.customer});
        m_lstLocado->setLines(out);
    }
}
