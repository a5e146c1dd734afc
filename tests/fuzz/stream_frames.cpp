// Any bytes as a play stream, from either end: the frame reader and every
// message reader must neither crash nor accept what breaks the format.
#include <cstddef>
#include <cstdint>

#include "stream/StreamProtocol.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace stream;
    FrameReader reader;
    // Fed in two pieces, as a network would.
    const std::size_t half = size / 2;
    reader.Feed(reinterpret_cast<const char*>(data), half);
    reader.Feed(reinterpret_cast<const char*>(data) + half, size - half);
    Message message;
    std::string error;
    for (;;) {
        const auto status = reader.Next(message, error);
        if (status != FrameReader::Status::Message) {
            Check(status == FrameReader::Status::NeedMore || !error.empty());
            break;
        }
        Check(message.body.size() < kMaxMessage);
        if (auto hello = ReadHello(message.body, error)) {
            Check(hello->session.size() <= kMaxHelloText);
            // What was read writes back the same.
            Check(EncodeHello(*hello).substr(5) == message.body);
        }
        if (auto input = ReadInput(message.type, message.body, error)) {
            Check(
                !input->path.empty() || input->kind == Input::Kind::Key || input->kind == Input::Kind::Text);
            Check(input->path.size() <= kMaxSwipePoints);
            Check(input->text.size() <= kMaxTextInput);
            Check(EncodeInput(*input).substr(5) == message.body);
        }
        ReadWelcome(message.body, error);
        ReadRefusal(message.body, error);
        if (auto video = ReadVideo(message.body, error))
            Check(!video->data.empty());
    }
    return 0;
}
