#include "account/UserInfo.h"

#include <cmath>
#include <limits>

#include "account/AccountMembers.h"
#include "app/LocalPaths.h"
#include "net/JsonRead.h"
#include "net/NumberText.h"
#include "net/TextConvert.h"
#include "platform/Utf8.h"

namespace {

constexpr std::size_t kLongestBaseName = 120;

long long Truncated(double value)
{
    // Out of range (or not a number) the cast alone would be undefined.
    if (std::isnan(value))
        return 0;
    if (value >= 9.2e18)
        return std::numeric_limits<long long>::max();
    if (value <= -9.2e18)
        return std::numeric_limits<long long>::min();
    return static_cast<long long>(value);
}

}  // namespace

void ParseUserInfo(const cJSON* payload, UserMembers& user)
{
    json::ReadText(payload, "id", user.userId);
    json::ReadAnsiText(payload, "nickname", user.nickname);
    json::ReadAnsiText(payload, "avatar", user.avatarPath);
    json::ReadAnsiText(payload, "invite_code", user.myInviteCode);
    if (json::ReadAnsiText(payload, "qtz_money", user.pointsText))
        user.pointsValue = WideToDouble(user.pointsText);
    const cJSON* point = json::Member(payload, "qtz_point");
    if (point != nullptr && !json::IsNull(point)) {
        user.pointsWhole = Truncated(user.pointsValue);
        user.pointsWholeText = Int64ToWide(user.pointsWhole);
    }
}

std::string AvatarBaseName(const std::string& userId)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    if (userId.empty())
        return "_";
    std::string out;
    for (const char c : userId) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-') {
            out += c;
        } else {
            out += '_';
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
        }
        if (out.size() >= kLongestBaseName)
            break;
    }
    return out;
}

std::wstring AvatarFilePath(const std::string& userId)
{
    const std::string base = AvatarBaseName(userId);
    return GetLocalPaths().folder.wide + std::wstring(base.begin(), base.end()) + L".png";
}

std::string AvatarDownloadPath(const std::string& userId)
{
    return Utf8OfWide(AvatarFilePath(userId) + L".download");
}
