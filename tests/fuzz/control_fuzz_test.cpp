// Random member calls on the automation control: any member, any invoke kind, too few or too
// many arguments of any variant type (references to references, null references, unknown
// types). Every call ends in a status a client can read, and a member failure leaves no book
// open. Under the sanitizers a read or write outside a buffer stops the run.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "../engine/workbook_test_util.h"
#include "tabrix.h"

namespace tabrix::engine::fuzz {
namespace {

constexpr int kCalls = 2000;

// Texts: positions, formulas, names; relative file names only, so books stay in the folder.
const std::u16string kTexts[] = {u"",      u"A1",      u"B2:D4",       u"**NAME", u"Sheet1",
                                 u"番号",  u"=1+",     u"=SUM(A1:B2)", u"x.xls",  u"\u00E9",
                                 u"A1,C3", u"_[1:-1]", u"12.5",        u" 7 ",    u"?"};
const int32_t kNumbers[] = {-2147483647 - 1, -1, 0, 1, 2, 3, 7, 95, 97, 255, 2147483647};
const double kReals[] = {0.5,
                         -1.0,
                         2.5,
                         1e300,
                         std::numeric_limits<double>::quiet_NaN(),
                         std::numeric_limits<double>::infinity()};

VARIANT random_variant(std::mt19937 &rng, std::vector<VARIANT> &referenced, int32_t &out) {
    VARIANT v{};
    switch (rng() % 10) {
        case 0:
            v.vt = VT_I4;
            v.lVal = kNumbers[rng() % std::size(kNumbers)];
            break;
        case 1:
            v.vt = VT_R8;
            v.dblVal = kReals[rng() % std::size(kReals)];
            break;
        case 2:
        case 3:
            v.vt = VT_BSTR;
            v.bstrVal = const_cast<char16_t *>(kTexts[rng() % std::size(kTexts)].c_str());
            break;
        case 4:
            v.vt = VT_BOOL;
            v.boolVal = -1;
            break;
        case 5:
            v.vt = VT_ERROR;
            v.scode = XLDISP_E_PARAMNOTFOUND;
            break;
        case 6:
            v.vt = VT_BYREF | VT_I4;
            v.plVal = rng() % 4 ? &out : nullptr;
            break;
        case 7:
            // A reference into a pool that may refer to itself.
            v.vt = VT_BYREF | VT_VARIANT;
            v.pvarVal = rng() % 4 ? &referenced[rng() % referenced.size()] : nullptr;
            break;
        case 8:
            v.vt = static_cast<uint16_t>(rng() % 0x50);
            v.llVal = 0;
            break;
        default:
            break;  // VT_EMPTY
    }
    return v;
}

// Mostly a variant of the declared kind, so that most calls reach the member's code.
VARIANT fitting_variant(std::mt19937 &rng, int32_t kind, std::vector<VARIANT> &referenced,
                        int32_t &out) {
    VARIANT v{};
    if (rng() % 4 == 0) return random_variant(rng, referenced, out);
    switch (kind) {
        case akLong:
        case akBool:
            v.vt = VT_I4;
            v.lVal = kNumbers[rng() % std::size(kNumbers)];
            return v;
        case akDouble:
            v.vt = VT_R8;
            v.dblVal = kReals[rng() % std::size(kReals)];
            return v;
        case akText:
            v.vt = VT_BSTR;
            v.bstrVal = const_cast<char16_t *>(kTexts[rng() % std::size(kTexts)].c_str());
            return v;
        case akOutLong:
            v.vt = VT_BYREF | VT_I4;
            v.plVal = &out;
            return v;
        default:
            return random_variant(rng, referenced, out);
    }
}

TEST(ControlFuzz, RandomCallsEndInAStatusAndFailuresCloseEveryBook) {
    test::TempFolder folder;
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(folder.file(""));

    int32_t control = 0;
    ASSERT_EQ(XlsControlCreate(&control), 0);
    std::mt19937 rng(20261207);
    std::vector<VARIANT> referenced(4);
    for (VARIANT &entry : referenced) {
        entry.vt = VT_BYREF | VT_VARIANT;
        entry.pvarVal = &referenced[rng() % referenced.size()];
    }
    referenced[0].vt = VT_I4;
    const int32_t kinds[] = {XLINVOKE_METHOD, XLINVOKE_PROPERTYGET, XLINVOKE_PROPERTYPUT,
                             XLINVOKE_METHOD | XLINVOKE_PROPERTYGET};
    int failures = 0;
    for (int i = 0; i < kCalls; ++i) {
        if (XlsGetSheetCount() < 0 && rng() % 4) {
            int32_t book = 0;
            XlsCreateBook(("book" + std::to_string(i) + ".xls").c_str(), 97, 2, &book);
        }
        const XLMEMBER &member = *XlsControlMember(rng() % XlsControlMemberCount());
        // Mostly a kind the member answers, with its arguments (a put's value last).
        int32_t kind = kinds[rng() % 4];
        if (rng() % 5) {
            do kind = kinds[rng() % 3];
            while (!(member.invoke & kind));
        }
        int32_t out = 0;
        std::vector<VARIANT> args;
        const int32_t count =
            rng() % 5 ? member.arg_count : static_cast<int32_t>(rng() % (member.arg_count + 2));
        for (int32_t a = 0; a < count; ++a) {
            args.push_back(a < member.arg_count
                               ? fitting_variant(rng, member.args[a].kind, referenced, out)
                               : random_variant(rng, referenced, out));
        }
        if (kind == XLINVOKE_PROPERTYPUT)
            args.push_back(fitting_variant(rng, member.value_kind, referenced, out));
        VARIANT result{};
        const int32_t status = XlsControlInvoke(
            control, member.dispid, kind, static_cast<int32_t>(args.size()), args.data(), &result);
        if (result.vt == VT_BSTR) XlsClearValueV(&result);
        if (result.vt == VT_DISPATCH) XlsControlRelease(result.lVal);
        const bool refused =
            status == XLE_POINTER || (static_cast<uint32_t>(status) & 0xFFFF0000u) == 0x80020000u;
        if (status != 0 && !refused) {
            // The number may be anything a caller put with ErrorNo; the status carries it.
            ++failures;
            EXPECT_LT(status, 0) << member.name;
            EXPECT_EQ(XlsGetSheetCount(), -1) << member.name << " failed and left a book open";
        }
    }
    EXPECT_GT(failures, 0);
    EXPECT_EQ(XlsControlRelease(control), 0);
    XlsAllClose();
    std::filesystem::current_path(here);
}

}  // namespace
}  // namespace tabrix::engine::fuzz
