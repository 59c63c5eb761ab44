#include "frmSobre.h"

#include "AppInfo.h"
#include "platform/widgets/TaskWindow.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QLabel* boldLabel(const QString& text, qreal points, const char* name, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

frmSobre::frmSobre(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmSobre"));
    setWindowTitle(QStringLiteral("Sobre o Programa"));
    setFixedSize(500, 250);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);

    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Sunken);
    outer->addWidget(frame);

    auto* logo = new QLabel(frame);
    logo->setObjectName(QStringLiteral("imgLogo"));
    logo->setPixmap(app::logoPixmap(110, devicePixelRatioF()));
    logo->setFixedSize(110, 110);

    // Fixed texts: nothing here is computed.
    auto* texts = new QVBoxLayout;
    texts->setSpacing(6);
    texts->addStretch();
    texts->addWidget(boldLabel(QStringLiteral("Fenwarda de Vídeo"), 18, "lblProductName", frame));
    texts->addSpacing(8);
    texts->addWidget(boldLabel(QStringLiteral("Windows 95/98/ME/XP"), 15.75, "lblPlatform", frame));
    texts->addWidget(boldLabel(QStringLiteral("Versão: 1.0.0"), 12, "lblVersion", frame));
    texts->addStretch();

    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(20, 12, 20, 12);
    row->setSpacing(16);
    row->addWidget(logo, 0, Qt::AlignVCenter);
    row->addLayout(texts, 1);
}

void frmSobre::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier && TaskWindow::showHelp(this))
        return;
    QWidget::keyPressEvent(event);
}
