#pragma once
// Virus scanners, backup and sync tools and editors open files without
// sharing them for moments at a time, and a file being deleted cannot be
// opened until the last program lets go of it. The file layer waits such a
// hold out for about two seconds, as Windows' own tools do, and names a file
// that is still held after that.
#include <windows.h>

#include <functional>
#include <string>

// The cause in words when `error`, just returned by a call on a file, is
// another program's hold on it (a sharing or lock violation, a file being
// deleted); null for any other failure.
const char* holdOf(DWORD error);
// As holdOf, and also a plain refusal: a rename over a file that another
// program has open is refused rather than reported as a sharing violation.
const char* holdOrRefusalOf(DWORD error);
// Calls `attempt` until it succeeds, fails for a reason `hold` gives no cause
// for, or the wait is over, with short sleeps between tries. When the wait
// runs out, prints one line naming `path`, what could not be done (`failed`:
// "read", "written") and the cause. Returns the last attempt's result, with
// its error still in GetLastError().
bool retryWhileHeld(const std::string& path, const char* failed,
                    const std::function<bool()>& attempt, const char* (*hold)(DWORD) = holdOf);
