// The control's members as data (names, DISPIDs, arguments, defaults) and the code behind
// each: what a property get, a property put or a method call does.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "tabrix/automation.h"

namespace tabrix::automation {

class Call;

// Whether the error epilogue follows a member: after every call of the Book API; skipped
// by the members that only build a position or read the error state.
enum class Epilogue { run, skip };
using MemberBody = Epilogue (*)(Call &call);

struct MemberCode {
    int32_t dispid;
    MemberBody get;
    MemberBody put;
    MemberBody method;
    // Members that read or keep the error state; before every other member the last error
    // number is cleared, so that a Book API call that records nothing on success does not
    // report an earlier failure again.
    bool keeps_error_state = false;
};

// A member's row of the table with its code (null for a member without code).
struct MemberEntry {
    const XLMEMBER *member;
    const MemberCode *code;
};

// Every member in interface order.
std::span<const XLMEMBER> member_table();
const MemberEntry *member_by_dispid(int32_t dispid);
const XLMEMBER *member_by_name(std::string_view name);

// The code of each family of members, in the file of that family.
std::span<const MemberCode> value_member_code();
std::span<const MemberCode> attribute_member_code();
std::span<const MemberCode> book_member_code();
std::span<const MemberCode> sheet_member_code();
std::span<const MemberCode> block_member_code();
std::span<const MemberCode> position_member_code();

// The constants of the enumerations the type library publishes.
std::span<const XLENUMVALUE> enumeration_table();

}  // namespace tabrix::automation
