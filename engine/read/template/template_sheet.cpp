// A template sheet record by record: which family each record belongs to, and where the
// records kept as they are go in the sheet.
#include <iterator>
#include <utility>

#include "engine/biff/continued_text.h"
#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/read/template/template_parts.h"

namespace tabrix::engine {
namespace {

// BOUNDSHEET sheet types (high byte of the options) kept whole: their records are no
// worksheet's.
constexpr uint8_t kChartSheet = 0x02;
constexpr uint8_t kModuleSheet = 0x06;
constexpr uint16_t kVisibilityBits = 0x00FF;
// EXTERNSHEET (Excel 95): a sheet of this workbook, named after the length and mark bytes.
constexpr uint8_t kOwnSheetMark = 0x03;

bool kept_whole(const SheetEntry &entry) {
    const uint8_t type = static_cast<uint8_t>(entry.options >> 8);
    return type == kChartSheet || type == kModuleSheet;
}

// The stream as far as the sheet whose BOF is at `bof` may walk it: up to the next part that
// another sheet walked. Nothing when `bof` lies inside such a part.
std::span<const uint8_t> unwalked_stream(const TemplateLoad &load, size_t bof) {
    const std::span<const uint8_t> stream = load.reader.stream();
    const auto after = load.walked.upper_bound(bof);
    if (after != load.walked.begin() && std::prev(after)->second > bof) return {};
    return stream.first(after == load.walked.end() ? stream.size() : after->first);
}

// The records of a chart or module sheet, BOF to EOF. Nothing when the substream is cut
// short: the sheet then stays an empty worksheet.
std::optional<RecordList> whole_substream(std::span<const uint8_t> stream, size_t bof,
                                          size_t &end) {
    RecordReader first(stream, bof);
    RawRecord record;
    if (!first.next(record) || record.number != rec::kBof) return std::nullopt;
    RecordList records;
    records.append(record.number, record.data);
    SubstreamReader walk(stream, bof);
    size_t depth = 0;
    while (walk.next(record, depth)) records.append(record.number, record.data);
    end = walk.offset();
    if (!walk.complete()) return std::nullopt;
    records.append_empty(rec::kEof);
    return records;
}

std::vector<SharedFormula> shared_formulas(std::span<const uint8_t> stream, size_t bof) {
    std::vector<SharedFormula> shared;
    SubstreamReader walk(stream, bof);
    RawRecord record;
    size_t depth = 0;
    while (walk.next(record, depth)) {
        if (depth != 0 || record.number != rec::kShrFmla) continue;
        if (auto formula = read_shared_formula(record.data)) shared.push_back(std::move(*formula));
    }
    return shared;
}

// Excel 95: the sheet's EXTERNSHEET records name the sheets its formulas refer to, in record
// order. A record of another kind keeps its place with a name no sheet has.
void take_extern_sheet_name(const TemplateLoad &load, Sheet &sheet, const RawRecord &record) {
    std::u16string name;
    const auto data = record.data;
    if (data.size() >= 2 && data[1] == kOwnSheetMark && data[0] >= 1 &&
        data[0] - 1u <= data.size() - 2) {
        name = load.reader.decode_narrow(data.subspan(2, data[0] - 1u));
    }
    sheet.extern_sheet_names.push_back(std::move(name));
}

// Where a record kept as it is goes, or null when it is not one of those.
RecordList *carried_list(const TemplateLoad &load, Sheet &sheet, uint16_t number) {
    switch (number) {
        case rec::kCalcMode:
        case rec::kCalcCount:
        case rec::kRefMode:
        case rec::kIteration:
        case rec::kDelta:
        case rec::kSaveRecalc:
            return &sheet.carried.calculation;
        case rec::kProtect:
        case rec::kPassword:
        case rec::kObjProtect:
        case rec::kScenProtect:
        case rec::kScenMan:
        case rec::kScenario:
        case rec::kSort:
        case rec::kFilterMode:
        case rec::kAutoFilterInfo:
        case rec::kAutoFilter:
            return &sheet.carried.settings;
        case rec::kExternCount:
        case rec::kExternSheet:
        case rec::kExternName:
            // Excel 97 keeps its references in the globals only.
            return load.book.biff8() ? nullptr : &sheet.carried.references;
        case rec::kNote:
        case rec::kObj:
        case rec::kImData:
        case rec::kCoordList:
        case rec::kBitmap:
        case rec::kMsoDrawing:
        case rec::kMsoDrawingSelection:
        case rec::kTxo:
        // Pivot table views and data consolidation follow the objects and notes.
        case rec::kSxView:
        case rec::kSxVd:
        case rec::kSxVi:
        case rec::kSxVdEx:
        case rec::kSxIvd:
        case rec::kSxPi:
        case rec::kSxDi:
        case rec::kSxLi:
        case rec::kSxEx:
        case rec::kSxRule:
        case rec::kSxFilt:
        case rec::kSxDxf:
        case rec::kSxItm:
        case rec::kSxName:
        case rec::kSxSelect:
        case rec::kSxPair:
        case rec::kSxFmla:
        case rec::kSxFormat:
        case rec::kSxFormula:
        case rec::kQsiSxTag:
        case rec::kSxViewEx:
        case rec::kSxTh:
        case rec::kSxPiEx:
        case rec::kSxVdtEx:
        case rec::kSxViewEx9:
        case rec::kSxAddl:
        case rec::kContinueFrt:
        case rec::kDcon:
        case rec::kDconRef:
        case rec::kDconName:
        case rec::kDconBin:
            return &sheet.carried.objects;
        case rec::kLabelRanges:
        case rec::kHlink:
        case rec::kHlinkTooltip:
        case rec::kLhRecord:
        case rec::kCondFmt:
        case rec::kCf:
        case rec::kDval:
        case rec::kDv:
        case rec::kSheetExt:
        case rec::kFeatHdr:
        case rec::kFeat:
        case rec::kFeatHdr11:
        case rec::kFeat11:
            return &sheet.carried.trailer;
        default:
            return nullptr;
    }
}

class WorksheetPass {
  public:
    WorksheetPass(TemplateLoad &load, Sheet &sheet, std::vector<SharedFormula> shared,
                  SubstreamReader &walk)
        : state_{load, sheet, std::move(shared), {}, {}, {}}, walk_(walk) {
        for (size_t i = 0; i < state_.shared.size(); ++i) {
            const SharedFormula &formula = state_.shared[i];
            state_.shared_by_first_cell.emplace(
                uint32_t{formula.first_row} << 8 | formula.first_column, i);
        }
    }

    void take(const RawRecord &record, size_t depth) {
        if (depth > 0) {
            // An embedded chart's own substream goes with the objects that show it, once it
            // is whole: one cut short would leave its BOF open in the written sheet.
            store_held_formula(state_);
            nested_.append(record.number, record.data);
            continued_ = nullptr;
            if (record.number == rec::kEof && depth == 1) {
                std::vector<Record> &objects = state_.sheet.carried.objects.records();
                std::move(nested_.records().begin(), nested_.records().end(),
                          std::back_inserter(objects));
                nested_.clear();
            }
            return;
        }
        if (record.number == rec::kContinue) {
            if (continued_) continued_->append(record.number, record.data);
            return;
        }
        continued_ = take_record(record);
    }

    void finish() { store_held_formula(state_); }

  private:
    // The list the record went to, where CONTINUE records after it follow it.
    RecordList *take_record(const RawRecord &record) {
        Sheet &sheet = state_.sheet;
        switch (record.number) {
            case rec::kArray:
            case rec::kTable:
                attach_to_formula(state_, record, nullptr);
                return nullptr;
            case rec::kString: {
                ContinuedRecord continued;
                const bool long_text = walk_.take_continues(record, continued);
                attach_to_formula(state_, record, long_text ? &continued : nullptr);
                return nullptr;
            }
            case rec::kShrFmla:
                return nullptr;  // read in the first pass
            default:
                break;
        }
        store_held_formula(state_);
        switch (record.number) {
            case rec::kNumber:
            case rec::kBoolErr:
            case rec::kBlank:
            case rec::kRk:
            case rec::kMulRk:
            case rec::kMulBlank:
                load_value_cell(state_, record);
                return nullptr;
            case rec::kLabel:
            case rec::kRString: {
                ContinuedRecord continued;
                const bool long_text = walk_.take_continues(record, continued);
                load_string_cell(state_, record, long_text ? &continued : nullptr);
                return nullptr;
            }
            case rec::kLabelSst:
                load_string_cell(state_, record, nullptr);
                return nullptr;
            case rec::kFormula:
                load_formula(state_, record);
                return nullptr;
            case rec::kCodeName:
                sheet.carried.code_name =
                    Record{record.number, {record.data.begin(), record.data.end()}};
                return nullptr;
            default:
                break;
        }
        if (RecordList *list = carried_list(state_.load, sheet, record.number)) {
            if (record.number == rec::kExternSheet) {
                take_extern_sheet_name(state_.load, sheet, record);
            }
            list->append(record.number, record.data);
            return list;
        }
        const Workbook &book = state_.load.book;
        if (!load_row_column_record(book, sheet, record) &&
            !load_window_record(book, sheet, record)) {
            load_page_record(book.biff8(), sheet, record);
        }
        // Long printer settings go on in CONTINUE records.
        return record.number == rec::kPls ? &sheet.page.printer_settings : nullptr;
    }

    SheetLoad state_;
    SubstreamReader &walk_;
    RecordList nested_;  // the records of an embedded substream not yet ended
    RecordList *continued_ = nullptr;
};

}  // namespace

SubstreamReader::SubstreamReader(std::span<const uint8_t> stream, size_t offset)
    : records_(stream, offset) {
    RawRecord bof;
    done_ = !records_.next(bof) || bof.number != rec::kBof;
}

bool SubstreamReader::next(RawRecord &out, size_t &depth) {
    if (done_) return false;
    if (!records_.next(out) || out.data.size() > kMaxRecordData) {
        done_ = true;
        return false;
    }
    if (out.number == rec::kBof) {
        depth = ++depth_;
        return true;
    }
    depth = depth_;
    if (out.number == rec::kEof) {
        if (depth_ == 0) {
            done_ = complete_ = true;
            return false;
        }
        --depth_;
    }
    return true;
}

bool SubstreamReader::take_continues(const RawRecord &record, ContinuedRecord &out) {
    return !done_ && engine::take_continues(records_, record, out);
}

std::vector<uint8_t> record_image(uint16_t number, std::span<const uint8_t> data) {
    std::vector<uint8_t> image;
    image.reserve(4 + data.size());
    put_u16(image, number);
    put_u16(image, static_cast<uint16_t>(data.size()));
    image.insert(image.end(), data.begin(), data.end());
    return image;
}

void load_sheet(TemplateLoad &load, size_t index) {
    const SheetEntry &entry = load.reader.sheets()[index];
    Sheet &sheet = *load.book.sheets[index];
    sheet.options = entry.options & kVisibilityBits;
    const size_t bof = entry.bof_offset;
    const std::span<const uint8_t> stream = unwalked_stream(load, bof);
    size_t end = bof;
    if (kept_whole(entry)) {
        if (auto records = whole_substream(stream, bof, end)) {
            sheet.carried.substream = std::move(*records);
            sheet.options = entry.options;
        }
    } else {
        SubstreamReader walk(stream, bof);
        WorksheetPass pass(load, sheet, shared_formulas(stream, bof), walk);
        RawRecord record;
        size_t depth = 0;
        while (walk.next(record, depth)) pass.take(record, depth);
        pass.finish();
        end = walk.offset();
    }
    if (end > bof) load.walked.emplace(bof, end);
}

}  // namespace tabrix::engine
