#include "frmConsultaVideo.h"

#include "counter/PeopleSearch.h"
#include "counter/VideoStatus.h"
#include "platform/widgets/Fields.h"
#include "store/Queries.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmConsultaVideo::frmConsultaVideo(store::Database& db, QWidget* parent)
    : QueryWindow(db, QStringLiteral("Consulta para Locação de Vídeos"), "frmConsultaVideo", "cboVideo",
                  platform::FieldLimit::VideoCode, parent),
      m_status(std::make_unique<counter::VideoStatus>(db))
{
    m_txtVideo = displayField(this, "txtVideo");
    m_txtQTDE = displayField(this, "txtQTDE");
    m_txtSituacao = displayField(this, "txtSituacao");
    m_txtData = displayField(this, "txtData");
    m_txtLocal = displayField(this, "txtLocal");
    m_txtCliente = displayField(this, "txtCliente");

    auto* grid = new QGridLayout(this);
    const QList<QPair<QWidget*, const char*>> rows = {
        {m_key, "Código do Vídeo:"},  {m_txtVideo, "Nome do Vídeo:"},  {m_txtQTDE, "QTDE para Locar:"},
        {m_txtSituacao, "Situação:"}, {m_txtData, "Data da Locação:"}, {m_txtLocal, "Localização na Loja:"},
        {m_txtCliente, "Cliente:"},
    };
    int row = 0;
    for (const auto& [field, caption] : rows) {
        grid->addWidget(labelFor(field, QString::fromUtf8(caption), this), row, 0);
        grid->addWidget(field, row, 1);
        ++row;
    }
    m_txtVideo->setMinimumWidth(320);
    grid->addWidget(m_cmdOk, row, 1, Qt::AlignLeft);

    setTabOrderChain(
        {m_key, m_cmdOk, m_txtVideo, m_txtQTDE, m_txtSituacao, m_txtData, m_txtLocal, m_txtCliente});
    finishQuery(store::PickListKind::VideoCodes);
}

frmConsultaVideo::~frmConsultaVideo() = default;

void frmConsultaVideo::clearResults()
{
    for (QLineEdit* edit : {m_txtVideo, m_txtQTDE, m_txtSituacao, m_txtLocal, m_txtData, m_txtCliente})
        edit->clear();
}

bool frmConsultaVideo::lookUp()
{
    std::optional<counter::VideoStatus::Video> video;
    clearResults();
    if (!guarded([&] { video = m_status->find(m_key->currentText()); }))
        return false;
    if (!video)
        return refuse(QStringLiteral("Informação de Vídeo"),
                      QStringLiteral("Video não Encontrado ou Cadastrado"));
    m_txtVideo->setText(video->title);
    m_txtQTDE->setText(video->onShelf);
    m_txtLocal->setText(video->place);
    m_txtSituacao->setText(video->rentedOn ? QStringLiteral("Locado") : QStringLiteral("Não Locado"));
    m_txtData->setText(video->rentedOn.value_or(QString()));
    m_txtCliente->setText(counter::PeopleSearch::withNumber(video->renter, video->renterCode));
    return true;
}
