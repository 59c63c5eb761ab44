#include "Application.h"

#include "platform/widgets/MessageBox.h"
#include "platform/widgets/TaskWindow.h"
#include "store/StoreError.h"

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const store::StoreError& error) {
        MessageBox::warning(activeWindow(), QString::fromUtf8(TaskWindow::StoreErrorTitle), error.message());
    } catch (const std::exception& error) {
        MessageBox::warning(activeWindow(), QStringLiteral("Fenwarda de Vídeo"),
                            QStringLiteral("Ocorreu um erro inesperado:\n%1\nA operação não foi concluída.")
                                .arg(QString::fromLocal8Bit(error.what())));
    }
    return false;
}
