#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// INI files with the rules of the classic profile functions, which the
// settings file was defined against:
// - section and key names match without regard to ASCII letter case;
// - a missing file, section or key reads as the caller's default;
// - values are trimmed of surrounding blanks, and one pair of surrounding
//   quotes ('…' or "…") is removed;
// - a write changes the one line it concerns (or adds the key, or the section
//   and the key) and keeps every other line as it was.
// Paths are 8-bit (UTF-8) paths; values are bytes, in whatever code page the
// caller uses.

// The leading integer of the value: blanks, an optional sign, an optional
// 0x/0o/0b prefix, then digits up to the first other character ("12ab" is 12,
// "ab" is 0). An empty or missing value gives defaultValue.
int IniReadInt(std::string_view section, std::string_view key, int defaultValue, const std::string& path);

// The value, cut to bufferSize - 1 bytes as a caller's fixed buffer would
// hold it; defaultValue (cut the same way) when the key is missing.
std::string IniReadString(std::string_view section, std::string_view key, std::string_view defaultValue,
    const std::string& path, std::size_t bufferSize = 260);

// Sets key = value. The file is rewritten through a temporary file renamed
// over it and has mode 0600 (it may hold a password). Line breaks in the value
// become blanks so that a value can never add lines of its own; a value that
// reading would change (outer blanks, outer quotes) is written between double
// quotes so that it reads back as it was given. False when the file could not
// be written, or exists but cannot be read (it is then left untouched rather
// than replaced by a file holding only this key).
bool IniWriteString(
    std::string_view section, std::string_view key, std::string_view value, const std::string& path);
