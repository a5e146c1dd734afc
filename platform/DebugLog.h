#pragma once

// The two diagnostic log functions: printf-style, formatted into a fixed
// buffer of 40960 units (longer output is cut, never overflows), written as
// one line to standard error. Never shown to the user.
void DebugLogA(const char* format, ...) __attribute__((format(printf, 1, 2)));
void DebugLogW(const wchar_t* format, ...);
