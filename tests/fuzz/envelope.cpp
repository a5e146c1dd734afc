// Any bytes as a service answer: the envelope parser and the payload readers
// must neither crash nor break the envelope's rules.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "net/JsonRead.h"
#include "net/ResponseEnvelope.h"
#include "net/TextConvert.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Reads every member the way payload parsers do, one level down as well.
void ReadAll(const cJSON* item, int depth)
{
    static const char* const kKeys[]
        = { "data", "id", "name", "page_index", "pages", "code", "msg", "time_left" };
    for (const char* key : kKeys) {
        std::int64_t i64 = 0;
        std::int32_t i32 = 0;
        std::wstring text;
        json::ReadInt64(item, key, i64);
        json::ReadInt32(item, key, i32);
        json::ReadAnsiText(item, key, text);
        json::ReadUtf8Text(item, key, text);
        Check(i32 == static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(i64))));
        if (depth < 2)
            ReadAll(json::Member(item, key), depth + 1);
    }
    for (const cJSON* element : json::Elements(item)) {
        json::IntegerOf(element);
        json::TextOf(element);
        if (depth < 2)
            ReadAll(element, depth + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view body(reinterpret_cast<const char*>(data), size);
    ResponseEnvelope envelope = ParseEnvelope(body);
    if (!envelope.root)
        Check(!envelope.success && envelope.message.empty() && !envelope.payload);
    if (envelope.payload)
        Check(envelope.success);
    Check(envelope.messageText == AnsiToWide(envelope.message));
    ReadAll(envelope.root.get(), 0);
    ReadAll(envelope.payload.get(), 0);

    // The conversions take any bytes too.
    std::wstring wide = Utf8ToWide(body);
    Check(Utf8ToWide(WideToUtf8(wide)) == wide);
    std::string ansi = WideToAnsi(AnsiToWide(body));
    WideToAnsiReplacing(wide);
    AnsiToUtf8(ansi);
    return 0;
}
