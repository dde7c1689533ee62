#pragma once

// A program's exit status once what it wrote to standard output has reached
// it: `status` when every write there went through, else a line naming the
// failure on standard error ("vesk: standard output: No space left on device")
// and 2, so that a full disk or a closed pipe is never taken for a result.
// A status of 128 or more (a signal's) stays. Called as main() returns.
int checkedOutputStatus(const char* program, int status);
