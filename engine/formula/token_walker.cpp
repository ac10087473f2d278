#include "engine/formula/token_walker.h"

#include "engine/biff/errors.h"
#include "engine/biff/le_bytes.h"
#include "engine/formula/formula_scanner.h"

namespace tabrix::engine {
namespace {

// A token as measured: its kind and the bytes it takes, code included.
struct Measured {
    TokenKind kind = TokenKind::kOperator;
    uint8_t base = 0;
    OperandClass operand_class = OperandClass::kNone;
    size_t size = 0;
    uint16_t subexpression = 0;
};

OperandClass class_of(uint8_t code) {
    if (code < 0x20) return OperandClass::kNone;
    if (code < 0x40) return OperandClass::kReference;
    return code < 0x60 ? OperandClass::kValue : OperandClass::kArray;
}

// The token at `offset`; false when it is unknown or does not fit in the expression.
bool measure(std::span<const uint8_t> expression, size_t offset, bool biff8, Measured *out) {
    const size_t left = expression.size() - offset;  // at least the code
    const uint8_t *p = expression.data() + offset;
    const uint8_t code = p[0];
    if (code >= 0x80) return false;
    const uint8_t base = code >= 0x60 ? code - 0x40 : code >= 0x40 ? code - 0x20 : code;
    Measured m;
    m.base = base;
    m.operand_class = class_of(code);
    size_t payload = 0;
    switch (base) {
        case ptg::kExp:
        case ptg::kTbl:
            m.kind = TokenKind::kShared;
            payload = 4;
            break;
        case ptg::kAdd:
        case ptg::kSub:
        case ptg::kMul:
        case ptg::kDiv:
        case ptg::kPower:
        case ptg::kConcat:
        case ptg::kLT:
        case ptg::kLE:
        case ptg::kEQ:
        case ptg::kGE:
        case ptg::kGT:
        case ptg::kNE:
        case 0x0F:  // ptgIsect
        case 0x10:  // ptgUnion
        case 0x11:  // ptgRange
        case ptg::kUplus:
        case ptg::kUminus:
        case ptg::kPercent:
        case ptg::kParen:
        case ptg::kMissArg:
            m.kind = TokenKind::kOperator;
            break;
        case ptg::kStr: {
            m.kind = TokenKind::kConstant;
            // BIFF5: length and narrow bytes; BIFF8: count, option byte (bit 0: UTF-16) and
            // characters. Other option bits would add runs this token never carries.
            if (left < (biff8 ? 3u : 2u)) return false;
            const size_t count = p[1];
            if (!biff8) {
                payload = 1 + count;
            } else {
                if ((p[2] & ~0x01) != 0) return false;
                payload = 2 + count * ((p[2] & 0x01) != 0 ? 2 : 1);
            }
            break;
        }
        case ptg::kAttr: {
            m.kind = TokenKind::kAttribute;
            if (left < 4) return false;
            payload = 3;
            if ((p[1] & kAttrChoose) != 0) payload += 2 * (size_t{load_u16(p + 2)} + 1);
            break;
        }
        case ptg::kErr:
        case ptg::kBool:
            m.kind = TokenKind::kConstant;
            payload = 1;
            break;
        case ptg::kInt:
            m.kind = TokenKind::kConstant;
            payload = 2;
            break;
        case ptg::kNum:
            m.kind = TokenKind::kConstant;
            payload = 8;
            break;
        case ptg::kArray:
            m.kind = TokenKind::kArray;
            payload = 7;
            break;
        case ptg::kFunc:
            m.kind = TokenKind::kFunction;
            payload = 2;
            break;
        case ptg::kFuncVar:
            m.kind = TokenKind::kFunction;
            payload = 3;
            break;
        case ptg::kName:
            m.kind = TokenKind::kName;
            payload = biff8 ? 4 : 14;
            break;
        case ptg::kNameX:
            m.kind = TokenKind::kName;
            payload = biff8 ? 6 : 24;
            break;
        case ptg::kRef:
        case ptg::kRefErr:
        case ptg::kRefN:
            m.kind = TokenKind::kCell;
            payload = biff8 ? 4 : 3;
            break;
        case ptg::kArea:
        case ptg::kAreaErr:
        case ptg::kAreaN:
            m.kind = TokenKind::kArea;
            payload = biff8 ? 8 : 6;
            break;
        case ptg::kRef3d:
        case ptg::kRefErr3d:
            m.kind = TokenKind::kCell3d;
            payload = biff8 ? 6 : 17;
            break;
        case ptg::kArea3d:
        case ptg::kAreaErr3d:
            m.kind = TokenKind::kArea3d;
            payload = biff8 ? 10 : 20;
            break;
        case ptg::kMemArea:
        case ptg::kMemErr:
        case ptg::kMemNoMem:
            // Four reserved bytes, then the subexpression's length.
            m.kind = TokenKind::kMemory;
            payload = 6;
            if (left < 1 + payload) return false;
            m.subexpression = load_u16(p + 5);
            break;
        case ptg::kMemFunc:
        case ptg::kMemAreaN:
        case ptg::kMemNoMemN:
            m.kind = TokenKind::kMemory;
            payload = 2;
            if (left < 1 + payload) return false;
            m.subexpression = load_u16(p + 1);
            break;
        default:  // 0x00, 0x18, 0x1A, 0x1B, 0x30-0x38, 0x3E, 0x3F: no size to go by
            return false;
    }
    m.size = 1 + payload;
    if (m.size > left || m.subexpression > left - m.size) return false;
    *out = m;
    return true;
}

int dispatch(TokenVisitor &visitor, WalkedToken &token) {
    switch (token.kind) {
        case TokenKind::kShared:
            return visitor.on_shared(token);
        case TokenKind::kOperator:
            return visitor.on_operator(token);
        case TokenKind::kConstant:
            return visitor.on_constant(token);
        case TokenKind::kAttribute:
            return visitor.on_attribute(token);
        case TokenKind::kArray:
            return visitor.on_array(token);
        case TokenKind::kFunction:
            return visitor.on_function(token);
        case TokenKind::kName:
            return visitor.on_name(token);
        case TokenKind::kCell:
            return visitor.on_cell(token);
        case TokenKind::kArea:
            return visitor.on_area(token);
        case TokenKind::kCell3d:
            return visitor.on_cell_3d(token);
        case TokenKind::kArea3d:
            return visitor.on_area_3d(token);
        case TokenKind::kMemory:
            return visitor.on_memory(token);
    }
    return 0;
}

}  // namespace

int check_tokens(std::span<const uint8_t> expression, BiffVersion version) {
    const bool biff8 = version == BiffVersion::kBiff8;
    for (size_t offset = 0; offset < expression.size();) {
        Measured m;
        if (!measure(expression, offset, biff8, &m)) return err::kFormulaNotWalkable;
        offset += m.size;
    }
    return 0;
}

int walk_tokens(std::span<uint8_t> expression, BiffVersion version, TokenVisitor &visitor) {
    const bool biff8 = version == BiffVersion::kBiff8;
    for (size_t offset = 0; offset < expression.size();) {
        Measured m;
        if (!measure(expression, offset, biff8, &m)) return err::kFormulaNotWalkable;
        WalkedToken token{
            m.kind,         m.base, m.operand_class, offset, expression.subspan(offset, m.size),
            m.subexpression};
        if (int rc = dispatch(visitor, token); rc != 0) return rc;
        offset += m.size;
    }
    return 0;
}

uint8_t deleted_reference_code(uint8_t code) {
    if (code < 0x20 || code >= 0x80) return 0;
    const uint8_t class_bits = code & 0x60;
    switch ((code & 0x1F) | 0x20) {
        case ptg::kRef:
        case ptg::kRefN:
        case ptg::kRefErr:
            return class_bits | (ptg::kRefErr & 0x1F);
        case ptg::kArea:
        case ptg::kAreaN:
        case ptg::kAreaErr:
            return class_bits | (ptg::kAreaErr & 0x1F);
        case ptg::kRef3d:
        case ptg::kRefErr3d:
            return class_bits | (ptg::kRefErr3d & 0x1F);
        case ptg::kArea3d:
        case ptg::kAreaErr3d:
            return class_bits | (ptg::kAreaErr3d & 0x1F);
        default:
            return 0;
    }
}

}  // namespace tabrix::engine
