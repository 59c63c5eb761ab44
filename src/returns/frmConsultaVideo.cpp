#include "frmConsultaVideo.h"

#include "lookup/LookupCombo.h"
#include "lookup/claFenwaurda.h"
#include "platform/widgets/Fields.h"
#include "platform/widgets/LeaveChecks.h"
#include "platform/widgets/MessageBox.h"
#include "store/Names.h"
#include "store/RecordCursor.h"
#include "store/Returns.h"
#include "views/PickList.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace store::names;

frmConsultaVideo::frmConsultaVideo(store::Database& db, QWidget* parent)
    : TaskWindow(db, QStringLiteral("Consulta para Locação de Vídeos"), parent),
      m_autoComplete(new claFenwaurda(this)), m_status(std::make_unique<store::RentalStatus>(db))
{
    setObjectName(QStringLiteral("frmConsultaVideo"));
    setFont(formFont());
    m_cboVideo = makeLookupCombo(this, "cboVideo", m_autoComplete);
    platform::limitLength(m_cboVideo, platform::FieldLimit::VideoCode);
    m_cmdOk = new QPushButton(QStringLiteral("&OK"), this);
    m_cmdOk->setObjectName(QStringLiteral("cmdOk"));
    m_txtVideo = displayField(this, "txtVideo");
    m_txtQTDE = displayField(this, "txtQTDE");
    m_txtSituacao = displayField(this, "txtSituacao");
    m_txtData = displayField(this, "txtData");
    m_txtLocal = displayField(this, "txtLocal");

    auto* grid = new QGridLayout(this);
    const QList<QPair<QWidget*, const char*>> rows = {
        {m_cboVideo, "Código do Vídeo:"}, {m_txtVideo, "Nome do Vídeo:"},
        {m_txtQTDE, "QTDE para Locar:"},  {m_txtSituacao, "Situação:"},
        {m_txtData, "Data da Locação:"},  {m_txtLocal, "Localização na Loja:"},
    };
    int row = 0;
    for (const auto& [field, caption] : rows) {
        grid->addWidget(labelFor(field, QString::fromUtf8(caption), this), row, 0);
        grid->addWidget(field, row, 1);
        ++row;
    }
    m_txtVideo->setMinimumWidth(320);
    grid->addWidget(m_cmdOk, row, 1, Qt::AlignLeft);

    setTabOrderChain({m_cboVideo, m_cmdOk, m_txtVideo, m_txtQTDE, m_txtSituacao, m_txtData, m_txtLocal});

    leaveChecks().add(m_cboVideo, [this] { return leaveVideo(); });
    // Alt+O leaves the combo first, as a click would: the query runs, then
    // everything is emptied for the next one.
    connect(m_cmdOk, &QPushButton::clicked, this, [this] {
        if (leaveChecks().leaveFocused())
            clearQuery();
    });
    finishSetup();

    views::PickList* codes = nullptr;
    guarded([&] { codes = &views::pickList(db, store::PickListKind::VideoCodes); });
    setLookupItems(m_cboVideo, codes);
    m_cboVideo->clearEditText();
    m_cboVideo->setFocus();
}

frmConsultaVideo::~frmConsultaVideo() = default;

void frmConsultaVideo::clearResults()
{
    for (QLineEdit* edit : {m_txtVideo, m_txtQTDE, m_txtSituacao, m_txtLocal, m_txtData})
        edit->clear();
}

void frmConsultaVideo::clearQuery()
{
    m_cboVideo->setCurrentIndex(-1);
    m_cboVideo->clearEditText();
    clearResults();
    m_cboVideo->setFocus();
}

bool frmConsultaVideo::leaveVideo()
{
    const QString code = m_cboVideo->currentText();
    bool found = false;
    std::optional<QString> rentedOn;
    clearResults();
    if (!guarded([&] {
            store::RecordCursor& videos = cursor(tblVideos::Table);
            found = videos.find(tblVideos::indCodigo, code);
            if (!found)
                return;
            m_txtVideo->setText(videos.text(tblVideos::Nome));
            m_txtQTDE->setText(videos.text(tblVideos::QTDE));
            m_txtLocal->setText(videos.text(tblVideos::Local));
            rentedOn = m_status->rentalDateOf(code);
        }))
        return false;
    if (!found) {
        MessageBox::information(this, QStringLiteral("Video não Encontrado ou Cadastrado"),
                                QStringLiteral("Informação de Vídeo"));
        m_cboVideo->setCurrentIndex(-1);
        m_cboVideo->clearEditText();
        clearResults();
        return false;
    }
    m_txtSituacao->setText(rentedOn ? QStringLiteral("Locado") : QStringLiteral("Não Locado"));
    m_txtData->setText(rentedOn.value_or(QString()));
    return true;
}
