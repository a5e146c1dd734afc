#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/Task.h"

struct cJSON;

// The catalogue synchronisation task: the category tree, then the whole app
// listing page by page, then the icons whose file is missing; then it posts
// UM_APPS 1259. The user sees nothing of its failures; they are logged.
// A second synchronisation started while one runs ends at once (and still
// posts 1259, so the window's animation stops).
void SyncCatalogue(ClientManager& owner, TaskArg argument);

// A "pages" above this is not read (100 000 apps); such a listing counts as
// incomplete.
inline constexpr int kMaxAppListPages = 5000;
// Icon downloads in flight at once.
inline constexpr int kIconDownloads = 8;

// The steps, public for tests. The app list goes through RunPagedLoad.
void SyncCategories(ClientManager& owner);
// True when the listing was read to its last page and every page was
// written; only then are the rows of earlier generations deleted.
bool SyncAppList(ClientManager& owner);
void FetchAppIcons(ClientManager& owner);

// The generation mark: the low 32 bits of the stamp as a signed number.
std::int32_t GenerationOf(std::int64_t stamp);

// A numeric value of an app object: a JSON string of decimal digits (an
// optional "-" first) or a JSON integer; none for anything else.
std::optional<std::int64_t> NumericMember(const cJSON* object, const char* key);

// The icon file of an app id in the icon folder (UTF-8 path).
std::string IconFilePath(std::int64_t appId);
std::wstring IconFilePathWide(std::int64_t appId);

// Whether the file starts with the PNG signature.
bool LooksLikePng(const std::string& path);
