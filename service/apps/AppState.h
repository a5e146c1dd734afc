#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "service/World.h"

namespace service {

struct CategoryRecord {
    std::int64_t id = 0;
    std::int64_t parent = 0; // 0 for the two main categories
    std::string name; // UTF-8
};

struct CatalogueApp {
    std::int64_t id = 0;
    int sourceType = 1; // 1: the market's; 2: uploaded by the user `source`
    std::int64_t source = -1;
    std::string name; // UTF-8
    std::string version;
    std::int64_t category = 0; // a third-level category
    std::int64_t updated = 0; // the listing is ordered by this, newest first
    std::string package; // uploaded apps: the file's bytes
};

// One accepted install request.
struct InstallTask {
    std::int64_t userId = 0;
    std::vector<std::string> devices;
    std::vector<std::int64_t> apps;
};

// The app catalogue: categories in three levels under 1 ("应用") and 112
// ("游戏"), the apps with their icons, the installs and uploads received.
class AppState : public DomainState {
public:
    void Seed(WorldKind kind) override;

    // The demo catalogue: about 150 apps in a dozen categories.
    void SeedDemo();
    // `count` market apps with ids 1..count over the demo categories.
    void SeedMany(int count);

    // The apps a user sees in the listing: the market's and his own.
    std::vector<const CatalogueApp*> ListingFor(std::int64_t userId) const;
    const CatalogueApp* Find(std::int64_t id) const;
    CatalogueApp& AddUpload(std::int64_t userId, const std::string& fileName, std::string bytes);

    // The icon PNG of an app (made on first use and kept).
    const std::string* Icon(std::int64_t id);

    std::vector<CategoryRecord> categories;
    std::vector<CatalogueApp> apps;
    std::vector<InstallTask> installs;
    std::map<std::int64_t, std::string> icons;
    std::int64_t clock = 0;
};

AppState& Apps(World& world);

// Ids the icon route answers: the market's and the uploaded apps'.
inline constexpr std::int64_t kMaxMarketAppId = 10000;
inline constexpr std::int64_t kFirstUploadedAppId = 20001;
inline constexpr std::int64_t kMaxUploadedAppId = 21000;

// A PNG of `size` x `size` pixels, distinct per seed.
std::string MakeIconPng(std::int64_t seed, int size = 50);

} // namespace service
