#pragma once

#include <cstdint>
#include <string>

struct cJSON;

// What the service's upgrade answer offers. Keys that are missing, null or of
// another type keep the defaults.
struct UpdateOffer {
    bool upgrade = false; // true, or a non-zero integer
    bool force = false; // read; every offered update is applied
    bool isFile = false; // read; no effect
    std::wstring url; // the installer's address
    std::int64_t version = 0; // "version" text read as a leading decimal number
};

UpdateOffer ReadUpdateOffer(const cJSON* payload);

// An offer is taken when it says "upgrade" and its version is above ours.
bool IsNewerThan(const UpdateOffer& offer, std::int64_t programVersion);
