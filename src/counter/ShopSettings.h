#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>

namespace store {
class Database;
}

namespace counter {

class KeptStatements;

// What the shop sets for itself, kept in the data file: how long each
// rental category may stay out, and the name, address and phone printed
// above its notes and reports.
struct ShopSettings
{
    static constexpr int Categories = 3;
    // The categories as the catalogue stores them, in the order shown.
    static const std::array<QString, Categories>& categories();
    static constexpr std::array<int, Categories> DefaultDueHours{24, 24, 48};
    static constexpr int MaxDueHours = 9999;

    std::array<int, Categories> dueHours = DefaultDueHours;
    QString shopName;
    QString shopAddress;
    QString shopPhone;

    // Hours a video of category may stay out; a category that is none of
    // the three (or none at all) gets the longest.
    int dueHoursFor(const QString& category) const;
    // The lines printed above the title of a note or report: none while
    // the shop has no name; else the name, then the address and the phone
    // when they are set.
    QStringList headingLines() const;
    // A due time as typed: whole hours from 1 to MaxDueHours.
    static std::optional<int> readDueHours(const QString& text);
};

// Reads and writes the shop's settings. Throws StoreError.
class SettingsStore final
{
public:
    explicit SettingsStore(store::Database& db);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // What is stored; a setting never stored, or stored unreadable, reads
    // as its default.
    ShopSettings read();
    // Stores every setting in one transaction.
    void write(const ShopSettings& settings);

private:
    std::unique_ptr<KeptStatements> m_statements;
};

} // namespace counter
