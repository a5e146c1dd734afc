#pragma once

// The process-wide source of skin files: a folder, or a ZIP in memory.

#include <cstddef>
#include <string>

namespace DuiLib::resources {

void SetFolder(const std::wstring& folder);
std::wstring Folder();
bool SetZip(const void* data, std::size_t size);
bool SetZipFile(const std::wstring& path);
void Register(int id, const void* data, std::size_t size);
bool UseRegistered(int id);
bool Read(const std::wstring& name, std::string& bytes);
bool HasSource();
// Changes whenever the source changes (parsed-file caches use it).
unsigned Generation();

} // namespace DuiLib::resources
