#include "engine/TransformState.h"

#include <cstddef>
#include <cstdlib>
#include <mutex>
#include <new>

#include "platform/os/VirtualMemory.h"

namespace SD {

static_assert(sizeof(TransformState) == 256, "a transform's record is four cache lines");

namespace {

// Records come from chunks that are never returned, so a record's address holds for as long as
// it is in use; a released record is kept for the next transform. Chunks grow by doubling to
// a large page, aligned to it and asked to be backed by one, so that a pass over many records
// does not miss in address translation every few of them.
class TransformStore {
public:
    TransformState* Acquire() {
        std::lock_guard<std::mutex> lock(mutex_);
        void* memory = nullptr;
        if (FreeRecord* record = freeList_) {
            freeList_ = record->next;
            memory = record;
        } else {
            if (used_ == chunkRecords_) {
                const std::size_t bytes = nextChunkBytes_;
                const bool large = bytes == kLargestChunkBytes;
                void* chunk = std::aligned_alloc(large ? kLargestChunkBytes : alignof(TransformState), bytes);
                if (!chunk) throw std::bad_alloc();
                if (large)
                    platform::AdviseLargePages(chunk, bytes);
                else
                    nextChunkBytes_ = bytes * 2;
                chunk_ = static_cast<TransformState*>(chunk);
                chunkRecords_ = bytes / sizeof(TransformState);
                used_ = 0;
            }
            memory = chunk_ + used_++;
        }
        return new (memory) TransformState;
    }

    void Release(TransformState* state) {
        state->~TransformState();
        std::lock_guard<std::mutex> lock(mutex_);
        freeList_ = new (state) FreeRecord{freeList_};
    }

private:
    static constexpr std::size_t kFirstChunkBytes = 64 * 1024;
    static constexpr std::size_t kLargestChunkBytes = 2 * 1024 * 1024;
    struct FreeRecord {
        FreeRecord* next;
    };

    std::mutex mutex_;
    FreeRecord* freeList_ = nullptr;
    TransformState* chunk_ = nullptr;
    std::size_t chunkRecords_ = 0;
    std::size_t used_ = 0;
    std::size_t nextChunkBytes_ = kFirstChunkBytes;
};

// Never destroyed: transforms may be deleted by other objects' exit-time destructors.
TransformStore& Store() {
    static TransformStore* store = new TransformStore;
    return *store;
}

}  // namespace

TransformState* TransformState::Acquire() { return Store().Acquire(); }

void TransformState::Release(TransformState* state) {
    if (state) Store().Release(state);
}

}  // namespace SD
