#include "stream/VideoEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/error.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
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

std::unique_ptr<VideoEncoder> VideoEncoder::Create(int width, int height, int fps, std::string& error)
{
    if (width <= 0 || height <= 0 || width % 2 != 0 || height % 2 != 0) {
        error = "picture size must be even";
        return nullptr;
    }
    // libx264's own statistics would fill the service's log.
    av_log_set_level(AV_LOG_ERROR);
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (codec == nullptr) {
        error = "libavcodec has no libx264 encoder";
        return nullptr;
    }
    std::unique_ptr<VideoEncoder> encoder(new VideoEncoder);
    encoder->m_width = width;
    encoder->m_height = height;
    AVCodecContext* c = avcodec_alloc_context3(codec);
    encoder->m_context = c;
    if (c == nullptr) {
        error = "out of memory";
        return nullptr;
    }
    c->width = width;
    c->height = height;
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->time_base = AVRational { 1, 1000 };
    c->framerate = AVRational { fps, 1 };
    c->gop_size = fps * 10;
    c->max_b_frames = 0;
    c->thread_count = 1;
    av_opt_set(c->priv_data, "preset", "ultrafast", 0);
    av_opt_set(c->priv_data, "tune", "zerolatency", 0);
    av_opt_set(c->priv_data, "crf", "27", 0);
    if (const int rc = avcodec_open2(c, codec, nullptr); rc < 0) {
        error = "libx264 refused to open: " + AvError(rc);
        return nullptr;
    }
    encoder->m_frame = av_frame_alloc();
    encoder->m_packet = av_packet_alloc();
    if (encoder->m_frame == nullptr || encoder->m_packet == nullptr) {
        error = "out of memory";
        return nullptr;
    }
    encoder->m_frame->format = AV_PIX_FMT_YUV420P;
    encoder->m_frame->width = width;
    encoder->m_frame->height = height;
    if (av_frame_get_buffer(encoder->m_frame, 0) < 0) {
        error = "out of memory";
        return nullptr;
    }
    encoder->m_convert = sws_getContext(width, height, AV_PIX_FMT_BGR0, width, height, AV_PIX_FMT_YUV420P,
        SWS_POINT, nullptr, nullptr, nullptr);
    if (encoder->m_convert == nullptr) {
        error = "no colour conversion";
        return nullptr;
    }
    return encoder;
}

VideoEncoder::~VideoEncoder()
{
    sws_freeContext(m_convert);
    av_packet_free(&m_packet);
    av_frame_free(&m_frame);
    avcodec_free_context(&m_context);
}

bool VideoEncoder::Encode(const std::uint8_t* pixels, int stride, std::int64_t ptsMs, bool forceKeyframe,
    std::string& out, bool& keyframe, std::string& error)
{
    out.clear();
    keyframe = false;
    if (av_frame_make_writable(m_frame) < 0) {
        error = "frame not writable";
        return false;
    }
    const std::uint8_t* source[1] = { pixels };
    const int sourceStride[1] = { stride };
    sws_scale(m_convert, source, sourceStride, 0, m_height, m_frame->data, m_frame->linesize);
    // Timestamps must grow even when two pictures fall in one millisecond.
    m_lastPts = std::max(ptsMs, m_lastPts + 1);
    m_frame->pts = m_lastPts;
    m_frame->pict_type = forceKeyframe ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
    if (const int rc = avcodec_send_frame(m_context, m_frame); rc < 0) {
        error = "encoder refused a picture: " + AvError(rc);
        return false;
    }
    for (;;) {
        const int rc = avcodec_receive_packet(m_context, m_packet);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            break;
        if (rc < 0) {
            error = "encoder failed: " + AvError(rc);
            return false;
        }
        out.append(reinterpret_cast<const char*>(m_packet->data), static_cast<std::size_t>(m_packet->size));
        keyframe = keyframe || (m_packet->flags & AV_PKT_FLAG_KEY) != 0;
        av_packet_unref(m_packet);
    }
    return true;
}

} // namespace stream
