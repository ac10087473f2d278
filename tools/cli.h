// What the subcommands share: their entry points, the library's messages in UTF-8, file
// names in the library's UTF-16, and the progress line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tabrix::cli {

using Arguments = std::vector<std::string_view>;

int run_info(const Arguments &args);
int run_cat(const Arguments &args);
int run_fill(const Arguments &args);
int run_from_csv(const Arguments &args);

// Exit statuses: a command that could not do its work, a command used wrongly.
constexpr int kFailure = 1;
constexpr int kUsage = 2;

// One line on standard error, "tabrix COMMAND: what"; returns kFailure.
int fail(std::string_view command, std::string_view what);
// The same for bad arguments or options; returns kUsage.
int usage_error(std::string_view command, std::string_view what);
// Japanese library messages when the locale asks for them (LC_ALL, LC_MESSAGES, LANG).
bool japanese_messages();
// The Book API's message for its last error in UTF-8, English unless the locale is Japanese
// ("error N" when it has none).
std::string last_error_message();
// The message of an engine result (a negated XLERROR).
std::string engine_message(int32_t result);
// Why the library refuses to open a workbook file, in words ("encrypted workbook", ...);
// `fallback` when the file itself is sound (the refusal came from elsewhere).
std::string open_refusal(const std::u16string &name, std::string_view fallback);
// A file name for the library's W calls; false when it is not UTF-8.
bool wide_name(std::string_view name, std::u16string &out);
// "cannot ACTION 'NAME': " and the system's words for `error`.
std::string file_problem(std::string_view action, std::string_view name, int error);
// A file that exists and can be read; else why not ("cannot open 'NAME': ...").
bool readable_file(std::string_view name, std::string &reason);
// The whole file into `out`; false with the reason.
bool read_whole_file(std::string_view name, std::string &out, std::string &reason);
// All of standard input into `out`; false with the reason.
bool read_standard_input(std::string &out, std::string &reason);
// Why a file cannot be made at `name`, in the system's words, from what the file and its
// folder are; empty when they show nothing wrong.
std::string output_reason(std::string_view name);
bool wants_help(const Arguments &args);

// A workbook to read from a file, or for "-" from standard input: the library seeks in what
// it reads, so standard input is copied into a temporary file first, removed afterwards.
class InputFile {
  public:
    InputFile() = default;
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;
    ~InputFile();
    // False with the reason when the file cannot be read.
    bool open(std::string_view name, std::string &reason);
    // The file the library opens, and its name in messages.
    const std::string &path() const { return path_; }
    const std::string &shown() const { return shown_; }

  private:
    std::string path_, shown_;
    bool temporary_ = false;
};

// Where a workbook is written: a file, or for "-" standard output, through a temporary file
// in $TMPDIR that finish() copies out; the temporary file is removed in any case.
class OutputFile {
  public:
    OutputFile() = default;
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;
    ~OutputFile();
    bool prepare(std::string_view name, std::string &reason);
    const std::string &path() const { return path_; }
    const std::string &shown() const { return shown_; }
    bool to_standard_output() const { return temporary_; }
    // After the library wrote path(): its bytes to standard output, when that is the target.
    bool finish(std::string &reason);

  private:
    std::string path_, shown_;
    bool temporary_ = false;
};

// A line on a terminal's standard error telling how far a long job is, for files above
// 10 MB; nothing otherwise.
class Progress {
  public:
    Progress(std::string_view label, uint64_t total);
    ~Progress();
    void update(uint64_t done);

  private:
    std::string label_;
    uint64_t total_;
    bool shown_;
    int last_percent_ = -1;
};

}  // namespace tabrix::cli
