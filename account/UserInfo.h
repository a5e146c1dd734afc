#pragma once

#include <string>

#include "account/AccountMembers.h"

struct cJSON;

// Reads the user information payload: "id", "nickname", "avatar",
// "qtz_money", "invite_code", each only when it is a JSON string.
UserInfoFields ReadUserInfo(const cJSON* payload);
// Writes what an answer carried into the members (a member it did not carry
// stays as it was); the whole balance is taken from the balance only when
// the answer had "qtz_point".
void ApplyUserInfo(const UserInfoFields& fields, UserMembers& user);
// Both at once, where the members are the caller's own.
void ParseUserInfo(const cJSON* payload, UserMembers& user);

// The base name of the user's picture file: the id the service sent, with
// every byte other than A-Z a-z 0-9 "-" written as "_" and two hexadecimal
// digits, so that no id can lead out of the per-user folder ("../x", "a/b")
// and two ids (of up to 40 bytes) never share a file. "_" for an empty id.
std::string AvatarBaseName(const std::string& userId);
// Per-user folder + base name + ".png" (wide, for the UI).
std::wstring AvatarFilePath(const std::string& userId);
// Where the download goes first (8-bit); the window moves it to the picture
// file once it has proved to be a picture.
std::string AvatarDownloadPath(const std::string& userId);
