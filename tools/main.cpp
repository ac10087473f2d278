// tabrix: look into, dump, fill and make Excel 95/97 workbooks from the command line.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "cli.h"
#include "tabrix.h"

namespace {

constexpr const char *kUsage =
    "usage: tabrix COMMAND ARGUMENTS (tabrix COMMAND --help for each), tabrix --version\n"
    "  info FILE                       format, version, sheets, compound-file streams\n"
    "  cat FILE [--sheet N|NAME] [--format csv|tsv] [--all-sheets]\n"
    "                                  a sheet's values as CSV or TSV in UTF-8\n"
    "  fill TEMPLATE OUT [--json DATA.json] [--prefix P] [--strict] [KEY=VALUE ...]\n"
    "                                  a copy of TEMPLATE with its keyword cells filled\n"
    "  from-csv IN.csv OUT.xls [--excel95] [--sheet-name NAME]\n"
    "                                  one sheet from a UTF-8 CSV file\n"
    "A FILE or IN.csv of \"-\" is standard input, an OUT or OUT.xls of \"-\" standard output.\n"
    "Exit status: 0 done, 1 failed, 2 used wrongly.\n";

// A command whose output did not all reach standard output failed, whatever it found.
int with_output_flushed(int status) {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return status;
    std::fprintf(stderr, "tabrix: cannot write standard output: %s\n", std::strerror(errno));
    return status == 0 ? tabrix::cli::kFailure : status;
}

int run(std::string_view command, const tabrix::cli::Arguments &args) {
    using namespace tabrix::cli;
    if (command == "info") return run_info(args);
    if (command == "cat") return run_cat(args);
    if (command == "fill") return run_fill(args);
    if (command == "from-csv") return run_from_csv(args);
    std::fprintf(stderr, "tabrix: unknown command \"%.*s\" (tabrix --help lists them)\n",
                 static_cast<int>(command.size()), command.data());
    return tabrix::cli::kUsage;
}

}  // namespace

int main(int argc, char **argv) {
    // The tool converts its UTF-8 to and from code page 932 itself, whatever TABRIX_CODEPAGE says.
    XlsSetCodePage(932);
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return tabrix::cli::kUsage;
    }
    const std::string_view command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return with_output_flushed(0);
    }
    if (command == "--version" || command == "-V") {
        // The version of the library this run loaded, which is the tool's own.
        std::printf("tabrix %s\n", tabrix_version());
        return with_output_flushed(0);
    }
    return with_output_flushed(run(command, tabrix::cli::Arguments(argv + 2, argv + argc)));
}
