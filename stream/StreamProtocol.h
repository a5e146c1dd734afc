#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The play stream between a device of the service and the player programs:
// length-prefixed messages over one TCP connection (docs/stream.md is the
// contract). Every number is big-endian. Nothing here touches a socket.
namespace stream {

inline constexpr int kVersion = 1;
// A message longer than this (type byte and body) ends the connection.
inline constexpr std::uint32_t kMaxMessage = 4u << 20;
inline constexpr std::size_t kMaxTextInput = 1024;
inline constexpr std::size_t kMaxSwipePoints = 512;
inline constexpr std::size_t kMaxHelloText = 256;

enum class Type : std::uint8_t {
    // player -> service
    Hello = 0x01,
    Tap = 0x02,
    Swipe = 0x03,
    Key = 0x04,
    Text = 0x05,
    Close = 0x06,
    // service -> player
    Welcome = 0x81,
    Refused = 0x82,
    Video = 0x83,
    Bye = 0x84,
};

struct Hello {
    std::string session;
    std::string padCode;
    std::string user;
    int maxWidth = 0; // the largest picture the player wants; 0: the device's size
    int maxHeight = 0;
};

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

enum class Key : std::uint8_t { Back = 1, Home = 2, Recents = 3 };

// One input event, in the device's pixels. `seq` counts the events of one
// connection from 1; a video unit names the last one its picture shows.
struct Input {
    enum class Kind { Tap, Swipe, Key, Text } kind = Kind::Tap;
    std::uint32_t seq = 0;
    std::vector<Point> path; // tap: one point; swipe: 2..kMaxSwipePoints
    int durationMs = 0; // swipe
    Key key = Key::Back;
    std::string text; // UTF-8
};

struct Welcome {
    int deviceWidth = 0;
    int deviceHeight = 0;
    int streamWidth = 0;
    int streamHeight = 0;
    int fps = 0;
};

// Why the service refuses a hello or ends a stream.
enum class Reason : std::uint8_t {
    Session = 1, // not the session the play address was handed out to
    Device = 2, // no such device for this user
    Offline = 3, // offline or rebooting: try again later
    Protocol = 4, // a message that breaks the protocol
    Shutdown = 5, // the service stops or its world is reset
};

struct Refusal {
    Reason reason = Reason::Protocol;
    std::string text; // UTF-8, for the log and the user
};

struct VideoUnit {
    std::uint64_t captureUs = 0; // when the picture was taken, microseconds since the Unix epoch
    std::uint32_t inputSeq = 0; // the last input event the picture shows
    bool keyframe = false;
    std::string data; // one H.264 access unit, Annex B byte stream
};

// Whole messages, length prefix included.
std::string EncodeHello(const Hello& hello);
std::string EncodeInput(const Input& input);
std::string EncodeClose();
std::string EncodeWelcome(const Welcome& welcome);
std::string EncodeRefusal(Type type, const Refusal& refusal); // Refused or Bye
std::string EncodeVideo(const VideoUnit& unit);
// The head of a video message whose access unit follows as `dataSize` bytes
// (so a sender need not copy the unit).
std::string EncodeVideoHead(const VideoUnit& unit, std::size_t dataSize);

struct Message {
    Type type = Type::Close;
    std::string body;
};

// Cuts a byte stream into messages. A length of 0 or above kMaxMessage is
// an error; after an error the reader stays broken.
class FrameReader {
public:
    enum class Status { Message, NeedMore, Bad };

    void Feed(const char* data, std::size_t size);
    Status Next(Message& out, std::string& error);
    // Bytes fed but not yet taken.
    std::size_t Buffered() const { return m_buffer.size() - m_start; }

private:
    std::string m_buffer;
    std::size_t m_start = 0;
    bool m_broken = false;
    std::string m_error;
};

// Readers of one message body each; none on a body that breaks its format,
// with the reason in `error`.
std::optional<Hello> ReadHello(std::string_view body, std::string& error);
std::optional<Input> ReadInput(Type type, std::string_view body, std::string& error);
std::optional<Welcome> ReadWelcome(std::string_view body, std::string& error);
std::optional<Refusal> ReadRefusal(std::string_view body, std::string& error);
std::optional<VideoUnit> ReadVideo(std::string_view body, std::string& error);

const char* KeyName(Key key);

} // namespace stream
