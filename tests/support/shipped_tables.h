// The shipped tables in data/ loaded into tables, for tests of the layers
// that convert with them.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "locator.h"
#include "support/table_records.h"

namespace testing_support {

// The shipped table `Table` loaded from data/.
template <class Table>
Table shippedTable() {
  Table table;
  const std::string path = std::string(MORVEL_DATA_DIR) + "/" + Table::Traits::fileName;
  if (!morvel::loadTableFile(table, path)) ADD_FAILURE() << "cannot load " << path;
  return table;
}

}  // namespace testing_support
