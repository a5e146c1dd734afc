#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

namespace stream {

// H.264 access units to pictures, through libavcodec, without frame
// threading or reordering delay: a unit in is a picture out.
class VideoDecoder {
public:
    static std::unique_ptr<VideoDecoder> Create(std::string& error);
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    enum class Result { Picture, NoPicture, Error };
    // Decodes one access unit (Annex B). Picture: the picture is ready for
    // Convert.
    Result Decode(std::string_view unit, std::string& error);
    // The last picture's size as sent.
    int width() const;
    int height() const;
    // The last picture scaled to width x height, 32-bit B, G, R, x pixels
    // (Qt's RGB32) with `stride` bytes a row.
    bool Convert(std::uint8_t* pixels, int stride, int width, int height);

private:
    VideoDecoder() = default;

    AVCodecContext* m_context = nullptr;
    AVFrame* m_frame = nullptr;
    AVFrame* m_picture = nullptr; // the last picture
    AVPacket* m_packet = nullptr;
    SwsContext* m_convert = nullptr;
    bool m_hasPicture = false;
};

} // namespace stream
