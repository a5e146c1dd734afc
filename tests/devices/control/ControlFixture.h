#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>

#include "account/Login.h"
#include "app/ClientManager.h"
#include "app/LocalPaths.h"
#include "devices/control/ControlTasks.h"
#include "devices/control/ScreenshotSeam.h"
#include "platform/ExternalProgram.h"
#include "platform/FileSystem.h"
#include "tests/support/DesktopHooks.h"
#include "tests/support/Eventually.h"
#include "tests/support/OwnSyncSection.h"
#include "tests/support/RecordingTarget.h"
#include "tests/support/SignedInTest.h"

namespace korvana::test {

// Device-control tasks against korvana-service, signed in as demo (user 42),
// with the two external programs taken from the build's client folder and
// the screenshot fetch counted instead of made.
class ControlTaskTest : public SignedInTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(SignedInTest::SetUp());
        const std::string self = RunningProgramPath();
        SetExternalProgramFolderForTesting(self.substr(0, self.rfind('/')) + "/../app/window");
        SetScreenshotFetcherForTesting([this](ClientManager&, int) {
            ++screenshots;
            return screenshotAnswers.load();
        });
        SetRebootPollIntervalForTesting(std::chrono::milliseconds(20));
        // The tests' own window and state; the session stays in the cookie file.
        Fresh();
        client->user.userId = "42";
        control().ClearLog();
    }
    void TearDown() override
    {
        CloseAllPlayersOf(*client);
        WaitForAllTasks(std::chrono::seconds(20));
        SetScreenshotFetcherForTesting(nullptr);
        SetExternalProgramFolderForTesting("");
        SetRebootPollIntervalForTesting(kRebootPollInterval);
        SignedInTest::TearDown();
    }

    DeviceRecord& AddDevice(std::wstring id, std::wstring sn, std::wstring name)
    {
        DeviceRecord device;
        device.id = std::move(id);
        device.sn = std::move(sn);
        device.name = std::move(name);
        device.online = true;
        client->devices.devices.push_back(device);
        return client->devices.devices.back();
    }

    // What the window gives a play task: the device and the user id it has.
    PlayRequest PlayOf(int device) const { return { device, client->user.userId }; }

    // The session token the service gave this test's login.
    std::string SessionToken()
    {
        const auto sessions = control().Sessions();
        const auto& list = sessions.is_array() ? sessions : sessions.at("sessions");
        return list.empty() ? std::string() : list[0].at("token").get<std::string>();
    }

    std::string ServicePort() const { return std::to_string(service().port()); }

    std::atomic<int> screenshots { 0 };
    std::atomic<bool> screenshotAnswers { true };
    const OwnSyncSection syncSection;
};

} // namespace korvana::test
