#pragma once

#include <string>

// The web page of a link on the service host. The skin and the window name
// pages by their path ("/help.html", "/forget.html"); the host is a build
// setting, so it is joined here: "http://<host>" plus ":<port>" unless the
// port is 80. A target that already names a scheme ("https://...") is kept.
std::wstring ServicePageUrl(const std::wstring& target);

inline constexpr const wchar_t* kHelpPagePath = L"/help.html";
inline constexpr const wchar_t* kConsultPagePath = L"/consult1.html";
