#include "net/ResponseEnvelope.h"

#include <cjson/cJSON.h>

#include "net/TextConvert.h"

namespace {

// True when a trail byte of the code page is a backslash.
bool HasTrailBackslash(const std::string& ansi)
{
    for (std::size_t i = 0; i + 1 < ansi.size(); ++i) {
        auto byte = static_cast<unsigned char>(ansi[i]);
        if (byte >= 0x81 && byte <= 0xFE) {
            if (ansi[++i] == '\\')
                return true;
        }
    }
    return false;
}

// The payload is parsed from its code page 936 form, where the second byte of
// some characters (淺, 乗, 琝 and a hundred more) is 0x5C, a JSON backslash:
// left alone it would escape the byte after it and usually break the whole
// payload. Doubling such a byte makes the parser read it back as that byte.
std::string WithTrailBackslashesEscaped(const std::string& ansi)
{
    std::string out;
    out.reserve(ansi.size());
    for (std::size_t i = 0; i < ansi.size(); ++i) {
        auto byte = static_cast<unsigned char>(ansi[i]);
        out += ansi[i];
        if (byte >= 0x81 && byte <= 0xFE && i + 1 < ansi.size()) {
            out += ansi[++i];
            if (ansi[i] == '\\')
                out += '\\';
        }
    }
    return out;
}

} // namespace

ResponseEnvelope ParseEnvelope(std::string_view body)
{
    ResponseEnvelope envelope;
    envelope.root = json::Parse(body);
    if (!envelope.root)
        return envelope;
    envelope.success = json::MemberIsTrue(envelope.root.get(), "status");

    const cJSON* message = json::Member(envelope.root.get(), "message");
    if (!json::IsString(message))
        return envelope;
    envelope.message = WideToAnsiReplacing(Utf8ToWide(message->valuestring));
    envelope.messageText = AnsiToWide(envelope.message);
    if (envelope.success) {
        // Copied only when a trail byte needs its escape.
        if (HasTrailBackslash(envelope.message))
            envelope.payload = json::Parse(WithTrailBackslashesEscaped(envelope.message));
        else
            envelope.payload = json::Parse(envelope.message);
    }
    return envelope;
}
