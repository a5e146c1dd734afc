#pragma once

#include <string>
#include <vector>

#include "net/FormFields.h"

struct SignupMembers;

// The local rules of the registration form's fields.

// 4 to 15 characters (UTF-16 units).
bool IsSignupNameLength(const std::wstring& name);
// At least 6 characters.
bool IsSignupPasswordLength(const std::wstring& password);
// Equal once both are in upper case, character by character.
bool PictureCodeMatches(const std::wstring& expected, const std::wstring& typed);
// "^1[3-9][0-9]\d{8}$" on the code page 936 form of the text.
bool IsPhoneNumber(const std::wstring& text);

// The query of a uniqueness check: rule "user,name" or "user,phone" and the
// value, percent-encoded in code page 936 so that a space, "&", "#" or any
// other character cannot change the query.
std::wstring VerifyQuery(const char* rule, const std::wstring& value);

// The registration's fields in the order the service expects; no
// "invite_code" at all when none was typed.
std::vector<FormField> RegisterFields(const SignupMembers& signup);
