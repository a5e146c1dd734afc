#include "app/window/BoundControls.h"

#include "platform/DebugLog.h"
#include "ui/UIEdit.h"
#include "ui/UIManager.h"

const std::vector<std::wstring>& MainWindowControlNames()
{
    static const std::vector<std::wstring> names = {
        // The window and its navigation.
        L"TabOfMainWnd",
        L"TabOfMain",
        L"OptOfNotify",
        L"OptOfSetting",
        L"BtnOfSetting",
        L"OptOfAppTab",
        L"OptOfDevice",
        L"OptOfCharge",
        L"OptOfBuy",
        L"LabOfUpdate",
        L"HLayoutOfCaptcha",
        L"HorLayoutOfSearch",
        // The download page.
        L"ProOfDownload",
        L"LabOfDownload",
        // Sign-in and registration.
        L"TabOfSign",
        L"EditOfLoginName",
        L"EditOfLoginPwd",
        L"EditOfSigninCaptcha",
        L"BtnOfSigninCaptcha",
        L"CBoxOfRememberPwd",
        L"CBoxOfAutoLogin",
        L"BtnOfLogin",
        L"LabOfSignupNotify",
        L"CtrlOfSignupName",
        L"CtrlOfSignupPwd",
        L"CtrlOfSignupRePwd",
        L"CtrlOfPicCaptcha",
        L"CtrlOfPhoneNum",
        L"CtrlOfSmsCaptcha",
        L"EditOfSignupName",
        L"EditOfSignupPwd",
        L"EditOfSignupRePwd",
        L"EditOfPicCaptcha",
        L"BtnOfPicCaptcha",
        L"EditOfPhoneNum",
        L"EditOfSmsCaptcha",
        L"BtnOfSmsCaptcha",
        L"EditOfInvitation",
        L"CBoxOfAgree",
        L"BtnOfSignup",
        // Account.
        L"ConOfUserICON",
        L"LabOfUserNameInMainTab",
        L"LabOfBalanceInMainTab",
        L"EditOfNickName",
        L"LabOfBalance",
        L"EditOfOldPwd",
        L"EditOfNewPwd",
        L"EditOfVerifyPwd",
        // Notifications.
        L"TabOfNotify",
        L"OptOfUserNotify",
        L"OptOfSysNotify",
        L"OptOfActNotify",
        L"ListOfNotify",
        // Devices.
        L"OptOfAllDevice",
        L"OptOfDeviceSearch",
        L"OptOfExtDevice",
        L"OptOfOfflineDevice",
        L"TabOfDevice",
        L"TabOfDeviceShown",
        L"ProOfUpdata",
        L"CBoxOfBatOpt",
        L"CBoxOfSelAll",
        L"HLayOfBatOpt",
        L"ListOfDeviceGroup",
        L"ListOfDeviceGroupSel",
        L"BtnOfRefreshDeviceList",
        L"BtnOfAddGroup",
        L"BtnOfAllDisplay",
        L"TreeViewOfDevice",
        L"TreeRootNodeOfDevice",
        L"ProOfBatUpload",
        L"EditOfSearch",
        L"BtnOfFileSel",
        L"TileOfDevice",
        // Purchase.
        L"EditOfInvitationCode",
        L"TabOfBuy",
        L"TabOfGoods",
        L"LabOfBalanceCharge",
        L"TileOfCharge",
        L"TileOfMembership",
        L"TileOfPrice",
        L"TileOfCoupon",
        L"TileOfDeviceCharge",
        L"TileOfDevicePrice",
        L"TileOfDeviceCoupon",
        L"EditOfBuyCount",
        L"LabOfPayment",
        L"BtnOfPay",
        L"CtrlOfQRCode",
        L"TabOfRcord",
        L"ListOfOrder",
        // App market.
        L"OptOfHot",
        L"OptOfSearch",
        L"ProOfAppRefresh",
        L"TabOfAppList",
        L"TabOfSubTypeAppList",
        L"TileOfGame",
        L"TileOfLetterTag",
        L"ListOfGameTile",
        L"EditOfAppSearch",
        L"BtnOfAppRefresh",
        L"ListOfSelectedDevice",
        L"ListOfSelectedApp",
        L"ProOfUploadLocalApp",
        L"BtnOfDelLocalApp",
    };
    return names;
}

std::vector<std::wstring> MissingControls(const DuiLib::CPaintManagerUI& paint)
{
    std::vector<std::wstring> missing;
    for (const std::wstring& name : MainWindowControlNames()) {
        if (!paint.FindControl(name))
            missing.push_back(name);
    }
    return missing;
}

bool AllControlsPresent(const DuiLib::CPaintManagerUI& paint)
{
    const std::vector<std::wstring> missing = MissingControls(paint);
    for (const std::wstring& name : missing)
        DebugLogW(L"control %ls is missing from the skin\n", name.c_str());
    return missing.empty();
}

void ReportTextChanges(DuiLib::CPaintManagerUI& paint)
{
    for (const wchar_t* name :
        { L"EditOfPhoneNum", L"EditOfSmsCaptcha", L"EditOfSearch", L"EditOfBuyCount", L"EditOfAppSearch" }) {
        if (auto* edit = paint.FindControlAs<DuiLib::CEditUI>(name))
            edit->SetEventMask(DuiLib::ENM_CHANGE);
    }
}
