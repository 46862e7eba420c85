#include "support/datastore/DataStore.h"

namespace vt::datastore {

// Out of line so the table has one home.
DataStore::~DataStore() = default;

} // namespace vt::datastore
