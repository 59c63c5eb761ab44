#include "frmConVideo.h"

#include "VideoFields.h"
#include "lookup/LookupCombo.h"
#include "lookup/claFenwaurda.h"
#include "platform/Formats.h"
#include "platform/widgets/LeaveChecks.h"
#include "platform/widgets/MessageBox.h"
#include "store/PickList.h"
#include "store/RecordCursor.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace {

const QString Title = QStringLiteral("Consulta de Vídeo");

// The form's layout is given in twips; about 15 of them make a pixel.
constexpr int px(int twips)
{
    return (twips + 7) / 15;
}

} // namespace

frmConVideo::frmConVideo(store::Database& db, QWidget* parent)
    : TaskWindow(db, Title, parent), m_autoComplete(new claFenwaurda(this))
{
    setObjectName(QStringLiteral("frmConVideo"));
    setFont(formFont());
    m_cboVideo = makeLookupCombo(this, "cboVideo", m_autoComplete);

    m_txtCodigo = displayField(this, "txtCodigo");
    m_txtGenero = displayField(this, "txtGenero");
    m_txtQTDE = displayField(this, "txtQTDE");
    m_txtLocal = displayField(this, "txtLocal");
    m_txtLocal->setToolTip(VideoFields::localToolTip());
    m_txtValor = displayField(this, "txtValor");

    m_cmdOk = new QPushButton(QStringLiteral("&OK"), this);
    m_cmdOk->setObjectName(QStringLiteral("cmdOk"));

    // Left, top, width in twips, as drawn; fields are 360 high. A face wider
    // than the drawing's pushes the field columns right rather than clip a
    // label.
    struct Placement
    {
        QWidget* field;
        int left, top, width;
        const char* labelName;
        const char* caption;
        int labelLeft;
    };
    const Placement placements[] = {
        {m_cboVideo, 1080, 360, 5415, "Label2", "Vídeo:", 240},
        {m_txtCodigo, 1080, 840, 1455, "Label1", "Código:", 240},
        {m_txtGenero, 1080, 1320, 1455, "Label5", "Gênero:", 240},
        {m_txtLocal, 4560, 1320, 1935, "Label3", "Local da Loja:", 3000},
        {m_txtQTDE, 1080, 1800, 735, "Label4", "QTDE:", 240},
        {m_txtValor, 4560, 1800, 1935, "Label6", "Preço de Locação:", 2520},
    };
    constexpr int Gap = 4;
    int firstShift = 0;  // for everything right of the first label column
    int secondShift = 0; // in addition, for the fields right of the second one
    QList<QLabel*> labels;
    for (const Placement& p : placements) {
        QLabel* label = labelFor(p.field, QString::fromUtf8(p.caption), this);
        label->setObjectName(QString::fromUtf8(p.labelName));
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        labels.append(label);
        const int need = px(p.labelLeft) + label->sizeHint().width() + Gap - px(p.left);
        if (p.left == 1080)
            firstShift = std::max(firstShift, need);
        else
            secondShift = std::max(secondShift, need);
    }
    auto x = [&](int twips) {
        return px(twips) + (twips >= 1080 ? firstShift : 0) + (twips >= 4560 ? secondShift : 0);
    };
    for (qsizetype i = 0; i < labels.size(); ++i) {
        const Placement& p = placements[i];
        p.field->setGeometry(x(p.left), px(p.top), px(p.width), px(360));
        labels[i]->setGeometry(x(p.labelLeft), px(p.top), x(p.left) - x(p.labelLeft) - Gap, px(360));
    }
    m_cmdOk->setGeometry(x(3000), px(2400), px(855), px(615));
    setFixedSize(px(6795) + firstShift + secondShift, px(3195));

    setTabOrder(m_cboVideo, m_cmdOk);
    setTabOrder(m_cmdOk, m_txtValor);
    setTabOrder(m_txtValor, m_txtQTDE);
    setTabOrder(m_txtQTDE, m_txtLocal);
    setTabOrder(m_txtLocal, m_txtCodigo);
    setTabOrder(m_txtCodigo, m_txtGenero);

    leaveChecks().add(m_cboVideo, [this] { return leaveVideo(); });
    // Alt+O leaves the combo first, as a click would: the lookup runs.
    connect(m_cmdOk, &QPushButton::clicked, this, [this] {
        if (leaveChecks().leaveFocused())
            clearQuery();
    });
    finishSetup();

    // A list that cannot be read leaves the window open with an empty one.
    store::PickList* titles = nullptr;
    guarded([&] { titles = &db.pickList(store::PickListKind::VideoTitles); });
    setLookupItems(m_cboVideo, titles);
    m_cboVideo->clearEditText();
    m_cboVideo->setFocus();
}

store::RecordCursor& frmConVideo::videos()
{
    return cursor(QStringLiteral("tblVideos"));
}

void frmConVideo::clearDisplay()
{
    for (QLineEdit* edit : {m_txtCodigo, m_txtQTDE, m_txtGenero, m_txtLocal, m_txtValor})
        edit->clear();
}

void frmConVideo::clearQuery()
{
    m_cboVideo->setCurrentIndex(-1);
    m_cboVideo->clearEditText();
    m_cboVideo->setFocus();
    clearDisplay();
}

bool frmConVideo::leaveVideo()
{
    bool found = false;
    if (!guarded([&] { found = videos().lookUp(QStringLiteral("indNome"), m_cboVideo->currentText()); }))
        return false;
    if (!found) {
        MessageBox::information(this, QStringLiteral("Vídeo não Encontrado ou Cadastrado!"),
                                QStringLiteral("Informação de Vídeo"));
        m_cboVideo->setCurrentIndex(-1);
        m_cboVideo->clearEditText();
        clearDisplay();
        return false;
    }
    const store::RecordCursor& row = videos();
    m_txtCodigo->setText(row.text(QStringLiteral("Codigo")));
    m_txtGenero->setText(row.text(QStringLiteral("Genero")));
    m_txtQTDE->setText(row.text(QStringLiteral("QTDE")));
    m_txtLocal->setText(row.text(QStringLiteral("Local")));
    m_txtValor->setText(platform::moneyForDisplay(row.text(QStringLiteral("Valor"))));
    return true;
}
