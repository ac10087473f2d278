// Faults for the system calls of a save: this program's own write, fsync and rename stand in
// front of the C library's and fail, once armed, on the new files that saves make beside a
// workbook (names holding ".tabrix-new-"); every other call goes through untouched.
#pragma once

namespace tabrix::test::faults {

enum class Call { write, fsync, rename };

// Every use of the call on a new file fails with `error`, until disarmed.
void arm(Call call, int error);
void disarm();
// How often an armed call failed since it was armed.
int failures();

}  // namespace tabrix::test::faults
