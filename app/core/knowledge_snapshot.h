#pragma once

#include <memory>

#include "engine/knowledge_base.h"

namespace wobbet {

// Copies of the tables for work on other threads while the conversation goes on changing them:
// the background save and the Knowledge window's filter share one copy as long as the tables stay
// as they were, so that a million records are never held three times. A copy taken again once
// nobody else holds the last one is made over it, reusing its memory, which is much quicker than
// touching fresh pages.
class KnowledgeSnapshot {
public:
    // The tables must outlive this.
    explicit KnowledgeSnapshot(const KnowledgeBase& tables) : tables_(tables) {}
    KnowledgeSnapshot(const KnowledgeSnapshot&) = delete;
    KnowledgeSnapshot& operator=(const KnowledgeSnapshot&) = delete;

    const KnowledgeBase& Tables() const { return tables_; }
    // The tables as they are now, to read on any thread. Throws std::bad_alloc when there is no
    // room for a copy. Called on the tables' own thread, like Changed.
    std::shared_ptr<const KnowledgeBase> Take();
    // The tables changed: the next Take copies them again.
    void Changed() { current_ = false; }

private:
    const KnowledgeBase& tables_;
    std::shared_ptr<KnowledgeBase> copy_;
    // Whether copy_ still holds the tables as they are.
    bool current_ = false;
};

}  // namespace wobbet
