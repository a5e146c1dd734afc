#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "market/DatabaseStep.h"
#include "market/SQLiteDatabase.h"

// One app as the views and the install lists show it.
struct AppRecord {
    std::int32_t id = 0;
    std::wstring name;
    std::int32_t category_id = 0;
    std::wstring category_name;
    std::wstring version;
    bool selected = false;
};

// One sub-category tag.
struct SubtypeRecord {
    std::int32_t id = 0;
    std::wstring name;
};

// A list query: its SQL text and the texts bound to its parameters in
// order. Received or typed text goes only into `texts`, never into `sql`.
struct AppQuery {
    std::string sql;
    std::vector<std::string> texts;
};

// The app market's part of the ClientManager: the catalogue connection, the
// app list of the current view, the last app query, the sub-category list
// and the apps selected for installation.
//
// Several list loads may run at once (a quick second click, a rerun after a
// synchronisation), so the lists are written and read under `lock`, which is
// never held while a message is sent. Each load carries a number given when
// it was started; a result older than the one already delivered is dropped.
struct CatalogueMembers {
    SQLiteDatabase database;
    // Ended by OpenCatalogue; see UsableDatabase (market/Catalogue.h).
    DatabaseStep databaseStep;

    mutable std::mutex lock;
    std::vector<AppRecord> AppList;
    std::vector<SubtypeRecord> Subtypes;
    std::vector<AppRecord> SelectedApps;
    AppQuery LastAppQuery;
    std::uint64_t issuedListLoads = 0;
    std::uint64_t deliveredListLoad = 0;
    std::uint64_t issuedSubtypeLoads = 0;
    std::uint64_t deliveredSubtypeLoad = 0;

    // Set while a synchronisation runs; a second one does not start.
    std::atomic<bool> syncRunning { false };
};
