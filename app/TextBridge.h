#pragma once

#include <string>

// The text conversions the shell needs for paths and the settings file.
// ANSI means code page 936 (GBK), the code page the settings file was always
// written in; paths are UTF-8, the file-system encoding. Characters a code
// page cannot hold become '?', and bytes that are not valid text in it become
// '?' as well, so a conversion never fails and never stops early.
std::string ShellWideToAnsi(const std::wstring& text);
std::wstring ShellAnsiToWide(const std::string& text);
std::string ShellWideToUtf8(const std::wstring& text);
std::wstring ShellUtf8ToWide(const std::string& text);
