// A sheet's drawing built by hand: a comment's shape split over MSODRAWING records with its
// OBJ, TXO and text between them. Drawings cut short or with lengths that overrun are refused,
// row and column calls then change nothing; a comment that goes takes every record of it.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/biff/record_reader.h"
#include "engine/edit/objects/drawing.h"
#include "engine/edit/objects/drawing_group.h"
#include "engine/lifecycle/workbook_table.h"
#include "tabrix.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes atom(uint16_t ver_inst, uint16_t type, const Bytes &body) {
    Bytes out;
    put_u16(out, ver_inst);
    put_u16(out, type);
    put_u32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes &part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes u32s(std::initializer_list<uint32_t> values) {
    Bytes out;
    for (const uint32_t value : values) put_u32(out, value);
    return out;
}

// The comment of B3 (row 2, column 1), object 1, shape 1025, its box over C2:D5.
struct Drawing {
    Bytes head;  // up to the shape's client data
    Bytes textbox;

    Drawing() {
        Bytes anchor;
        for (const uint16_t field : {2, 2, 0, 1, 0, 3, 0, 4, 0}) put_u16(anchor, field);
        const Bytes shape_start = join({atom(0x0CA2, 0xF00A, u32s({1025, 0xA00})),
                                        atom(0x0000, 0xF010, anchor), atom(0x0000, 0xF011, {})});
        textbox = atom(0x0000, 0xF00D, {});
        const Bytes patriarch =
            atom(0x000F, 0xF004,
                 join({atom(0x0001, 0xF009, Bytes(16)), atom(0x0002, 0xF00A, u32s({1024, 5}))}));
        Bytes shape = shape_start;
        shape.insert(shape.end(), textbox.begin(), textbox.end());
        const Bytes group_body = join({patriarch, atom(0x000F, 0xF004, shape)});
        Bytes group = atom(0x000F, 0xF003, group_body);
        const Bytes dg_body = join({atom(0x0010, 0xF008, u32s({2, 1025})), group});
        head = atom(0x000F, 0xF002, dg_body);
        head.resize(head.size() - textbox.size());
    }
};

class DrawingWalkerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        h_ = XM_Create97(folder_.file("notes.xls").c_str(), 2);
        ASSERT_GE(h_, 0);
        Workbook &book = *workbook_at(h_);
        book.drawing_group.append(
            rec::kMsoDrawingGroup,
            atom(0x000F, 0xF000, atom(0x0000, 0xF006, u32s({1026, 2, 2, 1, 1, 2}))));
        set_objects(drawing_.head, drawing_.textbox);
    }
    void TearDown() override { XM_Cancel(h_); }

    RecordList &objects(size_t sheet = 0) {
        return workbook_at(h_)->sheets[sheet]->carried.objects;
    }
    RecordList &group() { return workbook_at(h_)->drawing_group; }

    void set_objects(const Bytes &head, const Bytes &textbox) {
        RecordList &list = objects();
        list.clear();
        list.append(rec::kMsoDrawing, head);
        Bytes obj = {0x15, 0, 0x12, 0, 0x19, 0, 1, 0};
        obj.resize(26);
        list.append(rec::kObj, obj);
        list.append(rec::kMsoDrawing, textbox);
        list.append(rec::kTxo, Bytes(18));
        list.append(rec::kContinue, Bytes{0, 'h', 'i'});
        list.append(rec::kContinue, Bytes(16));
        list.append(rec::kNote, Bytes{2, 0, 1, 0, 0, 0, 1, 0, 1, 0, 0, 'x', 0});
    }

    TempFolder folder_;
    Drawing drawing_;
    int32_t h_ = -1;
};

TEST_F(DrawingWalkerTest, FindsTheCommentShapeAndItsRecords) {
    const std::optional<SheetDrawing> drawing = read_drawing(objects());
    ASSERT_TRUE(drawing);
    ASSERT_EQ(drawing->shapes.size(), 2u);
    const DrawingShape &shape = drawing->shapes[1];
    EXPECT_EQ(shape.id, 1025u);
    EXPECT_EQ(shape.object_type, kCommentObject);
    EXPECT_EQ(shape.object_id, 1);
    EXPECT_EQ(shape.first_record, 0u);
    EXPECT_EQ(shape.end_record, 6u);  // the NOTE is not one of its records
    EXPECT_EQ(shape.end, drawing->stream.size());
}

TEST_F(DrawingWalkerTest, RefusesDrawingsCutShortOrOverrun) {
    Bytes short_box = drawing_.textbox;
    short_box.pop_back();
    Bytes overrun = drawing_.head;
    store_u32(overrun.data() + 4, load_u32(overrun.data() + 4) + 1);
    Bytes inner_overrun = drawing_.head;
    store_u32(inner_overrun.data() + 8 + 16 + 4, 0xFFFFFFF0u);  // the group's length
    Bytes stray = drawing_.textbox;
    stray.push_back(0);
    for (const auto &[head, box] :
         {std::pair{drawing_.head, short_box}, std::pair{overrun, drawing_.textbox},
          std::pair{inner_overrun, drawing_.textbox}, std::pair{drawing_.head, stray},
          std::pair{Bytes(drawing_.head.begin(), drawing_.head.begin() + 6), Bytes{}}}) {
        set_objects(head, box);
        EXPECT_FALSE(read_drawing(objects()));
        const std::vector<Record> before = objects().records();
        EXPECT_EQ(XM_RowInsert(h_, 0, 0, 1), -4);
        EXPECT_EQ(XM_ColumnDelete(h_, 0, 0, 1), -4);
        ASSERT_EQ(objects().records().size(), before.size());
        for (size_t i = 0; i < before.size(); ++i) {
            EXPECT_EQ(objects().records()[i].data, before[i].data);
        }
    }
}

TEST_F(DrawingWalkerTest, DeletedCellTakesItsCommentAndTheCountsFollow) {
    ASSERT_EQ(XM_RowDelete(h_, 0, 2, 1), 0);
    const std::optional<SheetDrawing> drawing = read_drawing(objects());
    ASSERT_TRUE(drawing);  // lengths fixed: it walks again
    ASSERT_EQ(objects().records().size(), 1u);
    EXPECT_EQ(drawing->shapes.size(), 1u);
    EXPECT_EQ(load_u32(drawing->stream.data() + drawing->fdg_at), 1u);
    const Bytes &group = workbook_at(h_)->drawing_group.records()[0].data;
    EXPECT_EQ(load_u32(group.data() + 24), 1u);  // shapes saved
}

TEST_F(DrawingWalkerTest, PasteWithoutFreeShapeIdIsRefused) {
    Bytes &group = workbook_at(h_)->drawing_group.records()[0].data;
    store_u32(group.data() + 32, 7);  // the only cluster belongs to another drawing
    const std::vector<Record> before = objects().records();
    EXPECT_EQ(XM_BlockCopy(h_, 0, 1, 2, 1, 1, 5, 5), -4);
    EXPECT_EQ(objects().records().size(), before.size());
    store_u32(group.data() + 32, 1);
    ASSERT_EQ(XM_BlockCopy(h_, 0, 1, 2, 1, 1, 5, 5), 0);
    const std::optional<SheetDrawing> drawing = read_drawing(objects());
    ASSERT_TRUE(drawing);
    ASSERT_EQ(drawing->shapes.size(), 3u);
    EXPECT_EQ(drawing->shapes[2].id, 1026u);
    EXPECT_EQ(drawing->shapes[2].object_id, 2);
    EXPECT_EQ(load_u16(drawing->stream.data() + *drawing->shapes[2].anchor_at + 6), 4);  // row
}

// A workbook made here has no drawing group: a paste into a sheet without a drawing makes both,
// and a second paste adds to that drawing.
TEST_F(DrawingWalkerTest, PasteIntoSheetWithoutDrawingMakesItAndTheGroup) {
    group().clear();
    ASSERT_EQ(XM_RowCopyEx(h_, 0, 2, 1, 1, 4), 0);
    ASSERT_EQ(XM_RowCopyEx(h_, 0, 2, 1, 1, 9), 0);
    const std::optional<SheetDrawing> drawing = read_drawing(objects(1));
    ASSERT_TRUE(drawing && drawing->present);
    EXPECT_EQ(drawing->drawing_id, 1);
    ASSERT_EQ(drawing->shapes.size(), 3u);  // one group: the second paste found it
    EXPECT_EQ(drawing->shapes[0].id, 1024u);
    EXPECT_EQ(drawing->shapes[2].id, 1026u);
    EXPECT_EQ(drawing->shapes[2].object_type, kCommentObject);
    EXPECT_EQ(load_u16(drawing->stream.data() + *drawing->shapes[2].anchor_at + 6), 8);  // row
    EXPECT_EQ(load_u32(drawing->stream.data() + drawing->fdg_at), 3u);
    const std::optional<DrawingGroup> made = read_drawing_group(group());
    ASSERT_TRUE(made);
    EXPECT_EQ(made->clusters, 1u);
    // Last id, clusters + 1, shapes and drawings saved, then the cluster: drawing, ids used.
    const uint8_t *fdgg = made->stream.data() + made->fdgg_at;
    EXPECT_EQ(u32s({1026, 2, 3, 1, 1, 3}), Bytes(fdgg, fdgg + 24));
    std::vector<uint16_t> note_rows;
    for (const Record &record : objects(1).records()) {
        if (record.number == rec::kNote) note_rows.push_back(load_u16(record.data.data()));
    }
    EXPECT_EQ(note_rows, (std::vector<uint16_t>{4, 9}));
}

TEST_F(DrawingWalkerTest, GroupThatCannotBeWalkedRefusesTheDrawing) {
    group().records()[0].data.resize(20);
    const RecordList before = group();
    EXPECT_EQ(XM_RowCopyEx(h_, 0, 2, 1, 1, 4), -4);
    EXPECT_TRUE(objects(1).empty());
    EXPECT_EQ(group().records()[0].data, before.records()[0].data);
}

// The new cluster does not fit the record that holds it: the rest goes on in a CONTINUE.
TEST_F(DrawingWalkerTest, GrownGroupSpillsIntoContinue) {
    const Bytes fdgg = atom(0x0000, 0xF006, u32s({1026, 2, 2, 1, 1, 2}));
    const Bytes filler = atom(0x0000, 0xF11E, Bytes(kMaxRecordData - 8 - fdgg.size() - 8));
    group().records()[0].data = atom(0x000F, 0xF000, join({fdgg, filler}));
    ASSERT_EQ(XM_RowCopyEx(h_, 0, 2, 1, 1, 4), 0);
    ASSERT_EQ(group().records().size(), 2u);
    EXPECT_EQ(group().records()[0].data.size(), kMaxRecordData);
    EXPECT_EQ(group().records()[1].number, rec::kContinue);
    const std::optional<DrawingGroup> grown = read_drawing_group(group());
    ASSERT_TRUE(grown);
    EXPECT_EQ(grown->clusters, 2u);
    EXPECT_EQ(load_u32(grown->stream.data() + 4), grown->stream.size() - 8);
}

}  // namespace
}  // namespace tabrix::engine::test
