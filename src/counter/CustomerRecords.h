#pragma once

#include "RecordService.h"

namespace counter {

// The customer register's rules: the number and the CPF are each one
// customer's own, the CPF is optional (any number of customers go without
// one), and a customer is registered with number, RG, name and address.
class CustomerRecords final : public RecordService
{
public:
    explicit CustomerRecords(store::Database& db);
};

} // namespace counter
