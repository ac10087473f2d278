#include "engine/formula/formula_scanner.h"

#include "engine/formula/formula_context.h"
#include "platform/codepage.h"

namespace tabrix::engine {

const ErrorLiteral ErrorLiteralTable[kErrorLiteralCount] = {
    {"#DIV/0!", 0x07}, {"#N/A", 0x2A},  {"#NAME?", 0x1D},  {"#NULL!", 0x00},
    {"#NUM!", 0x24},   {"#REF!", 0x4A}, {"#VALUE!", 0x0F},
};

size_t narrow_length(std::u16string_view text) {
    return platform::utf16_to_cp932(text).size();
}

namespace {

bool is_blank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

using formula_text::is_digit;

// True when `text` is a number's mantissa followed by its exponent mark ("1.5E"), so that a
// following sign belongs to the number and is no operator.
bool ends_in_exponent_mark(const std::u16string &text) {
    if (text.size() < 2 || formula_text::upper(text.back()) != u'E') return false;
    bool digit = false;
    bool point = false;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (is_digit(text[i])) {
            digit = true;
        } else if (text[i] == u'.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

class Scanner {
  public:
    Scanner(std::u16string_view text, std::vector<Lexeme> *out) : text_(text), out_(out) {}

    int run() {
        size_t i = 0;
        while (i < text_.size() && is_blank(text_[i])) ++i;
        if (i < text_.size() && text_[i] == u'=') ++i;
        while (i < text_.size()) {
            int rc = step(&i);
            if (rc != 0) return rc;
        }
        if (quoting_) return err::kFormulaUnclosedQuote;
        finish_operand();
        return 0;
    }

  private:
    int step(size_t *pos) {
        size_t &i = *pos;
        char16_t c = text_[i];
        if (quoting_) {
            if (c == u'\'') {
                quoting_ = false;
            } else {
                operand_.text += c;
            }
            ++i;
            return 0;
        }
        switch (c) {
            case u'\'':
                collecting_ = true;
                operand_.quoted = true;
                quoting_ = true;
                ++i;
                return 0;
            case u'"':
                finish_operand();
                return scan_string(&i);
            case u'#':
                finish_operand();
                return scan_error_literal(&i);
            case u'+':
            case u'-':
                if (collecting_ && i + 1 < text_.size() && is_digit(text_[i + 1]) &&
                    ends_in_exponent_mark(operand_.text)) {
                    operand_.text += c;
                    ++i;
                    return 0;
                }
                push_operator(c == u'+' ? ptg::kAdd : ptg::kSub);
                ++i;
                return 0;
            case u'*':
                push_operator(ptg::kMul);
                break;
            case u'/':
                push_operator(ptg::kDiv);
                break;
            case u'^':
                push_operator(ptg::kPower);
                break;
            case u'&':
                push_operator(ptg::kConcat);
                break;
            case u'<':
                if (next_is(i, u'=')) {
                    push_operator(ptg::kLE);
                    ++i;
                } else if (next_is(i, u'>')) {
                    push_operator(ptg::kNE);
                    ++i;
                } else {
                    push_operator(ptg::kLT);
                }
                break;
            case u'>':
                if (next_is(i, u'=')) {
                    push_operator(ptg::kGE);
                    ++i;
                } else {
                    push_operator(ptg::kGT);
                }
                break;
            case u'=':
                if (next_is(i, u'=') || next_is(i, u'>')) return err::kFormulaSyntax;
                push_operator(ptg::kEQ);
                break;
            case u'%':
                push(LexemeKind::kPercent);
                break;
            case u'(':
                push(LexemeKind::kOpenParen);
                break;
            case u')':
                push(LexemeKind::kCloseParen);
                break;
            case u',':
                push(LexemeKind::kComma);
                break;
            case u':':
                push(LexemeKind::kColon);
                break;
            case u';':
                push(LexemeKind::kSemicolon);
                break;
            case u'!':
                push(LexemeKind::kSheetMark);
                break;
            case u'{':
                push(LexemeKind::kOpenBrace);
                break;
            case u'}':
                push(LexemeKind::kCloseBrace);
                break;
            default:
                if (is_blank(c)) {
                    finish_operand();
                } else {
                    collecting_ = true;
                    operand_.text += c;
                }
                break;
        }
        ++i;
        return 0;
    }

    bool next_is(size_t i, char16_t c) const { return i + 1 < text_.size() && text_[i + 1] == c; }

    void finish_operand() {
        if (!collecting_) return;
        out_->push_back(std::move(operand_));
        operand_ = Lexeme{};
        collecting_ = false;
    }

    void push(LexemeKind kind, uint8_t code = 0) {
        finish_operand();
        Lexeme lexeme;
        lexeme.kind = kind;
        lexeme.code = code;
        out_->push_back(std::move(lexeme));
    }

    void push_operator(uint8_t code) { push(LexemeKind::kOperator, code); }

    // At the opening quote; a doubled quote inside stands for one quote.
    int scan_string(size_t *pos) {
        size_t i = *pos + 1;
        Lexeme lexeme;
        lexeme.kind = LexemeKind::kString;
        for (;;) {
            if (i >= text_.size()) return err::kFormulaUnclosedQuote;
            if (text_[i] == u'"') {
                if (!next_is(i, u'"')) break;
                ++i;
            }
            lexeme.text += text_[i];
            ++i;
        }
        if (narrow_length(lexeme.text) > kMaxStringLiteralBytes) return err::kFormulaStringTooLong;
        out_->push_back(std::move(lexeme));
        *pos = i + 1;
        return 0;
    }

    int scan_error_literal(size_t *pos) {
        std::u16string_view rest = text_.substr(*pos);
        for (const ErrorLiteral &literal : ErrorLiteralTable) {
            std::string_view name(literal.name);
            if (rest.size() < name.size()) continue;
            bool same = true;
            for (size_t k = 0; k < name.size() && same; ++k) {
                same = formula_text::upper(rest[k]) == static_cast<char16_t>(name[k]);
            }
            if (!same) continue;
            push(LexemeKind::kErrorLiteral, literal.code);
            *pos += name.size();
            return 0;
        }
        return err::kFormulaUnknownErrorLiteral;
    }

    std::u16string_view text_;
    std::vector<Lexeme> *out_;
    Lexeme operand_;
    bool collecting_ = false;
    bool quoting_ = false;
};

}  // namespace

int scan_formula(std::u16string_view text, std::vector<Lexeme> *lexemes) {
    lexemes->clear();
    return Scanner(text, lexemes).run();
}

}  // namespace tabrix::engine
