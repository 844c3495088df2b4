// plivex.exe against Wine's own driver installer, on devices added to the Plug and Play tree.
#include <windows.h>

#include <gtest/gtest.h>

#include "device_fixture.h"
#include "harness.h"

namespace {

TEST(RealInstaller, TheMatchingDeviceGetsTheDriver) {
    // A 32-bit caller on 64-bit Windows finds system32 redirected to syswow64, where the installer
    // copies the payload for it.
    const std::wstring payload = SystemFile(L"drivers\\plivex-sample.dat");
    const PlivexFolder plivex;
    for (const wchar_t* name : {L"plivex-sample.dat", L"plivex-sample.inf"}) {
        CopyFileW((ProgramFolder() + L"\\sample-driver\\" + name).c_str(), (plivex / name).c_str(),
                  FALSE);
    }
    std::wstring device;
    ASSERT_TRUE(AddTestDevice({L"Root\\PlivexSample"}, device));

    const PlivexRun run =
        plivex.Run({plivex.exe, L"Root\\PlivexSample", L"plivex-sample.inf"}, L"");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, "HardwareID  = Root\\PlivexSample\nFullInfPath = " PLIVEX_FOLDER
                          "\\plivex-sample.inf\n\r\n\r\n");
    EXPECT_EQ(ReadBytes(payload), ReadBytes(plivex / L"plivex-sample.dat"));
    TestDeviceState state;
    EXPECT_TRUE(ReadTestDevice(device, state));
    EXPECT_EQ(state.description, L"Plivex Sample Device");
    EXPECT_NE(state.driverKey, L"");
}

} // namespace
