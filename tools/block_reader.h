// The cells of a sheet, many at a time through XM_WalkCellsW, walked by a thread of their own
// a few blocks ahead of the caller: the library's walk and what the caller makes of the cells
// (cat's text) then share the time on two cores. Where no thread can be started, the caller's
// own thread walks each block when it asks for it.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>

#include "tabrix.h"

namespace tabrix::cli {

class BlockReader {
  public:
    // Cells and text units per block: any record fits.
    static constexpr int32_t kCells = 8192;
    static constexpr int32_t kTextUnits = 1 << 18;

    struct Block {
        const XLWALKCELL *cells = nullptr;
        int32_t count = 0;
        const char16_t *text = nullptr;  // the cells' texts, by their text and length
        int32_t next = 0;                // XM_WalkCellsW's result: above 1 a position
    };

    BlockReader() = default;
    BlockReader(const BlockReader &) = delete;
    BlockReader &operator=(const BlockReader &) = delete;
    ~BlockReader() { stop(); }

    // Starts the walk of `sheet` of `book`, a walk still running stopped first.
    void start(int32_t book, int32_t sheet);
    // The next block, valid until the next call; false after the last one (the sheet's end,
    // its drawing objects, or a refusal).
    bool next(Block &out);
    // Stops the walk; blocks not taken are dropped.
    void stop();

  private:
    static constexpr size_t kSlots = 3;
    struct Slot {
        std::unique_ptr<XLWALKCELL[]> cells;
        std::unique_ptr<char16_t[]> text;
        int32_t count = 0;
        int32_t next = 0;
        std::atomic<int32_t> full{0};  // 1 from the walk's filling to the caller's release
    };

    // Walks into the slots in turn, each once the caller has released it.
    void fill();
    // Walks one block into `slot`: false after the last one.
    bool walk_into(Slot &slot);
    void release();

    int32_t book_ = 0;
    int32_t sheet_ = 0;
    int32_t position_ = 0;  // where the walk goes on
    std::array<Slot, kSlots> slots_;
    std::atomic<int32_t> stopping_{0};
    std::thread thread_;
    bool threaded_ = false;
    size_t taken_ = 0;  // blocks handed to the caller
    bool holding_ = false;
    bool done_ = true;
};

}  // namespace tabrix::cli
