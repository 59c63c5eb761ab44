#include "frmVideos.h"

#include "VideoFields.h"
#include "lookup/claFenwaurda.h"
#include "platform/Formats.h"
#include "platform/widgets/Fields.h"
#include "platform/widgets/LeaveChecks.h"
#include "platform/widgets/MessageBox.h"
#include "platform/widgets/SaveOrNew.h"
#include "store/RecordCursor.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString Title = QStringLiteral("Cadastro de Vídeos");
const QString Duplicate = QStringLiteral("Vídeo já Cadastrado");
const QString SystemInfo = QStringLiteral("Informação do Sistema");

} // namespace

frmVideos::frmVideos(store::Database& db, QWidget* parent)
    : TaskWindow(db, Title, parent), m_autoComplete(new claFenwaurda(this))
{
    setObjectName(QStringLiteral("frmVideos"));
    setFont(formFont());

    auto* grid = new QGridLayout(this);
    m_txtData = platform::namedLineEdit(this, "txtData");
    m_txtData->setReadOnly(true);
    m_txtData->setMaximumWidth(120);
    auto* dataRow = new QHBoxLayout;
    dataRow->addStretch();
    dataRow->addWidget(labelFor(m_txtData, QStringLiteral("Data:"), this));
    dataRow->addWidget(m_txtData);
    grid->addLayout(dataRow, 0, 2, 1, 2);

    m_fields = new VideoFields(this, grid, leaveChecks());

    m_buttons = new SaveOrNew(this, grid, m_fields->nextRow(), 3);

    QWidget* last = m_fields->setTabOrder();
    setTabOrder(last, m_buttons->cmdSalvar);
    setTabOrder(m_buttons->cmdSalvar, m_txtData);
    setTabOrder(m_txtData, m_buttons->cmdNovo);

    // A code not on file starts the new video's row.
    leaveChecks().add(m_fields->txtCodigo, [this] {
        return leaveKey([this] { return codeTaken(); }, [this] { showDuplicate(); }, m_fields->txtVideo,
                        QStringLiteral("tblVideos"));
    });
    m_fields->cboGenero->installEventFilter(this);
    m_fields->txtLocal->installEventFilter(this);
    connect(m_buttons->cmdSalvar, &QPushButton::clicked, this, &frmVideos::save);
    connect(m_buttons->cmdNovo, &QPushButton::clicked, this, &frmVideos::startOver);
    finishSetup();

    guarded([this] { videos().refresh(); });
    m_txtData->setText(platform::todayText());
    m_fields->txtCodigo->setFocus();
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
    return TaskWindow::eventFilter(watched, event);
}

store::RecordCursor& frmVideos::videos()
{
    return cursor(QStringLiteral("tblVideos"));
}

void frmVideos::ClearFields()
{
    m_fields->clear();
    m_txtData->setText(platform::todayText());
}

void frmVideos::ShowVideo()
{
    m_txtData->setText(videos().text(QStringLiteral("Data")));
    m_fields->show(videos());
}

void frmVideos::WriteVideo()
{
    store::RecordCursor& row = videos();
    row.setValue(QStringLiteral("Data"), m_txtData->text());
    m_fields->write(row);
}

bool frmVideos::codeTaken()
{
    return videos().lookUp(QStringLiteral("indCodigo"), m_fields->txtCodigo->text());
}

void frmVideos::showDuplicate()
{
    MessageBox::information(this, Duplicate, SystemInfo);
    ShowVideo();
    m_buttons->offerNew();
}

void frmVideos::save()
{
    // Alt+S clicks without leaving the field being typed in: leave it first,
    // as a click would. A duplicate found there offers Novo instead.
    if (!leaveChecks().leaveFocused() || !m_buttons->cmdSalvar->isEnabled())
        return;
    if (!requireFilled({{m_fields->txtCodigo, m_fields->txtCodigo->text(), QStringLiteral("Código")},
                        {m_fields->txtVideo, m_fields->txtVideo->text(), QStringLiteral("Vídeo")},
                        {m_fields->txtQTDE, m_fields->txtQTDE->text(), QStringLiteral("Quantidade")},
                        {m_fields->cboGenero, m_fields->cboGenero->currentText(), QStringLiteral("Gênero")}}))
        return;

    // The code is checked again right before writing: it may have changed
    // since it was left, or never been left at all. A taken code keeps what
    // was typed and sends the operator back to it.
    bool taken = false;
    const bool stored = guarded([&] {
        taken = codeTaken();
        if (taken)
            return;
        store::RecordCursor& row = videos();
        row.addNew();
        WriteVideo();
        row.update();
    });
    if (!stored)
        return;
    if (taken) {
        MessageBox::information(this, Duplicate, SystemInfo);
        m_fields->txtCodigo->setFocus();
        return;
    }

    if (askForAnother(QStringLiteral("Quer cadastrar outro Vídeo?"))) {
        ClearFields();
        m_fields->txtCodigo->setFocus();
    }
}

void frmVideos::startOver()
{
    ClearFields();
    m_buttons->offerSave();
    m_fields->txtCodigo->setFocus();
}
