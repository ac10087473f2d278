// The automation control through its C interface: members found by name and invoked by
// number, argument defaults and coercion, chaining, and the error epilogue.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "bookapi/books/last_error.h"
#include "platform/codepage.h"
#include "platform/named_mutex.h"
#include "tests/bookapi/book_test_util.h"

namespace tabrix::automation::test {

namespace {

using bookapi::test::BookTest;

VARIANT number(int32_t value) {
    VARIANT v{};
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

VARIANT real(double value) {
    VARIANT v{};
    v.vt = VT_R8;
    v.dblVal = value;
    return v;
}

VARIANT text(const std::u16string &value) {
    VARIANT v{};
    v.vt = VT_BSTR;
    v.bstrVal = const_cast<char16_t *>(value.c_str());
    return v;
}

VARIANT omitted() {
    VARIANT v{};
    v.vt = VT_ERROR;
    v.scode = XLDISP_E_PARAMNOTFOUND;
    return v;
}

std::u16string wide(const std::string &utf8_ascii) {
    return std::u16string(utf8_ascii.begin(), utf8_ascii.end());
}

std::u16string taken_text(VARIANT &result) {
    EXPECT_EQ(result.vt, VT_BSTR);
    std::u16string out = result.vt == VT_BSTR && result.bstrVal ? result.bstrVal : u"";
    XlsClearValueV(&result);
    return out;
}

class ControlTest : public BookTest {
  protected:
    void SetUp() override { ASSERT_EQ(XlsControlCreate(&control_), 0); }
    void TearDown() override {
        while (XlsControlRelease(control_) > 0) {
        }
        XLERRORINFO info;
        XlsControlGetErrorInfo(&info);
        BookTest::TearDown();
    }

    int32_t call(const char *name, int32_t invoke, std::vector<VARIANT> args = {},
                 VARIANT *result = nullptr) {
        int32_t dispid = 0;
        EXPECT_EQ(XlsControlGetDispID(name, &dispid), 0) << name;
        return XlsControlInvoke(control_, dispid, invoke, static_cast<int32_t>(args.size()),
                                args.data(), result);
    }
    int32_t method(const char *name, std::vector<VARIANT> args = {}, VARIANT *result = nullptr) {
        return call(name, XLINVOKE_METHOD, std::move(args), result);
    }
    int32_t put(const char *name, VARIANT value) {
        return call(name, XLINVOKE_PROPERTYPUT, {value});
    }
    VARIANT get(const char *name, std::vector<VARIANT> args = {}) {
        VARIANT result{};
        EXPECT_EQ(call(name, XLINVOKE_PROPERTYGET, std::move(args), &result), 0) << name;
        return result;
    }
    // Pos(x, y) or Pos(x1, y1, x2, y2), the reference it hands back released.
    void at(int32_t x, int32_t y, int32_t x2 = -1, int32_t y2 = -1) {
        VARIANT self = get("Pos", {number(x), number(y), number(x2), number(y2)});
        ASSERT_EQ(self.vt, VT_DISPATCH);
        EXPECT_EQ(self.lVal, control_);
        XlsControlRelease(self.lVal);
    }
    int32_t create(const std::string &name, std::vector<VARIANT> more = {}) {
        const std::u16string path = wide(file(name));
        std::vector<VARIANT> args{text(path)};
        args.insert(args.end(), more.begin(), more.end());
        VARIANT book{};
        EXPECT_EQ(method("CreateBook", args, &book), 0);
        return book.lVal;
    }
    static int32_t failed(int32_t number) {
        return static_cast<int32_t>(0x80000000u | static_cast<uint32_t>(number));
    }

    int32_t control_ = 0;
};

TEST(ControlMembers, EveryDeclaredKindHasCodeAndNamesAreUnique) {
    std::set<std::string> names;
    std::set<int32_t> dispids;
    int32_t control = 0;
    ASSERT_EQ(XlsControlCreate(&control), 0);
    for (int32_t i = 0; i < XlsControlMemberCount(); ++i) {
        const XLMEMBER &member = *XlsControlMember(i);
        EXPECT_TRUE(names.insert(platform::cp932_to_upper(member.name)).second) << member.name;
        EXPECT_TRUE(dispids.insert(member.dispid).second) << member.name;
        int32_t found = 0;
        EXPECT_EQ(XlsControlGetDispID(platform::cp932_to_upper(member.name).c_str(), &found), 0);
        EXPECT_EQ(found, member.dispid);
        // A kind without code answers "member not found" before it looks at arguments.
        for (int32_t kind : {XLINVOKE_METHOD, XLINVOKE_PROPERTYGET, XLINVOKE_PROPERTYPUT}) {
            if (!(member.invoke & kind)) continue;
            EXPECT_NE(XlsControlInvoke(control, member.dispid, kind, -1, nullptr, nullptr),
                      XLDISP_E_MEMBERNOTFOUND)
                << member.name << " kind " << kind;
        }
    }
    EXPECT_EQ(XlsControlMemberCount(), 85);
    EXPECT_EQ(XlsControlMember(XlsControlMemberCount()), nullptr);
    EXPECT_EQ(XlsControlMember(-1), nullptr);
    int32_t dispid = 0;
    EXPECT_EQ(XlsControlGetDispID("NoSuchMember", &dispid), XLDISP_E_UNKNOWNNAME);
    XlsControlRelease(control);
}

TEST(ControlEnumerations, ErrorEightIsPublishedUnderBothNames) {
    std::map<std::string, int32_t> errors;
    for (int32_t i = 0; i < XlsControlEnumCount(); ++i) {
        const XLENUMVALUE &entry = *XlsControlEnum(i);
        if (std::string(entry.type) == "XLERROR") errors[entry.name] = entry.value;
    }
    ASSERT_EQ(errors.count("errErrorValue"), 1u);
    EXPECT_EQ(errors["errErrorValue"], 8);
    EXPECT_EQ(errors["errValue"], 8);
}

// As every call on the current book: errNotOpen without one, 0 after it answered.
TEST_F(ControlTest, VersionRecordsItsResultLikeEveryBookCall) {
    XlsSetErrorNo(0);
    EXPECT_EQ(XlsGetVersion(), 0);
    EXPECT_EQ(error_no(), errNotOpen);
    create("version.xls", {number(95)});
    XlsSetErrorNo(errWrite);
    EXPECT_EQ(XlsGetVersion(), 0);
    EXPECT_EQ(error_no(), 0);
    create("version97.xls");
    EXPECT_EQ(XlsGetVersion(), 1);
}

TEST_F(ControlTest, ValuesGoToTheChainedPositionAndReadBack) {
    create("values.xls");
    at(1, 2);
    ASSERT_EQ(put("Str", text(u"番号")), 0);
    VARIANT read_back = get("Str");
    EXPECT_EQ(taken_text(read_back), u"番号");
    at(0, 0);
    ASSERT_EQ(put("Long", real(41.5)), 0);  // rounded half to even, as automation does
    EXPECT_EQ(get("Long").lVal, 42);
    VARIANT value = get("Value");
    EXPECT_EQ(taken_text(value), u"42");
    ASSERT_EQ(put("Double", text(u" 2.5 ")), 0);
    EXPECT_EQ(get("Double").dblVal, 2.5);

    // The position is the control's, handed to the Book API on every call.
    VARIANT self{};
    const std::u16string keyless = u"C4";
    ASSERT_EQ(call("Cell", XLINVOKE_PROPERTYGET, {text(keyless), number(1), number(0)}, &self), 0);
    XlsControlRelease(self.lVal);
    ASSERT_EQ(put("Long", number(7)), 0);
    int32_t read = 0;
    ASSERT_EQ(XlsGetLong(&read, "D4"), 1);
    EXPECT_EQ(read, 7);
}

TEST_F(ControlTest, LongHoldsNumbersAtThe32BitLimitsAndStrayCellsAreRefused) {
    create("limits.xls");
    ASSERT_EQ(put("Double", real(3e9)), 0);
    EXPECT_EQ(get("Long").lVal, INT32_MAX);
    ASSERT_EQ(put("Long", real(-1e12)), 0);
    EXPECT_EQ(get("Long").lVal, INT32_MIN);
    ASSERT_EQ(put("Long", real(std::nan(""))), 0);
    EXPECT_EQ(get("Double").dblVal, 0.0);

    VARIANT self{};
    const std::u16string stray = u"A1;C3";
    ASSERT_EQ(call("Cell", XLINVOKE_PROPERTYGET, {text(stray)}, &self), 0);
    XlsControlRelease(self.lVal);
    EXPECT_EQ(put("Long", number(7)), failed(errParam));
    ASSERT_EQ(XlsReadBook(file("limits.xls").c_str(), nullptr), 1);
    int32_t value = 0;
    EXPECT_EQ(XlsGetLong(&value, "AC13"), 0);
    EXPECT_EQ(error_no(), errValue);
}

TEST_F(ControlTest, CloseBookWithoutArgumentSavesAndResetsThePosition) {
    create("saved.xls");
    at(3, 3);
    ASSERT_EQ(put("Long", number(5)), 0);
    ASSERT_EQ(method("CloseBook"), 0);
    VARIANT book{};
    const std::u16string path = wide(file("saved.xls"));
    ASSERT_EQ(method("ReadBook", {text(path)}, &book), 0);
    EXPECT_NE(book.lVal, 0);
    EXPECT_EQ(get("Long").lVal, 0);  // A1 again: empty
    at(3, 3);
    EXPECT_EQ(get("Long").lVal, 5);
}

TEST_F(ControlTest, AFailureClosesEveryBookAndKeepsItsNumber) {
    const int32_t first = create("first.xls");
    create("second.xls", {number(97), number(2)});
    ASSERT_EQ(XlsSelectBook(first), 1);

    EXPECT_EQ(put("SheetNo", number(-1)), failed(errParam));
    EXPECT_EQ(error_no(), errParam);
    EXPECT_EQ(XlsSelectBook(first), 0);  // closed, though the call never touched it

    XLERRORINFO info{};
    ASSERT_EQ(XlsControlGetErrorInfo(&info), 1);
    EXPECT_STREQ(info.guid, XLCONTROL_CLSID);
    EXPECT_EQ(info.help_context, 3003);
    EXPECT_EQ(std::u16string(info.description),
              platform::cp932_to_utf16(bookapi::error_message(errParam)));
    EXPECT_EQ(XlsControlGetErrorInfo(&info), 0);  // taken once

    // Both books were saved when closed.
    for (const char *name : {"first.xls", "second.xls"}) {
        int32_t book = 0;
        EXPECT_EQ(XlsReadBook(file(name).c_str(), &book), 1) << name;
    }
}

TEST_F(ControlTest, SheetNoAcceptsOnlyTheBooksSheets) {
    create("sheets.xls", {number(97), number(2)});
    EXPECT_EQ(put("SheetNo", number(1)), 0);
    VARIANT name = get("SheetName");
    EXPECT_EQ(taken_text(name), u"Sheet2");
    create("sheets2.xls", {number(97), number(2)});
    EXPECT_EQ(put("SheetNo", number(2)), failed(errParam));
    EXPECT_EQ(XlsGetSheetCount(), -1);
}

TEST_F(ControlTest, ErrorNumberEightAndReadingTheNumberNeverRaise) {
    create("eight.xls");
    EXPECT_EQ(put("ErrorNo", number(errValue)), 0);
    EXPECT_EQ(get("ErrorNo").lVal, errValue);
    EXPECT_EQ(XlsGetSheetCount(), 1 + 2);  // still open
    EXPECT_EQ(put("ErrorNo", number(errWrite)), failed(errWrite));
    EXPECT_EQ(get("ErrorNo").lVal, errWrite);
    VARIANT message = get("ErrorMessage");
    EXPECT_EQ(taken_text(message), platform::cp932_to_utf16(bookapi::error_message(errWrite)));
}

struct SinkLog {
    std::vector<int32_t> seen;
    int32_t replacement = 0;
};

void record_and_replace(void *context, int32_t *number) {
    auto *log = static_cast<SinkLog *>(context);
    log->seen.push_back(*number);
    *number = log->replacement;
}

TEST_F(ControlTest, ASinkDecidesWhatAFailureBecomes) {
    const int32_t book = create("sink.xls");
    SinkLog forgiving;
    int32_t cookie = 0;
    ASSERT_EQ(XlsControlAdvise(control_, record_and_replace, &forgiving, &cookie), 0);
    EXPECT_EQ(put("SheetNo", number(9)), 0);
    EXPECT_EQ(forgiving.seen, std::vector<int32_t>{errParam});
    EXPECT_EQ(XlsSelectBook(book), 1);  // nothing closed
    XLERRORINFO info;
    EXPECT_EQ(XlsControlGetErrorInfo(&info), 0);

    // A sink connected later sees the number the first one left.
    SinkLog renumbering{{}, errMemory1};
    int32_t second = 0;
    ASSERT_EQ(XlsControlUnadvise(control_, cookie), 0);
    EXPECT_EQ(XlsControlUnadvise(control_, cookie), XLCONNECT_E_NOCONNECTION);
    ASSERT_EQ(XlsControlAdvise(control_, record_and_replace, &renumbering, &second), 0);
    EXPECT_EQ(put("SheetNo", number(9)), failed(errMemory1));
    EXPECT_EQ(forgiving.seen.size(), 1u);
    EXPECT_EQ(error_no(), errMemory1);  // closing cleared it; the sink's number is put back
    EXPECT_EQ(XlsSelectBook(book), 0);
}

TEST_F(ControlTest, EachSinkSeesTheNumberThePreviousOneLeft) {
    const int32_t book = create("sinks.xls");
    SinkLog first{{}, errMemory1};
    SinkLog last;  // forgives
    int32_t cookie = 0;
    ASSERT_EQ(XlsControlAdvise(control_, record_and_replace, &first, &cookie), 0);
    ASSERT_EQ(XlsControlAdvise(control_, record_and_replace, &last, &cookie), 0);
    EXPECT_EQ(put("SheetNo", number(9)), 0);
    EXPECT_EQ(last.seen, std::vector<int32_t>{errMemory1});
    EXPECT_EQ(XlsSelectBook(book), 1);

    // A 0 left early still reaches the later sinks, and their number decides.
    first.replacement = 0;
    last.replacement = errWrite;
    EXPECT_EQ(put("SheetNo", number(9)), failed(errWrite));
    EXPECT_EQ(last.seen, (std::vector<int32_t>{errMemory1, 0}));
    EXPECT_EQ(XlsSelectBook(book), 0);
}

TEST_F(ControlTest, ArgumentsAreCheckedBeforeTheMemberRuns) {
    const int32_t book = create("arguments.xls");
    const std::u16string word = u"x";
    // The interface's own checks: nothing runs, nothing closes.
    EXPECT_EQ(method("AddSheet"), XLDISP_E_PARAMNOTOPTIONAL);
    EXPECT_EQ(method("AddSheet", {number(1), number(2)}), XLDISP_E_BADPARAMCOUNT);
    EXPECT_EQ(method("AddSheet", {text(word)}), XLDISP_E_TYPEMISMATCH);
    EXPECT_EQ(call("SheetCount", XLINVOKE_PROPERTYPUT, {number(1)}), XLDISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(XlsControlInvoke(control_, 0x7777, XLINVOKE_METHOD, 0, nullptr, nullptr),
              XLDISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(XlsControlInvoke(0xBAD, 0x66, XLINVOKE_METHOD, 0, nullptr, nullptr), XLE_HANDLE);
    EXPECT_EQ(XlsSelectBook(book), 1);

    // An optional argument that is no number is the member's own error 34.
    EXPECT_EQ(method("CloseBook", {text(word)}), failed(errParam));
    EXPECT_EQ(XlsSelectBook(book), 0);
}

TEST_F(ControlTest, DefaultsOfOptionalArguments) {
    create("defaults.xls", {omitted(), number(2)});  // version left out: Excel 97
    EXPECT_EQ(XlsGetVersion(), 1);
    EXPECT_EQ(XlsGetSheetCount(), 2);
    at(1, 1, 3, 3);
    ASSERT_EQ(method("Box"), 0);  // a thin box: the corner's attribute is that of one
    ASSERT_EQ(XlsPutBox(lsNormal, btBox, "F2:H4"), 1);
    ASSERT_EQ(XlsPutBox(lsThick, btBox, "J2:L4"), 1);
    EXPECT_EQ(XlsGetAttrNo("B2"), XlsGetAttrNo("F2"));
    EXPECT_NE(XlsGetAttrNo("B2"), XlsGetAttrNo("J2"));
    at(5, 5);
    ASSERT_EQ(put("Str", text(u"copied")), 0);
    ASSERT_EQ(method("Copy"), 0);  // copy only
    at(6, 7);
    ASSERT_EQ(method("Paste"), 0);
    EXPECT_EQ(method("CloseBook"), 0);

    int32_t book = 0;
    ASSERT_EQ(XlsReadBook(file("defaults.xls").c_str(), &book), 1);
    char read[16] = {};
    ASSERT_EQ(XlsGetStr(read, sizeof read, "G8"), 1);
    EXPECT_STREQ(read, "copied");
}

TEST_F(ControlTest, TextsWithoutANarrowFormAreRefused) {
    create("narrow.xls");
    const std::u16string accented = u"0.00 \u00E9";
    const std::u16string questioned = u"0.0?";
    EXPECT_EQ(put("Format", text(questioned)), 0);
    EXPECT_EQ(put("Format", text(accented)), failed(errParam));
}

TEST_F(ControlTest, OutArgumentsAndTheControlsOwnReferences) {
    create("area.xls");
    at(2, 4);
    ASSERT_EQ(put("Long", number(1)), 0);
    int32_t x = -9;
    VARIANT y_holder{};
    VARIANT x_ref{};
    x_ref.vt = VT_BYREF | VT_I4;
    x_ref.plVal = &x;
    VARIANT y_ref{};
    y_ref.vt = VT_BYREF | VT_VARIANT;
    y_ref.pvarVal = &y_holder;
    ASSERT_EQ(method("MaxArea", {x_ref, y_ref}), 0);
    EXPECT_EQ(x, 2);
    EXPECT_EQ(y_holder.vt, VT_I4);
    EXPECT_EQ(y_holder.lVal, 4);

    EXPECT_EQ(XlsControlAddRef(control_), 2);
    EXPECT_EQ(XlsControlRelease(control_), 1);
    VARIANT about{};
    ASSERT_EQ(method("About", {}, &about), 0);
    EXPECT_EQ(taken_text(about).rfind(u"tabrix ", 0), 0u);
}

TEST(NamedMutex, IsHeldByOneAtATimeAndFreedWhenItsHolderDies) {
    const std::string name = "tabrix-test-" + std::to_string(getpid());
    {
        platform::NamedMutex first(name);
        platform::NamedMutex second(name);
        ASSERT_TRUE(first.wait(1000));
        EXPECT_FALSE(second.wait(50));
        first.release();
        EXPECT_TRUE(second.wait(1000));
        second.release();
    }
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        platform::NamedMutex held(name);
        const char taken = held.wait(1000) ? 'y' : 'n';
        if (write(ready[1], &taken, 1) != 1) _exit(1);
        pause();  // killed while holding it
        _exit(0);
    }
    char taken = 0;
    ASSERT_EQ(read(ready[0], &taken, 1), 1);
    ASSERT_EQ(taken, 'y');
    platform::NamedMutex waiter(name);
    EXPECT_FALSE(waiter.wait(20));
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    EXPECT_TRUE(waiter.wait(1000));
    waiter.release();
    close(ready[0]);
    close(ready[1]);
    std::filesystem::remove(platform::NamedMutex::lock_file(name));
}

}  // namespace

}  // namespace tabrix::automation::test
