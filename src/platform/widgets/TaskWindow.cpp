#include "TaskWindow.h"

#include "Fields.h"
#include "LeaveChecks.h"
#include "MessageBox.h"
#include "store/RecordCursor.h"
#include "store/StoreError.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

TaskWindow::TaskWindow(store::Database& db, const QString& title, QWidget* parent)
    : QWidget(parent, Qt::Window), m_db(db), m_checks(new LeaveChecks(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);
}

TaskWindow::~TaskWindow() = default;

namespace {

std::function<void(QWidget*)>& helpHandler()
{
    static std::function<void(QWidget*)> handler;
    return handler;
}

} // namespace

void TaskWindow::setHelpHandler(std::function<void(QWidget*)> handler)
{
    helpHandler() = std::move(handler);
}

bool TaskWindow::showHelp(QWidget* window)
{
    if (!helpHandler())
        return false;
    helpHandler()(window);
    return true;
}

void TaskWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier && showHelp(this))
        return;
    QWidget::keyPressEvent(event);
}

store::RecordCursor& TaskWindow::cursor(const QString& table)
{
    std::shared_ptr<store::RecordCursor>& slot = m_cursors[table];
    if (!slot)
        slot = std::make_shared<store::RecordCursor>(m_db, table);
    return *slot;
}

void TaskWindow::sayRequired(QWidget* field, const QString& name)
{
    MessageBox::information(this, QStringLiteral("Mensagem de Informação"),
                            QStringLiteral("O Campo:    ((%1))    não pode ter valor nulo").arg(name));
    field->setFocus();
}

bool TaskWindow::leaveKey(const std::function<bool()>& taken, const std::function<void()>& onTaken,
                          QWidget* next, const QString& newRowIn)
{
    bool isTaken = false;
    if (!guarded([&] {
            isTaken = taken();
            if (!isTaken && !newRowIn.isEmpty())
                cursor(newRowIn).addNew();
        }))
        return false;
    if (isTaken)
        onTaken();
    else
        next->setFocus();
    return true;
}

bool TaskWindow::askForAnother(const QString& question)
{
    if (MessageBox::question(this, QStringLiteral("Pergunta para Novo Cadastro"), question))
        return true;
    close();
    return false;
}

void TaskWindow::finishSetup()
{
    platform::installEnterMovesOn(this);
}

void TaskWindow::setTabOrderChain(std::initializer_list<QWidget*> order)
{
    QWidget* previous = nullptr;
    for (QWidget* w : order) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
}

bool TaskWindow::guarded(const std::function<void()>& work)
{
    try {
        work();
        return true;
    } catch (const store::StoreError& error) {
        // One step of the operator, one box: a window that meets the same
        // failure in several steps of its loading (lists, counts) says it once.
        if (error.message() == m_shownError)
            return false;
        m_shownError = error.message();
        MessageBox::warning(this, QString::fromUtf8(StoreErrorTitle), error.message());
        // Queued after the box: its own event loop must not end the step.
        QTimer::singleShot(0, this, [this] { m_shownError.clear(); });
        return false;
    }
}

QFont TaskWindow::formFont()
{
    QFont font;
    font.setPointSizeF(9.75);
    font.setBold(true);
    return font;
}

QLineEdit* TaskWindow::displayField(QWidget* parent, const char* name)
{
    QLineEdit* edit = platform::namedLineEdit(parent, name);
    edit->setEnabled(false);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Disabled, QPalette::Text, palette.color(QPalette::Active, QPalette::Text));
    edit->setPalette(palette);
    return edit;
}

QLabel* TaskWindow::labelFor(QWidget* field, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(field);
    platform::setAccessibleLabel(field, text);
    return label;
}
