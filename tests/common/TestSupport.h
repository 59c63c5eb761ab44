#pragma once

#include "store/Database.h"

#include <QTemporaryDir>
#include <QWidget>
#include <functional>
#include <memory>

// A fresh program folder with a fresh data file, Brazilian formats and
// scripted message boxes; one per test function.
class Shop
{
public:
    Shop();
    ~Shop();

    QString folder() const { return m_dir.path(); }
    store::Database& db() { return *m_db; }

    // Rows of a table as column->text maps, in table order ("no value" is a
    // null QVariant, so tests can tell it from an empty text).
    QList<QHash<QString, QVariant>> rows(const QString& table);
    // The first row of table whose Codigo is codigo; empty when there is none.
    QHash<QString, QVariant> row(const QString& table, const QString& codigo);
    int count(const QString& table);
    // Runs SQL straight on the file, for setting up rows and odd states.
    void exec(const QString& sql, const QVariantList& values = {});
    // Runs action while another program holds the file for writing.
    void whileLocked(const std::function<void()>& action);

private:
    QTemporaryDir m_dir;
    std::unique_ptr<store::Database> m_db;
};

// The bytes of a file, empty when it cannot be read.
QByteArray bytesOf(const QString& path);

// Turns everything after the first page of a data file into rubbish: the
// file still opens, its rows no longer read.
void damagePages(const QString& path);

// While alive, no file of this process may grow past bytes: a write beyond
// fails with EFBIG, as a disk with that much room left would fail with ENOSPC.
// Needs no privilege and no mount.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    quint64 m_before = 0;
};

// Finds a named child or fails the test with the name.
template <typename T> T* child(QWidget* window, const char* name)
{
    T* w = window->findChild<T*>(QString::fromUtf8(name));
    if (!w)
        qFatal("no widget named %s", name);
    return w;
}

// Types text into the widget key by key, accented letters included (the
// test library's own keyClicks takes ASCII only).
void typeText(QWidget* widget, const QString& text);

// Puts text in place of what the field (or a combo's own line) holds, as
// the operator would: focus, everything selected, keys; an empty text
// deletes what was there.
void typeOver(QWidget* field, const QString& text);
// The same, then Enter.
void enterText(QWidget* field, const QString& text);

// Data rows (typed, code) of what a barcode scanner types: EAN-13, twenty
// digits, and a twenty-first digit the code field cuts.
void barcodeRows();

// Stores the shop's name, address and phone, the other settings at their
// defaults.
void storeShopHeading(store::Database& db, const QString& name, const QString& address, const QString& phone);

// Shows a window and makes it active so focus and keys behave as on screen.
void showAndFocus(QWidget* window);
