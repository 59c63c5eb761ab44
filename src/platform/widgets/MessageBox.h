#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

// Every message box of the program goes through here, so that the buttons
// speak Portuguese and tests can script the answers without a window.
class MessageBox
{
public:
    struct Shown
    {
        QString text;
        QString title;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
    };

    // Information icon, one "OK" button.
    static void information(QWidget* parent, const QString& title, const QString& text);
    // Warning icon, one "OK" button: store and printer failures.
    static void warning(QWidget* parent, const QString& title, const QString& text);
    // Question icon, "&Sim" and "&Não"; true for Sim.
    static bool question(QWidget* parent, const QString& title, const QString& text);

    // Test mode: no box appears; each box is recorded and answered from the
    // script (Yes/No for questions), or with No when the script is empty.
    static void setTestMode(bool on);
    static bool testMode();
    static void setNextAnswer(QMessageBox::StandardButton answer);
    static const QList<Shown>& shown();
    static void clearShown();
    // Called in test mode while the box is "open", before the answer is
    // returned; lets a test look at the screen at that moment.
    static void setOnShow(std::function<void(const Shown&)> hook);
};
