#include "frmModVideo.h"

#include "VideoFields.h"

#include <QComboBox>
#include <QLineEdit>

frmModVideo::frmModVideo(store::Database& db, QWidget* parent)
    : ModifyRecordWindow(db, QStringLiteral("Modificar ou Excluir Vídeo"), QStringLiteral("tblVideos"),
                         parent)
{
    setObjectName(QStringLiteral("frmModVideo"));
    auto* f = new VideoFields(this, grid(), leaveChecks(), VideoFields::TypePlace::AfterPrice);
    // The genre is typed or picked, never completed: not even by the
    // completer an editable combo brings along.
    f->cboGenero->setCompleter(nullptr);
    setFields(f);
    startFlow({.key = f->txtCodigo,
               .next = f->txtVideo,
               .notFound = QStringLiteral("Vídeo não encontrado ou cadastrado!"),
               .notFoundTitle = QStringLiteral("Informação de Vídeo"),
               .noneShown = QStringLiteral("Procure primeiro um vídeo pelo Código."),
               .askDelete = QStringLiteral("Tem certeza que deseja excluir o vídeo: "),
               .name = f->txtVideo,
               .unique = {{f->txtCodigo, QStringLiteral("indCodigo"),
                           QStringLiteral("Este Código já pertence a outro vídeo.")}}});
}
