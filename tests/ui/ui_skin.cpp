// The real skin package through the engine: the main window loads from the
// ZIP linked into the client, every control the window binds is found with
// the class the code casts it to, and every template builds with its parts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "platform/Utf8.h"
#include "skin/SkinPackage.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/UIDialogBuilder.h"
#include "ui/UIRichEdit.h"
#include "ui/internal/Attr.h"

using namespace DuiLib;

namespace {

class SkinWindow : public WindowImplBase {
public:
    std::wstring GetWindowClassName() const override { return L"CMainWnd"; }
    std::wstring GetSkinFolder() override { return L""; }
    std::wstring GetSkinFile() override { return L"MainWnd.xml"; }
    UILIB_RESOURCETYPE GetResourceType() const override { return UILIB_ZIPRESOURCE; }
    int GetResourceID() const override { return 105; }
};

void UsePackage()
{
    korvana::test::UiApp();
    korvana::SkinPackage blob = korvana::EmbeddedSkinPackage();
    CPaintManagerUI::RegisterZipResource(105, blob.data, blob.size);
    ASSERT_TRUE(CPaintManagerUI::UseZipResource(105));
    WindowImplBase::SetSkinFailureHandler([] { ADD_FAILURE() << "the skin did not load"; });
}

// The controls the main window binds, by the class the code expects.
const std::map<std::wstring, std::vector<const wchar_t*>>& BoundControls()
{
    static const std::map<std::wstring, std::vector<const wchar_t*>> map = {
        { L"TabLayoutUI",
            { L"TabOfMainWnd", L"TabOfMain", L"TabOfSign", L"TabOfNotify", L"TabOfDevice",
                L"TabOfDeviceShown", L"TabOfBuy", L"TabOfGoods", L"TabOfRcord", L"TabOfAppList",
                L"TabOfSubTypeAppList" } },
        { L"OptionUI",
            { L"OptOfNotify", L"OptOfSetting", L"OptOfAppTab", L"OptOfDevice", L"OptOfCharge", L"OptOfBuy",
                L"OptOfUserNotify", L"OptOfSysNotify", L"OptOfActNotify", L"OptOfAllDevice",
                L"OptOfDeviceSearch", L"OptOfExtDevice", L"OptOfOfflineDevice", L"OptOfHot",
                L"OptOfSearch" } },
        { L"ButtonUI",
            { L"BtnOfSetting", L"BtnOfSigninCaptcha", L"BtnOfLogin", L"BtnOfPicCaptcha", L"BtnOfSmsCaptcha",
                L"BtnOfSignup", L"BtnOfRefreshDeviceList", L"BtnOfAddGroup", L"BtnOfAllDisplay",
                L"BtnOfFileSel", L"BtnOfPay", L"CtrlOfQRCode", L"BtnOfAppRefresh", L"BtnOfDelLocalApp",
                L"closebtn", L"minbtn", L"maxbtn", L"restorebtn", L"BtnOfHelp" } },
        { L"LabelUI",
            { L"LabOfUpdate", L"LabOfDownload", L"LabOfSignupNotify", L"LabOfUserNameInMainTab",
                L"LabOfBalanceInMainTab", L"LabOfBalance", L"LabOfBalanceCharge", L"LabOfPayment" } },
        { L"HorizontalLayoutUI", { L"HLayoutOfCaptcha", L"HorLayoutOfSearch", L"HLayOfBatOpt" } },
        { L"ProgressUI",
            { L"ProOfDownload", L"ProOfUpdata", L"ProOfBatUpload", L"ProOfAppRefresh",
                L"ProOfUploadLocalApp" } },
        { L"RichEditUI",
            { L"EditOfLoginName", L"EditOfLoginPwd", L"EditOfSigninCaptcha", L"EditOfSignupName",
                L"EditOfSignupPwd", L"EditOfSignupRePwd", L"EditOfPicCaptcha", L"EditOfPhoneNum",
                L"EditOfSmsCaptcha", L"EditOfInvitation", L"EditOfNickName", L"EditOfOldPwd", L"EditOfNewPwd",
                L"EditOfVerifyPwd", L"EditOfSearch", L"EditOfInvitationCode", L"EditOfBuyCount",
                L"EditOfAppSearch" } },
        { L"CheckBoxUI",
            { L"CBoxOfRememberPwd", L"CBoxOfAutoLogin", L"CBoxOfAgree", L"CBoxOfBatOpt", L"CBoxOfSelAll" } },
        { L"ControlUI",
            { L"CtrlOfSignupName", L"CtrlOfSignupPwd", L"CtrlOfSignupRePwd", L"CtrlOfPicCaptcha",
                L"CtrlOfPhoneNum", L"CtrlOfSmsCaptcha" } },
        { L"ListUI",
            { L"ListOfNotify", L"ListOfDeviceGroup", L"ListOfDeviceGroupSel", L"ListOfOrder",
                L"ListOfGameTile", L"ListOfSelectedDevice", L"ListOfSelectedApp" } },
        { L"TileLayoutUI",
            { L"TileOfDevice", L"TileOfCharge", L"TileOfMembership", L"TileOfPrice", L"TileOfCoupon",
                L"TileOfDeviceCharge", L"TileOfDevicePrice", L"TileOfDeviceCoupon", L"TileOfGame",
                L"TileOfLetterTag" } },
        { L"TreeViewUI", { L"TreeViewOfDevice" } },
        { L"TreeNodeUI", { L"TreeRootNodeOfDevice" } },
    };
    return map;
}

TEST(RealSkin, MainWindowLoadsWithEveryBoundControlOfItsClass)
{
    UsePackage();
    SkinWindow wnd;
    ASSERT_TRUE(wnd.Create(nullptr, L"Korvana云手机"));
    CPaintManagerUI& pm = wnd.GetPaintManager();
    EXPECT_EQ(pm.GetInitSize().cx, 900);
    EXPECT_EQ(pm.GetInitSize().cy, 600);
    EXPECT_EQ(pm.GetCaptionRect().bottom, 40);
    for (int id = 0; id < 20; ++id) {
        EXPECT_TRUE(pm.HasFont(id)) << id;
        EXPECT_EQ(pm.GetFontSize(id), id < 10 ? 10 + id : id) << id;
        EXPECT_EQ(pm.IsFontBold(id), id >= 10) << id;
    }
    for (const auto& [cls, names] : BoundControls()) {
        for (const wchar_t* name : names) {
            CControlUI* c = pm.FindControl(name);
            ASSERT_NE(c, nullptr) << Utf8OfWide(name);
            EXPECT_EQ(c->GetClass(), cls) << Utf8OfWide(name);
        }
    }
    EXPECT_NE(pm.FindControlAs<CContainerUI>(L"ConOfUserICON"), nullptr);
    EXPECT_EQ(pm.FindControlAs<CButtonUI>(L"TabOfMain"), nullptr) << "another class gives none";
    EXPECT_EQ(static_cast<CTabLayoutUI*>(pm.FindControl(L"TabOfMainWnd"))->GetCurSel(), 0);
    EXPECT_EQ(static_cast<CTabLayoutUI*>(pm.FindControl(L"TabOfMain"))->GetCurSel(), 2);
    EXPECT_EQ(static_cast<CTabLayoutUI*>(pm.FindControl(L"TabOfMainWnd"))->GetCount(), 3);
    EXPECT_EQ(static_cast<CTabLayoutUI*>(pm.FindControl(L"TabOfMain"))->GetCount(), 6);
    EXPECT_TRUE(static_cast<CRichEditUI*>(pm.FindControl(L"EditOfLoginPwd"))->IsPasswordMode());
}

TEST(RealSkin, PagesRenderAndTheirButtonsAnswerClicks)
{
    UsePackage();
    SkinWindow wnd;
    ASSERT_TRUE(wnd.Create(nullptr, L"Korvana云手机"));
    CUiDriver ui(wnd);
    ui.Show();
    const char* dir = std::getenv("KORVANA_SCREENSHOT_DIR");
    auto shot = [&](const std::string& name) {
        if (dir) {
            EXPECT_TRUE(ui.SavePng(std::string(dir) + "/" + name + ".png"));
        }
    };
    shot("signin");
    ASSERT_TRUE(ui.Click(L"BtnOfLogin"));
    EXPECT_EQ(ui.CountOf(DUI_MSGTYPE_CLICK, L"BtnOfLogin"), 1);
    EXPECT_EQ(ui.Last(DUI_MSGTYPE_CLICK)->userData, L"SignTab");
    ASSERT_TRUE(ui.TypeText(L"EditOfLoginName", L"用户13800"));
    EXPECT_EQ(ui.Find(L"EditOfLoginName")->GetText(), L"用户13800");
    static_cast<CTabLayoutUI*>(ui.Find(L"TabOfSign"))->SelectItem(1);
    shot("register");
    auto* main = static_cast<CTabLayoutUI*>(ui.Find(L"TabOfMainWnd"));
    main->SelectItem(1);
    for (int page = 0; page < 6; ++page) {
        static_cast<CTabLayoutUI*>(ui.Find(L"TabOfMain"))->SelectItem(page);
        shot("main" + std::to_string(page));
    }
    ui.ClearNotifications();
    ASSERT_TRUE(ui.Click(L"OptOfAccount"));
    EXPECT_EQ(ui.CountOf(DUI_MSGTYPE_SELECTCHANGED, L"OptOfAccount"), 1);
    EXPECT_FALSE(static_cast<COptionUI*>(ui.Find(L"OptOfDevice"))->IsSelected());
    main->SelectItem(2);
    shot("download");
}

TEST(RealSkin, DevicePageLaysTilesOutInRowsThatScroll)
{
    UsePackage();
    SkinWindow wnd;
    ASSERT_TRUE(wnd.Create(nullptr, L"Korvana云手机"));
    CUiDriver ui(wnd);
    ui.Show();
    static_cast<CTabLayoutUI*>(ui.Find(L"TabOfMainWnd"))->SelectItem(1);
    static_cast<CTabLayoutUI*>(ui.Find(L"TabOfDeviceShown"))->SelectItem(1);
    auto* tiles = static_cast<CTileLayoutUI*>(ui.Find(L"TileOfDevice"));
    std::vector<CControlUI*> added;
    for (int d = 0; d < 12; ++d) {
        auto tile = BuildElement(L"DeviceElement.xml");
        ASSERT_NE(tile, nullptr);
        tile->FindSubControl(L"BtnOfScreenshot")->SetTag(static_cast<std::uintptr_t>(d));
        added.push_back(tiles->Add(std::move(tile)));
    }
    wnd.GetPaintManager().UpdateLayout();
    const RECT area = tiles->GetPos();
    for (std::size_t i = 0; i < added.size(); ++i) {
        const RECT& a = added[i]->GetPos();
        EXPECT_EQ(a.Width(), 160);
        EXPECT_EQ(a.Height(), 250);
        EXPECT_GE(a.left, area.left);
        EXPECT_LE(a.right, area.right);
        for (std::size_t j = i + 1; j < added.size(); ++j)
            EXPECT_FALSE(a.Intersects(added[j]->GetPos())) << i << " overlaps " << j;
    }
    EXPECT_GT(tiles->GetScrollRange().cy, 0) << "12 tiles do not fit one page";
    if (const char* dir = std::getenv("KORVANA_SCREENSHOT_DIR")) {
        EXPECT_TRUE(ui.SavePng(std::string(dir) + "/devices.png"));
    }

    // A click on a tile's screenshot button reaches the window with its tag.
    ASSERT_TRUE(ui.Click(added[1]->FindSubControl(L"BtnOfScreenshot")));
    ASSERT_NE(ui.Last(DUI_MSGTYPE_CLICK, L"BtnOfScreenshot"), nullptr);
    EXPECT_EQ(ui.Last(DUI_MSGTYPE_CLICK, L"BtnOfScreenshot")->tag, 1u);
    EXPECT_EQ(ui.Last(DUI_MSGTYPE_CLICK, L"BtnOfScreenshot")->userData, L"DeviceTab");
    // Scrolled to the end, the last row is in view.
    ui.Wheel(L"TileOfDevice", -20);
    EXPECT_EQ(tiles->GetScrollPos().cy, tiles->GetScrollRange().cy);
    EXPECT_LE(added.back()->GetPos().bottom, area.bottom);
}

TEST(RealSkin, EveryTemplateBuildsWithItsNamedParts)
{
    UsePackage();
    struct Template {
        const wchar_t* file;
        const wchar_t* rootClass;
        std::vector<const wchar_t*> parts;
    };
    const Template templates[] = {
        { L"DeviceElement.xml", L"TabLayoutUI",
            { L"TabOfDeviceElement", L"VerOfDeviceCtrl", L"BtnOfDeviceInfo", L"CBoxOfModifyDeviceName",
                L"EditOfDeviceName", L"LabOfDeviceName", L"BtnOfScreenshot", L"TabOfDeviceDetail",
                L"HLayoutOfCtrl", L"CtrlOfInfoUp", L"CBoxOfCtrl", L"CtrlOfInfoDown", L"LabOfCtrl",
                L"HorOfDeviceCtrl", L"BtnOfReboot", L"BtnOfRecover", L"BtnOfUploadFile",
                L"BtnOfDeviceInstall", L"LabOfDevivceFunc", L"CBoxOfDevicd", L"ProOfUpload",
                L"BtnOfChangeGroup", L"BtnOfDeviceTimeLeft", L"BtnOfAddNew" } },
        { L"DeviceGroupElement.xml", L"ListContainerElementUI",
            { L"LabOfGroupIndex", L"LabOfGroupName", L"EditOfGroupName", L"BtnOfModifyGroupName",
                L"BtnOfMoveUp", L"BtnOfMoveDown", L"BtnOfDelGroup", L"BtnOfAddGroup" } },
        { L"ChargeElement.xml", L"CheckBoxUI", { L"CBoxOfCharge" } },
        { L"ChargeElementDefine.xml", L"VerticalLayoutUI", { L"CBoxOfDefCharge", L"EditOfDefCharge" } },
        { L"MemberElement.xml", L"CheckBoxUI", { L"CBoxOfMembership" } },
        { L"PriceElement.xml", L"CheckBoxUI", { L"CBoxOfPrice" } },
        { L"ChargeDeviceElement.xml", L"CheckBoxUI", { L"CBoxOfDeviceCharge" } },
        { L"PriceOfDeviceElement.xml", L"CheckBoxUI", { L"CBoxOfDevicePrice" } },
        { L"CouponElement.xml", L"CheckBoxUI", { L"CBoxOfCoupon" } },
        { L"NotifyElement.xml", L"ListContainerElementUI",
            { L"ListElementOfNotifyListElement", L"LabOfTitle", L"EditOfContent", L"LabOfTime" } },
        { L"GameIconElement.xml", L"HorizontalLayoutUI", { L"CBoxOfGame", L"LabOfAppVersion" } },
        { L"GameTileElement.xml", L"ListContainerElementUI",
            { L"ListElementOfGame", L"OptOfTag", L"TileOfGame" } },
        { L"PlatformTagElement.xml", L"OptionUI", { L"OptOfLetterTag" } },
        { L"InstallListElement.xml", L"ListContainerElementUI",
            { L"ListElementOfInstallListElement", L"BtnOfInstallListElement",
                L"BtnOfDelInstallListDeviceElement" } },
        { L"InstallListAppElement.xml", L"ListContainerElementUI",
            { L"ListElementOfInstallListAppElement", L"BtnOfInstallListAppElement",
                L"BtnOfDelInstallListAppElement" } },
        { L"GameElement.xml", nullptr, {} },
        { L"PlatformElement.xml", nullptr, {} },
        { L"PlatformTileElement.xml", nullptr, {} },
    };
    for (const auto& t : templates) {
        auto element = BuildElement(t.file);
        ASSERT_NE(element, nullptr) << Utf8OfWide(t.file);
        if (t.rootClass) {
            EXPECT_EQ(element->GetClass(), t.rootClass) << Utf8OfWide(t.file);
        }
        for (const wchar_t* part : t.parts)
            EXPECT_NE(element->FindSubControl(part), nullptr)
                << Utf8OfWide(t.file) << " " << Utf8OfWide(part);
    }
    auto tile = BuildElement(L"DeviceElement.xml");
    EXPECT_EQ(tile->GetFixedWidth(), 160);
    EXPECT_EQ(tile->GetFixedHeight(), 250);
    auto* shot = tile->FindSubControlAs<CButtonUI>(L"BtnOfScreenshot");
    ASSERT_NE(shot, nullptr);
    EXPECT_NE(shot->GetDisabledImage().find(L"sinchronize_25_white_0.png"), std::wstring::npos);
}

} // namespace
