// The registration form's local rules, the encoding of form values and
// queries, the user information parser, the picture's file name and text.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "account/AccountMembers.h"
#include "account/ProfileTasks.h"
#include "account/SignupMembers.h"
#include "account/SignupRules.h"
#include "account/UserInfo.h"
#include "app/LocalPaths.h"
#include "net/FormFields.h"
#include "net/JsonRead.h"
#include "tests/support/TempDir.h"

namespace {

using korvana::test::TempDir;

TEST(SignupRules, NameLengthCountsUtf16UnitsFrom4To15)
{
    EXPECT_FALSE(IsSignupNameLength(L"abc"));
    EXPECT_TRUE(IsSignupNameLength(L"abcd"));
    EXPECT_TRUE(IsSignupNameLength(std::wstring(15, L'x')));
    EXPECT_FALSE(IsSignupNameLength(std::wstring(16, L'x')));
    EXPECT_TRUE(IsSignupNameLength(L"张三李四"));
    EXPECT_FALSE(IsSignupNameLength(L""));
}

TEST(SignupRules, PasswordOfSixIsAcceptedFiveIsNot)
{
    EXPECT_FALSE(IsSignupPasswordLength(L"12345"));
    EXPECT_TRUE(IsSignupPasswordLength(L"123456"));
}

TEST(SignupRules, PictureCodeComparesInUpperCase)
{
    EXPECT_TRUE(PictureCodeMatches(L"aB3k", L"AB3K"));
    EXPECT_TRUE(PictureCodeMatches(L"aB3k", L"ab3k"));
    EXPECT_FALSE(PictureCodeMatches(L"aB3k", L"aB3"));
    EXPECT_FALSE(PictureCodeMatches(L"aB3k", L"aB3kk"));
    EXPECT_FALSE(PictureCodeMatches(L"aB3k", L"aB4k"));
}

TEST(SignupRules, PhoneNumbersAreElevenDigitsWithSecondDigit3To9)
{
    EXPECT_TRUE(IsPhoneNumber(L"13912345678"));
    EXPECT_TRUE(IsPhoneNumber(L"19912345678"));
    EXPECT_FALSE(IsPhoneNumber(L"12912345678"));
    EXPECT_FALSE(IsPhoneNumber(L"1391234567"));
    EXPECT_FALSE(IsPhoneNumber(L"139123456789"));
    EXPECT_FALSE(IsPhoneNumber(L"23912345678"));
    EXPECT_FALSE(IsPhoneNumber(L"1391234567a"));
    EXPECT_FALSE(IsPhoneNumber(L"１３９１２３４５６７８")); // full-width digits
    EXPECT_FALSE(IsPhoneNumber(L"13912345678\n"));
}

TEST(FormFields, EveryValueIsEncodedOnItsOwn)
{
    EXPECT_EQ(PercentEncode("aZ09-._~"), "aZ09-._~");
    EXPECT_EQ(PercentEncode("a b&c=d#e+f/%"), "a%20b%26c%3Dd%23e%2Bf%2F%25");
    EXPECT_EQ(EncodeFormFields({ { "password", L"p&w=1" }, { "phone", L"13912345678" } }, true, false),
        "&password=p%26w%3D1&phone=13912345678");
    EXPECT_EQ(EncodeFormFields({ { "username", L"demo" }, { "password", L"x" } }, false, false),
        "username=demo&password=x");
    // Code page 936 bytes, or UTF-8 for the calls that convert further.
    EXPECT_EQ(EncodeFormFields({ { "n", L"张" } }, false, false), "n=%D5%C5");
    EXPECT_EQ(EncodeFormFields({ { "n", L"张" } }, false, true), "n=%E5%BC%A0");
    EXPECT_EQ(EncodeFormFields({ { "n", L"" } }, false, false), "n=");
    // A character the code page lacks empties the whole text, as elsewhere.
    EXPECT_EQ(EncodeFormFields({ { "a", L"x" }, { "n", L"\U0001F600" } }, true, false), "");
}

TEST(SignupRules, TheVerificationValueCannotChangeTheQuery)
{
    EXPECT_EQ(VerifyQuery("user,name", L"demo"), L"?type=unique&rule=user,name&value=demo");
    EXPECT_EQ(VerifyQuery("user,name", L"a b&rule=x#张"),
        L"?type=unique&rule=user,name&value=a%20b%26rule%3Dx%23%D5%C5");
    EXPECT_EQ(VerifyQuery("user,phone", L"13912345678"), L"?type=unique&rule=user,phone&value=13912345678");
}

TEST(SignupRules, RegistrationFieldsLeaveOutAnEmptyInviteCode)
{
    SignupMembers signup;
    signup.signupPassword = L"secret&1";
    signup.signupPhone = L"13912345678";
    signup.signupName = L"newuser";
    signup.smsCode = L"123456";
    EXPECT_EQ(EncodeFormFields(RegisterFields(signup), true, false),
        "&password=secret%261&phone=13912345678&username=newuser&code=123456");
    signup.inviteCode = L"KV000042";
    EXPECT_EQ(EncodeFormFields(RegisterFields(signup), true, false),
        "&password=secret%261&phone=13912345678&username=newuser&code=123456&invite_code=KV000042");
}

UserMembers Parsed(const std::string& payload, UserMembers user = {})
{
    json::Document doc = json::Parse(payload);
    ParseUserInfo(doc.get(), user);
    return user;
}

TEST(UserInfo, TheWholeBalanceIsTakenOnlyWithQtzPoint)
{
    UserMembers user = Parsed(R"({"id":"42","nickname":"demo","avatar":"/a.png","qtz_money":"12.8",)"
                              R"("qtz_point":0,"invite_code":"KV1"})");
    EXPECT_EQ(user.userId, "42");
    EXPECT_EQ(user.nickname, L"demo");
    EXPECT_EQ(user.avatarPath, L"/a.png");
    EXPECT_EQ(user.pointsText, L"12.8");
    EXPECT_DOUBLE_EQ(user.pointsValue, 12.8);
    EXPECT_EQ(user.pointsWhole, 12);
    EXPECT_EQ(user.pointsWholeText, L"12");
    EXPECT_EQ(user.myInviteCode, L"KV1");

    // Without "qtz_point" the whole balance keeps its earlier value.
    UserMembers later = Parsed(R"({"qtz_money":"99.5"})", user);
    EXPECT_EQ(later.pointsText, L"99.5");
    EXPECT_EQ(later.pointsWholeText, L"12");
    // A null "qtz_point" counts as missing; negative balances go toward zero.
    EXPECT_EQ(Parsed(R"({"qtz_money":"99.5","qtz_point":null})", user).pointsWholeText, L"12");
    EXPECT_EQ(Parsed(R"({"qtz_money":"-3.9","qtz_point":1})").pointsWholeText, L"-3");
}

TEST(UserInfo, MembersOfOtherTypesLeaveTheUserAsHeWas)
{
    UserMembers before;
    before.userId = "42";
    before.nickname = L"demo";
    before.pointsText = L"5";
    before.pointsValue = 5;
    before.pointsWholeText = L"5";
    UserMembers user = Parsed(R"({"id":42,"nickname":7,"avatar":[1],"qtz_money":12.8,"invite_code":{},)"
                              R"("qtz_point":1})",
        before);
    EXPECT_EQ(user.userId, "42");
    EXPECT_EQ(user.nickname, L"demo");
    EXPECT_EQ(user.avatarPath, L"");
    EXPECT_EQ(user.pointsText, L"5");
    EXPECT_EQ(user.pointsWholeText, L"5");
    // Not an object at all, or absurd numbers: nothing breaks.
    EXPECT_EQ(Parsed("[1,2]", before).nickname, L"demo");
    EXPECT_EQ(Parsed(R"({"qtz_money":"1e999","qtz_point":1})").pointsWholeText, L"9223372036854775807");
    EXPECT_EQ(Parsed(R"({"qtz_money":"abc","qtz_point":1})").pointsWholeText, L"0");
}

TEST(UserInfo, ThePictureFileStaysInThePerUserFolder)
{
    EXPECT_EQ(AvatarBaseName("42"), "42");
    EXPECT_EQ(AvatarBaseName(""), "_");
    EXPECT_EQ(AvatarBaseName("../../etc/x"), "_2E_2E_2F_2E_2E_2Fetc_2Fx");
    EXPECT_EQ(AvatarBaseName("a\\b"), "a_5Cb");
    EXPECT_EQ(AvatarBaseName("_"), "_5F"); // never the same name as another id
    EXPECT_LE(AvatarBaseName(std::string(1000, '/')).size(), 122u);

    TempDir dir;
    InitLocalPaths(dir.path().string());
    std::filesystem::path folder = std::filesystem::path(GetLocalPaths().folder.narrow).lexically_normal();
    if (!folder.has_filename())
        folder = folder.parent_path();
    for (const std::string id : { "42", "../x", "/etc/passwd", "..", "a/../../b" }) {
        const std::filesystem::path file = std::filesystem::path(AvatarDownloadPath(id)).lexically_normal();
        EXPECT_EQ(file.parent_path(), folder) << id;
    }
}

TEST(UserInfo, ThePictureGoesOutAsBase64LinesOf64)
{
    TempDir dir;
    auto write = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(dir.path() / name, std::ios::binary) << bytes;
        return (dir.path() / name).wstring();
    };
    EXPECT_EQ(PictureText(write("three", "ABC")), "QUJD\r\n");
    const std::string line(64, 'A');
    const std::string text48 = PictureText(write("48", std::string(48, '\0')));
    EXPECT_EQ(text48, line + "\r\n");
    const std::string text49 = PictureText(write("49", std::string(49, '\0')));
    EXPECT_EQ(text49, line + "\r\nAA==\r\n");
    EXPECT_EQ(PictureText(write("empty", "")), "");
    EXPECT_EQ(PictureText((dir.path() / "missing").wstring()), "");
    EXPECT_EQ(PictureText(L""), "");
}

} // namespace
