// Writes the seed corpus of the workbook fuzzer: the sample workbooks our writer makes, and
// the workbook stream of each workbook file named after the folder (a folder named there
// gives every .xls file under it).
//
//   make_seeds CORPUS_FOLDER [WORKBOOK.xls | FOLDER ...]
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "workbook_fuzz_seeds.h"

namespace {

bool save(const std::filesystem::path &file, const tabrix::engine::fuzz::Input &input) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(input.data()),
              static_cast<std::streamsize>(input.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_seeds CORPUS_FOLDER [WORKBOOK.xls | FOLDER ...]\n");
        return 2;
    }
    const std::filesystem::path corpus = argv[1];
    std::error_code error;
    std::filesystem::create_directories(corpus, error);
    const std::filesystem::path scratch = corpus / "writer-workbooks.tmp";
    std::filesystem::create_directories(scratch, error);
    const auto seeds = tabrix::engine::fuzz::writer_seeds(scratch);
    std::filesystem::remove_all(scratch, error);
    if (seeds.empty()) {
        std::fprintf(stderr, "make_seeds: the sample workbooks could not be written\n");
        return 1;
    }
    int written = 0;
    for (size_t i = 0; i < seeds.size(); ++i) {
        written += save(corpus / ("writer-" + std::to_string(i)), seeds[i]);
    }
    std::vector<std::filesystem::path> files;
    for (int i = 2; i < argc; ++i) {
        if (!std::filesystem::is_directory(argv[i], error)) {
            files.emplace_back(argv[i]);
            continue;
        }
        for (const auto &entry : std::filesystem::recursive_directory_iterator(argv[i], error)) {
            if (entry.path().extension() == ".xls") files.push_back(entry.path());
        }
    }
    for (const std::filesystem::path &file : files) {
        const auto input = tabrix::engine::fuzz::seed_of_file(file);
        if (input.empty()) {
            std::fprintf(stderr, "make_seeds: %s holds no workbook stream, skipped\n",
                         file.string().c_str());
            continue;
        }
        written += save(corpus / ("file-" + file.stem().string()), input);
    }
    std::printf("make_seeds: %d seeds in %s\n", written, corpus.string().c_str());
    return written > 0 ? 0 : 1;
}
