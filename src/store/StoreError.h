#pragma once

#include <QString>
#include <stdexcept>

namespace store {

// A store failure, with a Portuguese message fit to show the operator as is.
class StoreError : public std::runtime_error
{
public:
    enum class Kind {
        CannotCreate,
        ReadOnly,
        Locked,
        DiskFull,
        Damaged,
        MissingTable,
        Duplicate,
        Unavailable,
        Other
    };

    StoreError(Kind kind, const QString& message);

    Kind kind() const { return m_kind; }
    QString message() const { return m_message; }

private:
    Kind m_kind;
    QString m_message;
};

} // namespace store
