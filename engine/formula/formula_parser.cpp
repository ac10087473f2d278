#include "engine/formula/formula_parser.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <string_view>
#include <utility>

namespace tabrix::engine {
namespace {

using formula_text::is_digit;
using formula_text::is_letter;
using formula_text::same_name;

// Left-associative throughout; a higher number binds more tightly. "&" binds more tightly
// than the comparisons, as spreadsheets read formulas: A1&B1=C1 is (A1&B1)=C1. Token order
// without ptgParen must mean what the formula's text says, or a reader that shows or
// recompiles the text computes something else.
int precedence(uint8_t code) {
    switch (code) {
        case ptg::kPower:
            return 5;
        case ptg::kMul:
        case ptg::kDiv:
            return 4;
        case ptg::kAdd:
        case ptg::kSub:
            return 3;
        case ptg::kConcat:
            return 2;
        default:
            return 1;  // the comparisons
    }
}

uint32_t grid_rows(const FormulaContext &context) {
    uint32_t format_rows = context.version == BiffVersion::kBiff5 ? 16384 : 65536;
    return std::clamp<uint32_t>(context.row_count, 1, format_rows);
}

// One end of a reference: a cell (A1), a whole column (A) or a whole row (1), each part
// optionally preceded by "$".
struct RangeEnd {
    enum class Kind { kInvalid, kCell, kColumn, kRow } kind = Kind::kInvalid;
    int error =
        err::kFormulaSyntax;  // kInvalid: err::kFormulaSyntax when the text is no reference at all
    int32_t col = 0;
    int32_t row = 0;
};

RangeEnd parse_range_end(std::u16string_view text, uint32_t rows) {
    RangeEnd end;
    size_t i = 0;
    bool first_dollar = i < text.size() && text[i] == u'$';
    if (first_dollar) ++i;
    size_t letters_start = i;
    while (i < text.size() && is_letter(text[i])) ++i;
    size_t letters = i - letters_start;
    bool second_dollar = i < text.size() && text[i] == u'$';
    if (second_dollar) ++i;
    size_t digits_start = i;
    while (i < text.size() && is_digit(text[i])) ++i;
    size_t digits = i - digits_start;
    if (i != text.size() || letters > 2 || (letters == 0 && digits == 0)) return end;
    if (letters == 0 && first_dollar && second_dollar) return end;
    if (letters > 0 && digits == 0 && second_dollar) return end;

    end.error = err::kFormulaBadReference;
    int32_t col = 0;
    for (size_t k = letters_start; k < letters_start + letters; ++k) {
        col = col * 26 + (formula_text::upper(text[k]) - u'A' + 1);
    }
    --col;
    if (col > 255) return end;
    uint32_t row = 0;
    for (size_t k = digits_start; k < digits_start + digits; ++k) {
        row = row * 10 + (text[k] - u'0');
        if (row > rows) return end;
    }
    if (digits > 0 && row == 0) return end;

    if (letters > 0 && digits > 0) {
        end.kind = RangeEnd::Kind::kCell;
        end.col = col | (first_dollar ? kColumnAbsolute : 0);
        end.row = static_cast<int32_t>(row - 1) | (second_dollar ? kRowAbsolute : 0);
    } else if (letters > 0) {
        end.kind = RangeEnd::Kind::kColumn;
        end.col = col | (first_dollar ? kColumnAbsolute : 0);
        end.row = kNoRow;
    } else {
        end.kind = RangeEnd::Kind::kRow;
        end.col = kNoColumn;
        end.row =
            static_cast<int32_t>(row - 1) | (first_dollar || second_dollar ? kRowAbsolute : 0);
    }
    return end;
}

bool starts_number(std::u16string_view text) {
    return !text.empty() && (is_digit(text[0]) || text[0] == u'.');
}

// A number operand with its sign: ptgInt for a plain integer up to 65535, else ptgNum.
int number_token(std::u16string_view text, FormulaToken *token) {
    size_t start = !text.empty() && (text[0] == u'+' || text[0] == u'-') ? 1 : 0;
    std::u16string_view body = text.substr(start);
    if (!body.empty() && text[0] != u'-' && std::all_of(body.begin(), body.end(), is_digit)) {
        uint32_t value = 0;
        size_t k = 0;
        while (k < body.size() && value <= 65535) value = value * 10 + (body[k++] - u'0');
        if (k == body.size() && value <= 65535) {
            token->code = ptg::kInt;
            token->value = static_cast<uint16_t>(value);
            return 0;
        }
    }
    // Mantissa with at most one point and a digit, then an optional exponent with digits.
    size_t i = 0;
    size_t mantissa_digits = 0;
    bool point = false;
    while (i < body.size() && (is_digit(body[i]) || (body[i] == u'.' && !point))) {
        if (body[i] == u'.')
            point = true;
        else
            ++mantissa_digits;
        ++i;
    }
    if (mantissa_digits == 0) return err::kFormulaSyntax;
    if (i < body.size() && formula_text::upper(body[i]) == u'E') {
        ++i;
        if (i < body.size() && (body[i] == u'+' || body[i] == u'-')) ++i;
        size_t exponent_digits = 0;
        while (i < body.size() && is_digit(body[i])) ++i, ++exponent_digits;
        if (exponent_digits == 0) return err::kFormulaSyntax;
    }
    if (i != body.size()) return err::kFormulaSyntax;

    std::string narrow(text.size(), '\0');
    std::transform(text.begin(), text.end(), narrow.begin(),
                   [](char16_t c) { return static_cast<char>(c); });
    const char *first = narrow.data() + (narrow[0] == '+' ? 1 : 0);
    double value = 0;
    auto [end, error] = std::from_chars(first, narrow.data() + narrow.size(), value);
    if (error != std::errc() || end != narrow.data() + narrow.size()) return err::kFormulaSyntax;
    token->code = ptg::kNum;
    token->number = value;
    return 0;
}

class Parser {
  public:
    Parser(std::span<const Lexeme> lexemes, const FormulaContext &context, ParsedFormula *out)
        : lexemes_(lexemes), context_(context), rows_(grid_rows(context)), out_(out) {}

    int run() {
        if (lexemes_.empty()) return err::kFormulaSyntax;
        while (pos_ < lexemes_.size()) {
            int rc = expect_operand_ ? at_operand() : after_operand();
            if (rc != 0) return rc;
        }
        return finish();
    }

  private:
    struct Pending {
        enum class Kind { kOperator, kParen, kFunction } kind = Kind::kOperator;
        uint8_t code = 0;
        std::u16string signs;  // typed in front of a group or a call
        const FunctionInfo *function = nullptr;
        int arguments = 0;
    };

    bool peek_is(size_t offset, LexemeKind kind) const {
        return pos_ + offset < lexemes_.size() && lexemes_[pos_ + offset].kind == kind;
    }
    bool peek_plain_operand(size_t offset) const {
        return peek_is(offset, LexemeKind::kOperand) && !lexemes_[pos_ + offset].quoted;
    }

    int output(FormulaToken token) {
        if (out_->tokens.size() >= kMaxFormulaTokens) return err::kFormulaTooComplex;
        out_->tokens.push_back(std::move(token));
        return 0;
    }
    int output_code(uint32_t code) {
        FormulaToken token;
        token.code = code;
        return output(std::move(token));
    }
    // The innermost sign applies first.
    int output_signs(const std::u16string &signs) {
        for (auto it = signs.rbegin(); it != signs.rend(); ++it) {
            int rc = output_code(*it == u'-' ? ptg::kUminus : ptg::kUplus);
            if (rc != 0) return rc;
        }
        return 0;
    }
    // An operand complete with the signs typed before it.
    int output_operand(FormulaToken token) {
        int rc = output(std::move(token));
        if (rc == 0) rc = output_signs(signs_);
        signs_.clear();
        expect_operand_ = false;
        return rc;
    }

    int push(Pending pending) {
        if (stack_.size() >= kMaxOperatorStack) return err::kFormulaTooComplex;
        stack_.push_back(std::move(pending));
        return 0;
    }
    bool function_open() const {
        return std::any_of(stack_.begin(), stack_.end(),
                           [](const Pending &p) { return p.kind == Pending::Kind::kFunction; });
    }
    bool top_is(Pending::Kind kind) const { return !stack_.empty() && stack_.back().kind == kind; }

    // Moves waiting operators to the output down to the innermost group or call.
    int pop_operators() {
        while (top_is(Pending::Kind::kOperator)) {
            int rc = output_code(stack_.back().code);
            if (rc != 0) return rc;
            stack_.pop_back();
        }
        return 0;
    }

    int at_operand() {
        const Lexeme &lexeme = lexemes_[pos_];
        switch (lexeme.kind) {
            case LexemeKind::kOperator:
                if (lexeme.code != ptg::kAdd && lexeme.code != ptg::kSub)
                    return err::kFormulaSyntax;
                signs_ += lexeme.code == ptg::kAdd ? u'+' : u'-';
                ++pos_;
                return 0;
            case LexemeKind::kOpenParen: {
                Pending paren;
                paren.kind = Pending::Kind::kParen;
                paren.signs = std::exchange(signs_, {});
                ++pos_;
                return push(std::move(paren));
            }
            case LexemeKind::kOpenBrace:
                return array_constant();
            case LexemeKind::kString: {
                FormulaToken token;
                token.code = ptg::kStr;
                token.text = lexeme.text;
                ++pos_;
                return output_operand(std::move(token));
            }
            case LexemeKind::kErrorLiteral: {
                FormulaToken token;
                token.code = ptg::kErr;
                token.value = lexeme.code;
                ++pos_;
                return output_operand(std::move(token));
            }
            case LexemeKind::kOperand:
                return operand();
            case LexemeKind::kComma:
                // An empty argument: only directly inside a call, and not after a bare sign.
                if (!signs_.empty() || !top_is(Pending::Kind::kFunction))
                    return err::kFormulaSyntax;
                return separate_arguments();
            case LexemeKind::kCloseParen:
                if (stack_.empty()) return err::kFormulaParentheses;
                if (!signs_.empty() || !top_is(Pending::Kind::kFunction))
                    return err::kFormulaSyntax;
                return close_call();
            default:
                return err::kFormulaSyntax;
        }
    }

    int after_operand() {
        const Lexeme &lexeme = lexemes_[pos_];
        switch (lexeme.kind) {
            case LexemeKind::kOperator: {
                int level = precedence(lexeme.code);
                while (top_is(Pending::Kind::kOperator) &&
                       precedence(stack_.back().code) >= level) {
                    int rc = output_code(stack_.back().code);
                    if (rc != 0) return rc;
                    stack_.pop_back();
                }
                Pending op;
                op.code = lexeme.code;
                ++pos_;
                expect_operand_ = true;
                return push(std::move(op));
            }
            case LexemeKind::kPercent:
                ++pos_;
                return output_code(ptg::kPercent);
            case LexemeKind::kComma: {
                int rc = pop_operators();
                if (rc != 0) return rc;
                // No union operator: a comma belongs to a call's argument list.
                if (!top_is(Pending::Kind::kFunction)) return err::kFormulaSyntax;
                return separate_arguments();
            }
            case LexemeKind::kCloseParen: {
                int rc = pop_operators();
                if (rc != 0) return rc;
                if (stack_.empty()) return err::kFormulaParentheses;
                if (top_is(Pending::Kind::kFunction)) return close_call();
                std::u16string signs = std::move(stack_.back().signs);
                stack_.pop_back();
                ++pos_;
                rc = output_code(ptg::kParen);
                return rc != 0 ? rc : output_signs(signs);
            }
            default:
                return err::kFormulaSyntax;
        }
    }

    int separate_arguments() {
        ++stack_.back().arguments;
        ++pos_;
        expect_operand_ = true;
        return output_code(kArgumentSeparator);
    }

    int close_call() {
        Pending call = std::move(stack_.back());
        stack_.pop_back();
        ++pos_;
        expect_operand_ = false;
        if (call.arguments < call.function->minArgs || call.arguments > call.function->maxArgs) {
            return err::kFormulaArgumentCount;
        }
        int rc = output_code(kArgumentEnd);
        if (rc != 0) return rc;
        FormulaToken token;
        token.code = kFunctionCall;
        token.function = call.function;
        token.count = call.arguments;
        rc = output(std::move(token));
        return rc != 0 ? rc : output_signs(call.signs);
    }

    int finish() {
        for (const Pending &pending : stack_) {
            if (pending.kind != Pending::Kind::kOperator) return err::kFormulaParentheses;
        }
        if (expect_operand_) return err::kFormulaSyntax;
        return pop_operators();
    }

    int find_sheet(std::u16string_view name, uint16_t *sheet) const {
        bool listed = std::any_of(context_.ref_sheets.begin(), context_.ref_sheets.end(),
                                  [&](const std::u16string &ref) { return same_name(ref, name); });
        if (!listed) return err::kFormulaUnknownSheet;
        for (size_t i = 0; i < context_.sheet_names.size() && i <= 0xFFFF; ++i) {
            if (same_name(context_.sheet_names[i], name)) {
                *sheet = static_cast<uint16_t>(i);
                return 0;
            }
        }
        return err::kFormulaUnknownSheet;
    }

    int operand() {
        const Lexeme &lexeme = lexemes_[pos_];
        if (peek_is(1, LexemeKind::kSheetMark)) {
            uint16_t sheet = 0;
            int rc = find_sheet(lexeme.text, &sheet);
            if (rc != 0) return rc;
            pos_ += 2;
            return sheet_reference(sheet, sheet, false);
        }
        if (peek_is(1, LexemeKind::kColon) && peek_is(2, LexemeKind::kOperand) &&
            peek_is(3, LexemeKind::kSheetMark)) {
            uint16_t first = 0;
            uint16_t last = 0;
            int rc = find_sheet(lexeme.text, &first);
            if (rc == 0) rc = find_sheet(lexemes_[pos_ + 2].text, &last);
            if (rc != 0) return rc;
            pos_ += 4;
            return sheet_reference(std::min(first, last), std::max(first, last), true);
        }
        // Quotes enclose sheet names only.
        if (lexeme.quoted) return err::kFormulaSyntax;
        if (peek_is(1, LexemeKind::kOpenParen)) return open_call(lexeme.text);
        if (peek_is(1, LexemeKind::kColon)) {
            FormulaToken token;
            int rc = reference(&token);
            if (rc != 0) return rc;
            return output_operand(std::move(token));
        }
        if (starts_number(lexeme.text)) {
            // The sign typed nearest to a number is part of it.
            std::u16string text = lexeme.text;
            if (!signs_.empty()) {
                text.insert(text.begin(), signs_.back());
                signs_.pop_back();
            }
            FormulaToken token;
            int rc = number_token(text, &token);
            if (rc != 0) return rc;
            ++pos_;
            return output_operand(std::move(token));
        }
        FormulaToken token;
        int rc = reference(&token);
        if (rc == 0) {
            if (function_open() && signs_.empty()) token.code = ptg::kRef;
            return output_operand(std::move(token));
        }
        if (rc != err::kFormulaSyntax) return rc;
        std::u16string upper = formula_text::upper(lexeme.text);
        if (upper != u"TRUE" && upper != u"FALSE") return err::kFormulaSyntax;
        token.code = ptg::kBool;
        token.value = upper == u"TRUE" ? 1 : 0;
        ++pos_;
        return output_operand(std::move(token));
    }

    int open_call(std::u16string_view name) {
        if (!name.empty() && name[0] == u'@') name.remove_prefix(1);
        const FunctionInfo *function = find_function(formula_text::upper(name));
        if (function == nullptr) return err::kFormulaUnknownFunction;
        Pending call;
        call.kind = Pending::Kind::kFunction;
        call.function = function;
        call.signs = std::exchange(signs_, {});
        call.arguments = peek_is(2, LexemeKind::kCloseParen) ? 0 : 1;
        pos_ += 2;
        int rc = push(std::move(call));
        if (rc != 0) return rc;
        FormulaToken start;
        start.code = kArgumentStart;
        start.function = function;
        return output(std::move(start));
    }

    // A cell (ptgRefV) or a range (ptgArea) at the current lexeme; err::kFormulaSyntax when the
    // text is not shaped like one.
    int reference(FormulaToken *token) {
        RangeEnd first = parse_range_end(lexemes_[pos_].text, rows_);
        if (!peek_is(1, LexemeKind::kColon)) {
            if (first.kind == RangeEnd::Kind::kInvalid) return first.error;
            if (first.kind != RangeEnd::Kind::kCell) return err::kFormulaSyntax;
            token->code = ptg::kRefV;
            token->firstCol = token->lastCol = first.col;
            token->firstRow = token->lastRow = first.row;
            ++pos_;
            return 0;
        }
        if (!peek_plain_operand(2)) return err::kFormulaSyntax;
        RangeEnd last = parse_range_end(lexemes_[pos_ + 2].text, rows_);
        if (first.kind == RangeEnd::Kind::kInvalid) return first.error;
        if (last.kind == RangeEnd::Kind::kInvalid) return last.error;
        if (first.kind != last.kind) return err::kFormulaBadReference;
        if (peek_is(3, LexemeKind::kOpenParen) || peek_is(3, LexemeKind::kColon) ||
            peek_is(3, LexemeKind::kSheetMark)) {
            return err::kFormulaSyntax;
        }
        token->code = ptg::kArea;
        token->firstCol = first.col;
        token->firstRow = first.row;
        token->lastCol = last.col;
        token->lastRow = last.row;
        pos_ += 3;
        return 0;
    }

    int sheet_reference(uint16_t first, uint16_t last, bool sheet_range) {
        if (!peek_plain_operand(0)) return err::kFormulaBadReference;
        FormulaToken token;
        int rc = reference(&token);
        if (rc == err::kFormulaSyntax) return err::kFormulaBadReference;
        if (rc != 0) return rc;
        if (token.code == ptg::kArea) {
            token.code = ptg::kArea3d;
        } else {
            token.code = sheet_range ? ptg::kRef3d : ptg::kRef3dV;
        }
        token.firstSheet = first;
        token.lastSheet = last;
        return output_operand(std::move(token));
    }

    int array_element(ArrayElement *element) {
        char16_t sign = 0;
        if (peek_is(0, LexemeKind::kOperator) &&
            (lexemes_[pos_].code == ptg::kAdd || lexemes_[pos_].code == ptg::kSub)) {
            sign = lexemes_[pos_].code == ptg::kAdd ? u'+' : u'-';
            ++pos_;
        }
        if (peek_is(0, LexemeKind::kString) && sign == 0) {
            element->type = ArrayElementType::kString;
            element->text = lexemes_[pos_++].text;
            return 0;
        }
        if (!peek_plain_operand(0)) return err::kFormulaArrayConstant;
        const std::u16string &text = lexemes_[pos_].text;
        if (starts_number(text)) {
            FormulaToken number;
            if (number_token(sign == 0 ? text : sign + text, &number) != 0) {
                return err::kFormulaArrayConstant;
            }
            element->type = ArrayElementType::kNumber;
            element->number = number.code == ptg::kInt ? number.value : number.number;
            ++pos_;
            return 0;
        }
        std::u16string upper = formula_text::upper(text);
        if (sign != 0 || (upper != u"TRUE" && upper != u"FALSE")) return err::kFormulaArrayConstant;
        element->type = ArrayElementType::kBoolean;
        element->number = upper == u"TRUE" ? 1 : 0;
        ++pos_;
        return 0;
    }

    // From "{" to "}": elements separated by "," in rows ended by ";".
    int array_constant() {
        ++pos_;
        ArrayConstant array;
        std::vector<ArrayElement> row;
        for (;;) {
            ArrayElement element;
            int rc = array_element(&element);
            if (rc != 0) return rc;
            row.push_back(std::move(element));
            if (pos_ >= lexemes_.size()) return err::kFormulaArrayConstant;
            LexemeKind separator = lexemes_[pos_++].kind;
            if (separator == LexemeKind::kComma) continue;
            if (separator != LexemeKind::kSemicolon && separator != LexemeKind::kCloseBrace) {
                return err::kFormulaArrayConstant;
            }
            if (array.rows == 0) array.columns = static_cast<int>(row.size());
            if (static_cast<int>(row.size()) > array.columns) return err::kFormulaArrayConstant;
            row.resize(array.columns);
            array_elements_ += row.size();
            if (array_elements_ > kMaxArrayElements) return err::kFormulaArrayConstant;
            std::move(row.begin(), row.end(), std::back_inserter(array.elements));
            row.clear();
            ++array.rows;
            if (separator == LexemeKind::kCloseBrace) break;
        }
        // BIFF5 keeps the column count in one byte.
        if (context_.version == BiffVersion::kBiff5 && array.columns > 255) {
            return err::kFormulaArrayConstant;
        }
        FormulaToken token;
        token.code = ptg::kArrayA;
        token.firstCol = static_cast<int32_t>(out_->arrays.size());
        out_->arrays.push_back(std::move(array));
        return output_operand(std::move(token));
    }

    std::span<const Lexeme> lexemes_;
    const FormulaContext &context_;
    uint32_t rows_;
    ParsedFormula *out_;
    size_t pos_ = 0;
    bool expect_operand_ = true;
    std::u16string signs_;  // signs typed before the coming operand, outermost first
    std::vector<Pending> stack_;
    size_t array_elements_ = 0;
};

bool is_area(uint32_t code) {
    return code == ptg::kArea || code == ptg::kArea3d;
}

// Ranges are stored top-left to bottom-right; whole rows and columns get their full span.
void settle_ranges(std::vector<FormulaToken> &tokens, uint32_t rows) {
    auto order = [](int32_t &first, int32_t &last, int32_t missing) {
        if (((first | last) & missing) == 0 &&
            (first & kCoordinateMask) > (last & kCoordinateMask)) {
            std::swap(first, last);
        }
    };
    for (FormulaToken &token : tokens) {
        if (!is_area(token.code)) continue;
        order(token.firstCol, token.lastCol, kNoColumn);
        order(token.firstRow, token.lastRow, kNoRow);
        if (token.firstCol & kNoColumn) {
            token.firstCol = 0 | kColumnAbsolute;
            token.lastCol = 255 | kColumnAbsolute;
        }
        if (token.firstRow & kNoRow) {
            token.firstRow = 0 | kRowAbsolute;
            token.lastRow = static_cast<int32_t>(rows - 1) | kRowAbsolute;
        }
    }
}

// A reference inside a call takes the class that call wants of its arguments.
void apply_argument_classes(std::vector<FormulaToken> &tokens) {
    std::vector<const FunctionInfo *> calls;
    for (FormulaToken &token : tokens) {
        if (token.code == kArgumentStart) {
            calls.push_back(token.function);
        } else if (token.code == kArgumentEnd) {
            calls.pop_back();
        } else if (!calls.empty() && token.code == ptg::kRef) {
            token.code += calls.back()->refClassDelta;
        } else if (!calls.empty() && token.code == ptg::kArea) {
            token.code += calls.back()->areaClassDelta;
        }
    }
}

// An argument without tokens, as in IF(A1,,1) or SUM(1,), becomes ptgMissArg.
int insert_missing_arguments(std::vector<FormulaToken> &tokens) {
    std::vector<FormulaToken> filled;
    filled.reserve(tokens.size());
    for (FormulaToken &token : tokens) {
        if ((token.code == kArgumentSeparator || token.code == kArgumentEnd) && !filled.empty()) {
            uint32_t previous = filled.back().code;
            if (previous == kArgumentSeparator ||
                (previous == kArgumentStart && token.code == kArgumentSeparator)) {
                FormulaToken missing;
                missing.code = ptg::kMissArg;
                filled.push_back(std::move(missing));
            }
        }
        filled.push_back(std::move(token));
    }
    if (filled.size() > kMaxFormulaTokens) return err::kFormulaTooComplex;
    tokens = std::move(filled);
    return 0;
}

}  // namespace

int parse_formula(std::span<const Lexeme> lexemes, const FormulaContext &context,
                  ParsedFormula *parsed) {
    *parsed = ParsedFormula{};
    int rc = Parser(lexemes, context, parsed).run();
    if (rc != 0) return rc;
    settle_ranges(parsed->tokens, grid_rows(context));
    apply_argument_classes(parsed->tokens);
    return insert_missing_arguments(parsed->tokens);
}

}  // namespace tabrix::engine
