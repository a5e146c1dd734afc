#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

namespace stream {

// H.264 through libavcodec's libx264: ultrafast preset, zero-latency tune, no
// B-frames, one thread, so every picture leaves as one access unit at once.
class VideoEncoder {
public:
    // None, with the reason in `error`, when libx264 is missing or refuses
    // the size (both sides must be even).
    static std::unique_ptr<VideoEncoder> Create(int width, int height, int fps, std::string& error);
    ~VideoEncoder();
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // Encodes one picture of 32-bit pixels in memory order B, G, R, x (Qt's
    // RGB32) with `stride` bytes a row. `out` receives the access unit.
    bool Encode(const std::uint8_t* pixels, int stride, std::int64_t ptsMs, bool forceKeyframe,
        std::string& out, bool& keyframe, std::string& error);

    int width() const { return m_width; }
    int height() const { return m_height; }

private:
    VideoEncoder() = default;

    int m_width = 0;
    int m_height = 0;
    AVCodecContext* m_context = nullptr;
    AVFrame* m_frame = nullptr;
    AVPacket* m_packet = nullptr;
    SwsContext* m_convert = nullptr;
    std::int64_t m_lastPts = -1;
};

} // namespace stream
