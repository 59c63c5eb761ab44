#include "StoreError.h"

namespace store {

StoreError::StoreError(Kind kind, const QString& message)
    : std::runtime_error(message.toStdString()), m_kind(kind), m_message(message)
{
}

} // namespace store
