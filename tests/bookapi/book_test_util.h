// The fixture of the Book API tests: a temporary folder, and the library-wide state of the
// Book API and the engine put back after each test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/lifecycle/workbook_table.h"
#include "tabrix.h"
#include "tests/engine/workbook_test_util.h"

namespace tabrix::bookapi::test {

using engine::test::TempFolder;

class BookTest : public ::testing::Test {
  protected:
    void TearDown() override {
        XlsSetCodePage(932);
        XlsAllClose();
        XlsSetKeyWord("**");
        XlsSetErrorNo(0);
        engine::reset_process_state();
    }
    std::string file(const std::string &name) const { return folder_.file(name); }
    static int32_t error_no() {
        int32_t number = -1;
        XlsGetErrorNo(&number);
        return number;
    }

    TempFolder folder_;
};

}  // namespace tabrix::bookapi::test
