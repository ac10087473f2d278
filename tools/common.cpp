#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "cli.h"
#include "tabrix.h"
#include "text.h"

namespace tabrix::cli {

namespace {
constexpr uint64_t kProgressFrom = 10u * 1024 * 1024;
}

int fail(std::string_view command, std::string_view what) {
    std::fprintf(stderr, "tabrix %.*s: %.*s\n", static_cast<int>(command.size()), command.data(),
                 static_cast<int>(what.size()), what.data());
    return 2;
}

std::string last_error_message() {
    char buffer[512];
    XlsGetErrorMessage(buffer, sizeof buffer);
    int32_t number = 0;
    XlsGetErrorNo(&number);
    std::string message = cp932_to_utf8(buffer);
    if (message.empty()) message = "error " + std::to_string(number);
    return message;
}

std::string engine_message(int32_t result) {
    XlsSetErrorNo(result < 0 ? -result : result);
    return last_error_message();
}

std::string open_refusal(const std::u16string &name, std::string_view fallback) {
    switch (XM_CheckFileW(name.c_str())) {
        case fcUnreadable:
            return "cannot be read";
        case fcNotCompound:
            return "not an Excel 95/97 file (no compound file)";
        case fcNoWorkbook:
            return "no workbook stream (\"Book\" or \"Workbook\") in the compound file";
        case fcEncrypted:
            return "encrypted workbook";
        case fcProtected:
            return "protected workbook or worksheet";
        case fcNoSheets:
            return "the workbook has no sheet to read";
        case fcDamaged:
            return "damaged workbook: its records cannot all be read";
        default:
            return std::string(fallback);
    }
}

bool wide_name(std::string_view name, std::u16string &out) {
    return !name.empty() && utf8_to_utf16(name, out);
}

bool readable_file(std::string_view name, std::string &reason) {
    const std::string path(name);
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || access(path.c_str(), R_OK) != 0) {
        reason = std::string(name) + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        reason = std::string(name) + ": not a regular file";
        return false;
    }
    return true;
}

bool read_whole_file(std::string_view name, std::string &out, std::string &reason) {
    if (!readable_file(name, reason)) return false;
    std::ifstream in{std::string(name), std::ios::binary};
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (!in && !in.eof()) {
        reason = std::string(name) + ": cannot be read";
        return false;
    }
    out = std::move(buffer).str();
    return true;
}

bool wants_help(const Arguments &args) {
    for (std::string_view arg : args) {
        if (arg == "--help" || arg == "-h") return true;
    }
    return false;
}

Progress::Progress(std::string_view label, uint64_t total)
    : label_(label), total_(total), shown_(total > kProgressFrom && isatty(STDERR_FILENO)) {}

Progress::~Progress() {
    if (shown_ && last_percent_ >= 0) std::fputs("\r\033[K", stderr);
}

void Progress::update(uint64_t done) {
    if (!shown_ || total_ == 0) return;
    const int percent = static_cast<int>(std::min<uint64_t>(done, total_) * 100 / total_);
    if (percent == last_percent_) return;
    last_percent_ = percent;
    std::fprintf(stderr, "\r%s: %d%%", label_.c_str(), percent);
}

}  // namespace tabrix::cli
