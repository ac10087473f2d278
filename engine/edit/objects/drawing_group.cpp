#include "engine/edit/objects/drawing_group.h"

#include <algorithm>

#include "engine/biff/le_bytes.h"

namespace tabrix::engine {
namespace {

constexpr uint16_t kDggContainer = 0xF000;
constexpr uint16_t kFdgg = 0xF006;
constexpr uint32_t kClusterIds = 1024;

size_t cluster_at(const DrawingGroup &group, uint32_t index) {
    return group.fdgg_at + 16 + size_t{index} * 8;
}

}  // namespace

std::optional<DrawingGroup> read_drawing_group(const RecordList &records) {
    DrawingGroup group;
    for (const Record &record : records.records()) {
        group.stream.insert(group.stream.end(), record.data.begin(), record.data.end());
    }
    const std::vector<uint8_t> &s = group.stream;
    if (s.size() < 32 || load_u16(s.data() + 2) != kDggContainer ||
        load_u32(s.data() + 4) > s.size() - 8 || load_u16(s.data() + 10) != kFdgg) {
        return std::nullopt;
    }
    group.fdgg_at = 16;
    const uint32_t length = load_u32(s.data() + 12);
    const uint32_t clusters = load_u32(s.data() + 20);
    if (clusters == 0 || length < 16 || (length - 16) / 8 != clusters - 1 ||
        length > s.size() - 16) {
        return std::nullopt;
    }
    group.clusters = clusters - 1;
    return group;
}

bool free_shape_ids(const DrawingGroup &group, uint16_t drawing_id,
                    const std::vector<uint32_t> &used, uint32_t last, size_t count,
                    std::vector<uint32_t> &out) {
    out.clear();
    std::vector<uint32_t> free;
    for (uint32_t c = 0; c < group.clusters; ++c) {
        if (load_u32(group.stream.data() + cluster_at(group, c)) != drawing_id) continue;
        const uint32_t base = (c + 1) * kClusterIds;
        for (uint32_t id = base; id < base + kClusterIds; ++id) {
            if (std::find(used.begin(), used.end(), id) == used.end()) free.push_back(id);
        }
    }
    // Ids above the drawing's last one first, so that no id is taken twice soon after.
    std::stable_partition(free.begin(), free.end(), [&](uint32_t id) { return id > last; });
    if (free.size() < count) return false;
    out.assign(free.begin(), free.begin() + static_cast<ptrdiff_t>(count));
    return true;
}

void count_shapes(DrawingGroup &group, const std::vector<uint32_t> &added, size_t removed) {
    uint8_t *fdgg = group.stream.data() + group.fdgg_at;
    for (const uint32_t id : added) {
        store_u32(fdgg, std::max(load_u32(fdgg), id));
        const uint32_t cluster = id / kClusterIds - 1;
        if (cluster < group.clusters) {
            uint8_t *used = group.stream.data() + cluster_at(group, cluster) + 4;
            store_u32(used, std::max(load_u32(used), id % kClusterIds + 1));
        }
    }
    const uint32_t saved = load_u32(fdgg + 8);
    store_u32(fdgg + 8,
              static_cast<uint32_t>(saved + added.size() - std::min<size_t>(saved, removed)));
}

void store_drawing_group(RecordList &records, const DrawingGroup &group) {
    size_t at = 0;
    for (Record &record : records.records()) {
        std::copy_n(group.stream.begin() + static_cast<ptrdiff_t>(at), record.data.size(),
                    record.data.begin());
        at += record.data.size();
    }
}

}  // namespace tabrix::engine
