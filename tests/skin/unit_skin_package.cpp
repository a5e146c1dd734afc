// Checks the skin package linked into the client: every file the window
// loads is there and well formed, every named control the code binds or
// looks up exists with its kind, texts and initial state, and every picture
// the markup names is in the package. A fault here means a control the code
// cannot find, a notification routed to no page, or an empty picture.
#include <QByteArray>
#include <QImage>
#include <QMap>
#include <QRegularExpression>
#include <QString>
#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <zip.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "skin/SkinPackage.h"

namespace {

// --- The package ---------------------------------------------------------

class Package {
public:
    Package()
    {
        const korvana::SkinPackage blob = korvana::EmbeddedSkinPackage();
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* source = zip_source_buffer_create(blob.data, blob.size, 0, &error);
        zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
        if (!archive) {
            if (source)
                zip_source_free(source);
            zip_error_fini(&error);
            return;
        }
        const zip_int64_t count = zip_get_num_entries(archive, 0);
        for (zip_int64_t i = 0; i < count; ++i) {
            zip_stat_t st;
            if (zip_stat_index(archive, i, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
                continue;
            std::string name = st.name;
            if (!name.empty() && name.back() == '/')
                continue;
            zip_file_t* f = zip_fopen_index(archive, i, 0);
            if (!f)
                continue;
            QByteArray bytes(static_cast<qsizetype>(st.size), '\0');
            const zip_int64_t got = zip_fread(f, bytes.data(), st.size);
            zip_fclose(f);
            if (got == static_cast<zip_int64_t>(st.size))
                m_files[name] = bytes;
        }
        zip_close(archive);
        zip_error_fini(&error);
    }

    bool Has(const std::string& name) const { return m_files.count(name) != 0; }
    const QByteArray& Get(const std::string& name) const { return m_files.at(name); }
    const std::map<std::string, QByteArray>& Files() const { return m_files; }

private:
    std::map<std::string, QByteArray> m_files;
};

const Package& SkinZip()
{
    static const Package package;
    return package;
}

// --- A small element tree ------------------------------------------------

struct Node {
    QString tag;
    QMap<QString, QString> attrs;
    std::vector<std::unique_ptr<Node>> children;
    Node* parent = nullptr;

    QString Attr(const char* key) const { return attrs.value(QString::fromLatin1(key)); }
    bool Has(const char* key) const { return attrs.contains(QString::fromLatin1(key)); }
};

struct ParseResult {
    std::unique_ptr<Node> root;
    QString error;
    bool declared = false;
};

ParseResult ParseXml(const QByteArray& bytes)
{
    ParseResult result;
    QXmlStreamReader reader(bytes);
    Node* current = nullptr;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartDocument()) {
            result.declared
                = reader.documentEncoding().compare(QStringLiteral("UTF-8"), Qt::CaseInsensitive) == 0;
        } else if (reader.isStartElement()) {
            auto node = std::make_unique<Node>();
            node->tag = reader.name().toString();
            for (const QXmlStreamAttribute& a : reader.attributes())
                node->attrs.insert(a.name().toString(), a.value().toString());
            Node* raw = node.get();
            if (current) {
                node->parent = current;
                current->children.push_back(std::move(node));
            } else {
                result.root = std::move(node);
            }
            current = raw;
        } else if (reader.isEndElement()) {
            current = current ? current->parent : nullptr;
        }
    }
    if (reader.hasError())
        result.error
            = reader.errorString() + QStringLiteral(" at line ") + QString::number(reader.lineNumber());
    return result;
}

// Replaces every Include by the children of the root of the named file.
void ExpandIncludes(Node& node, int depth, std::vector<std::string>& missing)
{
    for (std::size_t i = 0; i < node.children.size(); ++i) {
        Node& child = *node.children[i];
        if (child.tag != QLatin1String("Include")) {
            ExpandIncludes(child, depth, missing);
            continue;
        }
        const std::string source = child.Attr("source").toStdString();
        if (!SkinZip().Has(source) || depth > 8) {
            missing.push_back(source);
            continue;
        }
        ParseResult included = ParseXml(SkinZip().Get(source));
        if (!included.root) {
            missing.push_back(source);
            continue;
        }
        std::vector<std::unique_ptr<Node>> inserted = std::move(included.root->children);
        node.children.erase(node.children.begin() + static_cast<std::ptrdiff_t>(i));
        for (std::size_t k = 0; k < inserted.size(); ++k) {
            inserted[k]->parent = &node;
            node.children.insert(
                node.children.begin() + static_cast<std::ptrdiff_t>(i + k), std::move(inserted[k]));
        }
        --i; // look at the first inserted child again (it may include more)
    }
}

void Walk(const Node& node, const std::function<void(const Node&)>& visit)
{
    visit(node);
    for (const auto& c : node.children)
        Walk(*c, visit);
}

std::vector<const Node*> FindAll(const Node& root, const QString& name)
{
    std::vector<const Node*> found;
    Walk(root, [&](const Node& n) {
        if (n.Attr("name") == name)
            found.push_back(&n);
    });
    return found;
}

const Node* Find(const Node& root, const char* name)
{
    const auto all = FindAll(root, QString::fromUtf8(name));
    return all.empty() ? nullptr : all.front();
}

bool IsInside(const Node* node, const Node* ancestor)
{
    for (const Node* p = node; p; p = p->parent)
        if (p == ancestor)
            return true;
    return false;
}

// The index of the page of the tab layout that holds the node, or -1.
int PageOf(const Node* node, const Node& tab)
{
    for (std::size_t i = 0; i < tab.children.size(); ++i)
        if (IsInside(node, tab.children[i].get()))
            return static_cast<int>(i);
    return -1;
}

// The window with every page included, parsed once.
const Node& MainWindow()
{
    static std::unique_ptr<Node> root = [] {
        ParseResult r = ParseXml(SkinZip().Get("MainWnd.xml"));
        std::vector<std::string> missing;
        if (r.root)
            ExpandIncludes(*r.root, 0, missing);
        return std::move(r.root);
    }();
    return *root;
}

const std::vector<std::string>& XmlFiles()
{
    static const std::vector<std::string> files = { "MainWnd.xml", "SignTab.xml", "MainTab.xml",
        "AccountTab.xml", "SettingTab.xml", "DeviceTab.xml", "BuyTab.xml", "AppTab.xml", "DownLoadTab.xml",
        "DeviceElement.xml", "DeviceGroupElement.xml", "ChargeElement.xml", "ChargeElementDefine.xml",
        "MemberElement.xml", "PriceElement.xml", "ChargeDeviceElement.xml", "PriceOfDeviceElement.xml",
        "CouponElement.xml", "NotifyElement.xml", "GameIconElement.xml", "GameTileElement.xml",
        "PlatformTagElement.xml", "InstallListElement.xml", "InstallListAppElement.xml", "GameElement.xml",
        "PlatformElement.xml", "PlatformTileElement.xml" };
    return files;
}

// The file an image attribute text names: a bare name or file='...'.
QString ImageFileOf(const QString& text)
{
    static const QRegularExpression quoted(QStringLiteral("file='([^']*)'"));
    const QRegularExpressionMatch m = quoted.match(text);
    QString file = m.hasMatch() ? m.captured(1) : text.trimmed();
    file.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return file;
}

bool IsImageAttribute(const QString& key)
{
    return key.endsWith(QLatin1String("image"));
}

// --- The package as a whole ------------------------------------------------

TEST(SkinPackage, HoldsEveryLayoutFileWellFormedWithUtf8Declaration)
{
    ASSERT_FALSE(SkinZip().Files().empty()) << "the embedded skin ZIP cannot be read";
    int topLevelXml = 0;
    for (const auto& [name, bytes] : SkinZip().Files()) {
        if (name.find('/') == std::string::npos && name.size() > 4 && name.substr(name.size() - 4) == ".xml")
            ++topLevelXml;
        EXPECT_NE(name.rfind("img/src/", 0), 0u) << name << ": img/src/ stays out of the package";
    }
    EXPECT_EQ(topLevelXml, 27);
    for (const std::string& file : XmlFiles()) {
        ASSERT_TRUE(SkinZip().Has(file)) << file;
        const QByteArray& bytes = SkinZip().Get(file);
        EXPECT_TRUE(bytes.startsWith("<?xml")) << file << ": no XML declaration";
        const ParseResult r = ParseXml(bytes);
        EXPECT_TRUE(r.error.isEmpty()) << file << ": " << r.error.toStdString();
        EXPECT_TRUE(r.declared) << file << ": not declared UTF-8";
        ASSERT_TRUE(r.root) << file;
    }
}

TEST(SkinPackage, EveryIncludeAndEveryPictureNamedByTheMarkupExists)
{
    for (const std::string& file : XmlFiles()) {
        ParseResult r = ParseXml(SkinZip().Get(file));
        ASSERT_TRUE(r.root) << file;
        Walk(*r.root, [&](const Node& n) {
            if (n.tag == QLatin1String("Include")) {
                EXPECT_TRUE(SkinZip().Has(n.Attr("source").toStdString()))
                    << file << " includes the missing " << n.Attr("source").toStdString();
            }
            for (auto it = n.attrs.cbegin(); it != n.attrs.cend(); ++it) {
                if (!IsImageAttribute(it.key()) || it.value().isEmpty())
                    continue;
                const QString pic = ImageFileOf(it.value());
                EXPECT_TRUE(SkinZip().Has(pic.toStdString()))
                    << file << ": " << n.Attr("name").toStdString() << " " << it.key().toStdString()
                    << " names the missing picture " << pic.toStdString();
            }
            // Defaults carry image texts inside their value.
            if (n.tag == QLatin1String("Default")) {
                static const QRegularExpression inner(QStringLiteral("file='([^']*)'"));
                auto matches = inner.globalMatch(n.Attr("value"));
                while (matches.hasNext()) {
                    const QString pic
                        = matches.next().captured(1).replace(QLatin1Char('\\'), QLatin1Char('/'));
                    EXPECT_TRUE(SkinZip().Has(pic.toStdString()))
                        << file << " default names " << pic.toStdString();
                }
            }
        });
    }
}

TEST(SkinPackage, PicturesNamedByTheCodeDecodeAtTheirSizes)
{
    struct Expect {
        std::string file;
        int w, h;
    };
    std::vector<Expect> expected = { { "img/ok_15.png", 15, 15 }, { "img/error_15.png", 15, 15 },
        { "img/dot_r_6.png", 6, 6 }, { "img/device/offline_100.png", 100, 100 },
        { "img/app/default_50.png", 50, 50 }, { "img/icon/korvana_64.png", 64, 64 } };
    for (int n = 0; n < 18; ++n) {
        expected.push_back({ "img/sinchronize/sinchronize_25_white_" + std::to_string(n) + ".png", 25, 25 });
        expected.push_back({ "img/sinchronize/sinchronize_30_white_" + std::to_string(n) + ".png", 30, 30 });
    }
    for (const Expect& e : expected) {
        ASSERT_TRUE(SkinZip().Has(e.file)) << e.file;
        const QImage image = QImage::fromData(SkinZip().Get(e.file), "PNG");
        ASSERT_FALSE(image.isNull()) << e.file << " does not decode";
        EXPECT_EQ(image.width(), e.w) << e.file;
        EXPECT_EQ(image.height(), e.h) << e.file;
    }
    // The spinner turns: neighbouring frames differ.
    const QImage f0 = QImage::fromData(SkinZip().Get("img/sinchronize/sinchronize_25_white_0.png"));
    const QImage f1 = QImage::fromData(SkinZip().Get("img/sinchronize/sinchronize_25_white_1.png"));
    EXPECT_NE(f0, f1);
}

// --- The window --------------------------------------------------------------

TEST(SkinWindow, SizeCaptionColoursAndTwentyFonts)
{
    const ParseResult r = ParseXml(SkinZip().Get("MainWnd.xml"));
    ASSERT_TRUE(r.root);
    const Node& w = *r.root;
    EXPECT_EQ(w.tag, QLatin1String("Window"));
    EXPECT_EQ(w.Attr("size"), QLatin1String("900,600"));
    EXPECT_EQ(w.Attr("caption"), QLatin1String("0,0,0,40"));
    EXPECT_EQ(w.Attr("defaulttextcolor").toUpper(), QLatin1String("#FFFFFFFF"));
    EXPECT_EQ(w.Attr("linkfontcolor").toUpper(), QLatin1String("#FFEEEEEE"));
    EXPECT_EQ(w.Attr("linkhoverfontcolor").toUpper(), QLatin1String("#FFFFFFFF"));
    std::map<int, const Node*> fonts;
    for (const auto& c : w.children)
        if (c->tag == QLatin1String("Font"))
            fonts[c->Attr("id").toInt()] = c.get();
    ASSERT_EQ(fonts.size(), 20u);
    for (int id = 0; id < 20; ++id) {
        ASSERT_TRUE(fonts.count(id)) << "font " << id;
        const Node& f = *fonts[id];
        EXPECT_EQ(f.Attr("name"), QStringLiteral("微软雅黑")) << id;
        EXPECT_EQ(f.Attr("size").toInt(), id < 10 ? 10 + id : id) << id;
        EXPECT_EQ(f.Attr("bold"), id < 10 ? QLatin1String("false") : QLatin1String("true")) << id;
    }
    std::map<QString, QString> defaults;
    for (const auto& c : w.children)
        if (c->tag == QLatin1String("Default"))
            defaults[c->Attr("name")] = c->Attr("value");
    for (const char* cls : { "Label", "Button", "Option", "CheckBox", "RichEdit", "Edit", "VScrollBar" })
        EXPECT_TRUE(defaults.count(QString::fromLatin1(cls))) << "no default for " << cls;
    EXPECT_TRUE(defaults[QStringLiteral("Label")].contains(QStringLiteral("font=\"3\"")));
    EXPECT_TRUE(defaults[QStringLiteral("Button")].contains(QStringLiteral("font=\"15\"")));
    EXPECT_TRUE(defaults[QStringLiteral("Button")].contains(QStringLiteral("#60000000")));
    EXPECT_TRUE(defaults[QStringLiteral("Option")].contains(QStringLiteral("font=\"15\"")));
    EXPECT_TRUE(defaults[QStringLiteral("CheckBox")].contains(QStringLiteral("font=\"13\"")));
    EXPECT_TRUE(defaults[QStringLiteral("RichEdit")].contains(QStringLiteral("font=\"5\"")));
    EXPECT_TRUE(defaults[QStringLiteral("RichEdit")].contains(QStringLiteral("wanttab=\"false\"")));
    EXPECT_TRUE(defaults[QStringLiteral("VScrollBar")].contains(QStringLiteral("width=\"9\"")));
}

TEST(SkinWindow, CaptionBarFloatsTopRightWithItsButtons)
{
    const Node& w = MainWindow();
    const Node* help = Find(w, "BtnOfHelp");
    ASSERT_TRUE(help && help->parent);
    EXPECT_EQ(help->parent->Attr("float"), QLatin1String("true"));
    // 740,0 to 900,30 in the 900-pixel window, and at the right edge of a wider one.
    EXPECT_EQ(help->parent->Attr("floatalign"), QLatin1String("right"));
    EXPECT_EQ(help->parent->Attr("pos"), QLatin1String("-160,0,0,30"));
    struct Item {
        const char* name;
        const char* tip;
        bool visible;
    };
    for (const Item& it : { Item { "BtnOfHelp", "帮助", true }, Item { "BtnOfSetting", "设置", false },
             Item { "minbtn", "最小化", true }, Item { "maxbtn", "最大化", true },
             Item { "restorebtn", "还原", false }, Item { "closebtn", "关闭", true } }) {
        const Node* n = Find(w, it.name);
        ASSERT_TRUE(n) << it.name;
        EXPECT_EQ(n->parent, help->parent) << it.name << " is not in the caption bar";
        EXPECT_EQ(n->Attr("tooltip"), QString::fromUtf8(it.tip)) << it.name;
        EXPECT_EQ(n->Attr("visible") != QLatin1String("false"), it.visible) << it.name;
    }
    const Node* upd = Find(w, "LabOfUpdate");
    ASSERT_TRUE(upd);
    EXPECT_EQ(upd->Attr("visible"), QLatin1String("false"));
}

// Every control the main window binds when it starts, with its class.
TEST(SkinWindow, EveryBoundControlExistsWithItsClass)
{
    const std::vector<std::pair<const char*, const char*>> bound = { { "TabOfMainWnd", "TabLayout" },
        { "TabOfMain", "TabLayout" }, { "OptOfNotify", "Option" }, { "OptOfSetting", "Option" },
        { "BtnOfSetting", "Button" }, { "OptOfAppTab", "Option" }, { "OptOfDevice", "Option" },
        { "OptOfCharge", "Option" }, { "OptOfBuy", "Option" }, { "LabOfUpdate", "Label" },
        { "HLayoutOfCaptcha", "HorizontalLayout" }, { "HorLayoutOfSearch", "HorizontalLayout" },
        { "ProOfDownload", "Progress" }, { "LabOfDownload", "Label" }, { "TabOfSign", "TabLayout" },
        { "EditOfLoginName", "RichEdit" }, { "EditOfLoginPwd", "RichEdit" },
        { "EditOfSigninCaptcha", "RichEdit" }, { "BtnOfSigninCaptcha", "Button" },
        { "CBoxOfRememberPwd", "CheckBox" }, { "CBoxOfAutoLogin", "CheckBox" }, { "BtnOfLogin", "Button" },
        { "LabOfSignupNotify", "Label" }, { "CtrlOfSignupName", "Control" }, { "CtrlOfSignupPwd", "Control" },
        { "CtrlOfSignupRePwd", "Control" }, { "CtrlOfPicCaptcha", "Control" },
        { "CtrlOfPhoneNum", "Control" }, { "CtrlOfSmsCaptcha", "Control" },
        { "EditOfSignupName", "RichEdit" }, { "EditOfSignupPwd", "RichEdit" },
        { "EditOfSignupRePwd", "RichEdit" }, { "EditOfPicCaptcha", "RichEdit" },
        { "BtnOfPicCaptcha", "Button" }, { "EditOfPhoneNum", "RichEdit" }, { "EditOfSmsCaptcha", "RichEdit" },
        { "BtnOfSmsCaptcha", "Button" }, { "EditOfInvitation", "RichEdit" }, { "CBoxOfAgree", "CheckBox" },
        { "BtnOfSignup", "Button" }, { "ConOfUserICON", "Container" }, { "LabOfUserNameInMainTab", "Label" },
        { "LabOfBalanceInMainTab", "Label" }, { "EditOfNickName", "RichEdit" }, { "LabOfBalance", "Label" },
        { "EditOfOldPwd", "RichEdit" }, { "EditOfNewPwd", "RichEdit" }, { "EditOfVerifyPwd", "RichEdit" },
        { "TabOfNotify", "TabLayout" }, { "OptOfUserNotify", "Option" }, { "OptOfSysNotify", "Option" },
        { "OptOfActNotify", "Option" }, { "ListOfNotify", "List" }, { "OptOfAllDevice", "Option" },
        { "OptOfDeviceSearch", "Option" }, { "OptOfExtDevice", "Option" }, { "OptOfOfflineDevice", "Option" },
        { "TabOfDevice", "TabLayout" }, { "TabOfDeviceShown", "TabLayout" }, { "ProOfUpdata", "Progress" },
        { "CBoxOfBatOpt", "CheckBox" }, { "CBoxOfSelAll", "CheckBox" },
        { "HLayOfBatOpt", "HorizontalLayout" }, { "ListOfDeviceGroup", "List" },
        { "ListOfDeviceGroupSel", "List" }, { "BtnOfRefreshDeviceList", "Button" },
        { "BtnOfAddGroup", "Button" }, { "BtnOfAllDisplay", "Button" }, { "TreeViewOfDevice", "TreeView" },
        { "TreeRootNodeOfDevice", "TreeNode" }, { "ProOfBatUpload", "Progress" },
        { "EditOfSearch", "RichEdit" }, { "BtnOfFileSel", "Button" }, { "TileOfDevice", "TileLayout" },
        { "EditOfInvitationCode", "RichEdit" }, { "TabOfBuy", "TabLayout" }, { "TabOfGoods", "TabLayout" },
        { "LabOfBalanceCharge", "Label" }, { "TileOfCharge", "TileLayout" },
        { "TileOfMembership", "TileLayout" }, { "TileOfPrice", "TileLayout" },
        { "TileOfCoupon", "TileLayout" }, { "TileOfDeviceCharge", "TileLayout" },
        { "TileOfDevicePrice", "TileLayout" }, { "TileOfDeviceCoupon", "TileLayout" },
        { "EditOfBuyCount", "RichEdit" }, { "LabOfPayment", "Label" }, { "BtnOfPay", "Button" },
        { "CtrlOfQRCode", "Button" }, { "TabOfRcord", "TabLayout" }, { "ListOfOrder", "List" },
        { "OptOfHot", "Option" }, { "OptOfSearch", "Option" }, { "ProOfAppRefresh", "Progress" },
        { "TabOfAppList", "TabLayout" }, { "TabOfSubTypeAppList", "TabLayout" },
        { "TileOfGame", "TileLayout" }, { "TileOfLetterTag", "TileLayout" }, { "ListOfGameTile", "List" },
        { "EditOfAppSearch", "RichEdit" }, { "BtnOfAppRefresh", "Button" },
        { "ListOfSelectedDevice", "List" }, { "ListOfSelectedApp", "List" },
        { "ProOfUploadLocalApp", "Progress" }, { "BtnOfDelLocalApp", "Button" } };
    const Node& w = MainWindow();
    for (const auto& [name, cls] : bound) {
        const auto all = FindAll(w, QString::fromLatin1(name));
        ASSERT_FALSE(all.empty()) << name << " is missing from the window";
        EXPECT_EQ(all.front()->tag, QString::fromLatin1(cls)) << name;
    }
}

TEST(SkinWindow, TabPagesAreInTheOrderTheCodeSelects)
{
    const Node& w = MainWindow();
    const Node* top = Find(w, "TabOfMainWnd");
    ASSERT_TRUE(top);
    EXPECT_EQ(top->Attr("selectedid"), QLatin1String("0"));
    ASSERT_EQ(top->children.size(), 3u);
    EXPECT_EQ(PageOf(Find(w, "TabOfSign"), *top), 0);
    EXPECT_EQ(PageOf(Find(w, "TabOfMain"), *top), 1);
    EXPECT_EQ(PageOf(Find(w, "ProOfDownload"), *top), 2);

    const Node* main = Find(w, "TabOfMain");
    ASSERT_TRUE(main);
    EXPECT_EQ(main->Attr("selectedid"), QLatin1String("2"));
    ASSERT_EQ(main->children.size(), 6u);
    EXPECT_EQ(PageOf(Find(w, "EditOfNickName"), *main), 0);
    EXPECT_EQ(PageOf(Find(w, "CBoxOfMinToTray"), *main), 1);
    EXPECT_EQ(PageOf(Find(w, "TileOfDevice"), *main), 2);
    EXPECT_EQ(PageOf(Find(w, "TabOfBuy"), *main), 3);
    EXPECT_EQ(PageOf(Find(w, "ListOfNotify"), *main), 4);
    EXPECT_EQ(PageOf(Find(w, "TabOfAppList"), *main), 5);

    struct Page {
        const char* tab;
        const char* control;
        int page;
    };
    for (const Page& p : { Page { "TabOfSign", "BtnOfLogin", 0 }, Page { "TabOfSign", "BtnOfSignup", 1 },
             Page { "TabOfNotify", "ListOfNotify", 0 }, Page { "TabOfDevice", "TileOfDevice", 0 },
             Page { "TabOfDevice", "ListOfDeviceGroup", 1 }, Page { "TabOfDevice", "TreeViewOfDevice", 2 },
             Page { "TabOfDeviceShown", "ProOfUpdata", 0 }, Page { "TabOfDeviceShown", "TileOfDevice", 1 },
             Page { "TabOfBuy", "TabOfGoods", 0 }, Page { "TabOfBuy", "CtrlOfQRCode", 1 },
             Page { "TabOfBuy", "ListOfOrder", 2 }, Page { "TabOfGoods", "TileOfMembership", 0 },
             Page { "TabOfGoods", "TileOfCharge", 1 }, Page { "TabOfGoods", "TileOfDeviceCharge", 2 },
             Page { "TabOfRcord", "ListOfOrder", 0 }, Page { "TabOfAppList", "TileOfGame", 0 },
             Page { "TabOfAppList", "TileOfLetterTag", 1 },
             Page { "TabOfSubTypeAppList", "ListOfGameTile", 0 } }) {
        const Node* tab = Find(w, p.tab);
        ASSERT_TRUE(tab) << p.tab;
        EXPECT_EQ(PageOf(Find(w, p.control), *tab), p.page) << p.control << " in " << p.tab;
    }
    EXPECT_EQ(Find(w, "TabOfSign")->children.size(), 3u);
    EXPECT_EQ(Find(w, "TabOfGoods")->Attr("selectedid"), QLatin1String("1"));
    EXPECT_EQ(Find(w, "TabOfNotify")->children.size(), 2u);
    EXPECT_EQ(Find(w, "TabOfDeviceShown")->children.size(), 3u);
    EXPECT_EQ(Find(w, "TabOfAppList")->children.size(), 3u);
    EXPECT_EQ(Find(w, "TabOfRcord")->children.size(), 2u);
    EXPECT_EQ(Find(w, "TabOfSubTypeAppList")->children.size(), 2u);
}

// Texts, tooltips, placeholders, states and routing of the named controls.
struct Expected {
    const char* name;
    const char* cls;
    const char* text; // text or placeholder ("" = not checked)
    const char* tooltip; // "" = not checked
    const char* userdata; // nullptr = must have none
    const char* state; // "hidden", "disabled", "selected" or ""
};

void CheckExpected(const Node& root, const std::vector<Expected>& expected)
{
    for (const Expected& s : expected) {
        const auto all = FindAll(root, QString::fromLatin1(s.name));
        ASSERT_FALSE(all.empty()) << s.name;
        const Node& n = *all.front();
        EXPECT_EQ(n.tag, QString::fromLatin1(s.cls)) << s.name;
        if (*s.text) {
            const QString shown = n.tag == QLatin1String("RichEdit") && n.Has("tipvalue") ? n.Attr("tipvalue")
                                                                                          : n.Attr("text");
            EXPECT_EQ(shown, QString::fromUtf8(s.text)) << s.name;
        }
        if (*s.tooltip) {
            EXPECT_EQ(n.Attr("tooltip"), QString::fromUtf8(s.tooltip)) << s.name;
        }
        if (s.userdata)
            EXPECT_EQ(n.Attr("userdata"), QString::fromLatin1(s.userdata)) << s.name;
        else
            EXPECT_FALSE(n.Has("userdata")) << s.name << " must not reach a page handler";
        const std::string state = s.state;
        EXPECT_EQ(n.Attr("visible") == QLatin1String("false"), state == "hidden") << s.name;
        EXPECT_EQ(n.Attr("enabled") == QLatin1String("false"), state == "disabled") << s.name;
        EXPECT_EQ(n.Attr("selected") == QLatin1String("true"), state == "selected") << s.name;
    }
}

TEST(SkinPages, SignInAndRegistration)
{
    CheckExpected(MainWindow(),
        {
            { "EditOfLoginName", "RichEdit", "用户名/手机号", "", "SignTab", "" },
            { "EditOfLoginPwd", "RichEdit", "密码", "", "SignTab", "" },
            { "HLayoutOfCaptcha", "HorizontalLayout", "", "", nullptr, "hidden" },
            { "EditOfSigninCaptcha", "RichEdit", "验证码", "", "SignTab", "" },
            { "BtnOfSigninCaptcha", "Button", "", "看不清楚，点击图片换下一张", "SignTab", "" },
            { "CBoxOfRememberPwd", "CheckBox", "记住密码", "", "SignTab", "" },
            { "CBoxOfAutoLogin", "CheckBox", "自动登录", "", "SignTab", "hidden" },
            { "BtnOfPwdResetTab", "Button", "忘记密码了？", "", "SignTab", "hidden" },
            { "BtnOfLogin", "Button", "登   录", "", "SignTab", "" },
            { "BtnOfSignupTab", "Button", "没有帐户？立即注册", "", "SignTab", "" },
            { "EditOfSignupName", "RichEdit", "用户名/手机号", "", "SignTab", "" },
            { "EditOfSignupPwd", "RichEdit", "密码", "", "SignTab", "" },
            { "EditOfSignupRePwd", "RichEdit", "密码确认", "", "SignTab", "" },
            { "EditOfPicCaptcha", "RichEdit", "图片验证码", "", "SignTab", "" },
            { "BtnOfPicCaptcha", "Button", "", "看不清楚，点击图片换下一张", "SignTab", "" },
            { "EditOfPhoneNum", "RichEdit", "手机号", "", "SignTab", "" },
            { "EditOfSmsCaptcha", "RichEdit", "短信验证", "", "SignTab", "disabled" },
            { "BtnOfSmsCaptcha", "Button", "获取验证码", "", "SignTab", "disabled" },
            { "EditOfInvitation", "RichEdit", "邀请码", "", "SignTab", "" },
            { "CBoxOfAgree", "CheckBox", "同意本协议", "", "SignTab", "" },
            { "BtnOfSignup", "Button", "注册并登录", "", "SignTab", "" },
        });
    const Node& w = MainWindow();
    for (const char* pwd : { "EditOfLoginPwd", "EditOfSignupPwd", "EditOfSignupRePwd", "EditOfOldPwd",
             "EditOfNewPwd", "EditOfVerifyPwd" })
        EXPECT_EQ(Find(w, pwd)->Attr("password"), QLatin1String("true")) << pwd;
    for (const char* mark : { "CtrlOfSignupName", "CtrlOfSignupPwd", "CtrlOfSignupRePwd", "CtrlOfPicCaptcha",
             "CtrlOfPhoneNum", "CtrlOfSmsCaptcha" }) {
        EXPECT_EQ(Find(w, mark)->Attr("width"), QLatin1String("15")) << mark;
        EXPECT_EQ(Find(w, mark)->Attr("height"), QLatin1String("15")) << mark;
    }
    const Node* sign = Find(w, "TabOfSign");
    EXPECT_EQ(sign->Attr("width"), QLatin1String("360"));
    EXPECT_EQ(sign->Attr("height"), QLatin1String("520"));
    // Two back buttons: one on the registration page, one on the reset page.
    const auto back = FindAll(w, QStringLiteral("BtnOfLoginTab"));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(PageOf(back[0], *sign), 1);
    EXPECT_EQ(back[0]->Attr("text"), QStringLiteral("已有账号？立即登陆"));
    EXPECT_EQ(PageOf(back[1], *sign), 2);
    EXPECT_EQ(back[1]->Attr("text"), QStringLiteral("返回登录界面"));
}

TEST(SkinPages, MainMenuAccountAndSettings)
{
    CheckExpected(MainWindow(),
        {
            { "ConOfUserICON", "Container", "", "", nullptr, "" },
            { "LabOfUserNameInMainTab", "Label", "Name", "", nullptr, "" },
            { "LabOfBalanceInMainTab", "Label", "可用积分 100", "", nullptr, "" },
            { "OptOfAccount", "Option", "我的账户", "", "MainTab", "" },
            { "OptOfDevice", "Option", "我的设备", "", "MainTab", "selected" },
            { "ListOfDeviceGroupSel", "List", "", "", "DeviceTab", "hidden" },
            { "OptOfCharge", "Option", "会员积分", "", "MainTab", "" },
            { "OptOfBuy", "Option", "添加设备", "", "MainTab", "" },
            { "OptOfAppTab", "Option", "应用市场", "", "MainTab", "" },
            { "OptOfNotify", "Option", "消息通知", "", "MainTab", "" },
            { "OptOfUserNotify", "Option", "通知列表", "", "MainTab", "selected" },
            { "OptOfSysNotify", "Option", "系统消息", "", "MainTab", "" },
            { "OptOfActNotify", "Option", "活动资讯", "", "MainTab", "" },
            { "EditOfNickName", "RichEdit", "", "", "AccountTab", "" },
            { "LabOfUserType", "Label", "", "", nullptr, "" },
            { "BtnOfFileSel", "Button", "选择文件", "", "AccountTab", "" },
            { "BtnOfSetUserInfo", "Button", "修改", "", "AccountTab", "" },
            { "LabOfBalance", "Label", "", "", nullptr, "" },
            { "BtnOfBuy", "Button", "获取积分", "", "AccountTab", "" },
            { "BtnOfChangePwd", "Button", "修改", "", "AccountTab", "" },
            { "BtnOfLogOut", "Button", "注销", "", "AccountTab", "" },
            { "BtnOfQuit", "Button", "退出", "", "AccountTab", "" },
            // Connected to the settings (the main page's handler keeps them in step).
            { "CBoxOfOnStartUp", "CheckBox", "开机启动", "", "MainTab", "" },
            { "CBoxOfAutologin", "CheckBox", "自动登录", "", "MainTab", "" },
            { "CBoxOfMinToTray", "CheckBox", "关闭时最小化到托盘", "", "MainTab", "" },
        });
    const Node& w = MainWindow();
    EXPECT_EQ(Find(w, "ConOfUserICON")->Attr("width"), QLatin1String("128"));
    EXPECT_EQ(Find(w, "ConOfUserICON")->Attr("height"), QLatin1String("128"));
    EXPECT_EQ(Find(w, "BtnOfFileSel")->Attr("width"), QLatin1String("70"));
    EXPECT_EQ(Find(w, "BtnOfFileSel")->Attr("height"), QLatin1String("70"));
    for (const char* opt :
        { "OptOfAccount", "OptOfDevice", "OptOfCharge", "OptOfBuy", "OptOfAppTab", "OptOfNotify" })
        EXPECT_EQ(Find(w, opt)->Attr("group"), QLatin1String("MainMenu")) << opt;
    // The unread marks the code copies into the fore image.
    EXPECT_EQ(Find(w, "OptOfNotify")->Attr("disabledimage"),
        QStringLiteral("file='img\\dot_r_6.png' dest='53,6,59,12'"));
    for (const char* opt : { "OptOfUserNotify", "OptOfSysNotify", "OptOfActNotify" }) {
        EXPECT_EQ(Find(w, opt)->Attr("group"), QLatin1String("NotifyType")) << opt;
        EXPECT_EQ(
            Find(w, opt)->Attr("disabledimage"), QStringLiteral("file='img\\dot_r_6.png' dest='65,3,71,9'"))
            << opt;
    }
    // Two buttons of this name show the records: the account page routes it to the purchase page.
    bool accountRecords = false;
    for (const Node* n : FindAll(w, QStringLiteral("BtnOfOrderList"))) {
        EXPECT_EQ(n->Attr("userdata"), QLatin1String("BuyTab"));
        accountRecords |= n->Attr("text") == QStringLiteral("历史记录");
    }
    EXPECT_TRUE(accountRecords);
    // Both product texts.
    bool title = false, version = false;
    Walk(w, [&](const Node& n) {
        title |= n.Attr("text") == QStringLiteral("Korvana云手机");
        version |= n.Attr("text") == QStringLiteral("Korvana云 V1.0.1.5");
    });
    EXPECT_TRUE(title);
    EXPECT_TRUE(version);
}

TEST(SkinPages, DevicePage)
{
    CheckExpected(MainWindow(),
        {
            { "OptOfAllDevice", "Option", "所有设备", "", "DeviceTab", "selected" },
            { "OptOfExtDevice", "Option", "过期设备", "", "DeviceTab", "" },
            { "OptOfOfflineDevice", "Option", "故障设备", "", "DeviceTab", "" },
            { "OptOfNoGroupDevice", "Option", "未分组", "", "DeviceTab", "hidden" },
            { "OptOfDeviceSearch", "Option", "搜索", "", "DeviceTab", "hidden" },
            { "EditOfSearch", "RichEdit", "", "", "DeviceTab", "" },
            { "BtnOfRefresh", "Button", "刷新", "", "DeviceTab", "hidden" },
            { "BtnOfEditDeviceGroup", "Button", "编辑分组", "", "DeviceTab", "" },
            { "BtnOfRefreshDeviceList", "Button", "刷新设备", "刷新设备列表", "DeviceTab", "" },
            { "BtnOfAddNew", "Button", "添加设备", "添加新设备", "DeviceTab", "" },
            { "BtnOfAllDisConnect", "Button", "关闭设备", "断开所有设备连接", "DeviceTab", "" },
            { "BtnOfAllDisplay", "Button", "设备群控", "多设备同步控制", "DeviceTab", "hidden" },
            { "CBoxOfBatOpt", "CheckBox", "批量操作", "", "DeviceTab", "" },
            { "HLayOfBatOpt", "HorizontalLayout", "", "", nullptr, "hidden" },
            { "CBoxOfSelAll", "CheckBox", "全选/全不选", "", "DeviceTab", "" },
            { "BtnOfMove", "Button", "批量移动", "移动到分组", "DeviceTab", "" },
            { "BtnOfBatReboot", "Button", "批量重启", "", "DeviceTab", "" },
            { "BtnOfBatRecover", "Button", "批量恢复", "", "DeviceTab", "" },
            { "BtnOfBatUploadFile", "Button", "批量上传", "", "DeviceTab", "" },
            { "BtnOfBatSync", "Button", "同步操作", "", "DeviceTab", "hidden" },
            { "BtnOfInstall", "Button", "安装应用", "批量安装应用", "DeviceTab", "" },
            { "BtnOfChargeInBat", "Button", "设备续费", "设备批量续费", "DeviceTab", "" },
            { "BtnOfModifyAllGroup", "Button", "确认", "", "DeviceTab", "" },
            { "BtnOfCancelModifyGroup", "Button", "取消", "", "DeviceTab", "" },
            { "TreeViewOfDevice", "TreeView", "", "", "DeviceTab", "hidden" },
            { "TreeRootNodeOfDevice", "TreeNode", "所有设备分组", "", "DeviceTab", "" },
        });
    const Node& w = MainWindow();
    for (const char* opt : { "OptOfAllDevice", "OptOfExtDevice", "OptOfOfflineDevice", "OptOfNoGroupDevice",
             "OptOfDeviceSearch" })
        EXPECT_EQ(Find(w, opt)->Attr("group"), QLatin1String("DeviceType")) << opt;
    for (const char* opt : { "OptOfExtDevice", "OptOfOfflineDevice" })
        EXPECT_EQ(ImageFileOf(Find(w, opt)->Attr("disabledimage")), QLatin1String("img/dot_r_6.png")) << opt;
    EXPECT_EQ(Find(w, "TileOfDevice")->Attr("itemsize"), QLatin1String("160,250"));
    EXPECT_TRUE(IsInside(Find(w, "EditOfSearch"), Find(w, "HorLayoutOfSearch")));
    const Node* addGroup = Find(w, "BtnOfAddGroup");
    EXPECT_EQ(PageOf(addGroup, *Find(w, "TabOfDevice")), 1);
    EXPECT_EQ(addGroup->Attr("text"), QStringLiteral("添加"));
    const auto back = FindAll(w, QStringLiteral("BtnOfDeviceTab"));
    ASSERT_GE(back.size(), 3u); // one on the group page, two on the app page
    EXPECT_EQ(back[0]->Attr("text"), QStringLiteral("设备分组"));
    EXPECT_EQ(back[0]->Attr("tooltip"), QStringLiteral("返回"));
    EXPECT_EQ(back[0]->Attr("userdata"), QLatin1String("DeviceTab"));
}

TEST(SkinPages, PurchasePage)
{
    CheckExpected(MainWindow(),
        {
            { "TileOfCoupon", "TileLayout", "", "", nullptr, "hidden" },
            { "LabOfBalanceCharge", "Label", "", "", nullptr, "hidden" },
            { "BtnOfDecreaseCount", "Button", "-", "", "BuyTab", "" },
            { "BtnOfIncreaseCount", "Button", "+", "", "BuyTab", "" },
            { "EditOfBuyCount", "RichEdit", "1", "", "BuyTab", "" },
            { "EditOfInvitationCode", "RichEdit", "", "", nullptr, "" },
            { "BtnOfCopyInvitationCode", "Button", "拷贝邀请码", "", "BuyTab", "" },
            { "BtnOfBuyDeviceTab", "Button", "设备续期", "返回", "BuyTab", "" },
            { "LabOfPayment", "Label", "", "", nullptr, "" },
            { "BtnOfPay", "Button", "   账户积分", "", "BuyTab", "" },
            { "BtnOfAliPay", "Button", "   支付宝", "", "BuyTab", "" },
            { "BtnOfWeChatPay", "Button", "   微信", "", "BuyTab", "" },
            { "CtrlOfQRCode", "Button", "", "", nullptr, "disabled" },
            { "OptOfPointRecord", "Option", "积分记录", "", "BuyTab", "selected" },
            { "OptOfChargeRecord", "Option", "充值记录", "", "BuyTab", "" },
        });
    const Node& w = MainWindow();
    for (const char* opt : { "OptOfPointRecord", "OptOfChargeRecord" })
        EXPECT_EQ(Find(w, opt)->Attr("group"), QLatin1String("RecordType"));
    const auto back = FindAll(w, QStringLiteral("BtnOfBuyTab"));
    ASSERT_EQ(back.size(), 2u);
    const Node& buy = *Find(w, "TabOfBuy");
    EXPECT_EQ(PageOf(back[0], buy), 1);
    EXPECT_EQ(back[0]->Attr("text"), QStringLiteral("请使用微信扫描二维码"));
    EXPECT_EQ(back[0]->Attr("tooltip"), QStringLiteral("返回"));
    EXPECT_EQ(PageOf(back[1], buy), 2);
    EXPECT_EQ(back[1]->Attr("text"), QStringLiteral("返回"));
    bool records = false;
    for (const Node* n : FindAll(w, QStringLiteral("BtnOfOrderList")))
        records |= n->Attr("text") == QStringLiteral("查看历史记录") && IsInside(n, &buy);
    EXPECT_TRUE(records);
    // The record list's column captions, in the column order the code fills.
    std::vector<QString> columns;
    Walk(*Find(w, "ListOfOrder"), [&](const Node& n) {
        if (n.tag == QLatin1String("ListHeaderItem"))
            columns.push_back(n.Attr("text"));
    });
    const std::vector<QString> expected = { QStringLiteral("日期"), QStringLiteral("套餐"),
        QStringLiteral("金额"), QStringLiteral("状态"), QStringLiteral("描述") };
    EXPECT_EQ(columns, expected);
}

TEST(SkinPages, AppMarketPage)
{
    CheckExpected(MainWindow(),
        {
            { "OptOfHot", "Option", "热门", "", "AppTab", "" },
            { "OptOfApp", "Option", "应用", "", "AppTab", "" },
            { "OptOfGame", "Option", "游戏", "", "AppTab", "" },
            { "OptOfLocal", "Option", "我的应用", "", "AppTab", "" },
            { "OptOfSearch", "Option", "搜索", "", "AppTab", "hidden" },
            { "HorLayoutOfAppSearch", "HorizontalLayout", "", "", nullptr, "" },
            { "EditOfAppSearch", "RichEdit", "", "", "AppTab", "" },
            { "BtnOfAppRefresh", "Button", "", "刷新", "AppTab", "" },
            { "BtnOfDelAllInstallListDeviceElement", "Button", "清空所选设备", "", "AppTab", "" },
            { "BtnOfDelAllInstallListAppElement", "Button", "清空所选应用", "", "AppTab", "" },
            { "BtnOfConfirmInstall", "Button", "安装已选应用", "", "AppTab", "" },
            { "BtnOfUploadLocalApp", "Button", "上传应用", "上传本地应用", "AppTab", "" },
            { "BtnOfDelLocalApp", "Button", "删除应用", "删除已上传应用", "AppTab", "hidden" },
        });
    const Node& w = MainWindow();
    for (const char* opt : { "OptOfHot", "OptOfApp", "OptOfGame", "OptOfLocal", "OptOfSearch" })
        EXPECT_EQ(Find(w, opt)->Attr("group"), QLatin1String("GameType")) << opt;
    EXPECT_EQ(Find(w, "ProOfAppRefresh")->Attr("width"), QLatin1String("700"));
    EXPECT_EQ(Find(w, "ProOfAppRefresh")->Attr("height"), QLatin1String("2"));
    EXPECT_EQ(Find(w, "ProOfUploadLocalApp")->Attr("width"), QLatin1String("700"));
    EXPECT_EQ(Find(w, "ProOfUploadLocalApp")->Attr("height"), QLatin1String("3"));
    // The animation reads the frame number out of this exact text.
    EXPECT_EQ(Find(w, "BtnOfAppRefresh")->Attr("disabledimage"),
        QStringLiteral("file='img\\sinchronize\\sinchronize_30_white_0.png' dest='0,0,30,30'"));
    EXPECT_TRUE(IsInside(Find(w, "EditOfAppSearch"), Find(w, "HorLayoutOfAppSearch")));
    int appBack = 0;
    for (const Node* n : FindAll(w, QStringLiteral("BtnOfDeviceTab")))
        if (n->Attr("userdata") == QLatin1String("AppTab")) {
            ++appBack;
            EXPECT_EQ(n->Attr("text"), QStringLiteral("返回设备列表"));
        }
    EXPECT_EQ(appBack, 2);
}

TEST(SkinPages, DownloadPage)
{
    const Node& w = MainWindow();
    const Node* bar = Find(w, "ProOfDownload");
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->Attr("width"), QLatin1String("800"));
    EXPECT_EQ(bar->Attr("height"), QLatin1String("15"));
    EXPECT_EQ(bar->Attr("value"), QLatin1String("0"));
    const Node* lab = Find(w, "LabOfDownload");
    EXPECT_EQ(lab->Attr("font"), QLatin1String("19"));
    EXPECT_TRUE(lab->Attr("text").isEmpty());
}

// Every page handler name a control carries must be one the router knows:
// a misspelt userdata silently drops the control's notifications.
TEST(SkinPages, EveryUserdataNamesAPageHandler)
{
    const std::set<QString> handlers
        = { QStringLiteral("SignTab"), QStringLiteral("AccountTab"), QStringLiteral("MainTab"),
              QStringLiteral("DeviceTab"), QStringLiteral("BuyTab"), QStringLiteral("AppTab") };
    for (const std::string& file : XmlFiles()) {
        ParseResult r = ParseXml(SkinZip().Get(file));
        ASSERT_TRUE(r.root);
        Walk(*r.root, [&](const Node& n) {
            if (n.Has("userdata")) {
                EXPECT_TRUE(handlers.count(n.Attr("userdata")))
                    << file << ": " << n.Attr("name").toStdString() << " userdata "
                    << n.Attr("userdata").toStdString();
            }
        });
    }
}

// --- Element templates ---------------------------------------------------

struct Template {
    const char* file;
    const char* element; // name of the first child ("" = unnamed)
    const char* cls;
    const char* width; // "" = not checked
    const char* height;
    std::vector<const char*> parts;
};

TEST(SkinTemplates, RootContainerWrapsTheElementWithItsParts)
{
    const std::vector<Template> templates = {
        { "DeviceElement.xml", "TabOfDeviceElement", "TabLayout", "160", "250",
            { "VerOfDeviceCtrl", "BtnOfDeviceInfo", "CBoxOfModifyDeviceName", "EditOfDeviceName",
                "LabOfDeviceName", "BtnOfScreenshot", "TabOfDeviceDetail", "HLayoutOfCtrl", "CtrlOfInfoUp",
                "CBoxOfCtrl", "CtrlOfInfoDown", "LabOfCtrl", "HorOfDeviceCtrl", "BtnOfReboot", "BtnOfRecover",
                "BtnOfUploadFile", "BtnOfDeviceInstall", "LabOfDevivceFunc", "CBoxOfDevicd", "ProOfUpload",
                "BtnOfChangeGroup", "BtnOfDeviceTimeLeft", "BtnOfAddNew" } },
        { "DeviceGroupElement.xml", "", "ListContainerElement", "", "40",
            { "TabOfDeviceGroup", "LabOfGroupIndex", "LabOfGroupName", "EditOfGroupName",
                "BtnOfModifyGroupName", "BtnOfMoveUp", "BtnOfMoveDown", "BtnOfDelGroup", "BtnOfAddGroup" } },
        { "ChargeElement.xml", "CBoxOfCharge", "CheckBox", "120", "80", {} },
        { "ChargeElementDefine.xml", "", "VerticalLayout", "120", "80",
            { "CBoxOfDefCharge", "EditOfDefCharge" } },
        { "MemberElement.xml", "CBoxOfMembership", "CheckBox", "120", "60", {} },
        { "PriceElement.xml", "CBoxOfPrice", "CheckBox", "120", "60", {} },
        { "ChargeDeviceElement.xml", "CBoxOfDeviceCharge", "CheckBox", "160", "70", {} },
        { "PriceOfDeviceElement.xml", "CBoxOfDevicePrice", "CheckBox", "120", "60", {} },
        { "CouponElement.xml", "CBoxOfCoupon", "CheckBox", "120", "50", {} },
        { "NotifyElement.xml", "ListElementOfNotifyListElement", "ListContainerElement", "", "150",
            { "LabOfTitle", "EditOfContent", "LabOfTime" } },
        { "GameIconElement.xml", "", "HorizontalLayout", "80", "75", { "CBoxOfGame", "LabOfAppVersion" } },
        { "GameTileElement.xml", "ListElementOfGame", "ListContainerElement", "", "",
            { "OptOfTag", "TileOfGame" } },
        { "PlatformTagElement.xml", "OptOfLetterTag", "Option", "", "", {} },
        { "InstallListElement.xml", "ListElementOfInstallListElement", "ListContainerElement", "", "30",
            { "BtnOfInstallListElement", "BtnOfDelInstallListDeviceElement" } },
        { "InstallListAppElement.xml", "ListElementOfInstallListAppElement", "ListContainerElement", "", "30",
            { "BtnOfInstallListAppElement", "BtnOfDelInstallListAppElement" } },
        { "GameElement.xml", "", "", "", "", {} },
        { "PlatformElement.xml", "", "", "", "", {} },
        { "PlatformTileElement.xml", "", "", "", "", {} },
    };
    for (const Template& t : templates) {
        ParseResult r = ParseXml(SkinZip().Get(t.file));
        ASSERT_TRUE(r.root) << t.file;
        EXPECT_EQ(r.root->tag, QLatin1String("Container")) << t.file;
        ASSERT_FALSE(r.root->children.empty()) << t.file << " has no element";
        const Node& e = *r.root->children.front();
        if (*t.element) {
            EXPECT_EQ(e.Attr("name"), QString::fromLatin1(t.element)) << t.file;
        }
        if (*t.cls) {
            EXPECT_EQ(e.tag, QString::fromLatin1(t.cls)) << t.file;
        }
        if (*t.width) {
            EXPECT_EQ(e.Attr("width"), QString::fromLatin1(t.width)) << t.file;
        }
        if (*t.height) {
            EXPECT_EQ(e.Attr("height"), QString::fromLatin1(t.height)) << t.file;
        }
        for (const char* part : t.parts)
            EXPECT_TRUE(Find(e, part)) << t.file << " lacks " << part;
    }
}

TEST(SkinTemplates, DeviceTileStatesAndTheImagesTheCodeReads)
{
    ParseResult r = ParseXml(SkinZip().Get("DeviceElement.xml"));
    ASSERT_TRUE(r.root);
    const Node& e = *r.root->children.front();
    CheckExpected(e,
        {
            { "BtnOfDeviceInfo", "Button", "", "", "DeviceTab", "hidden" },
            { "CBoxOfModifyDeviceName", "CheckBox", "", "修改设备名称", "DeviceTab", "" },
            { "EditOfDeviceName", "RichEdit", "", "", "DeviceTab", "disabled" },
            { "LabOfDeviceName", "Label", "", "", nullptr, "hidden" },
            { "BtnOfScreenshot", "Button", "", "更新设备截屏", "DeviceTab", "" },
            { "CBoxOfCtrl", "CheckBox", "", "", "DeviceTab", "disabled" },
            { "BtnOfReboot", "Button", "", "设备重启", "DeviceTab", "" },
            { "BtnOfRecover", "Button", "", "设备恢复", "DeviceTab", "" },
            { "BtnOfUploadFile", "Button", "", "上传文件", "DeviceTab", "" },
            { "BtnOfDeviceInstall", "Button", "", "安装应用", "DeviceTab", "" },
            { "LabOfDevivceFunc", "Label", "正在重启或重置", "", "DeviceTab", "" },
            { "CBoxOfDevicd", "CheckBox", "", "批量操作", "DeviceTab", "hidden" },
            { "ProOfUpload", "Progress", "", "", nullptr, "hidden" },
            { "BtnOfChangeGroup", "Button", "默认分组", "移动到分组", "DeviceTab", "" },
            { "BtnOfDeviceTimeLeft", "Button", "", "设备续费", "DeviceTab", "" },
            { "BtnOfAddNew", "Button", "", "添加设备", "MainTab", "" },
        });
    EXPECT_EQ(Find(e, "BtnOfScreenshot")->Attr("disabledimage"),
        QStringLiteral("file='img\\sinchronize\\sinchronize_25_white_0.png' dest='0,0,25,25'"));
    const Node* play = Find(e, "CBoxOfCtrl");
    EXPECT_EQ(play->Attr("width"), QLatin1String("100"));
    EXPECT_EQ(play->Attr("height"), QLatin1String("100"));
    EXPECT_FALSE(play->Attr("disabledimage").isEmpty()) << "the offline picture";
    EXPECT_EQ(Find(e, "EditOfDeviceName")->Attr("multiline"), QLatin1String("false"));
    EXPECT_EQ(Find(e, "BtnOfDeviceTimeLeft")->Attr("showhtml"), QLatin1String("true"));
    for (const char* f : { "CBoxOfDevicd", "ProOfUpload", "BtnOfChangeGroup" })
        EXPECT_EQ(Find(e, f)->Attr("float"), QLatin1String("true")) << f;
    // Page 0 is the tile, page 1 the add button; the detail tab has three pages.
    EXPECT_EQ(e.children.size(), 2u);
    EXPECT_EQ(PageOf(Find(e, "BtnOfAddNew"), e), 1);
    const Node* detail = Find(e, "TabOfDeviceDetail");
    ASSERT_EQ(detail->children.size(), 3u);
    EXPECT_EQ(PageOf(Find(e, "CBoxOfCtrl"), *detail), 0);
    EXPECT_EQ(PageOf(Find(e, "HorOfDeviceCtrl"), *detail), 0);
    EXPECT_EQ(PageOf(Find(e, "LabOfDevivceFunc"), *detail), 2);
    EXPECT_TRUE(IsInside(detail, Find(e, "VerOfDeviceCtrl")));
    EXPECT_FALSE(IsInside(Find(e, "BtnOfDeviceTimeLeft"), Find(e, "VerOfDeviceCtrl")));
}

TEST(SkinTemplates, PurchaseCardsGroupsAndTheCustomTile)
{
    struct Card {
        const char* file;
        const char* group; // nullptr: none
        bool selected;
    };
    for (const Card& c : { Card { "ChargeElement.xml", "ChargeType", false },
             Card { "MemberElement.xml", "MemberType", false },
             Card { "PriceElement.xml", "PriceList", false },
             Card { "ChargeDeviceElement.xml", nullptr, true },
             Card { "PriceOfDeviceElement.xml", "PriceList", false },
             Card { "CouponElement.xml", "CouponGroup", false } }) {
        ParseResult r = ParseXml(SkinZip().Get(c.file));
        ASSERT_TRUE(r.root);
        const Node& e = *r.root->children.front();
        EXPECT_EQ(e.Attr("group"), c.group ? QString::fromLatin1(c.group) : QString()) << c.file;
        EXPECT_EQ(e.Attr("selected") == QLatin1String("true"), c.selected) << c.file;
        EXPECT_EQ(e.Attr("userdata"), QLatin1String("BuyTab")) << c.file;
        EXPECT_EQ(e.Attr("showhtml"), QLatin1String("true")) << c.file;
    }
    ParseResult r = ParseXml(SkinZip().Get("ChargeElementDefine.xml"));
    ASSERT_TRUE(r.root);
    const Node& e = *r.root->children.front();
    const Node* box = Find(e, "CBoxOfDefCharge");
    ASSERT_TRUE(box);
    EXPECT_EQ(box->Attr("group"), QLatin1String("ChargeType"));
    EXPECT_EQ(box->Attr("text"), QStringLiteral("{x 30}{f 17}自定义{/f} 积分{/x}{p 5}{x 15}"));
    EXPECT_EQ(box->Attr("tooltip"), QStringLiteral("自定义获取积分数量"));
    const Node* edit = Find(e, "EditOfDefCharge");
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->tag, QLatin1String("RichEdit"));
    EXPECT_EQ(edit->Attr("float"), QLatin1String("true"));
    EXPECT_EQ(edit->Attr("pos"), QLatin1String("10,40,110,70"));
    EXPECT_EQ(edit->Attr("font"), QLatin1String("15"));
    EXPECT_EQ(edit->Attr("mouse"), QLatin1String("false"));
    EXPECT_TRUE(edit->Attr("align").contains(QLatin1String("center")));
}

TEST(SkinTemplates, AppNotifyAndInstallParts)
{
    auto element = [](const char* file) {
        static std::map<std::string, ParseResult> cache;
        auto it = cache.find(file);
        if (it == cache.end())
            it = cache.emplace(file, ParseXml(SkinZip().Get(file))).first;
        return it->second.root->children.front().get();
    };
    const Node* icon = element("GameIconElement.xml");
    const Node* box = Find(*icon, "CBoxOfGame");
    EXPECT_EQ(box->Attr("width"), QLatin1String("75"));
    EXPECT_EQ(box->Attr("height"), QLatin1String("75"));
    EXPECT_EQ(box->Attr("userdata"), QLatin1String("AppTab"));
    EXPECT_FALSE(box->Attr("foreimage").isEmpty()) << "default app picture";
    const Node* ver = Find(*icon, "LabOfAppVersion");
    EXPECT_EQ(ver->Attr("float"), QLatin1String("true"));
    EXPECT_TRUE(ver->Attr("pos").startsWith(QLatin1String("10,47,")));

    const Node* group = element("GameTileElement.xml");
    EXPECT_EQ(Find(*group, "OptOfTag")->Attr("group"), QLatin1String("TagGroup"));
    EXPECT_EQ(Find(*group, "TileOfGame")->Attr("columns"), QLatin1String("5"));
    EXPECT_EQ(element("PlatformTagElement.xml")->Attr("group"), QLatin1String("GroupOfAppSubType"));

    const Node* notify = element("NotifyElement.xml");
    EXPECT_EQ(Find(*notify, "LabOfTitle")->Attr("font"), QLatin1String("15"));
    EXPECT_EQ(Find(*notify, "LabOfTime")->Attr("font"), QLatin1String("13"));
    const Node* content = Find(*notify, "EditOfContent");
    EXPECT_EQ(content->tag, QLatin1String("RichEdit"));
    EXPECT_EQ(content->Attr("width"), QLatin1String("600"));
    EXPECT_EQ(content->Attr("height"), QLatin1String("75"));
    EXPECT_EQ(content->Attr("multiline"), QLatin1String("true"));
    EXPECT_EQ(content->Attr("mouse"), QLatin1String("false"));
    EXPECT_EQ(content->Attr("font"), QLatin1String("13"));

    for (const char* file : { "InstallListElement.xml", "InstallListAppElement.xml" }) {
        const Node* row = element(file);
        Walk(*row, [&](const Node& n) {
            if (n.Attr("name").startsWith(QLatin1String("BtnOfDel"))) {
                EXPECT_EQ(n.Attr("visible"), QLatin1String("false")) << file;
                EXPECT_EQ(n.Attr("text"), QStringLiteral("删除")) << file;
            }
        });
    }
    const Node* groupRow = element("DeviceGroupElement.xml");
    EXPECT_EQ(Find(*groupRow, "LabOfGroupName")->Attr("visible"), QLatin1String("false"));
    EXPECT_EQ(Find(*groupRow, "BtnOfModifyGroupName")->Attr("visible"), QLatin1String("false"));
    EXPECT_EQ(Find(*groupRow, "BtnOfModifyGroupName")->Attr("text"), QStringLiteral("修改分组名称"));
    EXPECT_EQ(Find(*groupRow, "BtnOfMoveUp")->Attr("text"), QStringLiteral("上移"));
    EXPECT_EQ(Find(*groupRow, "BtnOfMoveDown")->Attr("text"), QStringLiteral("下移"));
    EXPECT_EQ(Find(*groupRow, "BtnOfDelGroup")->Attr("text"), QStringLiteral("删除分组"));
    const Node* tab = Find(*groupRow, "TabOfDeviceGroup");
    EXPECT_EQ(PageOf(Find(*groupRow, "EditOfGroupName"), *tab), 0);
    EXPECT_EQ(PageOf(Find(*groupRow, "BtnOfAddGroup"), *tab), 1);
}

} // namespace
