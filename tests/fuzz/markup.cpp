// Fuzz entry for the skin parsers: XML, text markup, image texts, attribute
// lists, and building controls from whatever XML parses. None may crash,
// hang or read outside their input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ui/UIDialogBuilder.h"
#include "ui/internal/Attr.h"
#include "ui/internal/ImageAttr.h"
#include "ui/internal/TextMarkup.h"
#include "ui/internal/Xml.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 65536)
        return 0;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    DuiLib::xml::ParseResult parsed = DuiLib::xml::Parse(bytes);

    std::wstring text = DuiLib::attr::FromUtf8(bytes);
    auto tokens = DuiLib::markup::Tokenize(text);
    (void)tokens;
    (void)DuiLib::markup::HasTags(text);
    DuiLib::ImageAttr attrs;
    (void)DuiLib::ParseImageAttr(text, attrs);
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    (void)DuiLib::attr::ParseAttributeList(text, pairs);
    DuiLib::RECT rc;
    (void)DuiLib::attr::ParseRect(text, rc);
    std::uint32_t color = 0;
    (void)DuiLib::attr::ParseColor(text, color);
    unsigned style = 0;
    (void)DuiLib::attr::ParseAlign(text, style);

    if (parsed.ok) {
        DuiLib::CDialogBuilder builder;
        auto root = builder.CreateFromXml(bytes);
        (void)root;
    }
    return 0;
}
