// Workbooks made from files: the copy they are written to, the file's other streams, and what
// an open for modification leaves behind when it is saved or discarded.
#include "engine/lifecycle/template_workbooks.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <iterator>

#include "engine/read/reader/workbook_reader.h"
#include "workbook_test_util.h"

namespace tabrix::engine {
namespace {

using test::TempFolder;

std::string file_bytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A workbook of ours with a keyword cell on sheet 0, plus a stream of another program.
std::string make_template(const TempFolder &folder, const std::string &name) {
    const std::string path = folder.file(name);
    int32_t h = XM_Create97(path.c_str(), 2);
    EXPECT_GE(h, 0);
    XM_WriteStr(h, 0, 1, 1, "**NAME");
    XM_WriteDouble(h, 1, 0, 0, 42.0);
    EXPECT_EQ(XM_Close(h), 0);
    auto file = platform::CompoundFile::open_update(path);
    auto *extra = file->root().create_stream(u"\x05SummaryInformation");
    extra->write("summary", 7);
    EXPECT_EQ(file->commit(), platform::StorageStatus::ok);
    return path;
}

std::string stream_text(const std::string &path, std::u16string_view name) {
    auto file = platform::CompoundFile::open_read(path);
    if (!file) return "<no file>";
    auto *stream = file->root().open_stream(name);
    if (!stream) return "<no stream>";
    std::string bytes(static_cast<size_t>(stream->size()), '\0');
    stream->read(bytes.data(), bytes.size());
    return bytes;
}

class TemplateWorkbooks : public ::testing::Test {
  protected:
    void SetUp() override {
        // Temporary copies go to a folder of the test's own, so that leftovers can be seen.
        old_tmpdir_ = getenv("TMPDIR") ? getenv("TMPDIR") : "";
        setenv("TMPDIR", temp_.file("").c_str(), 1);
    }
    void TearDown() override {
        reset_process_state();
        if (old_tmpdir_.empty()) {
            unsetenv("TMPDIR");
        } else {
            setenv("TMPDIR", old_tmpdir_.c_str(), 1);
        }
    }
    size_t temporaries() const {
        return std::distance(std::filesystem::directory_iterator(temp_.file("")),
                             std::filesystem::directory_iterator());
    }
    TempFolder folder_;
    TempFolder temp_;
    std::string old_tmpdir_;
};

TEST_F(TemplateWorkbooks, CreateFillsTheCopyAndKeepsTheOtherStreams) {
    const std::string templ = make_template(folder_, "template.xls");
    const std::string before = file_bytes(templ);
    const std::string out = folder_.file("out.xls");
    int32_t h = XM_CreateT(out.c_str(), templ.c_str());
    ASSERT_GE(h, 0);
    EXPECT_EQ(XM_WriteStrh(h, 0, "**NAME", 0, 0, "filled"), 0);
    ASSERT_EQ(XM_Close(h), 0);
    EXPECT_EQ(file_bytes(templ), before);
    EXPECT_EQ(stream_text(out, u"\x05SummaryInformation"), "summary");
    std::unique_ptr<WorkbookReader> reader;
    ASSERT_EQ(WorkbookReader::open(out, &reader), 0);
    EXPECT_EQ(reader->sheets().size(), 2u);
    EXPECT_EQ(reader->shared_strings().back(), u"filled");
}

TEST_F(TemplateWorkbooks, RefusesBadNamesAndUnreadableTemplates) {
    const std::string out = folder_.file("out.xls");
    EXPECT_EQ(XM_CreateT("", "x.xls"), -9);
    EXPECT_EQ(XM_CreateT(out.c_str(), ""), -9);
    EXPECT_EQ(XM_CreateT(out.c_str(), folder_.file("missing.xls").c_str()), -5001);
    EXPECT_FALSE(std::filesystem::exists(out));
    // A template cannot be its own copy.
    const std::string templ = make_template(folder_, "self.xls");
    const std::string before = file_bytes(templ);
    EXPECT_EQ(XM_CreateT(templ.c_str(), templ.c_str()), -1);
    EXPECT_EQ(file_bytes(templ), before);
    EXPECT_EQ(XM_Open(folder_.file("missing.xls").c_str(), nullptr), -1);
    EXPECT_EQ(XM_OpenClose(-1, 1), -2);
    EXPECT_EQ(XM_OpenClose(7, 1), -2);
}

TEST_F(TemplateWorkbooks, InPlaceOpenDiscardedLeavesTheFileAndNoTemporary) {
    const std::string source = make_template(folder_, "source.xls");
    const std::string before = file_bytes(source);
    int32_t h = XM_Open(source.c_str(), nullptr);
    ASSERT_GE(h, 0);
    EXPECT_EQ(temporaries(), 0u) << "the file is changed in memory only";
    EXPECT_EQ(XM_WriteDouble(h, 1, 3, 3, 7.0), 0);
    EXPECT_EQ(XM_OpenClose(h, 0), 0);
    EXPECT_EQ(file_bytes(source), before);
    EXPECT_EQ(temporaries(), 0u);
}

TEST_F(TemplateWorkbooks, InPlaceOpenSavedReplacesTheFileKeepingKeywordTexts) {
    const std::string source = make_template(folder_, "source.xls");
    int32_t h = XM_Open(source.c_str(), nullptr);
    ASSERT_GE(h, 0);
    EXPECT_EQ(XM_WriteDouble(h, 1, 3, 3, 7.0), 0);
    EXPECT_EQ(XM_OpenClose(h, 1), 0);
    EXPECT_EQ(temporaries(), 0u);
    EXPECT_EQ(stream_text(source, u"\x05SummaryInformation"), "summary");
    std::unique_ptr<WorkbookReader> reader;
    ASSERT_EQ(WorkbookReader::open(source, &reader), 0);
    EXPECT_EQ(reader->shared_strings().front(), u"**NAME");
}

TEST_F(TemplateWorkbooks, OpenWithOutputLeavesTheSourceAndBlanksKeywordWrites) {
    const std::string source = make_template(folder_, "source.xls");
    const std::string before = file_bytes(source);
    const std::string out = folder_.file("out.xls");
    int32_t h = XM_Open(source.c_str(), out.c_str());
    ASSERT_GE(h, 0);
    // In a file opened with an output, a written text that looks like a keyword is a blank.
    EXPECT_EQ(XM_WriteStr(h, 1, 2, 2, "**LATER"), 0);
    EXPECT_EQ(XM_OpenClose(h, 1), 0);
    EXPECT_EQ(file_bytes(source), before);
    std::unique_ptr<WorkbookReader> reader;
    ASSERT_EQ(WorkbookReader::open(out, &reader), 0);
    for (const auto &text : reader->shared_strings()) EXPECT_NE(text, u"**LATER");
}

TEST_F(TemplateWorkbooks, OlderLayerOpensOnlyIntoAFreeWorkbookZero) {
    const std::string source = make_template(folder_, "source.xls");
    ASSERT_EQ(XL_Open(source.c_str(), nullptr), 0);
    EXPECT_EQ(XL_Open(source.c_str(), nullptr), -1);
    EXPECT_EQ(XL_CreateT(folder_.file("t.xls").c_str(), source.c_str()), -1);
    EXPECT_EQ(XL_OpenClose(0), 0);
    EXPECT_EQ(XL_OpenClose(0), -2);
    EXPECT_EQ(temporaries(), 0u);
}

}  // namespace
}  // namespace tabrix::engine
