// The workbook's drawing group (MSODRAWINGGROUP): the shape id clusters it gives each drawing
// and the shape counts readers compare with the drawings.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/biff/record_list.h"

namespace tabrix::engine {

struct DrawingGroup {
    std::vector<uint8_t> stream;  // the records' bodies back to back
    size_t fdgg_at = 0;           // FDGG body: last id, cluster count + 1, shapes, drawings
    uint32_t clusters = 0;
};

// The drawing group, or nothing when there is none or it cannot be walked.
std::optional<DrawingGroup> read_drawing_group(const RecordList &records);

// `count` shape ids unused in `used`, from the clusters given to drawing `drawing_id`, above
// `last` first; false when the clusters hold fewer free ids.
bool free_shape_ids(const DrawingGroup &group, uint16_t drawing_id,
                    const std::vector<uint32_t> &used, uint32_t last, size_t count,
                    std::vector<uint32_t> &out);

// Counts `added` ids as used (last id, the cluster's used count) and the saved shape count
// changed by added.size() - removed.
void count_shapes(DrawingGroup &group, const std::vector<uint32_t> &added, size_t removed);

// A cluster of ids for a new drawing, whose id is one above the highest a cluster names; the
// drawing count grows by one. False when no drawing id or cluster is left.
bool add_cluster(DrawingGroup &group, uint16_t &drawing_id, uint32_t &first_id);

// A drawing group without clusters, for a workbook that has none: what readers expect of one.
RecordList new_drawing_group();

// Writes the group's bytes back into its records: each keeps its size but the last, which takes
// the rest, spilling into CONTINUE records where it would be too long.
void store_drawing_group(RecordList &records, const DrawingGroup &group);

}  // namespace tabrix::engine
