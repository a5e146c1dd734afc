// The device list reloaded again and again while players, synchronised
// starts, reboots and uploads run on it. Each reload frees the previous
// records at once (the window frees them a little later): in the sanitizer
// builds a worker that reads a record without the list lock, or keeps one
// past a reload, is a finding; in every build each task still ends with
// exactly one answer.
#include <algorithm>
#include <fstream>

#include "app/Messages.h"
#include "devices/DeviceList.h"
#include "net/TextConvert.h"
#include "tests/devices/control/ControlFixture.h"

namespace {

using namespace korvana::test;
using namespace std::chrono_literals;

constexpr int kRounds = 4;
constexpr int kReloadsPerRound = 3;

class ReloadUnderControlTest : public ControlTaskTest {
protected:
    void SetUp() override
    {
        ControlTaskTest::SetUp();
        // No X11 here: a player's window is its process, closed by SIGTERM.
        unsetenv("DISPLAY");
        // Each player taps once it shows a picture: its input path runs too.
        setenv("KORVANA_TOOL_CLICK", "100,200", 1);
    }
    void TearDown() override
    {
        ControlTaskTest::TearDown();
        unsetenv("KORVANA_TOOL_CLICK");
    }

    // The window's part of a load: the load runs on its worker, then the
    // loaded records replace the list under the lock, now and then after
    // its first page was shown alone.
    void Reload(bool firstPageFirst)
    {
        ASSERT_TRUE(StartTask(client, &LoadDeviceList, 0).Wait(60s));
        std::vector<DeviceRecord> previous;
        if (firstPageFirst)
            AdoptFirstPage(client->devices, previous);
        previous = AdoptLoadedDevices(client->devices);
    }

    std::vector<std::wstring> Ids()
    {
        std::lock_guard lock(client->devices.listMutex);
        std::vector<std::wstring> ids;
        for (const DeviceRecord& device : client->devices.devices)
            ids.push_back(device.id);
        return ids;
    }

    void SetUploadPath(std::size_t d, const std::wstring& path)
    {
        std::lock_guard lock(client->devices.listMutex);
        if (d < client->devices.devices.size())
            client->devices.devices[d].upload_path = path;
    }

    std::size_t CountOf(UINT message, std::initializer_list<WPARAM> codes)
    {
        std::size_t count = 0;
        for (const RecordedMessage& m : window->Messages()) {
            if (m.msg == message && std::find(codes.begin(), codes.end(), m.wParam) != codes.end())
                ++count;
        }
        return count;
    }
};

TEST_F(ReloadUnderControlTest, EveryTaskEndsOnceAndTheListIsTheServicesAfterAllReloads)
{
    MessageBoxRecorder boxes; // refusals of the workers, e.g. a sync start without two devices
    Reload(false);
    const std::vector<std::wstring> ids = Ids();
    ASSERT_EQ(ids.size(), 25u); // three pages of the demo user
    const std::filesystem::path file = folder() / "upload.bin";
    {
        std::ofstream out(file, std::ios::binary);
        out << std::string(100000, 'u');
    }
    const std::wstring path = Utf8ToWide(file.string());

    int plays = 0;
    int reboots = 0;
    int uploads = 0;
    for (int round = 0; round < kRounds; ++round) {
        const std::size_t d = static_cast<std::size_t>(round) * 3;
        SetUploadPath(d + 1, path);
        SetDeviceSelected(client->devices, d, true);
        SetDeviceSelected(client->devices, d + 2, true);
        StartTaskWith(client, &PlayDevice, PlayOf(static_cast<int>(d))).Drop();
        ++plays;
        StartTask(client, &RebootDevice, static_cast<TaskArg>(d + 2)).Drop();
        ++reboots;
        StartTask(client, &UploadToDevice, static_cast<TaskArg>(d + 1)).Drop();
        StartTaskWith(client, &UploadToSelectedDevices, file.string()).Drop();
        uploads += 2;
        if (round % 2 == 0)
            StartTaskWith(client, &PlayDevicesInSync, client->user.userId).Drop();
        for (int reload = 0; reload < kReloadsPerRound; ++reload)
            Reload(reload == 1);
        ClosePlayersOf(*client);
    }

    // Players registered after the last close are closed as they come.
    const bool ended = Eventually(
        [&] {
            CloseAllPlayersOf(*client);
            return CountOf(
                       msg::UM_PLAY, { msg::kPlayerEnded, msg::kPlayAddressFailed, msg::kPlaySessionExpired })
                == static_cast<std::size_t>(plays)
                && !SyncProgramRuns(*client);
        },
        120000);
    ASSERT_TRUE(ended);
    ASSERT_TRUE(WaitForAllTasks(60s));

    EXPECT_EQ(CountOf(msg::UM_PLAY, { msg::kPlayerEnded }), static_cast<std::size_t>(plays));
    EXPECT_EQ(CountOf(msg::UM_DEVICE_OP, { msg::kRebootDone, msg::kRebootFailed }),
        static_cast<std::size_t>(reboots));
    EXPECT_EQ(
        CountOf(msg::UM_UPLOAD, { msg::kUploadDone, msg::kUploadFailed }), static_cast<std::size_t>(uploads));
    EXPECT_EQ(Ids(), ids);
    {
        std::lock_guard lock(client->control.mutex);
        EXPECT_TRUE(client->control.players.empty());
    }
    std::lock_guard lock(client->devices.listMutex);
    for (const DeviceRecord& device : client->devices.devices)
        EXPECT_FALSE(device.player_open) << WideToUtf8(device.id);
}

} // namespace
