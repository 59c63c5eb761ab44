#include "frmModVideo.h"

#include "VideoFields.h"
#include "counter/VideoRecords.h"
#include "store/Names.h"

#include <QComboBox>
#include <QLineEdit>

using namespace store::names;

frmModVideo::frmModVideo(store::Database& db, QWidget* parent)
    : ModifyRecordWindow(db, QStringLiteral("Modificar ou Excluir Vídeo"),
                         std::make_unique<counter::VideoRecords>(db), parent)
{
    setObjectName(QStringLiteral("frmModVideo"));
    auto* f = new VideoFields(this, grid(), leaveChecks(), VideoFields::TypePlace::AfterPrice);
    // The genre is typed or picked, never completed: not even by the
    // completer an editable combo brings along.
    f->cboGenero->setCompleter(nullptr);
    setFields(f);
    startFlow({.next = f->txtVideo,
               .notFound = QStringLiteral("Vídeo não encontrado ou cadastrado!"),
               .notFoundTitle = QStringLiteral("Informação de Vídeo"),
               .noneShown = QStringLiteral("Procure primeiro um vídeo pelo Código."),
               .askDelete = QStringLiteral("Tem certeza que deseja excluir o vídeo: "),
               .name = f->txtVideo,
               .taken = {{tblVideos::Codigo, QStringLiteral("Este Código já pertence a outro vídeo.")}}});
}
