#pragma once

#include <string>

struct cJSON;
struct UserMembers;

// Reads the user information payload into the members: "id", "nickname",
// "avatar", "qtz_money", "invite_code", each only when it is a JSON string
// (a missing, null or otherwise typed member leaves its member as it was);
// the whole balance is taken from "qtz_money" only when "qtz_point" is there.
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
