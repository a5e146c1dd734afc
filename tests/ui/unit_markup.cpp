// The parsers under the skin: XML, attribute values, image texts and the
// text markup. A fault here silently drops or misplaces parts of a page.
#include <gtest/gtest.h>

#include "ui/UIDefs.h"
#include "ui/internal/Attr.h"
#include "ui/internal/ImageAttr.h"
#include "ui/internal/TextMarkup.h"
#include "ui/internal/Xml.h"

using namespace DuiLib;

TEST(SkinXml, ReadsElementsAttributesAndEntities)
{
    auto r = xml::Parse(
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- a comment -->\n"
        "<Window size='900,600'>\n  <Label text=\"a &lt;b&gt; &amp; &quot;c&quot; &#x4E2D;&#25991;\" />\n"
        "  <VerticalLayout><![CDATA[ <ignored/> ]]><Button name=\"b\"/></VerticalLayout>text\n</Window>");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.root.name, L"Window");
    ASSERT_NE(r.root.Attribute(L"size"), nullptr);
    EXPECT_EQ(*r.root.Attribute(L"size"), L"900,600");
    ASSERT_EQ(r.root.children.size(), 2u);
    EXPECT_EQ(*r.root.children[0].Attribute(L"text"), L"a <b> & \"c\" 中文");
    ASSERT_EQ(r.root.children[1].children.size(), 1u);
    EXPECT_EQ(r.root.children[1].children[0].name, L"Button");
    EXPECT_EQ(r.root.children[1].children[0].line, 5);
}

TEST(SkinXml, ACharacterReferenceToNulOrNoScalarReadsAsTheReplacement)
{
    auto r = xml::Parse("<A t=\"[&#0;][&#xD800;][&#x110000;][&#x10FFFF;]\"/>");
    ASSERT_TRUE(r.ok) << r.error;
    std::wstring expected = L"[\uFFFD][\uFFFD][\uFFFD][";
    expected += static_cast<wchar_t>(0x10FFFF);
    expected += L"]";
    EXPECT_EQ(*r.root.Attribute(L"t"), expected);
}

TEST(SkinXml, ReportsBrokenStructureWithItsLine)
{
    struct Case {
        const char* text;
        const char* what;
    } cases[] = {
        { "<A><B></A>", "closes" },
        { "<A x=\"1></A>", "unterminated" },
        { "<A x=1/>", "quoted" },
        { "<A>\n<B/>\n", "missing" },
        { "", "no root" },
        { "<A/><B/>", "after the root" },
        { "<A x=\"<\"/>", "'<'" },
    };
    for (const auto& c : cases) {
        auto r = xml::Parse(c.text);
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_NE(r.error.find(c.what), std::string::npos) << c.text << " -> " << r.error;
    }
    EXPECT_NE(xml::Parse("<A>\n\n<B></C></A>").error.find("line 3"), std::string::npos);
}

TEST(SkinXml, DeepNestingFailsInsteadOfOverflowing)
{
    std::string deep;
    for (int i = 0; i < 5000; ++i)
        deep += "<A>";
    auto r = xml::Parse(deep);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("deeply"), std::string::npos);
}

TEST(AttributeValues, NumbersRectsColoursAndBooleans)
{
    int i = 7;
    EXPECT_TRUE(attr::ParseInt(L" -12 ", i));
    EXPECT_EQ(i, -12);
    EXPECT_FALSE(attr::ParseInt(L"12px", i));
    EXPECT_FALSE(attr::ParseInt(L"99999999999", i));
    EXPECT_EQ(i, -12) << "a failed parse leaves the value";

    RECT rc { 1, 1, 1, 1 };
    EXPECT_TRUE(attr::ParseRect(L"740, 0,900,30", rc));
    EXPECT_EQ(rc, (RECT { 740, 0, 900, 30 }));
    for (const wchar_t* bad : { L"1,2,3", L"1,2,3,4,5", L"a,b,c,d", L"1,,3,4", L"" })
        EXPECT_FALSE(attr::ParseRect(bad, rc)) << bad;
    EXPECT_EQ(rc, (RECT { 740, 0, 900, 30 }));

    std::uint32_t c = 0;
    EXPECT_TRUE(attr::ParseColor(L"#FF112233", c));
    EXPECT_EQ(c, 0xFF112233u);
    EXPECT_TRUE(attr::ParseColor(L"0x60000000", c));
    EXPECT_EQ(c, 0x60000000u);
    EXPECT_TRUE(attr::ParseColor(L"#112233", c));
    EXPECT_EQ(c, 0xFF112233u) << "six digits are opaque";
    for (const wchar_t* bad : { L"red", L"#12345", L"#GG112233", L"FF112233" })
        EXPECT_FALSE(attr::ParseColor(bad, c)) << bad;

    bool b = false;
    EXPECT_TRUE(attr::ParseBool(L"true", b));
    EXPECT_TRUE(b);
    EXPECT_FALSE(attr::ParseBool(L"yes", b));
}

TEST(AttributeValues, AlignWordsCombine)
{
    unsigned style = DT_SINGLELINE | DT_VCENTER;
    EXPECT_TRUE(attr::ParseAlign(L"center,bottom", style));
    EXPECT_EQ(style & (DT_CENTER | DT_RIGHT), unsigned(DT_CENTER));
    EXPECT_EQ(style & (DT_VCENTER | DT_BOTTOM | DT_TOP), unsigned(DT_BOTTOM));
    EXPECT_TRUE(style & DT_SINGLELINE) << "other flags stay";
    EXPECT_TRUE(attr::ParseAlign(L"right", style));
    EXPECT_EQ(style & (DT_VCENTER | DT_BOTTOM | DT_TOP), unsigned(DT_BOTTOM)) << "one axis changes alone";
    EXPECT_FALSE(attr::ParseAlign(L"middle", style));
}

TEST(AttributeValues, DefaultListsSplitIntoPairs)
{
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    EXPECT_TRUE(attr::ParseAttributeList(L"font=\"3\" height='30'  align=\"center\"", pairs));
    ASSERT_EQ(pairs.size(), 3u);
    EXPECT_EQ(pairs[1], (std::pair<std::wstring, std::wstring> { L"height", L"30" }));
    pairs.clear();
    EXPECT_FALSE(attr::ParseAttributeList(L"font=\"3\" height=30", pairs));
    EXPECT_EQ(pairs.size(), 1u) << "what comes before the fault is kept";
}

TEST(ImageText, BareNamesAndKeyedForms)
{
    ImageAttr s;
    ASSERT_TRUE(ParseImageAttr(L"img\\sinchronize\\sinchronize_25_white_3.png", s));
    EXPECT_EQ(s.file, L"img/sinchronize/sinchronize_25_white_3.png");
    EXPECT_FALSE(s.hasDest);

    ASSERT_TRUE(ParseImageAttr(L"file='img\\ok_15.png' dest='0,0,15,15' corner='2,2,2,2' fade='128' "
                               L"mask='#FFFF00FF' source='0,0,30,15'",
        s));
    EXPECT_EQ(s.file, L"img/ok_15.png");
    EXPECT_TRUE(s.hasDest);
    EXPECT_EQ(s.dest, (RECT { 0, 0, 15, 15 }));
    EXPECT_EQ(s.corner, (RECT { 2, 2, 2, 2 }));
    EXPECT_EQ(s.fade, 128);
    EXPECT_TRUE(s.hasMask);
    EXPECT_EQ(s.source, (RECT { 0, 0, 30, 15 }));

    ASSERT_TRUE(ParseImageAttr(L"file='/home/u/.local/share/korvanClient/Cache/7.jpeg' dest='oops'", s));
    EXPECT_EQ(s.file, L"/home/u/.local/share/korvanClient/Cache/7.jpeg");
    EXPECT_FALSE(s.hasDest) << "a malformed key is skipped, the file stays";

    EXPECT_FALSE(ParseImageAttr(L"", s));
    EXPECT_FALSE(ParseImageAttr(L"dest='0,0,1,1'", s));
    EXPECT_FALSE(ParseImageAttr(L"file='unterminated", s));
    EXPECT_EQ(ImageFileOf(L"file='img\\sinchronize\\sinchronize_25_white_17.png' dest='0,0,25,25'"),
        L"img/sinchronize/sinchronize_25_white_17.png");
}

TEST(TextMarkup, BracesAndAngleBracketsMeanTheSame)
{
    auto a = markup::Tokenize(L"{x 30}{y 10}{f 19}100{/f}{/y}{/x}");
    auto b = markup::Tokenize(L"<x 30><y 10><f 19>100</f></y></x>");
    ASSERT_EQ(a.size(), 7u);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].type, b[i].type);
        EXPECT_EQ(a[i].tag, b[i].tag);
        EXPECT_EQ(a[i].text, b[i].text);
    }
    EXPECT_EQ(a[0].tag, markup::Tag::X);
    EXPECT_EQ(a[0].text, L"30");
    EXPECT_EQ(a[3].type, markup::Token::Text);
    EXPECT_EQ(a[3].text, L"100");
    EXPECT_EQ(a[6].type, markup::Token::Close);
}

TEST(TextMarkup, WhatIsNoTagStaysText)
{
    // Not tags: unknown names, unclosed brackets, mixed brackets, a bare brace.
    for (const wchar_t* text :
        { L"a < b and c > d", L"{z 1}", L"{x 30", L"<x 30}", L"{}", L"<>", L"1 {2} 3" }) {
        auto t = markup::Tokenize(text);
        ASSERT_EQ(t.size(), 1u) << text;
        EXPECT_EQ(t[0].type, markup::Token::Text);
        EXPECT_EQ(t[0].text, text);
        EXPECT_FALSE(markup::HasTags(text));
    }
    auto t = markup::Tokenize(L"请认真阅读 {a /protocol.html}{u}《使用协议》{/u}{/a}");
    ASSERT_EQ(t.size(), 6u);
    EXPECT_EQ(t[1].tag, markup::Tag::Link);
    EXPECT_EQ(t[1].text, L"/protocol.html");
    EXPECT_EQ(t[3].text, L"《使用协议》");
    EXPECT_TRUE(markup::HasTags(L"<f 11>A </f>2026"));
}
