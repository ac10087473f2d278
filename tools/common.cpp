#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "cli.h"
#include "tabrix.h"
#include "text.h"

namespace tabrix::cli {

namespace {

constexpr uint64_t kProgressFrom = 10u * 1024 * 1024;

void print_line(std::string_view command, std::string_view what) {
    std::fprintf(stderr, "tabrix %.*s: %.*s\n", static_cast<int>(command.size()), command.data(),
                 static_cast<int>(what.size()), what.data());
}

// Reads all of `fd` into `out`; false with errno set.
bool read_all(int fd, std::string &out) {
    char block[1 << 16];
    for (;;) {
        const ssize_t n = read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        out.append(block, static_cast<size_t>(n));
    }
}

bool write_all(int fd, const char *data, size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// A new empty file in $TMPDIR (else /tmp), open as `fd`; false with the reason.
bool make_temporary(std::string &path, int &fd, std::string &reason) {
    const char *folder = std::getenv("TMPDIR");
    std::string pattern = folder && *folder ? folder : "/tmp";
    if (pattern.back() != '/') pattern += '/';
    pattern += "tabrix-XXXXXX.xls";
    fd = mkstemps(pattern.data(), 4);
    if (fd < 0) {
        reason = file_problem("create a temporary file in", pattern.substr(0, pattern.rfind('/')),
                              errno);
        return false;
    }
    path = std::move(pattern);
    return true;
}

}  // namespace

int fail(std::string_view command, std::string_view what) {
    print_line(command, what);
    return kFailure;
}

int usage_error(std::string_view command, std::string_view what) {
    print_line(command, what);
    return kUsage;
}

bool japanese_messages() {
    return japanese_locale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

std::string last_error_message() {
    char buffer[512];
    std::string message;
    if (japanese_messages()) {
        XlsGetErrorMessage(buffer, sizeof buffer);
        message = cp932_to_utf8(buffer);
    } else {
        XlsGetErrorMessageEn(buffer, sizeof buffer);
        message = buffer;
    }
    int32_t number = 0;
    XlsGetErrorNo(&number);
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

std::string file_problem(std::string_view action, std::string_view name, int error) {
    return "cannot " + std::string(action) + " '" + std::string(name) +
           "': " + std::strerror(error);
}

bool readable_file(std::string_view name, std::string &reason) {
    const std::string path(name);
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || access(path.c_str(), R_OK) != 0) {
        reason = file_problem("open", name, errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        reason = file_problem("open", name, EISDIR);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        reason = "cannot open '" + path + "': not a regular file";
        return false;
    }
    return true;
}

bool read_whole_file(std::string_view name, std::string &out, std::string &reason) {
    if (!readable_file(name, reason)) return false;
    const int fd = ::open(std::string(name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        reason = file_problem("open", name, errno);
        return false;
    }
    const bool read = read_all(fd, out);
    const int error = errno;
    close(fd);
    if (!read) reason = file_problem("read", name, error);
    return read;
}

bool read_standard_input(std::string &out, std::string &reason) {
    if (read_all(STDIN_FILENO, out)) return true;
    reason = std::string("cannot read standard input: ") + std::strerror(errno);
    return false;
}

std::string output_reason(std::string_view name) {
    const std::string path(name);
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return std::strerror(EISDIR);
    // The library writes a file beside the target and renames it over the target.
    if (stat(folder.c_str(), &info) != 0) return std::strerror(errno);
    if (!S_ISDIR(info.st_mode)) return std::strerror(ENOTDIR);
    if (access(folder.c_str(), W_OK | X_OK) != 0) return std::strerror(errno);
    return {};
}

InputFile::~InputFile() {
    if (temporary_) unlink(path_.c_str());
}

bool InputFile::open(std::string_view name, std::string &reason) {
    if (name != "-") {
        path_ = shown_ = name;
        return readable_file(name, reason);
    }
    shown_ = "standard input";
    std::string data;
    if (!read_standard_input(data, reason)) return false;
    int fd = -1;
    if (!make_temporary(path_, fd, reason)) return false;
    temporary_ = true;
    const bool written = write_all(fd, data.data(), data.size());
    const int error = errno;
    if (close(fd) != 0 || !written) {
        reason = file_problem("write", path_, written ? errno : error);
        return false;
    }
    return true;
}

OutputFile::~OutputFile() {
    if (temporary_) unlink(path_.c_str());
}

bool OutputFile::prepare(std::string_view name, std::string &reason) {
    if (name != "-") {
        path_ = shown_ = name;
        return true;
    }
    shown_ = "standard output";
    int fd = -1;
    if (!make_temporary(path_, fd, reason)) return false;
    temporary_ = true;
    close(fd);
    return true;
}

bool OutputFile::finish(std::string &reason) {
    if (!temporary_) return true;
    std::string data;
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !read_all(fd, data)) {
        reason = file_problem("read", path_, errno);
        if (fd >= 0) close(fd);
        return false;
    }
    close(fd);
    std::fflush(stdout);
    if (!write_all(STDOUT_FILENO, data.data(), data.size())) {
        reason = std::string("cannot write standard output: ") + std::strerror(errno);
        return false;
    }
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
