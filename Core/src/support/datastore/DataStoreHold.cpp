#include "support/datastore/DataStoreHold.h"

#include <stdexcept>

namespace vt::datastore {

DataStoreHold::DataStoreHold(MutableDataStore *store) : store_(store) {
    if (store_ == nullptr)
        throw std::invalid_argument("pDataStore");
    ++store_->holdCount_;
}

DataStoreHold::~DataStoreHold() {
    try {
        release();
    } catch (...) {
    }
}

void DataStoreHold::release() {
    if (store_ == nullptr)
        return;
    MutableDataStore *store = store_;
    store_ = nullptr;
    --store->holdCount_;
    store->leave();
}

} // namespace vt::datastore
