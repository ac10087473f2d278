// One automation control: its own small state (the current position text and the connected
// error sinks; the keyword prefix is the Book API's), and the calls that run a member on it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "automation/members/member_table.h"
#include "automation/variants/arguments.h"
#include "tabrix/automation.h"

namespace tabrix::automation {

class Control {
  public:
    explicit Control(int32_t handle) : handle_(handle) {}

    int32_t handle() const { return handle_; }

    // The current position text: "A1" at first, code page 932, at most 511 bytes, with its
    // UTF-16 form for the calls that take one (made when first asked for).
    const char *position() const { return position_.c_str(); }
    const char16_t *wide_position();
    void set_position(const char *text);

    int32_t connect(XLERRORSINK sink, void *context);
    bool disconnect(int32_t cookie);
    // Fires the Error event on every sink connected now, each seeing the number the one
    // before left.
    void fire_error(int32_t &number) const;

    std::atomic<int32_t> references{1};

  private:
    struct Sink {
        int32_t cookie;
        XLERRORSINK sink;
        void *context;
    };

    int32_t handle_;
    std::string position_ = "A1";
    std::u16string wide_position_ = u"A1";
    bool wide_position_made_ = true;
    std::vector<Sink> sinks_;
    int32_t next_cookie_ = 1;
};

// Live controls by handle. Handles are serial numbers far from small integers, never reused.
int32_t register_control();
std::shared_ptr<Control> find_control(int32_t handle);
// Drops the registry's hold on a control whose references reached 0.
void unregister_control(int32_t handle);

// A member call in progress: the control, the converted arguments (a put's new value last)
// and where the result goes.
class Call {
  public:
    Call(Control &control, std::vector<Argument> &arguments, VARIANT *result)
        : control_(control), arguments_(arguments), result_(result) {}

    Control &control() { return control_; }
    VARIANT *result() { return result_; }
    const Argument &argument(size_t index) const { return arguments_[index]; }
    int32_t number(size_t index) const { return arguments_[index].number; }
    double real(size_t index) const { return arguments_[index].real; }
    const std::u16string &text(size_t index) const { return arguments_[index].text; }
    const Argument &value() const { return arguments_.back(); }

  private:
    Control &control_;
    std::vector<Argument> &arguments_;
    VARIANT *result_;
};

// Runs a member's code and, unless it skips it, the error epilogue: the status of the call.
int32_t run_member(Control &control, const MemberEntry &entry, int32_t invoke, int32_t arg_count,
                   const VARIANT *args, VARIANT *result);

}  // namespace tabrix::automation
