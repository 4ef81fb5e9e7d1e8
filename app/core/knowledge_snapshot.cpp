#include "app/core/knowledge_snapshot.h"

#include <atomic>

namespace wobbet {

std::shared_ptr<const KnowledgeBase> KnowledgeSnapshot::Take() {
    if (copy_ && current_) {
        return copy_;
    }
    current_ = false;
    // Only this object can hand the copy out again, so once it alone holds it no other thread
    // reads it, and it may be written over.
    if (copy_ && copy_.use_count() == 1) {
        // After every read made through the holders that have let go.
        std::atomic_thread_fence(std::memory_order_acquire);
        *copy_ = tables_;
    } else {
        // Those still reading the last copy keep it; it goes with the last of them.
        copy_.reset();
        copy_ = std::make_shared<KnowledgeBase>(tables_);
    }
    current_ = true;
    return copy_;
}

}  // namespace wobbet
