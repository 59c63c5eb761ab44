#include "frmDevolucao.h"

#include "counter/History.h"
#include "counter/PeopleSearch.h"
#include "counter/Overdue.h"
#include "counter/ReturnDesk.h"
#include "counter/ShopSettings.h"
#include "lookup/LookupCombo.h"
#include "lookup/claFenwaurda.h"
#include "platform/Formats.h"
#include "platform/widgets/Fields.h"
#include "platform/widgets/FormGrid.h"
#include "platform/widgets/LeaveChecks.h"
#include "platform/widgets/MessageBox.h"
#include "rental/RentalNote.h"
#include "store/StoreError.h"
#include "videos/VideoFields.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString ReturnInfo = QStringLiteral("Informação de Devolução");

} // namespace

frmDevolucao::frmDevolucao(store::Database& db, QWidget* parent)
    : TaskWindow(db, QStringLiteral("Devolução de Vídeos"), parent),
      m_desk(std::make_unique<counter::ReturnDesk>(db))
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
    // Reprinting judges only the note: a video half chosen is left as it
    // is, so the button takes no focus from it when clicked.
    m_cmdReimprimir->setFocusPolicy(Qt::TabFocus);
    connect(m_cmdReimprimir, &QPushButton::clicked, this, [this] {
        if (!m_cboCodigo->hasFocus() || leaveChecks().leaveFocused())
            reprint();
    });
    finishSetup();

    QStringList notes;
    guarded([&] { notes = m_desk->noteCodes(); });
    setLookupItems(m_cboCodigo, notes);
    m_cboCodigo->clearEditText();
    setLookupItems(m_cboCodigoVideo, {});
    m_cboCodigoVideo->clearEditText();
    m_txtData->setText(platform::todayText());
    m_txtData->setFocus();
}

frmDevolucao::~frmDevolucao() = default;

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
    m_lblAtraso = new QLabel(this);
    m_lblAtraso->setObjectName(QStringLiteral("lblAtraso"));
    m_lblAtraso->setStyleSheet(QStringLiteral("color: #b00000;"));
    m_lblAtraso->hide();
    m_cmdOk = new QPushButton(QStringLiteral("&OK"), this);
    m_cmdOk->setObjectName(QStringLiteral("cmdOk"));
    m_cmdReimprimir = new QPushButton(QStringLiteral("&Reimprimir"), this);
    m_cmdReimprimir->setObjectName(QStringLiteral("cmdReimprimir"));

    // On the grid of the register windows, after the drawing in twips:
    // fields 360 high on rows 600 apart, the name and OK 720 below.
    FormGrid grid(this);
    QGridLayout* layout = grid.layout();
    layout->setContentsMargins(0, FormGrid::pixels(240), FormGrid::pixels(270), FormGrid::pixels(225));
    layout->setVerticalSpacing(FormGrid::pixels(600 - 360));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    grid.keepDrawnColumns({120, 2280, 3960});
    // A date or a scanned code in this face may be wider than drawn; never clip it.
    const int dateTwips =
        std::max(1215, (m_txtData->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 12) * 15);
    const int codeTwips =
        std::max(1695, VideoFields::codeWidth(m_cboCodigoVideo, font(), FieldLimit::VideoCode) * 15);
    const QList<QLabel*> labels = grid.add({{m_txtData, "Data de Devolução:", 0, 0, 1, dateTwips},
                                            {m_cboCodigo, "Codigo da Locação:", 1, 0, 2, 2175},
                                            {m_cboCodigoVideo, "Vídeo:", 2, 0, 2, codeTwips},
                                            {m_lblnome, "Vídeo:", 3, 0, 2, 3600},
                                            {m_cmdOk, nullptr, 4, 1, 1, 735},
                                            {m_cmdReimprimir, nullptr, 4, 2, 1, 1335}});
    const char* labelNames[] = {"Label1", "Label2", "Label4", "Label5"};
    for (qsizetype i = 0; i < labels.size(); ++i) {
        labels[i]->setObjectName(QString::fromUtf8(labelNames[i]));
        labels[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    // The rental date sits right of the return date, its caption above it.
    QLabel* rentedOn = labelFor(m_lblData, QStringLiteral("Data da Locação:"), this);
    rentedOn->setObjectName(QStringLiteral("Label3"));
    m_lblData->setFixedWidth(FormGrid::pixels(1875));
    auto* rental = new QVBoxLayout;
    rental->setSpacing(0);
    rental->addWidget(rentedOn);
    rental->addWidget(m_lblData);
    layout->addLayout(rental, 0, 2, Qt::AlignLeft);
    m_lblCliente = new QLabel(this);
    m_lblCliente->setObjectName(QStringLiteral("lblCliente"));
    m_lblCliente->setAccessibleName(QStringLiteral("Cliente"));
    layout->addWidget(m_lblCliente, 1, 2, Qt::AlignLeft);
    for (QWidget* field : {static_cast<QWidget*>(m_txtData), static_cast<QWidget*>(m_cboCodigo),
                           static_cast<QWidget*>(m_cboCodigoVideo), static_cast<QWidget*>(m_lblnome)})
        field->setFixedHeight(FormGrid::pixels(360));
    m_cmdOk->setFixedHeight(FormGrid::pixels(495));
    m_cmdReimprimir->setFixedHeight(FormGrid::pixels(495));
    layout->setRowMinimumHeight(3, FormGrid::pixels(480));
    layout->setRowMinimumHeight(4, FormGrid::pixels(615));
    layout->addWidget(m_lblAtraso, 5, 0, 1, 3, Qt::AlignCenter);

    setTabOrderChain({m_txtData, m_cboCodigo, m_cboCodigoVideo, m_cmdOk, m_cmdReimprimir});
}

void frmDevolucao::showOpenVideos(const QStringList& codes)
{
    setLookupItems(m_cboCodigoVideo, codes);
    m_cboCodigoVideo->clearEditText();
}

bool frmDevolucao::leaveNote()
{
    const QString code = m_cboCodigo->currentText();
    std::optional<counter::ReturnDesk::Note> note;
    if (!guarded([&] { note = m_desk->findNote(code); }))
        return false;
    if (!note) {
        MessageBox::information(this, ReturnInfo, QStringLiteral("Registro de Locação não encontrado"));
        return false;
    }
    if (code != m_note) {
        m_video.clear();
        m_lblnome->clear();
        m_lblAtraso->hide();
    }
    m_note = code;
    m_lblData->setText(note->date);
    std::optional<counter::History::Note> saved;
    guarded([&] { saved = counter::History(db()).savedNote(code); });
    m_lblCliente->setText(saved ? counter::PeopleSearch::withNumber(saved->customer, saved->customerCode)
                                : QString());
    showOpenVideos(note->openCodes);
    return true;
}

bool frmDevolucao::leaveVideo()
{
    const QString code = m_cboCodigoVideo->currentText();
    QStringList listed;
    for (int i = 0; i < m_cboCodigoVideo->count(); ++i)
        listed.append(m_cboCodigoVideo->itemText(i));
    using Check = counter::ReturnDesk::VideoCheck;
    counter::ReturnDesk::Video video;
    if (!guarded([&] { video = m_desk->checkVideo(listed, code); }))
        return false;
    if (video.check == Check::NotOnNote) {
        MessageBox::information(this, QStringLiteral("Informação"),
                                QStringLiteral("Vídeo não alugado para esta Nota"));
        m_cboCodigoVideo->setCurrentIndex(-1);
        m_cboCodigoVideo->clearEditText();
        m_video.clear();
        m_lblnome->clear();
        m_lblAtraso->hide();
        return false;
    }
    if (video.check == Check::NotInCatalogue)
        MessageBox::information(this, ReturnInfo,
                                QStringLiteral("O vídeo %1 não está mais no cadastro de vídeos.\n"
                                               "A devolução libera a vaga da nota sem alterar o estoque.")
                                    .arg(code));
    m_lblnome->setText(video.title);
    m_video = code;
    showLateness();
    return true;
}

void frmDevolucao::bookReturn()
{
    if (m_note.isEmpty()) {
        MessageBox::information(
            this, ReturnInfo, QStringLiteral("Informe o código da locação antes de confirmar a devolução."));
        m_cboCodigo->setFocus();
        return;
    }
    if (m_video.isEmpty() || m_cboCodigoVideo->currentText() != m_video) {
        MessageBox::information(this, ReturnInfo,
                                QStringLiteral("Informe o vídeo devolvido antes de confirmar a devolução."));
        m_cboCodigoVideo->setFocus();
        return;
    }
    std::optional<counter::ReturnDesk::Booked> booked;
    if (!guarded([&] { booked = m_desk->book(m_note, m_video, m_txtData->text()); }))
        return;
    if (!booked) {
        // Gone since it was chosen: show the note as the file has it now.
        MessageBox::information(this, QStringLiteral("Informação"),
                                QStringLiteral("Vídeo não alugado para esta Nota"));
        std::optional<counter::ReturnDesk::Note> note;
        guarded([&] { note = m_desk->findNote(m_note); });
        showOpenVideos(note ? note->openCodes : QStringList());
        m_video.clear();
        return;
    }
    m_video.clear();
    m_lblnome->clear();
    m_lblAtraso->hide();
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

void frmDevolucao::showLateness()
{
    std::optional<counter::Overdue::Video> late;
    // The mark only informs: a file that cannot say leaves it off, and the
    // return goes on.
    try {
        late = counter::Overdue(db()).lateVideo(m_note, m_video, QDateTime::currentDateTime());
    } catch (const store::StoreError&) {
    }
    if (!late) {
        m_lblAtraso->hide();
        return;
    }
    m_lblAtraso->setText(
        QStringLiteral("Vídeo em atraso: %1 %2 (vencido em %3)")
            .arg(late->daysLate)
            .arg(late->daysLate == 1 ? QStringLiteral("dia") : QStringLiteral("dias"),
                 platform::shortDate(late->due.date()) + late->due.toString(QStringLiteral(" HH:mm"))));
    m_lblAtraso->show();
}

void frmDevolucao::reprint()
{
    const QString title = QStringLiteral("Reimpressão de Nota");
    if (m_note.isEmpty()) {
        MessageBox::information(this, title,
                                QStringLiteral("Informe o código da locação antes de reimprimir a nota."));
        m_cboCodigo->setFocus();
        return;
    }
    std::optional<counter::History::Note> saved;
    counter::ShopSettings shop;
    if (!guarded([&] {
            saved = counter::History(db()).savedNote(m_note);
            shop = counter::SettingsStore(db()).read();
        }))
        return;
    if (!saved) {
        MessageBox::information(
            this, title,
            QStringLiteral("A nota %1 não está no histórico e não pode ser reimpressa.").arg(m_note));
        return;
    }
    QString error;
    if (!printOnDefaultPrinter(copyOf(*saved, shop), &error))
        MessageBox::warning(this, title,
                            QStringLiteral("A nota %1 não foi impressa: %2.").arg(m_note, error));
}
