#include "WindowTest.h"

#include "app/Tasks.h"
#include "app/frmMenu.h"
#include "platform/print/LinePrinter.h"
#include "platform/widgets/MessageBox.h"

#include <QApplication>

namespace {

// Keeps the slip's lines after the print job that owns it is gone.
class KeepingPrinter : public RecordingLinePrinter
{
public:
    explicit KeepingPrinter(QStringList* sink) : m_sink(sink) {}
    bool endDocument() override
    {
        *m_sink = lines();
        return RecordingLinePrinter::endDocument();
    }

private:
    QStringList* m_sink;
};

} // namespace

WindowTest::WindowTest() = default;
WindowTest::~WindowTest() = default;

void WindowTest::init()
{
    shop = std::make_unique<Shop>();
    printerFails = false;
    printedLines.clear();
    platform::setLinePrinterFactory([this](QString*) {
        auto p = std::make_unique<KeepingPrinter>(&printedLines);
        if (printerFails)
            p->failWith(QStringLiteral("sem papel"));
        return std::unique_ptr<LinePrinter>(std::move(p));
    });
    stock();
    openAtInit();
}

void WindowTest::cleanup()
{
    delete form;
    m_menu.reset();
    // Windows closed during the test hold cursors until they are deleted.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    platform::setLinePrinterFactory({});
    shop.reset();
}

void WindowTest::showWindow(QWidget* window)
{
    delete form;
    form = window;
    showAndFocus(window);
}

frmMenu& WindowTest::openMenu()
{
    m_menu = std::make_unique<frmMenu>(shop->db());
    registerTasks(*m_menu);
    return *m_menu;
}

QWidget* WindowTest::focus()
{
    return QApplication::focusWidget();
}

QString WindowTest::lastMessage()
{
    return MessageBox::shown().isEmpty() ? QString() : MessageBox::shown().last().text;
}

int WindowTest::qtde(const QString& code)
{
    return shop->row(QStringLiteral("tblVideos"), code).value(QStringLiteral("QTDE"), -999).toInt();
}
