#include "update/UpdateOffer.h"

#include "net/JsonRead.h"
#include "net/NumberText.h"

namespace {

// true/false or an integer.
bool ReadFlag(const cJSON* payload, const char* key)
{
    const cJSON* item = json::Member(payload, key);
    if (json::IsTrue(item))
        return true;
    return json::IsNumber(item) && json::IntegerOf(item) != 0;
}

} // namespace

UpdateOffer ReadUpdateOffer(const cJSON* payload)
{
    UpdateOffer offer;
    offer.upgrade = ReadFlag(payload, "upgrade");
    offer.force = ReadFlag(payload, "force");
    offer.isFile = ReadFlag(payload, "is_file");
    json::ReadAnsiText(payload, "url", offer.url);
    offer.version = WideToInt64(json::AnsiText(payload, "version"));
    return offer;
}

bool IsNewerThan(const UpdateOffer& offer, std::int64_t programVersion)
{
    return offer.upgrade && offer.version > programVersion;
}
