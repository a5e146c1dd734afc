#include "net/FormFields.h"

#include "net/ClusterCurl.h"
#include "net/ServiceCall.h"
#include "net/TextConvert.h"

std::string PercentEncode(std::string_view bytes)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        const bool kept = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9')
            || b == '-' || b == '.' || b == '_' || b == '~';
        if (kept) {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
        }
    }
    return out;
}

std::string EncodeFormFields(const std::vector<FormField>& fields, bool leadingSeparator, bool toUtf8)
{
    std::string out;
    bool first = true;
    for (const FormField& field : fields) {
        std::string value = WideToAnsi(field.value);
        if (value.empty() && !field.value.empty())
            return {};
        if (toUtf8)
            value = AnsiToUtf8(value);
        if (!first || leadingSeparator)
            out += '&';
        first = false;
        out += field.key;
        out += '=';
        out += PercentEncode(value);
    }
    return out;
}

void SetFormFields(ServiceRequest& request, const std::vector<FormField>& fields, bool leadingSeparator)
{
    // Plain ASCII from here on: the call's own conversions leave it as it is.
    const std::string encoded = EncodeFormFields(fields, leadingSeparator, request.paramsToUtf8);
    request.params.assign(encoded.begin(), encoded.end());
    request.prepare = [](ClusterCurl& curl) { curl.bodyEncoded = true; };
}
