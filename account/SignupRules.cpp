#include "account/SignupRules.h"

#include <regex>

#include "account/SignupMembers.h"
#include "net/TextConvert.h"

bool IsSignupNameLength(const std::wstring& name)
{
    return name.size() >= 4 && name.size() <= 15;
}

bool IsSignupPasswordLength(const std::wstring& password)
{
    return password.size() >= 6;
}

namespace {

wchar_t Upper(wchar_t c)
{
    // The code pool is ASCII; other characters compare as they are.
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

} // namespace

bool PictureCodeMatches(const std::wstring& expected, const std::wstring& typed)
{
    if (expected.size() != typed.size())
        return false;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (Upper(expected[i]) != Upper(typed[i]))
            return false;
    }
    return true;
}

bool IsPhoneNumber(const std::wstring& text)
{
    static const std::regex kPhone("^1[3-9][0-9]\\d{8}$");
    return std::regex_match(WideToAnsi(text), kPhone);
}

std::wstring VerifyQuery(const char* rule, const std::wstring& value)
{
    const std::string encoded = PercentEncode(WideToAnsi(value));
    std::string query = std::string("?type=unique&rule=") + rule + "&value=" + encoded;
    return std::wstring(query.begin(), query.end());
}

std::vector<FormField> RegisterFields(const SignupMembers& signup)
{
    std::vector<FormField> fields = {
        { "password", signup.signupPassword },
        { "phone", signup.signupPhone },
        { "username", signup.signupName },
        { "code", signup.smsCode },
    };
    if (!signup.inviteCode.empty())
        fields.push_back({ "invite_code", signup.inviteCode });
    return fields;
}
