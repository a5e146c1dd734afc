#include "stream/StreamProtocol.h"

namespace stream {
namespace {

    class Writer {
    public:
        explicit Writer(Type type)
        {
            m_out.assign(4, '\0');
            m_out += static_cast<char>(type);
        }
        void U8(unsigned v) { m_out += static_cast<char>(v & 0xFF); }
        void U16(unsigned v)
        {
            U8(v >> 8);
            U8(v);
        }
        void U32(std::uint32_t v)
        {
            U16(v >> 16);
            U16(v & 0xFFFF);
        }
        void U64(std::uint64_t v)
        {
            U32(static_cast<std::uint32_t>(v >> 32));
            U32(static_cast<std::uint32_t>(v));
        }
        void Text16(std::string_view text)
        {
            U16(static_cast<unsigned>(text.size()));
            m_out.append(text);
        }
        void Raw(std::string_view bytes) { m_out.append(bytes); }
        // The message with its length; `trailing` bytes follow it on the wire.
        std::string Done(std::size_t trailing = 0)
        {
            const std::uint64_t length = m_out.size() - 4 + trailing;
            for (int i = 0; i < 4; ++i)
                m_out[static_cast<std::size_t>(i)] = static_cast<char>((length >> (24 - 8 * i)) & 0xFF);
            return std::move(m_out);
        }

    private:
        std::string m_out;
    };

    class Reader {
    public:
        explicit Reader(std::string_view body)
            : m_body(body)
        {
        }
        bool U8(unsigned& v)
        {
            if (m_pos + 1 > m_body.size())
                return false;
            v = static_cast<unsigned char>(m_body[m_pos++]);
            return true;
        }
        bool U16(unsigned& v)
        {
            unsigned hi = 0, lo = 0;
            if (!U8(hi) || !U8(lo))
                return false;
            v = hi << 8 | lo;
            return true;
        }
        bool U32(std::uint32_t& v)
        {
            unsigned hi = 0, lo = 0;
            if (!U16(hi) || !U16(lo))
                return false;
            v = static_cast<std::uint32_t>(hi) << 16 | lo;
            return true;
        }
        bool U64(std::uint64_t& v)
        {
            std::uint32_t hi = 0, lo = 0;
            if (!U32(hi) || !U32(lo))
                return false;
            v = static_cast<std::uint64_t>(hi) << 32 | lo;
            return true;
        }
        bool Text16(std::string& text, std::size_t limit)
        {
            unsigned size = 0;
            if (!U16(size) || size > limit || m_pos + size > m_body.size())
                return false;
            text.assign(m_body.substr(m_pos, size));
            m_pos += size;
            return true;
        }
        std::string_view Rest()
        {
            std::string_view rest = m_body.substr(m_pos);
            m_pos = m_body.size();
            return rest;
        }
        bool AtEnd() const { return m_pos == m_body.size(); }

    private:
        std::string_view m_body;
        std::size_t m_pos = 0;
    };

    template <class T> std::optional<T> Fail(std::string& error, const char* why)
    {
        error = why;
        return std::nullopt;
    }

    // Well-formed UTF-8 without NUL (texts reach logs and screens).
    bool IsUtf8Text(std::string_view text)
    {
        std::size_t i = 0;
        while (i < text.size()) {
            const auto c = static_cast<unsigned char>(text[i]);
            std::size_t extra = 0;
            std::uint32_t code = 0;
            if (c == 0)
                return false;
            if (c < 0x80) {
                ++i;
                continue;
            }
            if ((c & 0xE0) == 0xC0) {
                extra = 1;
                code = c & 0x1F;
            } else if ((c & 0xF0) == 0xE0) {
                extra = 2;
                code = c & 0x0F;
            } else if ((c & 0xF8) == 0xF0) {
                extra = 3;
                code = c & 0x07;
            } else {
                return false;
            }
            if (i + extra >= text.size())
                return false;
            for (std::size_t k = 1; k <= extra; ++k) {
                const auto t = static_cast<unsigned char>(text[i + k]);
                if ((t & 0xC0) != 0x80)
                    return false;
                code = code << 6 | (t & 0x3F);
            }
            static constexpr std::uint32_t kMin[] = { 0, 0x80, 0x800, 0x10000 };
            if (code < kMin[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
                return false;
            i += extra + 1;
        }
        return true;
    }

} // namespace

std::string EncodeHello(const Hello& hello)
{
    Writer w(Type::Hello);
    w.U8(kVersion);
    w.U16(static_cast<unsigned>(hello.maxWidth));
    w.U16(static_cast<unsigned>(hello.maxHeight));
    w.Text16(hello.session.substr(0, kMaxHelloText));
    w.Text16(hello.padCode.substr(0, kMaxHelloText));
    w.Text16(hello.user.substr(0, kMaxHelloText));
    return w.Done();
}

std::string EncodeInput(const Input& input)
{
    switch (input.kind) {
    case Input::Kind::Tap: {
        Writer w(Type::Tap);
        w.U32(input.seq);
        const Point p = input.path.empty() ? Point {} : input.path.front();
        w.U16(static_cast<unsigned>(p.x));
        w.U16(static_cast<unsigned>(p.y));
        return w.Done();
    }
    case Input::Kind::Swipe: {
        Writer w(Type::Swipe);
        w.U32(input.seq);
        w.U16(static_cast<unsigned>(input.durationMs));
        const std::size_t count = std::min(input.path.size(), kMaxSwipePoints);
        w.U16(static_cast<unsigned>(count));
        for (std::size_t i = 0; i < count; ++i) {
            w.U16(static_cast<unsigned>(input.path[i].x));
            w.U16(static_cast<unsigned>(input.path[i].y));
        }
        return w.Done();
    }
    case Input::Kind::Key: {
        Writer w(Type::Key);
        w.U32(input.seq);
        w.U8(static_cast<unsigned>(input.key));
        return w.Done();
    }
    case Input::Kind::Text: {
        Writer w(Type::Text);
        w.U32(input.seq);
        w.Raw(std::string_view(input.text).substr(0, kMaxTextInput));
        return w.Done();
    }
    }
    return {};
}

std::string EncodeClose()
{
    return Writer(Type::Close).Done();
}

std::string EncodeWelcome(const Welcome& welcome)
{
    Writer w(Type::Welcome);
    w.U16(static_cast<unsigned>(welcome.deviceWidth));
    w.U16(static_cast<unsigned>(welcome.deviceHeight));
    w.U16(static_cast<unsigned>(welcome.streamWidth));
    w.U16(static_cast<unsigned>(welcome.streamHeight));
    w.U16(static_cast<unsigned>(welcome.fps));
    return w.Done();
}

std::string EncodeRefusal(Type type, const Refusal& refusal)
{
    Writer w(type);
    w.U8(static_cast<unsigned>(refusal.reason));
    w.Raw(std::string_view(refusal.text).substr(0, kMaxTextInput));
    return w.Done();
}

std::string EncodeVideoHead(const VideoUnit& unit, std::size_t dataSize)
{
    Writer w(Type::Video);
    w.U64(unit.captureUs);
    w.U32(unit.inputSeq);
    w.U8(unit.keyframe ? 1 : 0);
    return w.Done(dataSize);
}

std::string EncodeVideo(const VideoUnit& unit)
{
    return EncodeVideoHead(unit, unit.data.size()) + unit.data;
}

void FrameReader::Feed(const char* data, std::size_t size)
{
    if (m_broken)
        return;
    // Drop what was taken before the buffer grows again.
    if (m_start > 0 && m_start >= m_buffer.size() / 2) {
        m_buffer.erase(0, m_start);
        m_start = 0;
    }
    m_buffer.append(data, size);
}

FrameReader::Status FrameReader::Next(Message& out, std::string& error)
{
    if (m_broken) {
        error = m_error;
        return Status::Bad;
    }
    if (Buffered() < 5)
        return Status::NeedMore;
    const auto* p = reinterpret_cast<const unsigned char*>(m_buffer.data() + m_start);
    const std::uint32_t length = static_cast<std::uint32_t>(p[0]) << 24
        | static_cast<std::uint32_t>(p[1]) << 16 | static_cast<std::uint32_t>(p[2]) << 8 | p[3];
    if (length == 0 || length > kMaxMessage) {
        m_broken = true;
        m_error = "message length " + std::to_string(length) + " out of range";
        m_buffer.clear();
        m_start = 0;
        error = m_error;
        return Status::Bad;
    }
    if (Buffered() < 4 + static_cast<std::size_t>(length))
        return Status::NeedMore;
    out.type = static_cast<Type>(p[4]);
    out.body.assign(m_buffer, m_start + 5, length - 1);
    m_start += 4 + length;
    if (m_start == m_buffer.size()) {
        m_buffer.clear();
        m_start = 0;
    }
    return Status::Message;
}

std::optional<Hello> ReadHello(std::string_view body, std::string& error)
{
    Reader r(body);
    unsigned version = 0, width = 0, height = 0;
    Hello hello;
    if (!r.U8(version))
        return Fail<Hello>(error, "hello too short");
    if (version != kVersion)
        return Fail<Hello>(error, "unknown protocol version");
    if (!r.U16(width) || !r.U16(height) || !r.Text16(hello.session, kMaxHelloText)
        || !r.Text16(hello.padCode, kMaxHelloText) || !r.Text16(hello.user, kMaxHelloText))
        return Fail<Hello>(error, "hello cut short or a text too long");
    if (!r.AtEnd())
        return Fail<Hello>(error, "hello has trailing bytes");
    if (!IsUtf8Text(hello.session) || !IsUtf8Text(hello.padCode) || !IsUtf8Text(hello.user))
        return Fail<Hello>(error, "hello text is not UTF-8");
    hello.maxWidth = static_cast<int>(width);
    hello.maxHeight = static_cast<int>(height);
    return hello;
}

std::optional<Input> ReadInput(Type type, std::string_view body, std::string& error)
{
    Reader r(body);
    Input input;
    if (!r.U32(input.seq))
        return Fail<Input>(error, "input cut short");
    switch (type) {
    case Type::Tap: {
        unsigned x = 0, y = 0;
        if (!r.U16(x) || !r.U16(y) || !r.AtEnd())
            return Fail<Input>(error, "tap is not 8 bytes");
        input.kind = Input::Kind::Tap;
        input.path.push_back({ static_cast<int>(x), static_cast<int>(y) });
        return input;
    }
    case Type::Swipe: {
        unsigned duration = 0, count = 0;
        if (!r.U16(duration) || !r.U16(count))
            return Fail<Input>(error, "swipe cut short");
        if (count < 2 || count > kMaxSwipePoints)
            return Fail<Input>(error, "swipe point count out of range");
        input.kind = Input::Kind::Swipe;
        input.durationMs = static_cast<int>(duration);
        for (unsigned i = 0; i < count; ++i) {
            unsigned x = 0, y = 0;
            if (!r.U16(x) || !r.U16(y))
                return Fail<Input>(error, "swipe path cut short");
            input.path.push_back({ static_cast<int>(x), static_cast<int>(y) });
        }
        if (!r.AtEnd())
            return Fail<Input>(error, "swipe has trailing bytes");
        return input;
    }
    case Type::Key: {
        unsigned key = 0;
        if (!r.U8(key) || !r.AtEnd())
            return Fail<Input>(error, "key is not 5 bytes");
        if (key < 1 || key > 3)
            return Fail<Input>(error, "unknown key");
        input.kind = Input::Kind::Key;
        input.key = static_cast<Key>(key);
        return input;
    }
    case Type::Text: {
        const std::string_view text = r.Rest();
        if (text.empty() || text.size() > kMaxTextInput)
            return Fail<Input>(error, "text empty or too long");
        if (!IsUtf8Text(text))
            return Fail<Input>(error, "text is not UTF-8");
        input.kind = Input::Kind::Text;
        input.text.assign(text);
        return input;
    }
    default:
        return Fail<Input>(error, "not an input message");
    }
}

std::optional<Welcome> ReadWelcome(std::string_view body, std::string& error)
{
    Reader r(body);
    unsigned dw = 0, dh = 0, sw = 0, sh = 0, fps = 0;
    if (!r.U16(dw) || !r.U16(dh) || !r.U16(sw) || !r.U16(sh) || !r.U16(fps) || !r.AtEnd())
        return Fail<Welcome>(error, "welcome is not 10 bytes");
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0 || sw > 4096 || sh > 4096 || dw > 8192 || dh > 8192)
        return Fail<Welcome>(error, "welcome sizes out of range");
    return Welcome { static_cast<int>(dw), static_cast<int>(dh), static_cast<int>(sw), static_cast<int>(sh),
        static_cast<int>(fps) };
}

std::optional<Refusal> ReadRefusal(std::string_view body, std::string& error)
{
    Reader r(body);
    unsigned reason = 0;
    if (!r.U8(reason))
        return Fail<Refusal>(error, "refusal without reason");
    Refusal refusal;
    refusal.reason = reason >= 1 && reason <= 5 ? static_cast<Reason>(reason) : Reason::Protocol;
    const std::string_view text = r.Rest();
    if (text.size() > kMaxTextInput || !IsUtf8Text(text))
        return Fail<Refusal>(error, "refusal text too long or not UTF-8");
    refusal.text.assign(text);
    return refusal;
}

std::optional<VideoUnit> ReadVideo(std::string_view body, std::string& error)
{
    Reader r(body);
    VideoUnit unit;
    unsigned flags = 0;
    if (!r.U64(unit.captureUs) || !r.U32(unit.inputSeq) || !r.U8(flags))
        return Fail<VideoUnit>(error, "video head cut short");
    if (flags > 1)
        return Fail<VideoUnit>(error, "unknown video flags");
    unit.keyframe = flags == 1;
    const std::string_view data = r.Rest();
    if (data.empty())
        return Fail<VideoUnit>(error, "video unit without data");
    unit.data.assign(data);
    return unit;
}

const char* KeyName(Key key)
{
    switch (key) {
    case Key::Back:
        return "back";
    case Key::Home:
        return "home";
    case Key::Recents:
        return "recents";
    }
    return "?";
}

} // namespace stream
