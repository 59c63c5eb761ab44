#include "frmAbertura.h"

#include "AppInfo.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QFont arialBold(qreal points)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

} // namespace

frmAbertura::frmAbertura(QWidget* parent)
    // A plain frameless window rather than Qt::SplashScreen: some window
    // managers never give splash-type windows the keyboard focus, and a key
    // press must end the splash.
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmAbertura"));
    setWindowTitle(QString());
    setFixedSize(480, 273);
    setFocusPolicy(Qt::StrongFocus);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);

    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("Frame1"));
    m_frame->setFrameShape(QFrame::Box);
    m_frame->setFrameShadow(QFrame::Raised);
    m_frame->setLineWidth(2);
    m_frame->setAutoFillBackground(true);
    {
        QPalette pal = m_frame->palette();
        pal.setColor(QPalette::Window, QColor(0xf7, 0xf3, 0xe8));
        pal.setColor(QPalette::WindowText, QColor(0x1f, 0x2a, 0x44));
        m_frame->setPalette(pal);
    }
    m_frame->installEventFilter(this);
    outer->addWidget(m_frame);

    m_logo = new QLabel(m_frame);
    m_logo->setObjectName(QStringLiteral("imgLogo"));
    m_logo->setPixmap(app::logoPixmap(100, devicePixelRatioF()));
    m_logo->setFixedSize(100, 100);

    m_productName = new QLabel(m_frame);
    m_productName->setObjectName(QStringLiteral("lblProductName"));
    m_productName->setFont(arialBold(24));
    m_productName->setAlignment(Qt::AlignCenter);

    m_platform = new QLabel(QStringLiteral("Windows 95/98/ME/XP"), m_frame);
    m_platform->setObjectName(QStringLiteral("lblPlatform"));
    m_platform->setFont(arialBold(12));
    m_platform->setAlignment(Qt::AlignCenter);

    m_version = new QLabel(m_frame);
    m_version->setObjectName(QStringLiteral("lblVersion"));
    m_version->setFont(arialBold(12));
    m_version->setAlignment(Qt::AlignCenter);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(6);
    texts->addStretch();
    texts->addWidget(m_productName);
    texts->addSpacing(10);
    texts->addWidget(m_platform);
    texts->addWidget(m_version);
    texts->addStretch();

    auto* row = new QHBoxLayout(m_frame);
    row->setContentsMargins(20, 16, 16, 16);
    row->setSpacing(12);
    row->addWidget(m_logo, 0, Qt::AlignVCenter);
    row->addLayout(texts, 1);

    // What the window does at load.
    m_productName->setText(app::applicationTitle());
    m_version->setText(app::splashVersionText());

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setSingleShot(true);
    // A coarse timer may fire 5% early: the splash would end at 2.85 s.
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(SplashMilliseconds);
    connect(m_timer, &QTimer::timeout, this, &frmAbertura::finish);
    m_timer->start();

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void frmAbertura::finish()
{
    if (m_finished)
        return;
    if (m_held) {
        m_due = true;
        m_timer->stop();
        return;
    }
    m_finished = true;
    m_timer->stop();
    close();
    emit finished();
}

void frmAbertura::hold()
{
    m_held = true;
}

void frmAbertura::release()
{
    if (!m_held)
        return;
    m_held = false;
    if (m_due)
        finish();
}

bool frmAbertura::eventFilter(QObject* watched, QEvent* event)
{
    // A click is a press and a release on the frame (the labels pass their
    // mouse events on to it).
    if (watched == m_frame) {
        if (event->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            // Queued, so that listeners run after this frame reaches the screen.
            QMetaObject::invokeMethod(this, &frmAbertura::firstPainted, Qt::QueuedConnection);
        } else if (event->type() == QEvent::MouseButtonPress) {
            m_pressedOnFrame = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (m_pressedOnFrame && mouse->button() == Qt::LeftButton &&
                m_frame->rect().contains(mouse->position().toPoint()))
                finish();
            m_pressedOnFrame = false;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmAbertura::keyPressEvent(QKeyEvent* event)
{
    // Only keys that produce a character count; Shift, arrows and function
    // keys alone do not. Enter and Escape carry a control character.
    // Delete carries DEL on X11, yet types nothing.
    const int key = event->key();
    const bool character = (!event->text().isEmpty() && key != Qt::Key_Delete) || key == Qt::Key_Return ||
                           key == Qt::Key_Enter || key == Qt::Key_Escape || key == Qt::Key_Backspace;
    if (character) {
        event->accept();
        finish();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmAbertura::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    activateWindow();
    setFocus(Qt::OtherFocusReason);
}

void frmAbertura::closeEvent(QCloseEvent* event)
{
    // Closed from outside (window manager): the program goes on all the same.
    QWidget::closeEvent(event);
    if (!m_finished) {
        m_finished = true;
        m_timer->stop();
        emit finished();
    }
}
