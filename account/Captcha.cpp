#include "account/Captcha.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <new>

#define cimg_display 0
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include <CImg.h>
#pragma GCC diagnostic pop

#include "app/ClientManager.h"
#include "app/LocalPaths.h"
#include "app/Messages.h"
#include "app/Shell.h"
#include "net/NumberText.h"
#include "net/ServiceCall.h"
#include "net/TextConvert.h"
#include "ui/UIControl.h"
#include "ui/UIManager.h"

using cimg_library::CImg;

namespace {

// A fresh uniform number between 0 and 1 from the C runtime generator.
double Uniform()
{
    return static_cast<double>(std::rand()) / RAND_MAX;
}

// One character in red, height 40, at a small random offset, on a picture of
// the size the text needs, in 3 channels.
CImg<unsigned char> DrawCharacter(char ch)
{
    const unsigned char red[3] = { 255, 0, 0 };
    const int x = static_cast<int>(2 + 8 * Uniform());
    const int y = static_cast<int>(12 * Uniform());
    CImg<unsigned char> glyph;
    glyph.draw_text(x, y, "%c", red, 0, 1.0f, 40U, ch);
    if (glyph.spectrum() != 3)
        glyph.resize(-100, -100, -100, 3, 1);
    return glyph;
}

// Shifts every row horizontally along a cosine wave, filling with black.
void Bend(CImg<unsigned char>& picture)
{
    const float offset = static_cast<float>(3 * Uniform());
    const float frequency = static_cast<float>(Uniform() / 7);
    CImg<unsigned char> source(picture);
    picture.fill(0);
    cimg_forC(picture, c)
    {
        cimg_forY(picture, y)
        {
            const int shift = static_cast<int>(4 * std::cos(y * frequency + offset));
            cimg_forX(picture, x)
            {
                const int from = x - shift;
                if (from >= 0 && from < picture.width())
                    picture(x, y, 0, c) = source(from, y, 0, c);
            }
        }
    }
}

// Three rounds of ten translucent circles or lines in light colours, the
// earlier rounds blurred and stretched to 0-148.
CImg<unsigned char> NoiseLayer()
{
    CImg<unsigned char> layer(kCaptchaWidth, kCaptchaHeight, 1, 3, 0);
    for (int round = 0; round < 3; ++round) {
        if (round > 0) {
            layer.blur(0.5f);
            if (layer.min() != layer.max())
                layer.normalize(0, 148);
        }
        for (int shape = 0; shape < 10; ++shape) {
            unsigned char colour[3];
            for (unsigned char& channel : colour)
                channel = static_cast<unsigned char>(static_cast<int>(127 * Uniform() + 128));
            if (Uniform() < 0.5) {
                const int cx = static_cast<int>(kCaptchaWidth * Uniform());
                const int cy = static_cast<int>(kCaptchaHeight * Uniform());
                const int radius = static_cast<int>(30 * Uniform());
                layer.draw_circle(cx, cy, radius, colour, 0.6f);
            } else {
                const int x0 = static_cast<int>(kCaptchaWidth * Uniform());
                const int y0 = static_cast<int>(kCaptchaHeight * Uniform());
                const int x1 = static_cast<int>(kCaptchaWidth * Uniform());
                const int y1 = static_cast<int>(kCaptchaHeight * Uniform());
                layer.draw_line(x0, y0, x1, y1, colour, 0.6f);
            }
        }
    }
    return layer;
}

// Every value, with probability 10 %, becomes the picture's maximum or
// minimum (255 or 0 when all values are equal).
void SaltAndPepper(CImg<unsigned char>& picture)
{
    unsigned char low = picture.min();
    unsigned char high = picture.max();
    if (low == high) {
        low = 0;
        high = 255;
    }
    cimg_for(picture, value, unsigned char)
    {
        if (Uniform() * 100 < 10)
            *value = Uniform() < 0.5 ? low : high;
    }
}

std::vector<unsigned char> BitmapOrder(const CImg<unsigned char>& picture)
{
    std::vector<unsigned char> pixels(kCaptchaPixelBytes, 0);
    for (int y = 0; y < kCaptchaHeight; ++y) {
        unsigned char* row
            = pixels.data() + static_cast<std::size_t>(kCaptchaHeight - 1 - y) * kCaptchaRowBytes;
        for (int x = 0; x < kCaptchaWidth; ++x) {
            row[3 * x] = picture(x, y, 0, 2);
            row[3 * x + 1] = picture(x, y, 0, 1);
            row[3 * x + 2] = picture(x, y, 0, 0);
        }
    }
    return pixels;
}

void PutLittleEndian(std::vector<unsigned char>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

} // namespace

CaptchaPicture MakeCaptchaPicture()
{
    return MakeCaptchaPicture(static_cast<unsigned>(std::time(nullptr)));
}

CaptchaPicture MakeCaptchaPicture(unsigned seed)
{
    CaptchaPicture result;
    try {
        std::srand(seed);
        std::string code;
        for (int i = 0; i < 4; ++i)
            code += kCaptchaPool[std::rand() % kCaptchaPoolSize];

        CImg<unsigned char> picture(kCaptchaWidth, kCaptchaHeight, 1, 3, 0);
        for (int k = 0; k < 4; ++k) {
            CImg<unsigned char> glyph = DrawCharacter(code[k]);
            // Every later character bends the earlier ones again.
            Bend(picture);
            picture.draw_image(4 + 30 * k, 0, 0, 0, glyph, 1.0f);
        }
        const CImg<unsigned char> layer = NoiseLayer();
        cimg_forXYC(picture, x, y, c) picture(x, y, 0, c) |= layer(x, y, 0, c);
        SaltAndPepper(picture);
        cimg_for(picture, value, unsigned char)* value = static_cast<unsigned char>(255 - *value);

        result.code = AnsiToWide(code);
        result.pixels = BitmapOrder(picture);
    } catch (const std::bad_alloc&) {
        result = CaptchaPicture();
    } catch (const cimg_library::CImgException&) {
        result = CaptchaPicture();
    }
    return result;
}

std::vector<unsigned char> CaptchaBitmapFile(const CaptchaPicture& picture)
{
    std::vector<unsigned char> file;
    if (picture.pixels.size() != kCaptchaPixelBytes)
        return file;
    file.reserve(kBitmapHeaderBytes + kCaptchaPixelBytes);
    file.push_back('B');
    file.push_back('M');
    PutLittleEndian(file, static_cast<std::uint32_t>(kBitmapHeaderBytes + kCaptchaPixelBytes), 4);
    PutLittleEndian(file, 0, 2);
    PutLittleEndian(file, 0, 2);
    PutLittleEndian(file, static_cast<std::uint32_t>(kBitmapHeaderBytes), 4);
    PutLittleEndian(file, 40, 4);
    PutLittleEndian(file, kCaptchaWidth, 4);
    PutLittleEndian(file, kCaptchaHeight, 4); // positive: rows bottom-up
    PutLittleEndian(file, 1, 2);
    PutLittleEndian(file, 24, 2);
    for (int i = 0; i < 6; ++i) // no compression, image size, resolutions, colours
        PutLittleEndian(file, 0, 4);
    file.insert(file.end(), picture.pixels.begin(), picture.pixels.end());
    return file;
}

bool RefreshPictureCaptcha(IShell& shell)
{
    DuiLib::CPaintManagerUI& paint = shell.Paint();
    if (DuiLib::CControlUI* edit = paint.FindControl(L"EditOfPicCaptcha"))
        edit->SetText(L"");
    if (DuiLib::CControlUI* mark = paint.FindControl(L"CtrlOfPicCaptcha"))
        mark->SetBkImage(L"");
    shell.Client().signup.pictureCodeOk = false;

    const CaptchaPicture picture = MakeCaptchaPicture();
    const std::vector<unsigned char> file = CaptchaBitmapFile(picture);
    if (file.empty() || picture.code.empty())
        return false;
    shell.Client().signup.expectedPictureCode = picture.code;
    if (!paint.AddImage(L"ImageOfVerify", file.data(), file.size()))
        return false;
    if (DuiLib::CControlUI* button = paint.FindControl(L"BtnOfPicCaptcha"))
        button->SetBkImage(L"ImageOfVerify");
    return true;
}

std::wstring CaptchaFilePath(const std::wstring& captchaName)
{
    return GetLocalPaths().folder.wide + captchaName + L".png";
}

std::wstring CaptchaName()
{
    return Int64ToWide(static_cast<std::int64_t>(std::time(nullptr)));
}

void FetchCaptcha(ClientManager& owner, std::wstring& captchaName)
{
    ServiceRequest request;
    request.path = "/api/index/captcha";
    request.operation = ServiceOperation::Download;
    request.assignCookieJar = false;
    request.downloadFile = GetLocalPaths().folder.narrow + WideToAnsi(captchaName) + ".png";
    const ServiceReply reply = CallService(request);
    if (reply.result == 0)
        owner.Send(msg::UM_CAPTCHA, msg::kCaptchaSaved, std::wstring());
    else
        owner.Send(msg::UM_CAPTCHA, msg::kCaptchaFailed, reply.text);
}
