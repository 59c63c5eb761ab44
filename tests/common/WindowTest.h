#pragma once

#include "TestSupport.h"

#include <QLineEdit>
#include <QPointer>
#include <QStringList>
#include <memory>

class frmMenu;

// The set-up every window test shares. Each test function gets a fresh shop
// (scripted message boxes, Brazilian formats), rental slips recorded instead
// of printed, and the window under test shown and focused on that shop.
// Everything goes in the right order afterwards: windows, then the store.
class WindowTest : public QObject
{
    Q_OBJECT

public:
    WindowTest();
    ~WindowTest() override;

protected:
    std::unique_ptr<Shop> shop;
    QPointer<QWidget> form;    // the window under test, once open
    QStringList printedLines;  // the last slip printed
    bool printerFails = false; // the next slip fails to print

    // Rows the shop needs before the window opens.
    virtual void stock() {}
    // Opens the window of the test class, where it opens for every test.
    virtual void openAtInit() {}

    // Opens a window of type W on the shop in place of the one open.
    template <typename W> W* open()
    {
        auto* window = new W(shop->db());
        showWindow(window);
        return window;
    }
    void showWindow(QWidget* window);
    // The main window on the shop, every task registered; gone before the shop.
    frmMenu& openMenu();

    template <typename T = QLineEdit> T* w(const char* name) { return child<T>(form, name); }
    static QWidget* focus();
    static QString lastMessage();
    // Copies of a video on the shelf; -999 for a video not on file, so that
    // no comparison passes by chance.
    int qtde(const QString& code);

private slots:
    void init();
    void cleanup();

private:
    std::unique_ptr<frmMenu> m_menu;
};

enum class Opening { AtInit, ByTest };

// A window test whose window is a Form, opened for every test function or
// by each test with open().
template <typename Form, Opening opening = Opening::AtInit> class WindowFixture : public WindowTest
{
protected:
    Form* open() { return WindowTest::open<Form>(); }
    void openAtInit() override
    {
        if constexpr (opening == Opening::AtInit)
            open();
    }
};
