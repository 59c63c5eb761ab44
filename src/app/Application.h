#pragma once

#include <QApplication>

// The program's application object. A store failure that escapes an event
// handler is shown to the operator instead of ending the program with the
// shop's work in it; the handler's work is lost, the data file is not (every
// write is one statement or one transaction).
class Application final : public QApplication
{
public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};
