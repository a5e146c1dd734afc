#include "stream/VideoDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/error.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace stream {
namespace {

    std::string AvError(int code)
    {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(code, text, sizeof text);
        return text;
    }

} // namespace

std::unique_ptr<VideoDecoder> VideoDecoder::Create(std::string& error)
{
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
    if (codec == nullptr) {
        error = "libavcodec has no H.264 decoder";
        return nullptr;
    }
    std::unique_ptr<VideoDecoder> decoder(new VideoDecoder);
    AVCodecContext* c = avcodec_alloc_context3(codec);
    decoder->m_context = c;
    decoder->m_frame = av_frame_alloc();
    decoder->m_picture = av_frame_alloc();
    decoder->m_packet = av_packet_alloc();
    if (c == nullptr || decoder->m_frame == nullptr || decoder->m_picture == nullptr
        || decoder->m_packet == nullptr) {
        error = "out of memory";
        return nullptr;
    }
    c->thread_count = 1;
    c->flags |= AV_CODEC_FLAG_LOW_DELAY;
    if (const int rc = avcodec_open2(c, codec, nullptr); rc < 0) {
        error = "H.264 decoder refused to open: " + AvError(rc);
        return nullptr;
    }
    return decoder;
}

VideoDecoder::~VideoDecoder()
{
    sws_freeContext(m_convert);
    av_packet_free(&m_packet);
    av_frame_free(&m_frame);
    av_frame_free(&m_picture);
    avcodec_free_context(&m_context);
}

VideoDecoder::Result VideoDecoder::Decode(std::string_view unit, std::string& error)
{
    if (unit.empty() || unit.size() > (64u << 20))
        return Result::NoPicture;
    if (av_new_packet(m_packet, static_cast<int>(unit.size())) < 0) {
        error = "out of memory";
        return Result::Error;
    }
    std::copy(unit.begin(), unit.end(), reinterpret_cast<char*>(m_packet->data));
    const int sent = avcodec_send_packet(m_context, m_packet);
    av_packet_unref(m_packet);
    if (sent < 0 && sent != AVERROR(EAGAIN)) {
        error = "undecodable access unit: " + AvError(sent);
        return Result::Error;
    }
    Result result = Result::NoPicture;
    for (;;) {
        const int rc = avcodec_receive_frame(m_context, m_frame);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            break;
        if (rc < 0) {
            error = "decoding failed: " + AvError(rc);
            return Result::Error;
        }
        // Only pictures we can convert count; the next receive empties
        // m_frame, so the picture moves aside.
        if (m_frame->width > 0 && m_frame->height > 0 && m_frame->width <= 8192 && m_frame->height <= 8192
            && av_pix_fmt_desc_get(static_cast<AVPixelFormat>(m_frame->format)) != nullptr) {
            av_frame_unref(m_picture);
            av_frame_move_ref(m_picture, m_frame);
            m_hasPicture = true;
            result = Result::Picture;
        }
    }
    return result;
}

int VideoDecoder::width() const
{
    return m_hasPicture ? m_picture->width : 0;
}

int VideoDecoder::height() const
{
    return m_hasPicture ? m_picture->height : 0;
}

bool VideoDecoder::Convert(std::uint8_t* pixels, int stride, int width, int height)
{
    if (!m_hasPicture || width <= 0 || height <= 0)
        return false;
    const AVFrame* p = m_picture;
    const int flags = width == p->width && height == p->height ? SWS_POINT : SWS_FAST_BILINEAR;
    m_convert = sws_getCachedContext(m_convert, p->width, p->height, static_cast<AVPixelFormat>(p->format),
        width, height, AV_PIX_FMT_BGR0, flags, nullptr, nullptr, nullptr);
    if (m_convert == nullptr)
        return false;
    std::uint8_t* target[1] = { pixels };
    const int targetStride[1] = { stride };
    sws_scale(m_convert, p->data, p->linesize, 0, p->height, target, targetStride);
    return true;
}

} // namespace stream
