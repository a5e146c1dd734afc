// Reboot, reset and uploads against korvana-service: the bytes sent, the
// polling until the device answers, the messages and their origin, and the
// failures (refusals, an expired session, a dropped connection, a file that
// is gone).
#include <fstream>
#include <nlohmann/json.hpp>

#include "app/Messages.h"
#include "net/TextConvert.h"
#include "service/Form.h"
#include "tests/devices/control/ControlFixture.h"

namespace {

using namespace korvana::test;

// Records, for each message, whether a batch upload said it was the sender.
class OriginTarget : public RecordingTarget {
public:
    LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (client != nullptr && msg == msg::UM_UPLOAD) {
            std::lock_guard lock(mutex);
            batchFlags.push_back(client->control.batchResultInFlight.load());
        }
        return RecordingTarget::Send(msg, wParam, lParam);
    }
    ClientManager* client = nullptr;
    std::mutex mutex;
    std::vector<bool> batchFlags;
};

class OperationTest : public ControlTaskTest {
protected:
    void SetUp() override
    {
        ControlTaskTest::SetUp();
        auto target = std::make_unique<OriginTarget>();
        origin = target.get();
        window = std::move(target);
        client = std::make_shared<ClientManager>(window.get());
        origin->client = client.get();
        client->user.userId = "42";
    }

    std::filesystem::path WriteFile(const std::string& name, std::size_t size)
    {
        const std::filesystem::path path = folder() / std::filesystem::u8path(name);
        std::ofstream file(path, std::ios::binary);
        for (std::size_t i = 0; i < size; ++i)
            file.put(static_cast<char>('a' + i % 26));
        return path;
    }

    // The parts of the one logged upload, in the order sent.
    std::vector<service::FormField> UploadParts()
    {
        auto log = control().RequestsTo("/api/qtz/front_device_file_upload");
        EXPECT_EQ(log.size(), 1u);
        service::Form form;
        if (!log.empty()) {
            EXPECT_EQ(log[0].Header("Expect"), "");
            EXPECT_TRUE(service::AppendMultipart(log[0].body, log[0].Header("Content-Type"), form));
        }
        return form.fields;
    }

    std::vector<RecordedMessage> Of(UINT message)
    {
        std::vector<RecordedMessage> found;
        for (const RecordedMessage& m : window->Messages()) {
            if (m.msg == message)
                found.push_back(m);
        }
        return found;
    }

    OriginTarget* origin = nullptr;
};

TEST_F(OperationTest, ARefusedRebootOrResetIsReportedWithoutPolling)
{
    AddDevice(L"7", L"VM0007", L"a");
    control().InjectFault(
        { { "path", "/api/qtz/front_device_reboot" }, { "body", R"({"status":false,"message":"忙"})" } });
    RebootDevice(*client, 0);
    control().InjectFault({ { "path", "/api/qtz/front_device_reset" }, { "kind", "not_json" } });
    ResetDevice(*client, 0);
    auto messages = Of(msg::UM_DEVICE_OP);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].wParam, msg::kRebootFailed);
    EXPECT_EQ(messages[1].wParam, msg::kResetFailed);
    EXPECT_EQ(messages[0].lParam, 0);
    EXPECT_EQ(screenshots.load(), 0);
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_device_reboot")[0].body, "id=7");
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_device_reset")[0].body, "id=7");
}

TEST_F(OperationTest, AnExpiredSessionFailsQuietly)
{
    AddDevice(L"7", L"VM0007", L"a");
    control().Reset(); // every session ended
    MessageBoxRecorder boxes;
    ResetDevice(*client, 0);
    ASSERT_EQ(Of(msg::UM_DEVICE_OP).size(), 1u);
    EXPECT_EQ(Of(msg::UM_DEVICE_OP)[0].wParam, msg::kResetFailed);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(OperationTest, AnAcceptedRebootPollsUntilTheDeviceAnswers)
{
    AddDevice(L"6", L"VM0006", L"a");
    AddDevice(L"7", L"VM0007", L"b");
    screenshotAnswers = false;
    StartTask(client, &RebootDevice, 1);
    ASSERT_TRUE(Eventually([&] { return screenshots.load() >= 3; }));
    EXPECT_TRUE(Of(msg::UM_DEVICE_OP).empty());
    screenshotAnswers = true;
    ASSERT_TRUE(window->WaitForCount(1));
    EXPECT_EQ(window->Messages()[0].msg, msg::UM_DEVICE_OP);
    EXPECT_EQ(window->Messages()[0].wParam, msg::kRebootDone);
    EXPECT_EQ(window->Messages()[0].lParam, 1);
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_device_reboot")[0].body, "id=7");
}

TEST_F(OperationTest, PollingADeviceThatNeverAnswersStopsAtSignOut)
{
    AddDevice(L"7", L"VM0007", L"a");
    screenshotAnswers = false;
    StartTask(client, &ResetDevice, 0);
    ASSERT_TRUE(Eventually([&] { return screenshots.load() >= 2; }));
    ++client->control.signOutCount;
    ASSERT_TRUE(WaitForAllTasks(std::chrono::seconds(5)));
    // No task runs any more, so nothing can poll again.
    EXPECT_EQ(RunningTaskCount(), 0);
    EXPECT_TRUE(window->Messages().empty());
}

TEST_F(OperationTest, TheServiceKeepsARebootedDeviceFromAnsweringForAWhile)
{
    const std::string cookie = "korvana_session=" + SessionToken();
    ASSERT_EQ(control().Post("/__test/control/busy_time?ms=400", "").status, 200);
    ASSERT_EQ(control().Post("/api/qtz/front_device_reset", "id=7", cookie).status, 200);
    const auto refused
        = nlohmann::json::parse(control().Post("/api/qtz/front_device_capture", "&id=7", cookie).body);
    EXPECT_EQ(refused["status"], false);
    EXPECT_EQ(control().Get("/api/qtz/front_device_screen?sn=VM0007&user=42", cookie).status, 503);
    EXPECT_TRUE(Eventually(
        [&] {
            auto answer = nlohmann::json::parse(
                control().Post("/api/qtz/front_device_capture", "&id=7", cookie).body);
            return answer["status"] == true;
        },
        5000));
    auto screen = control().Get("/api/qtz/front_device_screen?sn=VM0007&user=42", cookie);
    EXPECT_EQ(screen.status, 200);
    EXPECT_EQ(screen.Header("Content-Type"), "image/jpeg");
    // Someone else's device, or another user id, gets no picture.
    EXPECT_EQ(control().Get("/api/qtz/front_device_screen?sn=VM0101&user=42", cookie).status, 403);
    EXPECT_EQ(control().Get("/api/qtz/front_device_screen?sn=VM0007&user=43", cookie).status, 403);
}

TEST_F(OperationTest, ASingleUploadSendsTheFileWithProgressToItsTile)
{
    DeviceRecord& device = AddDevice(L"7", L"VM0007", L"a");
    const auto path = WriteFile("截图(1).png", 300000);
    device.upload_path = Utf8ToWide(path.string());
    UploadToDevice(*client, 0);

    auto parts = UploadParts();
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[0].name, "content");
    EXPECT_TRUE(parts[0].isFile);
    EXPECT_EQ(parts[0].value.size(), 300000u);
    EXPECT_EQ(parts[1].name, "filename");
    EXPECT_EQ(parts[1].value, "截图(1).png");
    EXPECT_EQ(parts[2].name, "id");
    EXPECT_EQ(parts[2].value, "7");
    EXPECT_EQ(parts[3].name, "is_app");
    EXPECT_EQ(parts[3].value, "0");

    auto progress = Of(msg::UM_UPLOAD_PROGRESS);
    ASSERT_FALSE(progress.empty());
    int last = -1;
    for (const RecordedMessage& m : progress) {
        EXPECT_EQ(m.wParam, 0u); // the first device's tile
        EXPECT_GT(m.lParam, last);
        last = static_cast<int>(m.lParam);
    }
    EXPECT_EQ(last, 100);
    auto done = Of(msg::UM_UPLOAD);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].wParam, msg::kUploadDone);
    EXPECT_EQ(done[0].lParam, 0);
    EXPECT_EQ(origin->batchFlags, std::vector<bool> { false });
}

TEST_F(OperationTest, ABatchUploadNamesEverySelectedDeviceAndSaysItIsTheBatch)
{
    AddDevice(L"7", L"VM0007", L"a").selected = true;
    AddDevice(L"8", L"VM0008", L"b");
    AddDevice(L"9", L"VM0009", L"c").selected = true;
    const auto path = WriteFile("any name is fine here.bin", 200000);
    // The task record owns the argument; called directly, the test does.
    std::string argument = path.string();
    UploadToSelectedDevices(*client, argument);

    auto parts = UploadParts();
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[1].value, "any name is fine here.bin");
    EXPECT_EQ(parts[2].value, "7,9,");
    EXPECT_EQ(parts[3].value, "2");
    EXPECT_TRUE(Of(msg::UM_UPLOAD_PROGRESS).empty());
    auto messages = Of(msg::UM_UPLOAD);
    ASSERT_GE(messages.size(), 2u);
    for (std::size_t i = 0; i + 1 < messages.size(); ++i)
        EXPECT_EQ(messages[i].wParam, msg::kUploadBatchProgress);
    EXPECT_EQ(messages[messages.size() - 2].lParam, 100);
    EXPECT_EQ(messages.back().wParam, msg::kUploadDone);
    EXPECT_EQ(messages.back().lParam, 0);
    EXPECT_TRUE(origin->batchFlags.back());
    auto stored = control().Get("/__test/control/uploads");
    auto uploads = nlohmann::json::parse(stored.body)["uploads"];
    ASSERT_EQ(uploads.size(), 2u);
    EXPECT_EQ(uploads[0]["id"], "7");
    EXPECT_EQ(uploads[1]["id"], "9");
    EXPECT_EQ(uploads[1]["size"], 200000);
}

TEST_F(OperationTest, UploadFailuresShowTheirTextAndEndTheUpload)
{
    MessageBoxRecorder boxes;
    DeviceRecord& device = AddDevice(L"7", L"VM0007", L"a");
    // A file that is gone by the time the upload starts.
    device.upload_path = (folder() / "gone.txt").wstring();
    UploadToDevice(*client, 0);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, L"错误");
    EXPECT_EQ(boxes.Boxes()[0].text.rfind(L"请求错误，请检查网络连接或尝试重启软件。:", 0), 0u);
    EXPECT_NE(boxes.Boxes()[0].text, L"请求错误，请检查网络连接或尝试重启软件。:0");

    // A dropped connection.
    device.upload_path = WriteFile("a.txt", 1000).wstring();
    control().InjectFault(
        { { "path", "/api/qtz/front_device_file_upload" }, { "drop", true }, { "times", 1 } });
    UploadToDevice(*client, 0);
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].text, L"请求错误，请检查网络连接或尝试重启软件。:52");

    // The service refuses a batch without devices; the request still goes out.
    std::string argument = WideToUtf8(device.upload_path);
    UploadToSelectedDevices(*client, argument);
    ASSERT_EQ(boxes.Count(), 3u);
    EXPECT_EQ(boxes.CountOf(L"请选择设备", L"错误"), 1u);
    auto log = control().RequestsTo("/api/qtz/front_device_file_upload");
    ASSERT_EQ(log.size(), 2u); // the vanished file never left the client
    service::Form form;
    service::AppendMultipart(log[1].body, log[1].Header("Content-Type"), form);
    EXPECT_EQ(form.Get("id"), "");

    auto ends = Of(msg::UM_UPLOAD);
    ASSERT_GE(ends.size(), 3u);
    EXPECT_EQ(ends[0].wParam, msg::kUploadFailed);
    EXPECT_EQ(ends[1].wParam, msg::kUploadFailed);
    EXPECT_EQ(ends.back().wParam, msg::kUploadFailed);
    EXPECT_EQ(origin->batchFlags.front(), false);
    EXPECT_EQ(origin->batchFlags.back(), true);
}

} // namespace
