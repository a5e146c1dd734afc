#include "service/messages/MessageState.h"

namespace service {

namespace {

    // 2026-12-01 00:00 UTC and one day, for readable demo dates.
    constexpr std::int64_t kDemoStart = 1796083200;
    constexpr std::int64_t kDay = 86400;

    ServiceMessage Demo(int id, int daysAgo, std::string category, std::string title, std::string description)
    {
        return { std::to_string(id), std::move(category), std::move(title), std::move(description),
            std::to_string(kDemoStart - daysAgo * kDay) };
    }

} // namespace

void MessageState::Seed(WorldKind kind)
{
    users.clear();
    if (kind != WorldKind::Demo)
        return;
    auto& demo = users[42];
    // System messages: all read.
    demo[0].messages = {
        Demo(12, 2, "system", "系统维护通知", "12月3日凌晨2:00至4:00进行系统维护，期间设备可能短暂离线。"),
        Demo(11, 20, "system", "客户端更新说明", "新版客户端优化了同步操作的稳定性。"),
    };
    demo[0].lastReadId = 12;
    // User notices: the newest two are unread.
    demo[1].messages = {
        Demo(57, 0, "user", "设备即将到期", "您的设备 云手机-03 将在3天后到期，请及时续费。"),
        Demo(56, 1, "user", "续费成功", "设备 云手机-01 已续费30天。"),
        Demo(55, 5, "user", "购买成功", "您已成功购买2台设备，\n已加入默认分组。"),
        Demo(54, 9, "user", "充值到账", "您充值的100积分已到账。"),
    };
    demo[1].lastReadId = 55;
    // Activity news: one unread.
    demo[2].messages = {
        Demo(31, 3, "activity", "双十二充值优惠", "活动期间充值满100积分赠送20积分。"),
        Demo(30, 30, "activity", "新用户福利", "新注册用户首台设备八折。"),
    };
    demo[2].lastReadId = 30;
}

UserMessages* MessageState::Box(std::int64_t userId, int type)
{
    if (type < 1 || type > kTypeCount)
        return nullptr;
    return &users[userId][static_cast<std::size_t>(type - 1)];
}

MessageState& Messages(World& world)
{
    return world.Get<MessageState>();
}

} // namespace service
