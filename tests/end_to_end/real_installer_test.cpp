// The tool against Wine's own driver installer, on devices added to the Plug and Play tree.
#include <windows.h>

#include "device_fixture.h"
#include "plivex_runner.h"

namespace {

constexpr wchar_t SampleId[] = L"Root\\PlivexSample";

std::wstring SampleRegistryValue() {
    wchar_t value[64] = L"";
    DWORD size = sizeof value;
    RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Plivex\\Sample", L"DriverVersion", RRF_RT_REG_SZ,
                 nullptr, value, &size);
    return value;
}

class RealInstaller : public PlivexTest {
  protected:
    void SetUp() override {
        PlivexTest::SetUp();
        const std::wstring sample = ProgramFolder() + L"\\sample-driver\\";
        CreateDirectoryW(package.c_str(), nullptr);
        for (const wchar_t* name : {L"plivex-sample.inf", L"plivex-sample.dat"}) {
            ASSERT_TRUE(
                CopyFileW((sample + name).c_str(), (package + L"\\" + name).c_str(), FALSE));
        }
        ASSERT_TRUE(ReadFileBytes(package + L"\\plivex-sample.dat", payload));
    }
    void TearDown() override {
        for (const std::wstring& device : devices) {
            EXPECT_TRUE(RemoveTestDevice(device)) << "error " << GetLastError();
        }
    }
    std::wstring AddDevice(const std::wstring& hardwareId) {
        std::wstring device;
        EXPECT_TRUE(AddTestDevice({hardwareId}, device)) << "error " << GetLastError();
        devices.push_back(device);
        return device;
    }
    TestDeviceState DeviceState(const std::wstring& device) {
        TestDeviceState state;
        EXPECT_TRUE(ReadTestDevice(device, state));
        return state;
    }

    std::wstring package = folder / L"sample";
    std::string payload;
    std::vector<std::wstring> devices;
};

TEST_F(RealInstaller, TheSampleDeviceGetsTheDriverAndLaterRunsAppend) {
    const std::wstring installedPayload = SystemFile(L"drivers\\plivex-sample.dat");
    DeleteFileW(installedPayload.c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Plivex\\Sample");
    const std::wstring device = AddDevice(SampleId);
    ASSERT_EQ(DeviceState(device).driverKey, L"");

    const ChildResult run = Run({SampleId, L"sample\\plivex-sample.inf"});
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output,
              ParameterLines("Root\\PlivexSample", Ascii(package) + "\\plivex-sample.inf") +
                  "\r\n\r\n");
    EXPECT_EQ(Log(), "\r\n\r\n");
    std::string installed;
    EXPECT_TRUE(ReadFileBytes(installedPayload, installed));
    EXPECT_EQ(installed, payload);
    EXPECT_EQ(SampleRegistryValue(), L"1.0.0.0");
    const TestDeviceState state = DeviceState(device);
    EXPECT_EQ(state.description, L"Plivex Sample Device");
    EXPECT_NE(state.driverKey, L"");

    EXPECT_EQ(Run({SampleId, L"sample\\plivex-sample.inf"}).exitCode, 0u);
    EXPECT_EQ(Log(), "\r\n\r\n\r\n\r\n");
}

TEST_F(RealInstaller, UnusualHardwareIdsReachTheInstallerUnchanged) {
    std::string inf;
    ASSERT_TRUE(ReadFileBytes(package + L"\\plivex-sample.inf", inf));
    const std::wstring sampleInf(inf.begin(), inf.end());
    struct Case {
        const char* name;
        std::wstring hardwareId;
        std::wstring inInf; // "%" is written "%%" in an INF
    };
    const Case cases[] = {
        {"percent sign", L"Root\\Plivex%Sample", L"Root\\Plivex%%Sample"},
        {"non-ASCII", L"Root\\Plivex\u0416\u4e2d\u00e9", L"Root\\Plivex\u0416\u4e2d\u00e9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A Unicode INF whose models name this hardware ID.
        std::wstring text = sampleInf;
        for (size_t at; (at = text.find(SampleId)) != std::wstring::npos;) {
            text.replace(at, std::size(SampleId) - 1, c.inInf);
        }
        text.insert(text.begin(), L'\xFEFF');
        const std::wstring infPath = package + L"\\unusual.inf";
        WriteFileBytes(infPath, std::string(reinterpret_cast<const char*>(text.data()),
                                            text.size() * sizeof(wchar_t)));

        const std::wstring device = AddDevice(c.hardwareId);
        const std::wstring bystander = AddDevice(SampleId);
        EXPECT_EQ(Run({c.hardwareId, infPath}).exitCode, 0u);
        EXPECT_EQ(DeviceState(device).description, L"Plivex Sample Device");
        EXPECT_NE(DeviceState(device).driverKey, L"");
        EXPECT_EQ(DeviceState(bystander).driverKey, L"") << "only the matching device changes";
    }
}

} // namespace
