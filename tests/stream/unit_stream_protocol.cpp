// The play stream's wire format: every message read back as written, and
// the broken ones (cut short, absurd lengths, bad texts) refused.
#include <gtest/gtest.h>

#include "stream/StreamProtocol.h"

namespace {

using namespace stream;

// Feeds bytes one at a time, as a slow network would, and takes the messages.
std::vector<Message> ReadAll(const std::string& bytes, FrameReader::Status& last)
{
    FrameReader reader;
    std::vector<Message> out;
    std::string error;
    last = FrameReader::Status::NeedMore;
    for (char c : bytes) {
        reader.Feed(&c, 1);
        Message m;
        while ((last = reader.Next(m, error)) == FrameReader::Status::Message)
            out.push_back(m);
        if (last == FrameReader::Status::Bad)
            break;
    }
    return out;
}

TEST(StreamProtocol, EveryMessageReadsBackAsWrittenEvenByteByByte)
{
    Hello hello { "3f2a", "VM0007", "42", 240, 426 };
    Input tap;
    tap.kind = Input::Kind::Tap;
    tap.seq = 1;
    tap.path = { { 200, 400 } };
    Input swipe;
    swipe.kind = Input::Kind::Swipe;
    swipe.seq = 2;
    swipe.durationMs = 350;
    swipe.path = { { 10, 1000 }, { 12, 800 }, { 15, 300 } };
    Input key;
    key.kind = Input::Kind::Key;
    key.seq = 3;
    key.key = Key::Recents;
    Input text;
    text.kind = Input::Kind::Text;
    text.seq = 4;
    text.text = "你好 ok";
    VideoUnit unit { 1700000000123456ull, 4, true, std::string("\0\0\0\1\x67", 5) };

    const std::string bytes = EncodeHello(hello) + EncodeInput(tap) + EncodeInput(swipe) + EncodeInput(key)
        + EncodeInput(text) + EncodeWelcome({ 720, 1280, 240, 426, 30 })
        + EncodeRefusal(Type::Refused, { Reason::Offline, "设备正在重启" }) + EncodeVideo(unit)
        + EncodeClose();
    FrameReader::Status last;
    const auto messages = ReadAll(bytes, last);
    ASSERT_EQ(messages.size(), 9u);
    EXPECT_EQ(last, FrameReader::Status::NeedMore);
    std::string error;

    const auto h = ReadHello(messages[0].body, error);
    ASSERT_TRUE(h) << error;
    EXPECT_EQ(h->session, "3f2a");
    EXPECT_EQ(h->padCode, "VM0007");
    EXPECT_EQ(h->user, "42");
    EXPECT_EQ(h->maxWidth, 240);
    EXPECT_EQ(h->maxHeight, 426);

    const auto t = ReadInput(messages[1].type, messages[1].body, error);
    ASSERT_TRUE(t) << error;
    EXPECT_EQ(t->kind, Input::Kind::Tap);
    EXPECT_EQ(t->path, tap.path);
    const auto s = ReadInput(messages[2].type, messages[2].body, error);
    ASSERT_TRUE(s) << error;
    EXPECT_EQ(s->path, swipe.path);
    EXPECT_EQ(s->durationMs, 350);
    EXPECT_EQ(s->seq, 2u);
    const auto k = ReadInput(messages[3].type, messages[3].body, error);
    ASSERT_TRUE(k) << error;
    EXPECT_EQ(k->key, Key::Recents);
    const auto x = ReadInput(messages[4].type, messages[4].body, error);
    ASSERT_TRUE(x) << error;
    EXPECT_EQ(x->text, "你好 ok");

    const auto w = ReadWelcome(messages[5].body, error);
    ASSERT_TRUE(w) << error;
    EXPECT_EQ(w->streamWidth, 240);
    EXPECT_EQ(w->fps, 30);
    const auto r = ReadRefusal(messages[6].body, error);
    ASSERT_TRUE(r) << error;
    EXPECT_EQ(r->reason, Reason::Offline);
    EXPECT_EQ(r->text, "设备正在重启");
    const auto v = ReadVideo(messages[7].body, error);
    ASSERT_TRUE(v) << error;
    EXPECT_EQ(v->captureUs, unit.captureUs);
    EXPECT_EQ(v->inputSeq, 4u);
    EXPECT_TRUE(v->keyframe);
    EXPECT_EQ(v->data, unit.data);
    EXPECT_EQ(messages[8].type, Type::Close);
}

TEST(StreamProtocol, AbsurdLengthsBreakTheReaderForGood)
{
    for (const std::string& head : { std::string("\0\0\0\0\1", 5), std::string("\x7f\xff\xff\xff\x83", 5),
             std::string("\0\x40\0\1\x83", 5) }) {
        FrameReader reader;
        reader.Feed(head.data(), head.size());
        Message m;
        std::string error;
        EXPECT_EQ(reader.Next(m, error), FrameReader::Status::Bad);
        EXPECT_NE(error.find("length"), std::string::npos);
        // Good bytes after it change nothing.
        const std::string close = EncodeClose();
        reader.Feed(close.data(), close.size());
        EXPECT_EQ(reader.Next(m, error), FrameReader::Status::Bad);
    }
    // The largest allowed length is only waited for.
    FrameReader reader;
    const std::string head("\0\x40\0\0\x83", 5);
    reader.Feed(head.data(), head.size());
    Message m;
    std::string error;
    EXPECT_EQ(reader.Next(m, error), FrameReader::Status::NeedMore);
}

TEST(StreamProtocol, BodiesThatBreakTheirFormatAreRefused)
{
    std::string error;
    const std::string hello = EncodeHello({ "s", "VM1", "42", 0, 0 }).substr(5);
    for (std::size_t cut = 0; cut < hello.size(); ++cut)
        EXPECT_FALSE(ReadHello(hello.substr(0, cut), error)) << cut;
    EXPECT_FALSE(ReadHello(hello + "x", error));
    std::string otherVersion = hello;
    otherVersion[0] = 2;
    EXPECT_FALSE(ReadHello(otherVersion, error));
    EXPECT_FALSE(ReadHello(EncodeHello({ "\xff\xfe", "VM1", "42", 0, 0 }).substr(5), error)); // not UTF-8

    // A swipe that claims more points than it carries, or too few or many.
    EXPECT_FALSE(ReadInput(Type::Swipe, std::string("\0\0\0\1\0\0\0\3\0\1\0\1", 12), error));
    EXPECT_FALSE(ReadInput(Type::Swipe, std::string("\0\0\0\1\0\0\0\1\0\1\0\1", 12), error));
    EXPECT_FALSE(ReadInput(Type::Swipe, std::string("\0\0\0\1\0\0\xff\xff", 8), error));
    EXPECT_FALSE(ReadInput(Type::Tap, std::string("\0\0\0\1\0\1\0", 7), error));
    EXPECT_FALSE(ReadInput(Type::Key, std::string("\0\0\0\1\x09", 5), error));
    EXPECT_FALSE(ReadInput(Type::Text, std::string("\0\0\0\1", 4), error));
    EXPECT_FALSE(ReadInput(Type::Text, std::string("\0\0\0\1\xc3", 5), error)); // cut UTF-8
    EXPECT_FALSE(
        ReadInput(Type::Text, std::string("\0\0\0\1", 4) + std::string(kMaxTextInput + 1, 'a'), error));
    EXPECT_FALSE(ReadInput(Type::Video, std::string("\0\0\0\1", 4), error));
    EXPECT_FALSE(ReadWelcome(std::string("\0\0\0\0\0\0\0\0\0\0", 10), error));
    EXPECT_FALSE(ReadVideo(std::string(13, '\0'), error)); // no access unit
    EXPECT_FALSE(ReadVideo(std::string(12, '\0') + "\x02" + "x", error)); // unknown flag
}

} // namespace
