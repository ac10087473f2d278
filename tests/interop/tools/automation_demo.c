/* A client of the automation control through its C interface, running a scenario file (see
 * automation_scenario.txt): every member is looked up by name and invoked by number.
 *
 *   automation_demo SCENARIO FOLDER
 *
 * The workbooks the scenario names are written into FOLDER. Stops at the first call that
 * fails or returns something else than the scenario expects, naming its line. */
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

#include "tabrix.h"

#define MAX_TOKENS 32
#define MAX_ARGS 16

typedef struct Token {
    char text[512];
    int quoted;
} Token;

typedef struct Variable {
    char name[512];
    VARIANT value;
} Variable;

static int32_t control;
static int line_number;
static Variable variables[16];
static int variable_count;

static int failed(const char *format, ...) {
    va_list args;
    va_start(args, format);
    fprintf(stderr, "line %d: ", line_number);
    vfprintf(stderr, format, args);
    fputc('\n', stderr);
    va_end(args);
    return 0;
}

/* A NUL-terminated UTF-16 copy of a UTF-8 text (one unit per byte is always enough). */
static char16_t *utf16(const char *text) {
    char16_t *out = malloc((strlen(text) + 1) * sizeof *out);
    char16_t *unit = out;
    for (const unsigned char *p = (const unsigned char *)text; *p;) {
        uint32_t c = *p++;
        int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (more) c &= 0x3Fu >> more;
        for (; more > 0 && (*p & 0xC0) == 0x80; --more) c = c << 6 | (*p++ & 0x3Fu);
        if (c >= 0x10000) {
            c -= 0x10000;
            *unit++ = (char16_t)(0xD800 | c >> 10);
            *unit++ = (char16_t)(0xDC00 | (c & 0x3FF));
        } else {
            *unit++ = (char16_t)c;
        }
    }
    *unit = 0;
    return out;
}

/* Splits a line into tokens: quoted texts (with \" and \\) and runs of other characters. */
static int tokenize(const char *line, Token *tokens) {
    int count = 0;
    for (const char *p = line;;) {
        while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
        if (!*p) return count;
        if (count == MAX_TOKENS) return -1;
        Token *token = &tokens[count++];
        size_t length = 0;
        token->quoted = *p == '"';
        if (token->quoted) {
            for (++p; *p && *p != '"'; ++p) {
                if (*p == '\\' && p[1]) ++p;
                if (length + 1 < sizeof token->text) token->text[length++] = *p;
            }
            if (*p++ != '"') return -1;
        } else {
            for (; *p && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n'; ++p)
                if (length + 1 < sizeof token->text) token->text[length++] = *p;
        }
        token->text[length] = 0;
    }
}

static int is_word(const Token *token, const char *word) {
    return !token->quoted && strcmp(token->text, word) == 0;
}

static const XLMEMBER *member_named(const char *name) {
    int32_t dispid = 0;
    if (XlsControlGetDispID(name, &dispid) != 0) return NULL;
    for (int32_t i = 0; i < XlsControlMemberCount(); ++i)
        if (XlsControlMember(i)->dispid == dispid) return XlsControlMember(i);
    return NULL;
}

/* The variant of an argument token; VT_BSTR texts are allocated here and freed by the caller. */
static int argument(const Token *token, VARIANT *value) {
    memset(value, 0, sizeof *value);
    const char *text = token->text;
    char *end = NULL;
    if (token->quoted) {
        value->vt = VT_BSTR;
        value->bstrVal = utf16(text);
        return 1;
    }
    if (strcmp(text, "_") == 0) {
        value->vt = VT_ERROR;
        value->scode = XLDISP_E_PARAMNOTFOUND;
        return 1;
    }
    if (strcmp(text, "true") == 0 || strcmp(text, "false") == 0) {
        value->vt = VT_BOOL;
        value->boolVal = text[0] == 't' ? -1 : 0;
        return 1;
    }
    if (text[0] == '$') {
        for (int i = 0; i < variable_count; ++i)
            if (strcmp(variables[i].name, text + 1) == 0) {
                *value = variables[i].value;
                return 1;
            }
        return failed("no variable %s", text);
    }
    long integer = strtol(text, &end, 10);
    if (*text && !*end) {
        value->vt = VT_I4;
        value->lVal = (int32_t)integer;
        return 1;
    }
    double number = strtod(text, &end);
    if (*text && !*end) {
        value->vt = VT_R8;
        value->dblVal = number;
        return 1;
    }
    for (int32_t i = 0; i < XlsControlEnumCount(); ++i)
        if (strcmp(XlsControlEnum(i)->name, text) == 0) {
            value->vt = VT_I4;
            value->lVal = XlsControlEnum(i)->value;
            return 1;
        }
    return failed("cannot read the argument %s", text);
}

static void free_texts(VARIANT *values, int count) {
    for (int i = 0; i < count; ++i)
        if (values[i].vt == VT_BSTR) free(values[i].bstrVal);
}

/* Invokes the step tokens[0..count): a put ("Member = value") or a method or property get
 * with its arguments; out arguments land in outs. */
static int invoke(const Token *tokens, int count, VARIANT *result, int32_t *outs, int *out_count) {
    const XLMEMBER *member = member_named(tokens[0].text);
    if (!member) return failed("no member %s", tokens[0].text);
    int put = count == 3 && is_word(&tokens[1], "=");
    VARIANT args[MAX_ARGS + 1];
    int given = 0, used = 1;
    *out_count = 0;
    if (member->arg_count > MAX_ARGS) return failed("%s has too many arguments", member->name);
    for (int32_t i = 0; i < member->arg_count && !put; ++i) {
        const XLMEMBERARG *declared = &member->args[i];
        const Token *token = NULL;
        if (declared->kind == akOutLong) {
            memset(&args[given], 0, sizeof args[given]);
            args[given].vt = VT_BYREF | VT_I4;
            args[given++].plVal = &outs[(*out_count)++];
            continue;
        }
        if (used < count && (tokens[used].quoted || !strchr(tokens[used].text, '=')))
            token = &tokens[used++];
        for (int t = used; t < count && !token; ++t) {
            const char *equals = tokens[t].quoted ? NULL : strchr(tokens[t].text, '=');
            if (equals && (size_t)(equals - tokens[t].text) == strlen(declared->name) &&
                strncasecmp(tokens[t].text, declared->name, strlen(declared->name)) == 0) {
                static Token named;
                named.quoted = 0;
                snprintf(named.text, sizeof named.text, "%s", equals + 1);
                token = &named;
            }
        }
        if (token && !argument(token, &args[given])) return free_texts(args, given), 0;
        if (!token) {
            memset(&args[given], 0, sizeof args[given]);
            args[given].vt = VT_ERROR;
            args[given].scode = XLDISP_E_PARAMNOTFOUND;
        }
        ++given;
    }
    while (given > 0 && args[given - 1].vt == VT_ERROR) --given;
    if (put && !argument(&tokens[2], &args[given++])) return free_texts(args, given - 1), 0;
    int32_t kind = put                                ? XLINVOKE_PROPERTYPUT
                   : member->invoke & XLINVOKE_METHOD ? XLINVOKE_METHOD
                                                      : XLINVOKE_PROPERTYGET;
    memset(result, 0, sizeof *result);
    int32_t status = XlsControlInvoke(control, member->dispid, kind, given, args, result);
    free_texts(args, given);
    if (status != 0) {
        XLERRORINFO info;
        XlsControlGetErrorInfo(&info);
        return failed("%s failed: 0x%08x", member->name, (unsigned)status);
    }
    return 1;
}

static int same_text(const char16_t *a, const char16_t *b) {
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

static double number_of(const VARIANT *value) {
    switch (value->vt) {
        case VT_I4:
            return value->lVal;
        case VT_R8:
            return value->dblVal;
        case VT_BOOL:
            return value->boolVal;
        default:
            return -1e300;
    }
}

static int expect(const Token *tokens, int count, const VARIANT *result, const int32_t *outs,
                  int out_count) {
    int values = out_count ? out_count : 1;
    if (count != values) return failed("%d values expected, %d given", values, count);
    for (int i = 0; i < count; ++i) {
        VARIANT expected;
        VARIANT got;
        memset(&got, 0, sizeof got);
        if (out_count) {
            got.vt = VT_I4;
            got.lVal = outs[i];
        } else {
            got = *result;
        }
        if (!argument(&tokens[i], &expected)) return 0;
        int same = expected.vt == VT_BSTR
                       ? got.vt == VT_BSTR && same_text(expected.bstrVal, got.bstrVal)
                       : got.vt != VT_BSTR && number_of(&expected) == number_of(&got);
        free_texts(&expected, 1);
        if (!same) return failed("value %d is not %s (type %d)", i + 1, tokens[i].text, got.vt);
    }
    return 1;
}

/* One scenario line: steps joined by ".", the last perhaps checked or kept. */
static int run_line(Token *tokens, int count) {
    int start = 0;
    for (;;) {
        int end = start;
        while (end < count && !is_word(&tokens[end], ".") && !is_word(&tokens[end], "?") &&
               !is_word(&tokens[end], ">"))
            ++end;
        VARIANT result;
        int32_t outs[MAX_ARGS];
        int out_count = 0;
        if (end == start) return failed("empty step");
        if (!invoke(tokens + start, end - start, &result, outs, &out_count)) return 0;
        int ok = 1;
        if (end < count && is_word(&tokens[end], ".")) {
            if (result.vt != VT_DISPATCH || result.lVal != control)
                return XlsClearValueV(&result),
                       failed("%s did not return the control", tokens[start].text);
            XlsControlRelease(result.lVal);
            start = end + 1;
            continue;
        }
        if (end < count && is_word(&tokens[end], "?")) {
            ok = expect(tokens + end + 1, count - end - 1, &result, outs, out_count);
        } else if (end < count) {
            if (end + 2 != count || variable_count == 16) return failed("one name after >");
            Variable *kept = &variables[variable_count++];
            snprintf(kept->name, sizeof kept->name, "%s", tokens[end + 1].text);
            kept->value = result;
            if (result.vt != VT_I4) return failed("only numbers are kept");
        }
        if (result.vt == VT_DISPATCH) XlsControlRelease(result.lVal);
        XlsClearValueV(&result);
        return ok;
    }
}

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: automation_demo SCENARIO FOLDER\n");
        return 2;
    }
    FILE *scenario = fopen(argv[1], "r");
    if (!scenario || chdir(argv[2]) != 0) {
        perror(scenario ? argv[2] : argv[1]);
        return 2;
    }
    if (XlsControlCreate(&control) != 0) return 1;
    char line[2048];
    Token tokens[MAX_TOKENS];
    int ok = 1;
    while (ok && fgets(line, sizeof line, scenario)) {
        ++line_number;
        const char *first = line + strspn(line, " \t");
        if (*first == '#') continue;
        int count = tokenize(line, tokens);
        if (count < 0)
            ok = failed("cannot split the line");
        else if (count > 0)
            ok = run_line(tokens, count);
    }
    fclose(scenario);
    XlsControlRelease(control);
    return ok ? 0 : 1;
}
