// The batch mode's options and how they set up the form for one run.
#include "core/batch.h"

#include <gtest/gtest.h>

#include "core/files/cp932.h"
#include "recording_canvas.h"
#include "temp_folder.h"

namespace labelora {
namespace {

BatchOptions parse(std::vector<std::string> args) {
    args.insert(args.begin(), {"--batch", "--pdf", "out.pdf"});
    return parseBatchOptions(args);
}

TEST(BatchOptions, ParsesEveryOption) {
    BatchOptions o = parse({"--data-dir", "/d",
                            "--sheet",    "3",
                            "--layout",   "16",
                            "--text",     "AB",
                            "--second",   "CD",
                            "--letter",   "B",
                            "--word1",    "血清",
                            "--word2",    "棚",
                            "--memo",     "x",
                            "--list",     "S1",
                            "--list",     "S2",
                            "--count",    "12",
                            "--start",    "7",
                            "--repeat",   "2",
                            "--step",     "10",
                            "--plain",    "--separator",
                            "hyphen",     "--day-offset",
                            "-3",         "--start-position",
                            "5",          "--text-colour",
                            "Red",        "--background",
                            "Blue",       "--rainbow",
                            "--frame",    "--align",
                            "right",      "--offset-right",
                            "1.5",        "--offset-down",
                            "-0.5",       "--report",
                            "r.pdf"});
    EXPECT_TRUE(o.errors.empty());
    EXPECT_EQ(o.folder.dataDir, "/d");
    EXPECT_EQ(o.pdf, "out.pdf");
    EXPECT_EQ(o.reportPdf, "r.pdf");
    EXPECT_EQ(o.sheet, 3);
    EXPECT_EQ(o.layout, 16);
    EXPECT_EQ(o.text, "AB");
    EXPECT_EQ(o.second, "CD");
    EXPECT_EQ(o.letters, std::vector<std::string>{"B"});
    EXPECT_EQ(o.listEntries, (std::vector<std::string>{"S1", "S2"}));
    EXPECT_EQ(o.count, 12);
    EXPECT_EQ(o.dayOffset, -3);
    EXPECT_TRUE(o.plainNumbers && o.rainbow && o.frame);
    EXPECT_EQ(o.offsetRight, 1.5);
    EXPECT_EQ(o.offsetDown, -0.5);
}

TEST(BatchOptions, RefusesWhatItCannotUse) {
    EXPECT_FALSE(parseBatchOptions({"--batch", "--sheet", "1"}).errors.empty());  // no --pdf
    EXPECT_FALSE(parse({"--sheet", "5"}).errors.empty());
    EXPECT_FALSE(parse({"--count", "ten"}).errors.empty());
    EXPECT_FALSE(parse({"--offset-down", "1mm"}).errors.empty());
    EXPECT_FALSE(parse({"--colour", "Red"}).errors.empty());
    EXPECT_EQ(parse({"--count"}).errors, std::vector<std::string>{"--count needs a value"});
    EXPECT_EQ(parse({"--bogus"}).errors, std::vector<std::string>{"unknown option --bogus"});
    EXPECT_FALSE(parse({"--memo", "a", "--memo", "b", "--memo", "c"}).errors.empty());
}

TEST(BatchOptions, BatchMayStandAnywhere) {
    EXPECT_TRUE(isBatchCommandLine({"--data-dir", "/d", "--batch", "--pdf", "x.pdf"}));
    EXPECT_FALSE(isBatchCommandLine({"--data-dir", "/d"}));
    BatchOptions o = parseBatchOptions(
        {"--data-dir", "/d", "--create-data-dir", "--pdf", "x.pdf", "--batch", "--count", "3"});
    EXPECT_TRUE(o.errors.empty());
    EXPECT_TRUE(o.folder.createDataDir);
    EXPECT_EQ(o.count, 3);
}

class BatchRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.write("start.txt", "10,10,1\r\n10,10,1\r\n10,10,1\r\n10,10,1\r\n\r\n");
        folder.write("DB1.txt", utf8ToCp932("血清\r\n尿\r\n").value());
        folder.write("DB3.txt", utf8ToCp932("冷凍庫Ａ\r\n棚\r\n").value());
        form = std::make_unique<MainForm>(folder.path());
        for (const TimerRequest &timer : form->startUp()) form->timerFired(timer.timer);
    }
    std::vector<std::string> prepare(std::vector<std::string> args) {
        return prepareBatchRun(*form, parse(std::move(args)));
    }
    TempFolder folder;
    std::unique_ptr<MainForm> form;
};

TEST_F(BatchRunTest, SetsTheLayoutInputsAndGoesToThePrintScreen) {
    auto errors = prepare({"--sheet", "1", "--layout", "3", "--text", "ABCDEFG", "--letter", "C",
                           "--letter", "Z", "--start", "99", "--count", "3", "--step", "2"});
    ASSERT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(form->screen, Screen::Print);
    LabelRun run = form->labelRun();
    EXPECT_EQ(run.text("Edit3"), "ABCDE");  // the edit box's limit holds
    EXPECT_EQ(labelTexts(run, 0).line(1), "CZ99");
    EXPECT_EQ(labelTexts(run, 1).line(1), "DA01");  // 101: "Z" wraps and moves "C" on
    EXPECT_EQ(form->memo("Memo3").lines(), (std::vector<std::string>{"ABCDE", "CZ99"}));
}

TEST_F(BatchRunTest, WordsMemosAndTextLists) {
    ASSERT_TRUE(
        prepare({"--sheet", "2", "--layout", "7", "--word1", "尿", "--word2", "棚"}).empty());
    EXPECT_EQ(labelTexts(form->labelRun(), 0).lines, (std::vector<std::string>{"尿 001", "棚"}));
    form->clickButton("cmdBack");
    EXPECT_EQ(prepare({"--sheet", "2", "--layout", "7", "--word1", "血漿"}),
              std::vector<std::string>{"血漿 is not in DB1.txt"});

    form->clickButton("cmdBack");
    ASSERT_TRUE(
        prepare({"--sheet", "3", "--layout", "8", "--memo", "1234567890123", "--memo", "second"})
            .empty());
    EXPECT_EQ(form->memo("Memo9").lines(), (std::vector<std::string>{"123456789012", "second"}));

    form->clickButton("cmdBack");
    ASSERT_TRUE(prepare({"--sheet", "4", "--layout", "13", "--text", "AB", "--list", "ABCDEFG",
                         "--list", "S2"})
                    .empty());
    EXPECT_EQ(form->state.sampleCount, 2);
    EXPECT_EQ(form->state.textList, (std::vector<std::string>{"ABCDE", "S2"}));
}

TEST_F(BatchRunTest, PrintScreenChoicesAndTheirErrors) {
    ASSERT_TRUE(prepare({"--sheet", "4", "--layout", "1", "--repeat", "2", "--rainbow",
                         "--start-position", "72", "--offset-right", "-5", "--offset-down", "2.5",
                         "--text-colour", "Blue", "--align", "centre"})
                    .empty());
    EXPECT_EQ(form->state.startPosition[3], 72);
    EXPECT_EQ(form->state.pageCount, 2);
    PrintStyle style = form->printStyle();
    EXPECT_TRUE(style.rainbow);
    EXPECT_EQ(style.offsetRight, 0);
    EXPECT_EQ(style.offsetDown, 15);
    EXPECT_EQ(style.text, (Rgb{0, 0, 255}));
    EXPECT_EQ(style.align, Align::Centre);
    EXPECT_EQ(folder.read("start.txt"), "10,10,1\r\n10,10,1\r\n10,10,1\r\n0,15,72\r\n\r\n");

    form->clickButton("cmdBack");
    auto errors =
        prepare({"--sheet", "4", "--layout", "1", "--repeat", "1", "--rainbow", "--offset-down",
                 "6", "--background", "Orange", "--align", "middle", "--start-position", "73"});
    EXPECT_EQ(errors.size(), 5u);
    form->clickButton("cmdBack");
    // A refused run leaves the start file as it was, even where its own choices were good.
    errors = prepare({"--sheet", "4", "--layout", "1", "--start-position", "5", "--offset-right",
                      "1", "--background", "Orange"});
    EXPECT_EQ(errors, std::vector<std::string>{"--background: no colour Orange"});
    EXPECT_EQ(form->state.startPosition[3], 72);
    EXPECT_EQ(form->state.offsetRight[3], 0);
    EXPECT_EQ(folder.read("start.txt"), "10,10,1\r\n10,10,1\r\n10,10,1\r\n0,15,72\r\n\r\n");
    form->clickButton("cmdBack");
    EXPECT_EQ(prepare({"--sheet", "1", "--layout", "13"}),
              std::vector<std::string>{"sheet 1 has no layout 13"});
    EXPECT_EQ(prepare({"--sheet", "1", "--count", "401"}).size(), 1u);
    EXPECT_EQ(prepare({"--sheet", "1", "--day-offset", "366"}),
              std::vector<std::string>{"--day-offset is out of range (-365..365)"});
    // The refusal comes back once, as the run's error, and is not also shown as a message.
    std::vector<std::string> shown;
    form->onMessage = [&shown](const std::string &text) { shown.push_back(text); };
    errors = prepare({"--sheet", "1", "--count", "300", "--repeat", "2"});
    EXPECT_EQ(errors, std::vector<std::string>{kTooManyLabels});
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(prepare({"--sheet", "3", "--layout", "13"}),
              std::vector<std::string>{"the layout's text list is empty"});
}

TEST_F(BatchRunTest, TheSummarySaysWhereTheNextRunStarts) {
    form->choosePrinter = [](PrintKind) { return std::make_unique<RecordingCanvas>(); };
    ASSERT_TRUE(prepare({"--sheet", "1", "--layout", "3", "--letter", "C", "--letter", "Z",
                         "--start", "95", "--count", "10", "--day-offset", "-365"})
                    .empty());
    form->clickButton("cmdPrint");
    EXPECT_EQ(nextRunSummary(*form),
              "next start position 11, next start number 5, next letters D, A");
    ASSERT_TRUE(prepare({"--sheet", "1", "--layout", "2", "--letter", "Y", "--start", "990",
                         "--count", "10"})
                    .empty());
    form->clickButton("cmdPrint");
    EXPECT_EQ(nextRunSummary(*form), "next start position 21, next start number 0, next letter Z");
    ASSERT_TRUE(prepare({"--sheet", "1", "--layout", "1", "--start", "1", "--count", "5"}).empty());
    form->clickButton("cmdPrint");
    EXPECT_EQ(nextRunSummary(*form), "next start position 26, next start number 6");
}

}  // namespace
}  // namespace labelora
