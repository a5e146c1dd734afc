// Building trees from skin files: defaults, includes, templates, the image
// cache, the package as a ZIP, and bad input that must load with the broken
// part skipped instead of crashing.
#include <gtest/gtest.h>
#include <zip.h>

#include <QBuffer>
#include <QImage>

#include "tests/ui/UiTestSupport.h"
#include "ui/UIDialogBuilder.h"
#include "ui/internal/Attr.h"

using namespace DuiLib;
using korvana::test::SkinFolder;
using korvana::test::TestWindow;
using korvana::test::WindowXml;

namespace {

std::string Png(QColor color, int w = 4, int h = 4, const char* format = "PNG")
{
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, format);
    return bytes.toStdString();
}

QColor PixelAt(CPaintManagerUI& pm, const std::string& file, int x, int y)
{
    EXPECT_TRUE(pm.SaveImage(file));
    return QImage(QString::fromStdString(file)).pixelColor(x, y);
}

TEST(Builder, DefaultsComeBeforeOwnAttributes)
{
    SkinFolder skin;
    skin.Write("Test.xml",
        WindowXml(R"(<VerticalLayout><Label name="L1"/><Label name="L2" height="50"/>
        <Button name="B"/></VerticalLayout>)",
            R"(<Default name="Label" value="height=&quot;30&quot; font=&quot;3&quot;"/>)"));
    CPaintManagerUI pm;
    CDialogBuilder b;
    auto root = b.Create(L"Test.xml", &pm);
    ASSERT_NE(root, nullptr) << b.GetLastError();
    pm.AttachDialog(std::move(root));
    EXPECT_EQ(pm.FindControl(L"L1")->GetFixedHeight(), 30);
    EXPECT_EQ(pm.FindControl(L"L1")->GetFont(), 3);
    EXPECT_EQ(pm.FindControl(L"L2")->GetFixedHeight(), 50);
    EXPECT_EQ(pm.FindControl(L"B")->GetFixedHeight(), 0) << "defaults are per class";
    EXPECT_EQ(pm.GetInitSize().cx, 400);
    EXPECT_EQ(pm.GetCaptionRect().bottom, 30);
}

TEST(Builder, IncludeInsertsTheControlsOfAnotherFile)
{
    SkinFolder skin;
    skin.Write(
        "Page.xml", R"(<?xml version="1.0" encoding="UTF-8"?><Window size="10,10"><VerticalLayout name="Page">
        <Button name="Inner"/></VerticalLayout></Window>)");
    skin.Write("Test.xml", WindowXml(R"(<TabLayout name="Tabs"><Include source="Page.xml"/>
        <Include source="Missing.xml"/><Include source="Page.xml"/></TabLayout>)"));
    CPaintManagerUI pm;
    CDialogBuilder b;
    pm.AttachDialog(b.Create(L"Test.xml", &pm));
    auto* tabs = dynamic_cast<CTabLayoutUI*>(pm.FindControl(L"Tabs"));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->GetCount(), 2) << "the missing include is skipped";
    EXPECT_NE(pm.FindControl(L"Inner"), nullptr);
    EXPECT_EQ(pm.GetInitSize().cx, 400) << "an included page does not resize the window";
}

TEST(Builder, IncludeOfItselfStopsAtTheDepthLimit)
{
    SkinFolder skin;
    skin.Write(
        "Loop.xml", R"(<Window><VerticalLayout><Include source="Loop.xml"/></VerticalLayout></Window>)");
    CDialogBuilder b;
    EXPECT_NE(b.Create(L"Loop.xml"), nullptr);
}

TEST(Builder, BadInputLoadsWithThePartSkipped)
{
    SkinFolder skin;
    skin.Write("Test.xml", WindowXml(R"(<VerticalLayout name="Root">
        <Slider name="Unknown"><Button name="InsideUnknown"/></Slider>
        <Button name="Bad" width="abc" height="40" bkcolor="blue" pos="1,2" float="maybe" text="still here"/>
        <Label name="Img" bkimage="img/missing.png" foreimage="file='img/none.png' dest='x'" height="30"/>
        <Label name="NotABox"><Button name="Orphan"/></Label>
        <Font id="x" name="微软雅黑" size="12"/>
        <Default value="width=&quot;1&quot;"/>
      </VerticalLayout>)"));
    TestWindow wnd;
    ASSERT_TRUE(wnd.Create(nullptr, L"bad"));
    CPaintManagerUI& pm = wnd.GetPaintManager();
    EXPECT_EQ(pm.FindControl(L"Unknown"), nullptr);
    EXPECT_EQ(pm.FindControl(L"InsideUnknown"), nullptr);
    EXPECT_EQ(pm.FindControl(L"Orphan"), nullptr);
    CControlUI* bad = pm.FindControl(L"Bad");
    ASSERT_NE(bad, nullptr);
    EXPECT_EQ(bad->GetFixedWidth(), 0);
    EXPECT_EQ(bad->GetFixedHeight(), 40);
    EXPECT_EQ(bad->GetBkColor(), 0u);
    EXPECT_FALSE(bad->IsFloat());
    EXPECT_EQ(bad->GetText(), L"still here");
    // Painting with missing or undecodable pictures draws what it can.
    skin.Write("img/garbage.png", "this is no picture");
    pm.FindControl(L"Img")->SetBkImage(L"img/garbage.png");
    korvana::test::SkinFolder out;
    EXPECT_TRUE(pm.SaveImage(out.Path("bad.png").string()));
    EXPECT_FALSE(pm.IsImageCached(L"img/missing.png"));
    EXPECT_FALSE(pm.IsImageCached(L"img/garbage.png"));
    EXPECT_EQ(pm.GetImageSize(L"img/garbage.png").cx, 0);
}

TEST(Builder, BrokenFileGivesNoTreeAndTheWindowReportsIt)
{
    SkinFolder skin;
    skin.Write("Test.xml", "<Window><VerticalLayout></Window>");
    CDialogBuilder b;
    EXPECT_EQ(b.Create(L"Test.xml"), nullptr);
    EXPECT_NE(b.GetLastError().find("Test.xml"), std::string::npos);
    EXPECT_EQ(b.Create(L"Nothing.xml"), nullptr);

    int failures = 0;
    WindowImplBase::SetSkinFailureHandler([&] { ++failures; });
    TestWindow wnd;
    EXPECT_FALSE(wnd.Create(nullptr, L"broken"));
    TestWindow missing(L"Nothing.xml");
    EXPECT_FALSE(missing.Create(nullptr, L"missing"));
    EXPECT_EQ(failures, 2);
    EXPECT_EQ(missing.ShowModal(), 0u) << "a window that was never made does not block";
    WindowImplBase::SetSkinFailureHandler(nullptr);
}

TEST(Templates, FirstControlUnderTheWrapperWithItsNamedParts)
{
    SkinFolder skin;
    skin.Write("Elem.xml", R"(<?xml version="1.0" encoding="UTF-8"?><Container>
        <TabLayout name="TabOfElem" width="160" height="250">
          <VerticalLayout><Button name="BtnOfShot"/><CheckBox name="CBoxOfCtrl" enabled="false"/></VerticalLayout>
          <Button name="BtnOfAdd"/>
        </TabLayout></Container>)");
    auto a = BuildElement(L"Elem.xml");
    auto b = BuildElement(L"Elem.xml");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->GetName(), L"TabOfElem");
    EXPECT_EQ(a->GetClass(), L"TabLayoutUI");
    EXPECT_EQ(a->GetFixedWidth(), 160);
    CControlUI* shot = a->FindSubControl(L"BtnOfShot");
    ASSERT_NE(shot, nullptr);
    EXPECT_NE(shot, b->FindSubControl(L"BtnOfShot")) << "each build is its own tree";
    EXPECT_FALSE(a->FindSubControl(L"CBoxOfCtrl")->IsEnabled());
    EXPECT_EQ(a->GetManager(), nullptr);

    // Added to a window's list it joins the manager; timers then work.
    TestWindow wnd;
    skin.Write("Test.xml", WindowXml(R"(<TileLayout name="Tiles" itemsize="160,250"/>)"));
    ASSERT_TRUE(wnd.Create(nullptr, L"t"));
    auto* tiles = static_cast<CTileLayoutUI*>(wnd.GetPaintManager().FindControl(L"Tiles"));
    CControlUI* added = tiles->Add(std::move(a));
    EXPECT_EQ(added->FindSubControl(L"BtnOfShot")->GetManager(), &wnd.GetPaintManager());
    EXPECT_TRUE(added->FindSubControl(L"BtnOfShot")->SetTimer(3, 30));
}

TEST(Templates, MissingOrEmptyTemplateGivesNoElement)
{
    SkinFolder skin;
    skin.Write("Empty.xml", "<Container></Container>");
    skin.Write("Junk.xml", "not xml at all");
    EXPECT_EQ(BuildElement(L"NoSuchElement.xml"), nullptr);
    EXPECT_EQ(BuildElement(L"Empty.xml"), nullptr);
    EXPECT_EQ(BuildElement(L"Junk.xml"), nullptr);
}

TEST(Images, SharedImageFromMemoryReplacesTheOldOne)
{
    SkinFolder skin;
    skin.Write("Test.xml", WindowXml(R"(<Control name="C" bkimage="ImageOfVerify"/>)"));
    CPaintManagerUI pm;
    CDialogBuilder b;
    pm.AttachDialog(b.Create(L"Test.xml", &pm));
    pm.SetClientSize(40, 40);
    std::string red = Png(Qt::red, 4, 4, "BMP");
    ASSERT_TRUE(
        pm.AddImage(L"ImageOfVerify", reinterpret_cast<const unsigned char*>(red.data()), red.size()));
    EXPECT_EQ(PixelAt(pm, skin.Path("a.png").string(), 20, 20), QColor(Qt::red));
    std::string blue = Png(Qt::blue, 4, 4, "BMP");
    ASSERT_TRUE(
        pm.AddImage(L"ImageOfVerify", reinterpret_cast<const unsigned char*>(blue.data()), blue.size()));
    EXPECT_EQ(PixelAt(pm, skin.Path("b.png").string(), 20, 20), QColor(Qt::blue));
    const unsigned char junk[] = { 1, 2, 3 };
    EXPECT_FALSE(pm.AddImage(L"ImageOfVerify", junk, sizeof junk));
    EXPECT_EQ(PixelAt(pm, skin.Path("c.png").string(), 20, 20), QColor(Qt::blue))
        << "bad data keeps the image";
}

TEST(Images, DroppingACachedFileReadsItAgain)
{
    SkinFolder skin;
    std::string shot = skin.Path("Cache/7.jpeg").string();
    skin.Write("Cache/7.jpeg", Png(Qt::red));
    skin.Write(
        "Test.xml", WindowXml("<Control name=\"C\" bkimage=\"file='" + shot + "' dest='0,0,20,20'\"/>"));
    CPaintManagerUI pm;
    CDialogBuilder b;
    pm.AttachDialog(b.Create(L"Test.xml", &pm));
    pm.SetClientSize(40, 40);
    EXPECT_EQ(PixelAt(pm, skin.Path("1.png").string(), 10, 10), QColor(Qt::red));
    EXPECT_EQ(PixelAt(pm, skin.Path("1.png").string(), 30, 30), QColor(Qt::white))
        << "dest limits the picture";
    EXPECT_TRUE(pm.IsImageCached(attr::FromUtf8(shot)));
    skin.Write("Cache/7.jpeg", Png(Qt::green));
    EXPECT_EQ(PixelAt(pm, skin.Path("2.png").string(), 10, 10), QColor(Qt::red)) << "cached";
    pm.RemoveImage(attr::FromUtf8(shot));
    EXPECT_EQ(PixelAt(pm, skin.Path("3.png").string(), 10, 10), QColor(Qt::green));
}

TEST(Resources, ZipPackageInMemoryWithBackslashNames)
{
    korvana::test::TempDir dir;
    std::string zipPath = (dir.path() / "skin.zip").string();
    int error = 0;
    zip_t* z = zip_open(zipPath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(z, nullptr);
    std::string xmlText = WindowXml(R"(<Label name="L" bkimage="img\dot.png"/>)");
    std::string png = Png(Qt::red);
    zip_file_add(z, "MainWnd.xml", zip_source_buffer(z, xmlText.data(), xmlText.size(), 0), 0);
    zip_file_add(z, "img/dot.png", zip_source_buffer(z, png.data(), png.size(), 0), 0);
    ASSERT_EQ(zip_close(z), 0);
    std::ifstream in(zipPath, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    korvana::test::UiApp();
    CPaintManagerUI::RegisterZipResource(105, bytes.data(), bytes.size());
    ASSERT_TRUE(CPaintManagerUI::UseZipResource(105));
    bytes.assign(bytes.size(), '\0'); // the package was copied
    std::string read;
    EXPECT_TRUE(CPaintManagerUI::ReadResourceFile(L"img\\DOT.png", read));
    CPaintManagerUI pm;
    CDialogBuilder b;
    pm.AttachDialog(b.Create(L"MainWnd.xml", &pm));
    ASSERT_NE(pm.FindControl(L"L"), nullptr);
    EXPECT_EQ(pm.GetImageSize(L"img/dot.png").cx, 4);

    const char junk[] = "PK not really";
    EXPECT_FALSE(CPaintManagerUI::SetResourceZip(junk, sizeof junk));
    EXPECT_FALSE(CPaintManagerUI::UseZipResource(999));
    CPaintManagerUI::SetResourcePath(L"");
}

} // namespace
