#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace service {

// How a call's form values are to be read after percent-decoding.
enum class Charset {
    Cp936, // the client's usual code page 936 parameter text
    Utf8, // calls whose client converts the text further to UTF-8
};

struct FormField {
    std::string name;
    std::string value; // UTF-8 (multipart file parts: the raw file bytes)
    // Multipart only.
    bool isFile = false;
    std::string filename; // as sent in Content-Disposition
    std::string contentType;
};

// The decoded fields of a request in the order they were sent.
struct Form {
    std::vector<FormField> fields;

    const FormField* Find(std::string_view name) const; // first with that name
    bool Has(std::string_view name) const { return Find(name) != nullptr; }
    std::string Get(std::string_view name) const; // empty when missing
};

// Percent-decoding of one key or value; "+" is a space. A "%" not followed by
// two hexadecimal digits stays as it is.
std::string PercentDecode(std::string_view text);

// "a=1&b=2" into fields (empty pieces skipped, a piece without "=" is a key
// with an empty value); values decoded and then read in `charset`.
void AppendUrlEncoded(std::string_view text, Charset charset, Form& form);

// A multipart/form-data body; false when the boundary is missing or the body
// is malformed (the fields read so far stay).
bool AppendMultipart(std::string_view body, std::string_view contentType, Form& form);

} // namespace service
