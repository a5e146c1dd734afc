#include "service/account/CaptchaRoutes.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <map>
#include <nlohmann/json.hpp>
#include <random>

#include "service/Server.h"

namespace service {
namespace {

    constexpr const char* kCaptchaCookie = "korvana_captcha";
    constexpr int kWidth = 100;
    constexpr int kHeight = 40;

    // The codes handed out, by the cookie that names them; the last one for tests.
    class CaptchaState : public DomainState {
    public:
        void Seed(WorldKind) override
        {
            codes.clear();
            lastToken.clear();
        }

        std::map<std::string, std::string> codes;
        std::string lastToken;
        std::mt19937 random { std::random_device {}() };
    };

    // Digits 0-9 as 3 × 5 cells, one row of three bits per line.
    constexpr unsigned char kDigits[10][5] = {
        { 7, 5, 5, 5, 7 },
        { 2, 6, 2, 2, 7 },
        { 7, 1, 7, 4, 7 },
        { 7, 1, 7, 1, 7 },
        { 5, 5, 7, 1, 1 },
        { 7, 4, 7, 1, 7 },
        { 7, 4, 7, 5, 7 },
        { 7, 1, 1, 1, 1 },
        { 7, 5, 7, 5, 7 },
        { 7, 5, 7, 1, 7 },
    };

    QByteArray Picture(const std::string& code, std::mt19937& random)
    {
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        image.fill(qRgb(236, 242, 250));
        std::uniform_int_distribution<int> noise(0, 255);
        for (int i = 0; i < 300; ++i)
            image.setPixel(
                noise(random) % kWidth, noise(random) % kHeight, qRgb(noise(random), noise(random), 200));
        constexpr int cell = 5;
        for (std::size_t k = 0; k < code.size(); ++k) {
            const auto& glyph = kDigits[code[k] - '0'];
            const int left = 10 + static_cast<int>(k) * 22;
            const int top = 8 + noise(random) % 6;
            for (int row = 0; row < 5; ++row) {
                for (int column = 0; column < 3; ++column) {
                    if (!(glyph[row] & (4 >> column)))
                        continue;
                    for (int y = 0; y < cell; ++y)
                        for (int x = 0; x < cell; ++x)
                            image.setPixel(left + column * cell + x, top + row * cell + y, qRgb(31, 51, 102));
                }
            }
        }
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return png;
    }

    std::string NewToken(std::mt19937& random)
    {
        static const char hex[] = "0123456789abcdef";
        std::string token;
        for (int i = 0; i < 32; ++i)
            token += hex[random() % 16];
        return token;
    }

    void Captcha(Call& call)
    {
        auto& state = call.world.Get<CaptchaState>();
        std::string code;
        for (int i = 0; i < 4; ++i)
            code += static_cast<char>('0' + state.random() % 10);
        const std::string token = NewToken(state.random);
        state.codes[token] = code;
        state.lastToken = token;
        const QByteArray png = Picture(code, state.random);
        call.reply.status = 200;
        call.reply.contentType = "image/png";
        call.reply.body.assign(png.constData(), static_cast<std::size_t>(png.size()));
        call.AddHeader("Set-Cookie", std::string(kCaptchaCookie) + "=" + token + "; Path=/");
    }

} // namespace

void RegisterCaptchaRoutes(Server& server)
{
    server.world().Add<CaptchaState>();
    server.AddCall("/api/index/captcha", {}, Captcha);
    // The code and the cookie of the last picture.
    server.AddControl("captcha/last", [](Control& control) {
        auto& state = control.server.world().Get<CaptchaState>();
        auto it = state.codes.find(state.lastToken);
        control.Json({ { "token", state.lastToken }, { "code", it == state.codes.end() ? "" : it->second } });
    });
}

} // namespace service
