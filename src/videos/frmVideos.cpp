#include "frmVideos.h"

#include "VideoFields.h"
#include "lookup/claFenwaurda.h"
#include "store/Names.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>

using namespace store::names;

frmVideos::frmVideos(store::Database& db, QWidget* parent)
    : NewRecordWindow(db, QStringLiteral("Cadastro de Vídeos"), tblVideos::Table, parent),
      m_fields(new VideoFields(this, grid(), leaveChecks(), VideoFields::TypePlace::BeforePrice)),
      m_autoComplete(new claFenwaurda(this))
{
    setObjectName(QStringLiteral("frmVideos"));
    setFont(formFont());
    setFields(m_fields);
    m_fields->cboGenero->installEventFilter(this);
    m_fields->txtLocal->installEventFilter(this);
    VideoFields* f = m_fields;
    startFlow({.keys = {{f->txtCodigo, tblVideos::indCodigo, f->txtVideo}},
               .required = {{f->txtCodigo, QStringLiteral("Código")},
                            {f->txtVideo, QStringLiteral("Vídeo")},
                            {f->txtQTDE, QStringLiteral("Quantidade")},
                            {f->cboGenero, QStringLiteral("Gênero")}},
               .duplicate = QStringLiteral("Vídeo já Cadastrado"),
               .another = QStringLiteral("Quer cadastrar outro Vídeo?"),
               .dateLabel = "Data:"});
}

bool frmVideos::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (watched == m_fields->cboGenero)
            m_autoComplete->AttachTo(m_fields->cboGenero);
        else if (watched == m_fields->txtLocal)
            m_fields->txtLocal->setToolTip(
                QStringLiteral("Local onde o vídeo está localizado dentro da Fenwaurda"));
    }
    return NewRecordWindow::eventFilter(watched, event);
}
