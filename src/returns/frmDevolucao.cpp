#include "frmDevolucao.h"

#include "lookup/LookupCombo.h"
#include "lookup/claFenwaurda.h"
#include "platform/Formats.h"
#include "platform/widgets/Fields.h"
#include "platform/widgets/FormGrid.h"
#include "platform/widgets/LeaveChecks.h"
#include "platform/widgets/MessageBox.h"
#include "store/Names.h"
#include "store/Queries.h"
#include "store/RecordCursor.h"
#include "store/Returns.h"
#include "videos/VideoFields.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

using namespace store::names;

namespace {

const QString ReturnInfo = QStringLiteral("Informação de Devolução");

// The layout is drawn in twips.
int px(int twips)
{
    return FormGrid::pixels(twips);
}

} // namespace

frmDevolucao::frmDevolucao(store::Database& db, QWidget* parent)
    : TaskWindow(db, QStringLiteral("Devolução de Vídeos"), parent), m_autoComplete(new claFenwaurda(this))
{
    setObjectName(QStringLiteral("frmDevolucao"));
    setFont(formFont());
    buildLayout();

    leaveChecks().add(m_cboCodigo, [this] { return leaveNote(); });
    leaveChecks().add(m_cboCodigoVideo, [this] { return leaveVideo(); });
    connect(m_cmdOk, &QPushButton::clicked, this, [this] {
        if (leaveChecks().leaveFocused())
            bookReturn();
    });
    finishSetup();

    QStringList notes;
    guarded([&] { notes = store::rentalNoteCodes(db); });
    setLookupItems(m_cboCodigo, notes);
    m_cboCodigo->clearEditText();
    setLookupItems(m_cboCodigoVideo, {});
    m_cboCodigoVideo->clearEditText();
    m_txtData->setText(platform::todayText());
    m_txtData->setFocus();
}

void frmDevolucao::buildLayout()
{
    m_txtData = platform::namedLineEdit(this, "txtData");
    m_lblData = new QLabel(this);
    m_lblData->setObjectName(QStringLiteral("lblData"));
    m_cboCodigo = makeLookupCombo(this, "cboCodigo", m_autoComplete);
    m_cboCodigo->setMinimumContentsLength(8);
    m_cboCodigoVideo = makeLookupCombo(this, "cboCodigoVideo", m_autoComplete);
    m_cboCodigoVideo->setMinimumContentsLength(6);
    using platform::FieldLimit;
    platform::limitLength(m_txtData, FieldLimit::Date);
    platform::limitLength(m_cboCodigo, FieldLimit::Code);
    platform::limitLength(m_cboCodigoVideo, FieldLimit::VideoCode);
    m_lblnome = new QLabel(this);
    m_lblnome->setObjectName(QStringLiteral("lblnome"));
    QFont nameFont(QStringLiteral("Arial"));
    nameFont.setPointSizeF(8.25);
    m_lblnome->setFont(nameFont);
    m_lbl = new QLabel(this);
    m_lbl->setObjectName(QStringLiteral("lbl"));
    m_lbl->hide();
    m_cmdOk = new QPushButton(QStringLiteral("&OK"), this);
    m_cmdOk->setObjectName(QStringLiteral("cmdOk"));

    struct Caption
    {
        const char* name;
        const char* text;
        int left, top;
        QWidget* buddy;
    };
    const Caption captions[] = {
        {"Label1", "Data de Devolução:", 120, 360, m_txtData},
        {"Label3", "Data da Locação:", 3960, 240, m_lblData},
        {"Label2", "Codigo da Locação:", 120, 960, m_cboCodigo},
        {"Label4", "Vídeo:", 1560, 1560, m_cboCodigoVideo},
        {"Label5", "Vídeo:", 1560, 2280, m_lblnome},
    };
    for (const Caption& c : captions) {
        QLabel* label = labelFor(c.buddy, QString::fromUtf8(c.text), this);
        label->setObjectName(QString::fromUtf8(c.name));
        label->setGeometry(px(c.left), px(c.top), label->sizeHint().width(), px(360));
    }
    // A face wider than the drawing's pushes the fields right rather than
    // clip a caption.
    const int shift =
        std::max(0, findChild<QLabel*>(QStringLiteral("Label2"))->geometry().right() + 4 - px(2280));
    // A date in this face may be wider than the drawn field; never clip it.
    const int dateWidth = m_txtData->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 12;
    m_txtData->setGeometry(px(2280) + shift, px(360), std::max(px(1215), dateWidth), px(360));
    m_lblData->setGeometry(px(3960) + shift, px(480), px(1875), px(360));
    findChild<QLabel*>(QStringLiteral("Label3"))->move(px(3960) + shift, px(240) - 4);
    m_cboCodigo->setGeometry(px(2280) + shift, px(960), px(2175), px(360));
    // Wide enough to read back the longest video code a scanner types.
    m_cboCodigoVideo->setGeometry(
        px(2280) + shift, px(1560),
        std::max(px(1695), VideoFields::codeWidth(m_cboCodigoVideo, font(), FieldLimit::VideoCode)), px(360));
    m_lblnome->setGeometry(px(2400) + shift, px(2280), px(3600), px(360));
    m_lbl->setGeometry(px(360), px(3000), px(1000), px(360));
    m_cmdOk->setGeometry(px(2640) + shift, px(3000), px(735), px(495));
    setFixedSize(px(6105) + shift, px(3720));

    setTabOrderChain({m_txtData, m_cboCodigo, m_cboCodigoVideo, m_cmdOk});
}

void frmDevolucao::showOpenVideos(const QStringList& codes)
{
    setLookupItems(m_cboCodigoVideo, codes);
    m_cboCodigoVideo->clearEditText();
}

bool frmDevolucao::leaveNote()
{
    const QString code = m_cboCodigo->currentText();
    bool found = false;
    QString date;
    QStringList open;
    if (!guarded([&] {
            store::RecordCursor& notes = cursor(tblLocacao::Table);
            found = notes.find(tblLocacao::indCodigo, code);
            if (found) {
                date = notes.text(tblLocacao::Data);
                open = store::openVideoCodes(db(), code);
            }
        }))
        return false;
    if (!found) {
        MessageBox::information(this, QStringLiteral("Registro de Locação não encontrado"), ReturnInfo);
        return false;
    }
    if (code != m_note) {
        m_video.clear();
        m_lblnome->clear();
    }
    m_note = code;
    m_lblData->setText(date);
    showOpenVideos(open);
    return true;
}

bool frmDevolucao::leaveVideo()
{
    const QString code = m_cboCodigoVideo->currentText();
    QStringList listed;
    for (int i = 0; i < m_cboCodigoVideo->count(); ++i)
        listed.append(m_cboCodigoVideo->itemText(i));
    bool inCatalogue = false;
    QString title;
    if (!code.isEmpty() && listed.contains(code) && !guarded([&] {
            store::RecordCursor& videos = cursor(tblVideos::Table);
            inCatalogue = videos.find(tblVideos::indCodigo, code);
            if (inCatalogue)
                title = videos.text(tblVideos::Nome);
        }))
        return false;
    if (code.isEmpty() || !listed.contains(code)) {
        MessageBox::information(this, QStringLiteral("Vídeo não alugado para esta Nota"),
                                QStringLiteral("Informação"));
        m_cboCodigoVideo->setCurrentIndex(-1);
        m_cboCodigoVideo->clearEditText();
        m_video.clear();
        m_lblnome->clear();
        return false;
    }
    if (!inCatalogue)
        // Deleted while it was out: it can still come back, or the note
        // would stay pending for ever.
        MessageBox::information(this,
                                QStringLiteral("O vídeo %1 não está mais no cadastro de vídeos.\n"
                                               "A devolução libera a vaga da nota sem alterar o estoque.")
                                    .arg(code),
                                ReturnInfo);
    m_lblnome->setText(title);
    m_video = code;
    return true;
}

void frmDevolucao::bookReturn()
{
    if (m_note.isEmpty()) {
        MessageBox::information(
            this, QStringLiteral("Informe o código da locação antes de confirmar a devolução."), ReturnInfo);
        m_cboCodigo->setFocus();
        return;
    }
    if (m_video.isEmpty() || m_cboCodigoVideo->currentText() != m_video) {
        MessageBox::information(
            this, QStringLiteral("Informe o vídeo devolvido antes de confirmar a devolução."), ReturnInfo);
        m_cboCodigoVideo->setFocus();
        return;
    }
    std::optional<store::ReturnBooked> booked;
    if (!guarded([&] { booked = store::bookReturn(db(), m_note, m_video); }))
        return;
    if (!booked) {
        // Gone since it was chosen: show the note as the file has it now.
        MessageBox::information(this, QStringLiteral("Vídeo não alugado para esta Nota"),
                                QStringLiteral("Informação"));
        QStringList open;
        guarded([&] { open = store::openVideoCodes(db(), m_note); });
        showOpenVideos(open);
        m_video.clear();
        return;
    }
    m_video.clear();
    m_lblnome->clear();
    showOpenVideos(booked->stillOpen);
    m_lbl->setText(QString::number(booked->stillOpen.size()));
    if (booked->noteDeleted) {
        QStringList notes;
        for (int i = 0; i < m_cboCodigo->count(); ++i)
            if (m_cboCodigo->itemText(i) != m_note)
                notes.append(m_cboCodigo->itemText(i));
        const QString typed = m_cboCodigo->currentText();
        setLookupItems(m_cboCodigo, notes);
        m_cboCodigo->setEditText(typed);
        m_note.clear();
    }
}
