#include "MessageBox.h"

#include <QPushButton>

namespace {

struct Script
{
    bool testMode = false;
    QList<QMessageBox::StandardButton> answers;
    QList<MessageBox::Shown> shown;
    std::function<void(const MessageBox::Shown&)> onShow;
};

Script& script()
{
    static Script s;
    return s;
}

QMessageBox::StandardButton ask(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                const QString& title, QMessageBox::StandardButtons buttons)
{
    Script& s = script();
    if (s.testMode) {
        const MessageBox::Shown shown{text, title, icon, buttons};
        s.shown.append(shown);
        if (s.onShow)
            s.onShow(shown);
        if (!(buttons & QMessageBox::Yes))
            return QMessageBox::Ok;
        if (s.answers.isEmpty()) {
            qWarning("MessageBox: no scripted answer for \"%s\"; answering No", qPrintable(text));
            return QMessageBox::No;
        }
        return s.answers.takeFirst();
    }

    QMessageBox box(icon, title, text, buttons, parent);
    // Portuguese captions whatever translation is loaded.
    if (QAbstractButton* ok = box.button(QMessageBox::Ok))
        ok->setText(QStringLiteral("OK"));
    if (QAbstractButton* yes = box.button(QMessageBox::Yes))
        yes->setText(QStringLiteral("&Sim"));
    if (QAbstractButton* no = box.button(QMessageBox::No))
        no->setText(QStringLiteral("&Não"));
    box.setWindowModality(Qt::ApplicationModal);
    return QMessageBox::StandardButton(box.exec());
}

} // namespace

void MessageBox::information(QWidget* parent, const QString& title, const QString& text)
{
    ask(parent, QMessageBox::Information, text, title, QMessageBox::Ok);
}

void MessageBox::warning(QWidget* parent, const QString& title, const QString& text)
{
    ask(parent, QMessageBox::Warning, text, title, QMessageBox::Ok);
}

bool MessageBox::question(QWidget* parent, const QString& title, const QString& text)
{
    return ask(parent, QMessageBox::Question, text, title, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void MessageBox::setTestMode(bool on)
{
    script().testMode = on;
}
bool MessageBox::testMode()
{
    return script().testMode;
}
void MessageBox::setNextAnswer(QMessageBox::StandardButton answer)
{
    script().answers.append(answer);
}
const QList<MessageBox::Shown>& MessageBox::shown()
{
    return script().shown;
}

void MessageBox::clearShown()
{
    script().shown.clear();
    script().answers.clear();
    script().onShow = nullptr;
}

void MessageBox::setOnShow(std::function<void(const Shown&)> hook)
{
    script().onShow = std::move(hook);
}
