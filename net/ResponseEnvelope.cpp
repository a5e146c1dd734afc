#include "net/ResponseEnvelope.h"

#include <cjson/cJSON.h>

#include "net/TextConvert.h"

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
    if (envelope.success)
        envelope.payload = json::Parse(envelope.message);
    return envelope;
}
