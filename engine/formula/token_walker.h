// Steps through a parsed expression (the token bytes of a FORMULA, NAME or ARRAY record) of
// either format token by token, each with its payload, so that callers can read references
// or rewrite them in place. Constant-array values follow the expression and are not walked.
// An expression holding a code the walker does not know, or a token that runs past its end,
// is refused; nothing outside the expression is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/formula/formula_context.h"

namespace tabrix::engine {

// Codes that only a walk meets (the compiler's own are in formula_scanner.h). The class
// forms add 0x20 (value) or 0x40 (array) to a code of 0x20 and up.
namespace ptg {
inline constexpr uint8_t kExp = 0x01;
inline constexpr uint8_t kTbl = 0x02;
inline constexpr uint8_t kAttr = 0x19;
inline constexpr uint8_t kArray = 0x20;
inline constexpr uint8_t kFunc = 0x21;
inline constexpr uint8_t kFuncVar = 0x22;
inline constexpr uint8_t kName = 0x23;
inline constexpr uint8_t kMemArea = 0x26;
inline constexpr uint8_t kMemErr = 0x27;
inline constexpr uint8_t kMemNoMem = 0x28;
inline constexpr uint8_t kMemFunc = 0x29;
inline constexpr uint8_t kRefErr = 0x2A;
inline constexpr uint8_t kAreaErr = 0x2B;
inline constexpr uint8_t kRefN = 0x2C;
inline constexpr uint8_t kAreaN = 0x2D;
inline constexpr uint8_t kMemAreaN = 0x2E;
inline constexpr uint8_t kMemNoMemN = 0x2F;
inline constexpr uint8_t kNameX = 0x39;
inline constexpr uint8_t kRefErr3d = 0x3C;
inline constexpr uint8_t kAreaErr3d = 0x3D;
}  // namespace ptg

// ptgAttr option bits that decide its length or say how it jumps.
inline constexpr uint8_t kAttrChoose = 0x04;  // a jump table of (count + 1) offsets follows
inline constexpr uint8_t kAttrSkip = 0x08;    // skips the given number of bytes

// Where the fields of a BIFF5 3-D reference lie, counted from its code: the EXTERNSHEET
// index (negative: the 1-based position among the sheet's own EXTERNSHEET records), eight
// reserved bytes, then the first and last sheet numbers before the row and column fields.
inline constexpr size_t kBiff5ExternIndexOffset = 1;
inline constexpr size_t kBiff5FirstSheetOffset = 11;
inline constexpr size_t kBiff5LastSheetOffset = 13;

enum class TokenKind : uint8_t {
    kShared,     // ptgExp, ptgTbl: the cell of a shared or table formula
    kOperator,   // operators, ptgParen, ptgMissArg, ptgIsect, ptgUnion, ptgRange: no payload
    kConstant,   // ptgStr, ptgErr, ptgBool, ptgInt, ptgNum
    kAttribute,  // ptgAttr, with its jump table when it chooses
    kArray,      // ptgArray; its values follow the expression
    kFunction,   // ptgFunc, ptgFuncVar
    kName,       // ptgName, ptgNameX
    kCell,       // ptgRef, ptgRefErr, ptgRefN
    kArea,       // ptgArea, ptgAreaErr, ptgAreaN
    kCell3d,     // ptgRef3d, ptgRefErr3d
    kArea3d,     // ptgArea3d, ptgAreaErr3d
    kMemory,     // ptgMemArea, ptgMemErr, ptgMemNoMem, ptgMemFunc, ptgMemAreaN, ptgMemNoMemN
};

// The operand class a code of 0x20 and up carries; smaller codes have none.
enum class OperandClass : uint8_t { kNone, kReference, kValue, kArray };

struct WalkedToken {
    TokenKind kind = TokenKind::kOperator;
    uint8_t base = 0;  // the code without its class (0x01-0x3D)
    OperandClass operand_class = OperandClass::kNone;
    size_t offset = 0;  // of the code, from the start of the expression
    // The code and its payload. A visitor may rewrite them in place (the code included, to
    // another form of the same length); the walk goes on after them whatever they hold.
    std::span<uint8_t> bytes;
    // kMemory: the length of the subexpression that follows; its tokens are walked in turn.
    uint16_t subexpression = 0;
};

// One call per token, in stream order, chosen by its kind; each call falls back to
// on_token. A non-zero result stops the walk, which returns it.
class TokenVisitor {
  public:
    virtual ~TokenVisitor() = default;

    virtual int on_token(WalkedToken &) { return 0; }
    virtual int on_shared(WalkedToken &token) { return on_token(token); }
    virtual int on_operator(WalkedToken &token) { return on_token(token); }
    virtual int on_constant(WalkedToken &token) { return on_token(token); }
    virtual int on_attribute(WalkedToken &token) { return on_token(token); }
    virtual int on_array(WalkedToken &token) { return on_token(token); }
    virtual int on_function(WalkedToken &token) { return on_token(token); }
    virtual int on_name(WalkedToken &token) { return on_token(token); }
    virtual int on_cell(WalkedToken &token) { return on_token(token); }
    virtual int on_area(WalkedToken &token) { return on_token(token); }
    virtual int on_cell_3d(WalkedToken &token) { return on_token(token); }
    virtual int on_area_3d(WalkedToken &token) { return on_token(token); }
    virtual int on_memory(WalkedToken &token) { return on_token(token); }
};

// 0 when every token of the expression is known and lies inside it, else
// err::kFormulaNotWalkable. Reads nothing outside `expression`.
int check_tokens(std::span<const uint8_t> expression, BiffVersion version);

// Walks the expression, calling the visitor for each token. Returns 0, the visitor's first
// non-zero result, or err::kFormulaNotWalkable at the first token it cannot walk (tokens
// before it have been visited: call check_tokens first when a change must be all or none).
int walk_tokens(std::span<uint8_t> expression, BiffVersion version, TokenVisitor &visitor);

// The code of the deleted form of a reference, in the same class: ptgRef and ptgRefN become
// ptgRefErr, ptgArea and ptgAreaN ptgAreaErr, ptgRef3d ptgRefErr3d, ptgArea3d ptgAreaErr3d;
// deleted forms stay. 0 for a code that is not a reference.
uint8_t deleted_reference_code(uint8_t code);

}  // namespace tabrix::engine
