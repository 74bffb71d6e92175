#pragma once
// Two kinds of consistency check. A fatal assertion guards against a programming error: it
// reports the condition, source and line and ends the program (active in release builds too).
// A checked condition (ZCHECK) reports through TErrorReport::AssertionReport and goes on.

/// Reports a failed fatal assertion and ends the program. `source` is a path; only its part
/// below "src/" is shown.
[[noreturn]] void FatalAssertion(const char* condition, const char* source, int line);

/// Reports a failed non-fatal check through TErrorReport::AssertionReport.
void CheckFailed(const char* condition, const char* source, int line);

/// The source path as shown in reports: the part after the last "src/", else the whole path.
const char* ShortSourceName(const char* path);

/// Fatal: ends the program when `cond` is false; the report shows the condition as written.
#define ZASSERT(cond) \
  ((cond) ? static_cast<void>(0) : FatalAssertion(#cond, __FILE__, __LINE__))
/// Fatal, with the condition text given (for conditions the original names differently).
#define ZASSERT_TEXT(cond, text) \
  ((cond) ? static_cast<void>(0) : FatalAssertion(text, __FILE__, __LINE__))
/// Non-fatal: evaluates to `cond`; when false, shows "Assertion failed" and goes on.
#define ZCHECK(cond) \
  ((cond) ? true : (CheckFailed(#cond, __FILE__, __LINE__), false))
/// Non-fatal, with the condition text given.
#define ZCHECK_TEXT(cond, text) \
  ((cond) ? true : (CheckFailed(text, __FILE__, __LINE__), false))
