#include "frmVideos.h"

#include "VideoFields.h"
#include "counter/VideoRecords.h"
#include "lookup/claFenwaurda.h"
#include "store/Names.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>

using namespace store::names;

frmVideos::frmVideos(store::Database& db, QWidget* parent)
    : NewRecordWindow(db, QStringLiteral("Cadastro de Vídeos"), std::make_unique<counter::VideoRecords>(db),
                      parent)
{
    setObjectName(QStringLiteral("frmVideos"));
    setFont(formFont());
    setFields(m_fields);
    m_fields->cboGenero->installEventFilter(this);
    m_fields->txtLocal->installEventFilter(this);
    startFlow({.keys = {{tblVideos::Codigo, m_fields->txtVideo}},
               .duplicate = QStringLiteral("Vídeo já Cadastrado"),
               .another = QStringLiteral("Quer cadastrar outro Vídeo?"),
               .dateLabel = "Data:"});
}

bool frmVideos::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (watched == m_fields->cboGenero)
            m_autoComplete->attachTo(m_fields->cboGenero);
        else if (watched == m_fields->txtLocal)
            m_fields->txtLocal->setToolTip(
                QStringLiteral("Local onde o vídeo está localizado dentro da Fenwaurda"));
    }
    return NewRecordWindow::eventFilter(watched, event);
}
