// tabrix fill: a copy of a template with its keyword cells filled from JSON or KEY=VALUE
// arguments.
#include <sys/stat.h>

#include <string>
#include <vector>

#include "cli.h"
#include "csv.h"
#include "json.h"
#include "tabrix.h"
#include "text.h"

namespace tabrix::cli {

namespace {

constexpr const char *kHelp =
    "usage: tabrix fill TEMPLATE OUT [--json DATA.json] [--prefix P] [--strict] [KEY=VALUE ...]\n"
    "Makes OUT from TEMPLATE and writes each value at every cell of its keyword (the keyword\n"
    "prefix, \"**\" unless --prefix gives another, and KEY) on every sheet. DATA.json is an\n"
    "object mapping keyword names to a value or to a list of values, written at the keyword's\n"
    "cell and the rows below it. JSON numbers and booleans stay numbers and booleans, texts\n"
    "starting with \"=\" are formulas, null writes an empty text. A KEY=VALUE value is a\n"
    "number when it reads as one, else a text. A keyword the template lacks is reported;\n"
    "with --strict it fails the command and OUT is not written. An OUT of \"-\" writes the\n"
    "workbook to standard output.\n";

constexpr int32_t kNoKeyword = errNoVariable;

struct Entry {
    std::string key;
    std::vector<JsonValue> values;
};

bool entries_of_json(const std::string &file, std::vector<Entry> &entries, std::string &reason) {
    std::string document;
    if (!read_whole_file(file, document, reason)) return false;
    JsonValue root;
    JsonError error;
    if (!parse_json(document, root, error)) {
        reason = file + ":" + std::to_string(error.line) + ":" + std::to_string(error.column) +
                 ": " + error.message;
        return false;
    }
    if (root.kind != JsonValue::Kind::object) {
        reason = file + ": the document is not an object of keyword names";
        return false;
    }
    for (auto &[key, value] : root.members) {
        Entry entry{key, {}};
        if (value.kind == JsonValue::Kind::array) {
            entry.values = std::move(value.items);
        } else {
            entry.values.push_back(std::move(value));
        }
        for (const JsonValue &item : entry.values) {
            if (item.kind == JsonValue::Kind::array || item.kind == JsonValue::Kind::object) {
                reason = file + ": \"" + key + "\": a value or a list of values expected";
                return false;
            }
        }
        entries.push_back(std::move(entry));
    }
    return true;
}

// One value at a position; a text's UTF-16 is kept in `text` for the call.
int32_t put_value(const JsonValue &value, const std::u16string &position, std::u16string &text) {
    VARIANT variant{};
    switch (value.kind) {
        case JsonValue::Kind::number:
            variant.vt = VT_R8;
            variant.dblVal = value.number;
            break;
        case JsonValue::Kind::boolean: {
            // A variant boolean would be written as the number -1 or 0.
            std::string utf8;
            append_utf16_as_utf8(utf8, position);
            return XlsPutBool(value.boolean ? 1 : 0, utf8_to_cp932(utf8).c_str());
        }
        case JsonValue::Kind::text:
            utf8_to_utf16(value.text, text);
            variant.vt = VT_BSTR;
            variant.bstrVal = text.data();
            break;
        default:
            variant.vt = VT_EMPTY;
            break;
    }
    return XlsPutValueVW(variant, position.c_str());
}

// Writes an entry on every sheet that has its keyword: 1 written, 0 no sheet has it, -1 a
// refused write (the library's error stays for the message).
int fill_entry(const Entry &entry, const std::u16string &keyword, int32_t sheets) {
    bool found = false;
    std::u16string text;
    for (int32_t s = 0; s < sheets; ++s) {
        XlsSheetNo(s);
        for (size_t i = 0; i < entry.values.size(); ++i) {
            std::u16string position = keyword;
            if (i > 0) {
                const std::string offset = "_[0:" + std::to_string(i) + "]";
                position.append(offset.begin(), offset.end());
            }
            if (put_value(entry.values[i], position, text)) {
                found = true;
                continue;
            }
            int32_t number = 0;
            XlsGetErrorNo(&number);
            if (number == kNoKeyword && i == 0) break;  // not on this sheet
            return -1;
        }
    }
    return found ? 1 : 0;
}

}  // namespace

int run_fill(const Arguments &args) {
    if (wants_help(args)) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    std::vector<std::string_view> files;
    std::vector<Entry> entries;
    std::string prefix = "**";
    bool strict = false;
    std::string reason;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const bool has_value = i + 1 < args.size();
        if (arg == "--json" && has_value) {
            if (!entries_of_json(std::string(args[++i]), entries, reason)) {
                return fail("fill", reason);
            }
        } else if (arg == "--prefix" && has_value) {
            prefix = args[++i];
            if (prefix.empty() || !valid_utf8(prefix)) return usage_error("fill", "bad --prefix");
        } else if (arg == "--strict") {
            strict = true;
        } else if (arg.size() > 1 && arg[0] == '-' && arg.find('=') == std::string_view::npos) {
            return usage_error("fill",
                               "unknown or incomplete argument \"" + std::string(arg) + "\"");
        } else if (files.size() < 2) {
            files.push_back(arg);
        } else {
            const size_t equals = arg.find('=');
            if (equals == 0 || equals == std::string_view::npos || !valid_utf8(arg)) {
                return usage_error("fill", "KEY=VALUE expected, not \"" + std::string(arg) + "\"");
            }
            JsonValue value;
            const std::string_view text = arg.substr(equals + 1);
            if (const auto number = number_of(text)) {
                value.kind = JsonValue::Kind::number;
                value.number = *number;
            } else {
                value.kind = JsonValue::Kind::text;
                value.text = text;
            }
            entries.push_back(Entry{std::string(arg.substr(0, equals)), {std::move(value)}});
        }
    }
    if (files.size() != 2) return usage_error("fill", "TEMPLATE and OUT expected");
    std::u16string template_name, out_name;
    if (!readable_file(files[0], reason)) return fail("fill", reason);
    OutputFile out;
    if (!out.prepare(files[1], reason)) return fail("fill", reason);
    if (!wide_name(files[0], template_name) || !wide_name(out.path(), out_name)) {
        return fail("fill", "the file names are not UTF-8");
    }
    XlsSetKeyWord(utf8_to_cp932(prefix).c_str());

    struct stat info {};
    stat(std::string(files[0]).c_str(), &info);
    Progress progress("tabrix fill: " + out.shown(), static_cast<uint64_t>(info.st_size));
    progress.update(0);
    int32_t book = 0;
    if (!XlsOpenBookW(out_name.c_str(), template_name.c_str(), &book)) {
        const std::string message = last_error_message();
        const std::string refusal = open_refusal(template_name, {});
        if (!refusal.empty()) return fail("fill", std::string(files[0]) + ": " + refusal);
        if (const std::string why = output_reason(out.path()); !why.empty()) {
            return fail("fill", "cannot create '" + out.shown() + "': " + why);
        }
        return fail("fill", out.shown() + " from " + std::string(files[0]) + ": " + message);
    }
    const int32_t sheets = XlsGetSheetCount();
    std::vector<std::string> missing;
    for (const Entry &entry : entries) {
        std::u16string keyword;
        utf8_to_utf16(prefix + entry.key, keyword);
        const int rc = fill_entry(entry, keyword, sheets);
        if (rc < 0) {
            const std::string message = last_error_message();
            XlsCloseBook(0);
            return fail("fill", "\"" + entry.key + "\": " + message);
        }
        if (rc == 0) missing.push_back(entry.key);
    }
    for (const std::string &key : missing) {
        std::fprintf(stderr, "tabrix fill: %s has no keyword %s%s\n", std::string(files[0]).c_str(),
                     prefix.c_str(), key.c_str());
    }
    const bool keep = !(strict && !missing.empty());
    if (!XlsCloseBook(keep ? 1 : 0)) {
        const std::string why = output_reason(out.path());
        return fail("fill", "cannot write '" + out.shown() +
                                "': " + (why.empty() ? last_error_message() : why));
    }
    if (!keep) return kFailure;
    if (!out.finish(reason)) return fail("fill", reason);
    return 0;
}

}  // namespace tabrix::cli
