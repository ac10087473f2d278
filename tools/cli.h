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

// One line on standard error, "tabrix COMMAND: what"; returns the exit status 2.
int fail(std::string_view command, std::string_view what);
// The Book API's message for its last error, in UTF-8 ("error N" when it has none).
std::string last_error_message();
// The message of an engine result (a negated XLERROR).
std::string engine_message(int32_t result);
// Why the library refuses to open a workbook file, in words ("encrypted workbook", ...);
// `fallback` when the file itself is sound (the refusal came from elsewhere).
std::string open_refusal(const std::u16string &name, std::string_view fallback);
// A file name for the library's W calls; false when it is not UTF-8.
bool wide_name(std::string_view name, std::u16string &out);
// A file that exists and can be read; else the reason, as the system words it.
bool readable_file(std::string_view name, std::string &reason);
// The whole file into `out`; false with the reason.
bool read_whole_file(std::string_view name, std::string &out, std::string &reason);
bool wants_help(const Arguments &args);

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
