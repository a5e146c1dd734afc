#include "service/apps/AppState.h"

#include <algorithm>

namespace service {
namespace {

    struct Leaf {
        std::int64_t id;
        const char* name;
        std::vector<const char*> apps;
    };

    struct Branch {
        std::int64_t id;
        std::int64_t parent;
        const char* name;
        std::vector<Leaf> leaves;
    };

    // The demo tree: two sub-categories per tag, a dozen tags in all.
    const std::vector<Branch>& DemoTree()
    {
        static const std::vector<Branch> tree = {
            { 11, 1, "社交通讯",
                { { 1101, "聊天",
                      { "微聊", "飞信通", "Tom's 厨房", "语音派对", "同城交友", "邮箱大师", "视频会议",
                          "群聊助手" } },
                    { 1102, "社区", { "兴趣圈", "问答社", "豆瓣小组", "贴吧之家", "知识星球" } } } },
            { 12, 1, "影音娱乐",
                { { 1201, "视频",
                      { "优选视频", "短视频", "直播间", "影视大全", "动漫世界", "纪录片", "体育直播",
                          "综艺秀" } },
                    { 1202, "音乐", { "云音乐", "K歌达人", "电台FM", "听书", "铃声多多" } } } },
            { 13, 1, "实用工具",
                { { 1301, "系统",
                      { "清理大师", "文件管家", "WiFi钥匙", "手电筒", "计算器", "指南针", "录屏大师",
                          "输入法" } },
                    { 1302, "办公",
                        { "云文档", "扫描王", "翻译官", "日历", "便签", "PDF阅读", "思维导图", "云盘" } } } },
            { 14, 1, "网上购物",
                { { 1401, "商城", { "优品商城", "拼团购", "海淘", "二手市场", "比价助手" } },
                    { 1402, "生活",
                        { "外卖到家", "打车出行", "地图导航", "天气预报", "快递查询", "记账本", "团购优惠",
                            "租房宝" } } } },
            { 15, 1, "教育学习",
                { { 1501, "语言", { "背单词", "口语练习", "日语入门", "汉字字典", "诗词" } },
                    { 1502, "课程", { "网课堂", "题库", "编程学堂", "驾考宝典", "少儿英语" } } } },
            { 16, 1, "金融理财",
                { { 1601, "支付",
                    { "钱包", "银行助手", "信用卡管家", "理财通", "股票行情", "基金宝", "保险管家" } } } },
            { 21, 112, "休闲益智",
                { { 2101, "消除",
                      { "开心消消乐", "宝石迷阵", "泡泡龙", "连连看", "水果消除", "糖果传奇", "数独",
                          "拼图乐园" } },
                    { 2102, "棋牌", { "欢乐斗地主", "中国象棋", "围棋", "五子棋", "麻将", "桥牌" } } } },
            { 22, 112, "角色扮演",
                { { 2201, "仙侠", { "问道", "剑侠情缘", "诛仙", "仙剑奇侠", "天涯明月" } },
                    { 2202, "魔幻",
                        { "龙之谷", "魔域", "奇迹", "暗黑远征", "神域传说", "巨龙之战", "永恒之塔",
                            "魔法学院" } } } },
            { 23, 112, "动作射击",
                { { 2301, "射击", { "全民突击", "荒野求生", "枪战英雄", "狙击精英", "星际前线" } },
                    { 2302, "格斗", { "拳皇", "街头霸王", "火影对决", "功夫少年", "武林至尊" } } } },
            { 24, 112, "体育竞速",
                { { 2401, "赛车", { "极速飞车", "狂野飙车", "卡丁车", "摩托大赛", "漂移之王" } },
                    { 2402, "球类",
                        { "实况足球", "篮球大师", "台球", "乒乓球", "网球公开赛", "高尔夫",
                            "滑雪大冒险" } } } },
            { 25, 112, "策略塔防",
                { { 2501, "策略", { "三国志", "部落冲突", "王国纪元", "文明时代", "海岛奇兵" } },
                    { 2502, "塔防", { "保卫萝卜", "植物大战", "王国守卫", "塔防三国", "炮塔防御" } } } },
            { 26, 112, "模拟经营",
                { { 2601, "经营", { "开心农场", "模拟城市", "餐厅物语", "动物园", "梦想小镇", "咖啡店" } },
                    { 2602, "养成", { "宠物乐园", "恋与制作", "奇迹暖暖", "旅行青蛙", "口袋妖怪" } } } },
        };
        return tree;
    }

    void SeedCategories(std::vector<CategoryRecord>& categories)
    {
        categories = { { 1, 0, "应用" }, { 112, 0, "游戏" } };
        for (const Branch& branch : DemoTree()) {
            categories.push_back({ branch.id, branch.parent, branch.name });
            for (const Leaf& leaf : branch.leaves)
                categories.push_back({ leaf.id, branch.id, leaf.name });
        }
    }

} // namespace

void AppState::Seed(WorldKind kind)
{
    categories.clear();
    apps.clear();
    installs.clear();
    icons.clear();
    clock = 0;
    if (kind == WorldKind::Demo)
        SeedDemo();
}

void AppState::SeedDemo()
{
    SeedCategories(categories);
    apps.clear();
    std::int64_t id = 1;
    for (const Branch& branch : DemoTree()) {
        for (const Leaf& leaf : branch.leaves) {
            for (const char* name : leaf.apps) {
                CatalogueApp app;
                app.id = id;
                app.name = name;
                app.version = std::to_string(1 + id % 5) + "." + std::to_string(id % 10) + "."
                    + std::to_string(id % 3);
                app.category = leaf.id;
                app.updated = 100000 - id * 37 % 1000;
                apps.push_back(app);
                ++id;
            }
        }
    }
    // Two of demo's (user 42) own uploads.
    apps.push_back({ kFirstUploadedAppId, 2, 42, "我的工具箱", "1.0", 1301, 200000, {} });
    apps.push_back({ kFirstUploadedAppId + 1, 2, 42, "测试包", "0.9", 1302, 199999, {} });
}

void AppState::SeedMany(int count)
{
    SeedCategories(categories);
    apps.clear();
    icons.clear();
    std::vector<std::int64_t> leaves;
    for (const Branch& branch : DemoTree()) {
        for (const Leaf& leaf : branch.leaves)
            leaves.push_back(leaf.id);
    }
    for (int i = 1; i <= count; ++i) {
        CatalogueApp app;
        app.id = i;
        app.name = "应用" + std::to_string(i);
        app.version = "1." + std::to_string(i % 100);
        app.category = leaves[static_cast<std::size_t>(i) % leaves.size()];
        app.updated = count - i;
        apps.push_back(std::move(app));
    }
}

std::vector<const CatalogueApp*> AppState::ListingFor(std::int64_t userId) const
{
    std::vector<const CatalogueApp*> listing;
    for (const CatalogueApp& app : apps) {
        if (app.sourceType == 1 || app.source == userId)
            listing.push_back(&app);
    }
    // Newest update first; the id keeps equal times in a fixed order.
    std::stable_sort(listing.begin(), listing.end(), [](const CatalogueApp* a, const CatalogueApp* b) {
        return a->updated != b->updated ? a->updated > b->updated : a->id < b->id;
    });
    return listing;
}

const CatalogueApp* AppState::Find(std::int64_t id) const
{
    for (const CatalogueApp& app : apps) {
        if (app.id == id)
            return &app;
    }
    return nullptr;
}

CatalogueApp& AppState::AddUpload(std::int64_t userId, const std::string& fileName, std::string bytes)
{
    std::int64_t id = kFirstUploadedAppId;
    for (const CatalogueApp& app : apps)
        id = std::max(id, app.id + 1);
    std::string name = fileName;
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    CatalogueApp app;
    app.id = id;
    app.sourceType = 2;
    app.source = userId;
    app.name = name;
    app.version = "1.0";
    app.category = 1301;
    app.updated = 300000 + ++clock;
    app.package = std::move(bytes);
    apps.push_back(std::move(app));
    return apps.back();
}

const std::string* AppState::Icon(std::int64_t id)
{
    if (!Find(id))
        return nullptr;
    auto it = icons.find(id);
    if (it == icons.end())
        it = icons.emplace(id, MakeIconPng(id)).first;
    return &it->second;
}

AppState& Apps(World& world)
{
    return world.Get<AppState>();
}

} // namespace service
