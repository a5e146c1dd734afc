// The registration form in the real window against korvana-service: the
// field checks and their marks, the SMS countdown, the submit rules and a
// whole registration that ends signed in.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "app/ClientManager.h"
#include "app/Messages.h"
#include "app/window/CMainWnd.h"
#include "net/NumberText.h"
#include "tests/support/MainWindowTest.h"
#include "ui/UICheckBox.h"
#include "ui/UIEdit.h"
#include "ui/UIManager.h"
#include "ui/UITabLayout.h"

namespace {

using namespace korvana::test;

constexpr const wchar_t* kOk = L"img/ok_15.png";
constexpr const wchar_t* kError = L"img/error_15.png";

class SignupFormTest : public MainWindowTest {
protected:
    void OpenForm()
    {
        StartWindow();
        ASSERT_TRUE(ui().Click(L"BtnOfSignupTab"));
        ASSERT_EQ(FindAs<DuiLib::CTabLayoutUI>(L"TabOfSign")->GetCurSel(), 1);
    }
    // Types into a field and leaves it for the next one, as with the mouse.
    void Fill(
        const std::wstring& field, const std::wstring& text, const std::wstring& next = L"EditOfInvitation")
    {
        ASSERT_TRUE(ui().TypeText(field, text));
        ASSERT_TRUE(ui().Click(next));
        ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    }
    std::wstring Notice() const { return Find(L"LabOfSignupNotify")->GetText(); }
    std::wstring MarkOf(const std::wstring& mark) const { return Find(mark)->GetBkImage(); }
    std::size_t Verifications() { return control().RequestsTo("/api/index/verify").size(); }
    SignupMembers& signup() { return window().Client().signup; }
    std::wstring SmsCodeOf(const std::string& phone)
    {
        const std::string code
            = nlohmann::json::parse(control().Get("/__test/account/sms_code?phone=" + phone).body)
                  .value("code", "");
        return std::wstring(code.begin(), code.end());
    }
    // Every field valid and an SMS code requested and typed.
    void FillValidForm(const std::wstring& name, const std::string& phone)
    {
        Fill(L"EditOfSignupName", name);
        Fill(L"EditOfSignupPwd", L"secret1");
        Fill(L"EditOfSignupRePwd", L"secret1");
        Fill(L"EditOfPicCaptcha", signup().expectedPictureCode);
        ASSERT_TRUE(ui().TypeText(L"EditOfPhoneNum", std::wstring(phone.begin(), phone.end())));
        ASSERT_TRUE(WaitFor([&] { return !IsWaiting() && Find(L"BtnOfSmsCaptcha")->IsEnabled(); }));
        ASSERT_TRUE(ui().Click(L"BtnOfSmsCaptcha"));
        ASSERT_TRUE(WaitFor([&] { return !IsWaiting() && Find(L"EditOfSmsCaptcha")->IsEnabled(); }));
        Fill(L"EditOfSmsCaptcha", SmsCodeOf(phone));
    }
};

TEST_F(SignupFormTest, TheNameIsCheckedLocallyThenOnceWithTheService)
{
    OpenForm();
    const std::wstring fifteen = L"abcdefghijklmno";
    Fill(L"EditOfSignupName", fifteen);
    EXPECT_EQ(Verifications(), 1u);
    EXPECT_EQ(MarkOf(L"CtrlOfSignupName"), kOk);
    EXPECT_TRUE(signup().signupNameOk);
    EXPECT_TRUE(Find(L"EditOfSignupName")->IsEnabled());

    // Leaving it again with the same name shows the stored verdict.
    ASSERT_TRUE(ui().Click(L"EditOfSignupName"));
    EXPECT_EQ(MarkOf(L"CtrlOfSignupName"), L""); // no mark while it has the focus
    ASSERT_TRUE(ui().Click(L"EditOfInvitation"));
    EXPECT_EQ(Verifications(), 1u);
    EXPECT_EQ(Notice(), L"用户名已经验证通过！");

    ASSERT_TRUE(ui().TypeText(L"EditOfSignupName", L"p")); // 16 characters now
    ASSERT_TRUE(ui().Click(L"EditOfInvitation"));
    EXPECT_EQ(Verifications(), 1u);
    EXPECT_EQ(Notice(), L"用户名长度为4～15！");
    EXPECT_EQ(MarkOf(L"CtrlOfSignupName"), kError);
    EXPECT_FALSE(signup().signupNameOk);

    Find(L"EditOfSignupName")->SetText(L"");
    Fill(L"EditOfSignupName", L"demo");
    EXPECT_EQ(Verifications(), 2u);
    EXPECT_EQ(Notice(), L"用户名已存在");
    EXPECT_EQ(MarkOf(L"CtrlOfSignupName"), kError);
    ASSERT_TRUE(ui().Click(L"EditOfSignupName"));
    ASSERT_TRUE(ui().Click(L"EditOfInvitation"));
    EXPECT_EQ(Notice(), L"用户名验证失败，请修改！");
    EXPECT_EQ(Verifications(), 2u);

    // A check whose request failed is asked again when the field is left.
    control().InjectFault({ { "path", "/api/index/verify" }, { "drop", true }, { "times", 1 } });
    Find(L"EditOfSignupName")->SetText(L"");
    Fill(L"EditOfSignupName", L"someone");
    EXPECT_EQ(Notice(), L"请求错误，请检查网络连接或尝试重启软件。");
    EXPECT_EQ(MarkOf(L"CtrlOfSignupName"), kError);
    EXPECT_FALSE(signup().signupNameOk);
    ASSERT_TRUE(ui().Click(L"EditOfSignupName"));
    ASSERT_TRUE(ui().Click(L"EditOfInvitation"));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    EXPECT_EQ(Verifications(), 4u);
    EXPECT_EQ(MarkOf(L"CtrlOfSignupName"), kOk);
}

TEST_F(SignupFormTest, PasswordsAndThePictureCode)
{
    OpenForm();
    Fill(L"EditOfSignupPwd", L"12345");
    EXPECT_EQ(Notice(), L"密码长度必须大于6位！");
    EXPECT_EQ(MarkOf(L"CtrlOfSignupPwd"), kError);

    Find(L"EditOfSignupPwd")->SetText(L"");
    Fill(L"EditOfSignupPwd", L"123456");
    EXPECT_EQ(MarkOf(L"CtrlOfSignupPwd"), kOk);
    Fill(L"EditOfSignupRePwd", L"123457");
    EXPECT_EQ(Notice(), L"密码不一致，请重新输入！");
    EXPECT_EQ(MarkOf(L"CtrlOfSignupRePwd"), kError);
    EXPECT_EQ(Find(L"EditOfSignupRePwd")->GetText(), L"");
    Fill(L"EditOfSignupRePwd", L"123456");
    EXPECT_EQ(MarkOf(L"CtrlOfSignupRePwd"), kOk);
    EXPECT_TRUE(signup().signupPasswordOk);
    EXPECT_EQ(signup().signupPassword, L"123456");

    std::wstring lower = signup().expectedPictureCode;
    for (wchar_t& c : lower)
        c = static_cast<wchar_t>(std::towlower(c));
    Fill(L"EditOfPicCaptcha", lower);
    EXPECT_TRUE(signup().pictureCodeOk);
    EXPECT_EQ(MarkOf(L"CtrlOfPicCaptcha"), kOk);
    Find(L"EditOfPicCaptcha")->SetText(L"");
    Fill(L"EditOfPicCaptcha", L"????");
    EXPECT_FALSE(signup().pictureCodeOk);
    EXPECT_EQ(Notice(), L"验证码输入错误，请重新输入！");
    EXPECT_EQ(Verifications(), 0u);
}

TEST_F(SignupFormTest, TheEleventhDigitStartsThePhoneCheckAtOnce)
{
    OpenForm();
    ASSERT_TRUE(ui().TypeText(L"EditOfPhoneNum", L"1291234567"));
    EXPECT_FALSE(Find(L"BtnOfSmsCaptcha")->IsEnabled());
    ASSERT_TRUE(ui().TypeText(L"EditOfPhoneNum", L"8"));
    EXPECT_EQ(Notice(), L"手机号码格式错误，请重新输入！");
    EXPECT_EQ(MarkOf(L"CtrlOfPhoneNum"), kError);
    EXPECT_EQ(Verifications(), 0u);

    Find(L"EditOfPhoneNum")->SetText(L"");
    ASSERT_TRUE(ui().TypeText(L"EditOfPhoneNum", L"1380000004"));
    EXPECT_EQ(Verifications(), 0u);
    ASSERT_TRUE(ui().TypeText(L"EditOfPhoneNum", L"2"));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    EXPECT_EQ(Verifications(), 1u);
    EXPECT_EQ(Notice(), L"手机号已注册");
    EXPECT_FALSE(Find(L"BtnOfSmsCaptcha")->IsEnabled());

    Find(L"EditOfPhoneNum")->SetText(L"");
    ASSERT_TRUE(ui().TypeText(L"EditOfPhoneNum", L"13912345678"));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    EXPECT_EQ(control().RequestsTo("/api/index/verify").back().query,
        "type=unique&rule=user,phone&value=13912345678");
    EXPECT_EQ(MarkOf(L"CtrlOfPhoneNum"), kOk);
    EXPECT_TRUE(Find(L"BtnOfSmsCaptcha")->IsEnabled());
    EXPECT_TRUE(Find(L"EditOfPhoneNum")->IsEnabled());
    // The check took the focus away with the field; leaving the field again
    // with the same number asks nothing more.
    ASSERT_TRUE(ui().Click(L"EditOfPhoneNum"));
    ASSERT_TRUE(ui().Click(L"EditOfInvitation"));
    EXPECT_EQ(Verifications(), 2u);
    EXPECT_EQ(Notice(), L"手机号已验证通过！");
}

TEST_F(SignupFormTest, TheSmsCountdownRuns120To1ThenTheButtonComesBack)
{
    OpenForm();
    ASSERT_TRUE(ui().TypeText(L"EditOfPhoneNum", L"13912345678"));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting() && Find(L"BtnOfSmsCaptcha")->IsEnabled(); }));
    DuiLib::CControlUI* button = Find(L"BtnOfSmsCaptcha");
    ASSERT_TRUE(ui().Click(button));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    EXPECT_EQ(
        control().RequestsTo("/api/qtz/front_user_register_send_message").back().body, "&phone=13912345678");
    EXPECT_EQ(Notice(), L"验证码已发送，请注意查收");
    EXPECT_EQ(button->GetText(), L"120秒后重新获取");
    EXPECT_FALSE(button->IsEnabled());
    EXPECT_FALSE(Find(L"EditOfPhoneNum")->IsEnabled());
    EXPECT_TRUE(Find(L"EditOfSmsCaptcha")->IsEnabled());
    EXPECT_TRUE(window().Paint().HasTimer(button, msg::kTimerSmsCountdown));
    ASSERT_TRUE(ui().TypeText(L"EditOfSmsCaptcha", L"1234"));
    ui().ProcessEvents(50);
    EXPECT_TRUE(ui().SavePng(PngPath("signup_countdown")));

    // The timer's ticks, driven here rather than waited for.
    std::vector<std::wstring> shown;
    for (int tick = 0; tick < 121; ++tick) {
        window().Paint().SendNotify(button, L"timer", msg::kTimerSmsCountdown);
        shown.push_back(button->GetText());
    }
    EXPECT_EQ(shown[0], L"120秒后重新获取");
    EXPECT_EQ(shown[1], L"119秒后重新获取");
    EXPECT_EQ(shown[119], L"1秒后重新获取");
    for (int i = 0; i < 120; ++i)
        ASSERT_EQ(shown[i], IntToWide(120 - i) + L"秒后重新获取") << i;
    EXPECT_EQ(shown[120], L"获取验证码");
    EXPECT_FALSE(window().Paint().HasTimer(button, msg::kTimerSmsCountdown));
    EXPECT_TRUE(button->IsEnabled());
    EXPECT_TRUE(window().Paint().GetFocus() == button);
    EXPECT_TRUE(Find(L"EditOfPhoneNum")->IsEnabled());
    EXPECT_FALSE(Find(L"EditOfSmsCaptcha")->IsEnabled());
    EXPECT_EQ(Find(L"EditOfSmsCaptcha")->GetText(), L"");
    EXPECT_EQ(signup().smsCode, L"");
}

TEST_F(SignupFormTest, SubmitNeedsEveryFieldAndTheAgreement)
{
    OpenForm();
    ASSERT_TRUE(ui().Click(L"BtnOfSignup"));
    EXPECT_EQ(Notice(), L"用户名不能为空！");
    FillValidForm(L"newuser1", "13912345678");
    ASSERT_FALSE(FindAs<DuiLib::CCheckBoxUI>(L"CBoxOfAgree")->IsSelected());
    control().ClearLog();
    ASSERT_TRUE(ui().Click(L"BtnOfSignup"));
    EXPECT_EQ(Notice(), L"请阅读用户协议并勾选同意");
    EXPECT_TRUE(control().RequestsTo("/api/qtz/front_user_register").empty());
    EXPECT_TRUE(control().RequestsTo("/api/index/verify").empty());
    EXPECT_FALSE(IsWaiting());
    ui().ProcessEvents(50);
    EXPECT_TRUE(ui().SavePng(PngPath("signup_checked")));
}

TEST_F(SignupFormTest, AWholeRegistrationEndsSignedInAsTheNewUser)
{
    OpenForm();
    FillValidForm(L"newuser2", "13912345679");
    ASSERT_TRUE(ui().Click(L"CBoxOfAgree"));
    ASSERT_TRUE(ui().Click(L"BtnOfSignup"));
    ASSERT_TRUE(WaitFor([&] { return MainWindowPage() == 1 && !IsWaiting(); }));
    const std::wstring code = signup().smsCode;
    auto log = control().RequestsTo("/api/qtz/front_user_register");
    ASSERT_EQ(log.size(), 1u);
    // An empty invitation code is not sent at all.
    EXPECT_EQ(log[0].body,
        "&password=secret1&phone=13912345679&username=newuser2&code="
            + std::string(code.begin(), code.end()));
    EXPECT_EQ(Find(L"EditOfLoginName")->GetText(), L"newuser2");
    EXPECT_EQ(window().Client().user.loginName, L"newuser2");
    EXPECT_EQ(window().Client().user.loginState, kLoginStateLoggedIn);
    EXPECT_EQ(boxes().Count(), 0u);
    ASSERT_TRUE(WaitFor([&] { return Find(L"LabOfUserNameInMainTab")->GetText() == L"newuser2"; }));
}

TEST_F(SignupFormTest, ARefusedRegistrationIsShownAndTheFormStays)
{
    OpenForm();
    FillValidForm(L"newuser3", "13912345670");
    ASSERT_TRUE(ui().TypeText(L"EditOfInvitation", L"NOSUCH"));
    ASSERT_TRUE(ui().Click(L"CBoxOfAgree"));
    ASSERT_TRUE(ui().Click(L"BtnOfSignup"));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting() && boxes().Count() == 1u; }));
    EXPECT_EQ(boxes().CountOf(L"邀请码不存在", L"错误"), 1u);
    EXPECT_EQ(MainWindowPage(), 0);
    EXPECT_EQ(FindAs<DuiLib::CTabLayoutUI>(L"TabOfSign")->GetCurSel(), 1);
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_user_register").back().body.find("&invite_code=NOSUCH")
            != std::string::npos,
        true);
}

} // namespace
