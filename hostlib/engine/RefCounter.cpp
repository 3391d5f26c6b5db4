#include "host/RefCounter.h"

RefCounter::~RefCounter() = default;

void RefCounter::Release() const {
    if (m_ref_count.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        delete this;
    }
}
