#include "account/UserInfo.h"

#include <cmath>
#include <limits>
#include <optional>

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

template <class Text>
std::optional<Text> TextMember(
    const cJSON* payload, const char* name, bool (*read)(const cJSON*, const char*, Text&))
{
    Text text;
    if (!read(payload, name, text))
        return std::nullopt;
    return text;
}

} // namespace

UserInfoFields ReadUserInfo(const cJSON* payload)
{
    UserInfoFields fields;
    fields.userId = TextMember<std::string>(payload, "id", json::ReadText);
    fields.nickname = TextMember<std::wstring>(payload, "nickname", json::ReadAnsiText);
    fields.avatarPath = TextMember<std::wstring>(payload, "avatar", json::ReadAnsiText);
    fields.myInviteCode = TextMember<std::wstring>(payload, "invite_code", json::ReadAnsiText);
    fields.pointsText = TextMember<std::wstring>(payload, "qtz_money", json::ReadAnsiText);
    const cJSON* point = json::Member(payload, "qtz_point");
    fields.wholePoints = point != nullptr && !json::IsNull(point);
    return fields;
}

void ApplyUserInfo(const UserInfoFields& fields, UserMembers& user)
{
    if (fields.userId)
        user.userId = *fields.userId;
    if (fields.nickname)
        user.nickname = *fields.nickname;
    if (fields.avatarPath)
        user.avatarPath = *fields.avatarPath;
    if (fields.myInviteCode)
        user.myInviteCode = *fields.myInviteCode;
    if (fields.pointsText) {
        user.pointsText = *fields.pointsText;
        user.pointsValue = WideToDouble(user.pointsText);
    }
    if (fields.wholePoints) {
        user.pointsWhole = Truncated(user.pointsValue);
        user.pointsWholeText = Int64ToWide(user.pointsWhole);
    }
}

void ParseUserInfo(const cJSON* payload, UserMembers& user)
{
    ApplyUserInfo(ReadUserInfo(payload), user);
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
