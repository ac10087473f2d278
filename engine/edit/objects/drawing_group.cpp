#include "engine/edit/objects/drawing_group.h"

#include <algorithm>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/biff/record_reader.h"
#include "engine/edit/objects/drawing.h"

namespace tabrix::engine {
namespace {

constexpr uint16_t kDggContainer = 0xF000;
constexpr uint16_t kFdgg = 0xF006;
constexpr uint16_t kOpt = 0xF00B;
constexpr uint16_t kSplitMenuColors = 0xF11E;
constexpr uint32_t kClusterIds = 1024;
// Drawing ids are the 12-bit instance of a drawing's FDG; shape ids stay below 0x03FFD800.
constexpr uint32_t kLastDrawingId = 0xFFF;
constexpr uint32_t kMostClusters = 0x03FFD800 / kClusterIds - 2;

void add_u32(uint8_t *at, uint32_t delta) {
    store_u32(at, load_u32(at) + delta);
}

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

bool add_cluster(DrawingGroup &group, uint16_t &drawing_id, uint32_t &first_id) {
    uint32_t highest = 0;
    for (uint32_t c = 0; c < group.clusters; ++c) {
        highest = std::max(highest, load_u32(group.stream.data() + cluster_at(group, c)));
    }
    if (highest >= kLastDrawingId || group.clusters >= kMostClusters) return false;
    drawing_id = static_cast<uint16_t>(highest + 1);
    first_id = (group.clusters + 1) * kClusterIds;
    std::vector<uint8_t> cluster;
    put_u32(cluster, drawing_id);
    put_u32(cluster, 0);  // no id used yet: count_shapes counts them
    group.stream.insert(
        group.stream.begin() + static_cast<ptrdiff_t>(cluster_at(group, group.clusters)),
        cluster.begin(), cluster.end());
    add_u32(group.stream.data() + 4, 8);                   // the DggContainer's length
    add_u32(group.stream.data() + group.fdgg_at - 4, 8);   // the FDGG's
    add_u32(group.stream.data() + group.fdgg_at + 4, 1);   // clusters + 1
    add_u32(group.stream.data() + group.fdgg_at + 12, 1);  // drawings
    ++group.clusters;
    return true;
}

RecordList new_drawing_group() {
    std::vector<uint8_t> body;
    put_drawing_header(body, 0x0000, kFdgg, 16);
    for (const uint32_t field : {0u, 1u, 0u, 0u}) put_u32(body, field);  // no cluster yet
    // The default shape properties (text fitted to its box, fill and line colours) and the
    // split menu colours, as readers find them in every workbook with a drawing.
    put_drawing_header(body, 0x0033, kOpt, 18);
    for (const auto &[property, value] : {std::pair<uint16_t, uint32_t>{0x00BF, 0x00080008},
                                          {0x0181, 0x08000009},
                                          {0x01C0, 0x08000040}}) {
        put_u16(body, property);
        put_u32(body, value);
    }
    put_drawing_header(body, 0x0040, kSplitMenuColors, 16);
    for (const uint32_t colour : {0x0800000Du, 0x0800000Cu, 0x08000017u, 0x100000F7u}) {
        put_u32(body, colour);
    }
    std::vector<uint8_t> stream;
    put_drawing_header(stream, 0x000F, kDggContainer, static_cast<uint32_t>(body.size()));
    stream.insert(stream.end(), body.begin(), body.end());
    RecordList out;
    out.append(rec::kMsoDrawingGroup, std::move(stream));
    return out;
}

void store_drawing_group(RecordList &records, const DrawingGroup &group) {
    std::vector<Record> &list = records.records();
    const std::vector<uint8_t> &s = group.stream;
    size_t at = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        const size_t rest = s.size() - at;
        const size_t size = i + 1 < list.size() ? std::min(list[i].data.size(), rest) : rest;
        list[i].data.assign(s.begin() + static_cast<ptrdiff_t>(at),
                            s.begin() + static_cast<ptrdiff_t>(at + size));
        at += size;
    }
    while (!list.empty() && list.back().data.size() > kMaxRecordData) {
        std::vector<uint8_t> &last = list.back().data;
        std::vector<uint8_t> spill(last.begin() + kMaxRecordData, last.end());
        last.resize(kMaxRecordData);
        list.push_back(Record{rec::kContinue, std::move(spill)});
    }
}

}  // namespace tabrix::engine
