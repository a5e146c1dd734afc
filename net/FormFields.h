#pragma once

#include <string>
#include <string_view>
#include <vector>

struct ServiceRequest;

// A parameter text whose values are encoded one by one, so that "&", "=",
// "#", "+" or a space inside a value (a password, a user name) stays inside
// it. ClusterCurl's own encoder finds values by the next "&" and would cut
// such a value in two.
struct FormField {
    std::string key;
    std::wstring value;
};

// The bytes of one value percent-encoded as libcurl does it: A-Z a-z 0-9
// "-" "." "_" "~" kept, every other byte as "%XX" (upper-case hexadecimal).
std::string PercentEncode(std::string_view bytes);

// "key=value" pairs joined by "&" (with a leading "&" when asked), each value
// in code page 936 (then UTF-8 when asked) and percent-encoded. When a value
// has a character the code page lacks the whole text is empty, as for every
// other parameter text of the client.
std::string EncodeFormFields(const std::vector<FormField>& fields, bool leadingSeparator, bool toUtf8);

// Makes a Post request send the fields as encoded here: the text goes out
// byte for byte, without a second encoding.
void SetFormFields(ServiceRequest& request, const std::vector<FormField>& fields, bool leadingSeparator);
