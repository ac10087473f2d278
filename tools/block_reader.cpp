#include "block_reader.h"

#include <system_error>

namespace tabrix::cli {

void BlockReader::start(int32_t book, int32_t sheet) {
    stop();
    book_ = book;
    sheet_ = sheet;
    position_ = 0;
    taken_ = 0;
    holding_ = false;
    done_ = false;
    for (Slot &slot : slots_) {
        // Left uninitialised: the walk writes what the caller reads.
        if (!slot.cells) slot.cells = std::make_unique_for_overwrite<XLWALKCELL[]>(kCells);
        if (!slot.text) slot.text = std::make_unique_for_overwrite<char16_t[]>(kTextUnits);
        slot.full.store(0, std::memory_order_relaxed);
    }
    stopping_.store(0, std::memory_order_relaxed);
    try {
        thread_ = std::thread([this] { fill(); });
        threaded_ = true;
    } catch (const std::system_error &) {
        threaded_ = false;
    }
}

bool BlockReader::walk_into(Slot &slot) {
    slot.count = 0;
    slot.next = XM_WalkCellsW(book_, sheet_, position_, slot.cells.get(), kCells, slot.text.get(),
                              kTextUnits, &slot.count);
    position_ = slot.next;
    return slot.next > 1;
}

void BlockReader::fill() {
    for (size_t n = 0;; ++n) {
        Slot &slot = slots_[n % kSlots];
        slot.full.wait(1, std::memory_order_acquire);
        if (stopping_.load(std::memory_order_acquire)) return;
        const bool more = walk_into(slot);
        slot.full.store(1, std::memory_order_release);
        slot.full.notify_one();
        if (!more) return;
    }
}

bool BlockReader::next(Block &out) {
    release();
    if (done_) return false;
    Slot &slot = slots_[taken_ % kSlots];
    if (threaded_) {
        slot.full.wait(0, std::memory_order_acquire);
    } else {
        walk_into(slot);
    }
    holding_ = true;
    out = Block{slot.cells.get(), slot.count, slot.text.get(), slot.next};
    done_ = slot.next <= 1;
    return true;
}

void BlockReader::release() {
    if (!holding_) return;
    holding_ = false;
    Slot &slot = slots_[taken_++ % kSlots];
    slot.full.store(0, std::memory_order_release);
    slot.full.notify_one();
}

void BlockReader::stop() {
    holding_ = false;
    done_ = true;
    if (!threaded_) return;
    // The walk waits for a slot to be released, or ends at its next one.
    stopping_.store(1, std::memory_order_release);
    for (Slot &slot : slots_) {
        slot.full.store(0, std::memory_order_release);
        slot.full.notify_one();
    }
    thread_.join();
    threaded_ = false;
}

}  // namespace tabrix::cli
