#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

// Whole-file reads and writes for the small files the client keeps itself
// (settings, autostart entry). A write never leaves a half-written file: the
// bytes go to a temporary file beside the target, which is then renamed over
// it; a crash leaves the old file or the new one.

// The file's bytes; nullopt when it does not exist. When it exists but cannot
// be read, *unreadable is set (if given) and nullopt is returned as well.
std::optional<std::string> ReadWholeFile(const std::string& path, bool* unreadable = nullptr);

// Replaces (or creates) the file with the bytes and the given mode.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, mode_t mode);
