// plivex.exe against Wine's own driver installer, on devices added to the Plug and Play tree.
#include <windows.h>

#include <gtest/gtest.h>

#include "device_fixture.h"
#include "harness.h"

namespace {

const std::wstring SampleId = L"Root\\PlivexSample";

// The sample package in the folder; for another hardware ID, as a Unicode INF that names that
// one instead ("%" written "%%").
std::wstring SamplePackage(const PlivexFolder& plivex, const std::wstring& idInInf = SampleId) {
    for (const wchar_t* name : {L"plivex-sample.dat", L"plivex-sample.inf"}) {
        CopyFileW((ProgramFolder() + L"\\sample-driver\\" + name).c_str(), (plivex / name).c_str(),
                  FALSE);
    }
    const std::string ansi = ReadBytes(plivex / L"plivex-sample.inf");
    std::wstring text = L"\xFEFF" + std::wstring(ansi.begin(), ansi.end());
    for (size_t at; idInInf != SampleId && (at = text.find(SampleId)) != text.npos;) {
        text.replace(at, SampleId.size(), idInInf);
    }
    if (idInInf != SampleId) {
        WriteBytes(plivex / L"plivex-sample.inf",
                   std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
    }
    return plivex / L"plivex-sample.inf";
}

TEST(RealInstaller, MatchingDevicesGetTheDriverAndOthersDoNot) {
    // A 32-bit caller on 64-bit Windows has its system directory redirected to syswow64, and
    // that is where the installer copies the payload for it.
    BOOL wow64 = FALSE;
    wchar_t system[MAX_PATH];
    IsWow64Process(GetCurrentProcess(), &wow64);
    const std::wstring payload =
        std::wstring(system, wow64 ? GetSystemWow64DirectoryW(system, MAX_PATH)
                                   : GetSystemDirectoryW(system, MAX_PATH)) +
        L"\\drivers\\plivex-sample.dat";
    struct Case {
        std::wstring hardwareId, inInf;
    };
    for (const Case& c :
         {Case{SampleId, SampleId}, Case{L"Root\\Plivex%Sample", L"Root\\Plivex%%Sample"},
          Case{L"Root\\Plivex\u0416\u4e2d\u00e9", L"Root\\Plivex\u0416\u4e2d\u00e9"}}) {
        SCOPED_TRACE(Narrow(c.hardwareId));
        DeleteFileW(payload.c_str());
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Plivex\\Sample");
        const PlivexFolder plivex;
        const std::wstring inf = SamplePackage(plivex, c.inInf);
        std::wstring device, bystander;
        ASSERT_TRUE(AddTestDevice({c.hardwareId}, device) &&
                    AddTestDevice({L"Root\\Other"}, bystander));

        const PlivexRun run = plivex.Run({plivex.exe, c.hardwareId, L"plivex-sample.inf"}, L"");
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(run.output, "HardwareID  = " + Narrow(c.hardwareId) +
                                  "\nFullInfPath = " + Narrow(inf) + "\n\r\n\r\n");
        EXPECT_EQ(ReadBytes(payload), ReadBytes(plivex / L"plivex-sample.dat"));
        wchar_t value[64] = L"";
        DWORD size = sizeof value;
        RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Plivex\\Sample", L"DriverVersion",
                     RRF_RT_REG_SZ, nullptr, value, &size);
        EXPECT_STREQ(value, L"1.0.0.0");
        TestDeviceState state, other;
        EXPECT_TRUE(ReadTestDevice(device, state) && ReadTestDevice(bystander, other));
        EXPECT_EQ(state.description, L"Plivex Sample Device");
        EXPECT_NE(state.driverKey, L"");
        EXPECT_EQ(other.driverKey, L"") << "only the matching device changes";

        EXPECT_TRUE(RemoveTestDevice(device) && RemoveTestDevice(bystander));
    }
}

} // namespace
