#include "command/driver_update.h"

#include <windows.h>
#include <setupapi.h>

#include "command/arguments.h"
#include "command/driver_installer.h"
#include "version.h"
#include "console/console_output.h"
#include "runlog/error_description.h"
#include "runlog/log_file.h"

namespace {

// Narrow literals from version.h take on the wide prefix when joined to wide ones.
constexpr wchar_t UsageBanner[] =
    L"\n"
    L"Plivex Utility, Version " PLIVEX_SHORT_VERSION L"\n" PLIVEX_COPYRIGHT L"\n"
    L"\n"
    L"Usage:\tPlivex <hardwareid> <fullinfpath>\n"
    L"\n"
    L"\t<hardwareid>  Specifies the hardware ID to match against existing\n"
    L"\t              devices on the machine.\n"
    L"\t<fullinfpath> Specifies the full path to an INF and associated\n"
    L"\t              driver files.\n"
    L"\n";

struct Outcome {
    DWORD code;
    const wchar_t* message;
};
constexpr Outcome Outcomes[] = {
    {NO_ERROR, L"ERROR: The specified driver is not better than the current one!\n"},
    {ERROR_FILE_NOT_FOUND, L"ERROR: The full INF path does not exist!\n"},
    {ERROR_INVALID_FLAGS, L"ERROR: The installflags does not contain an accepted value!\n"},
    {ERROR_NO_SUCH_DEVINST, L"ERROR: The hardwareID does not match any device on the machine!\n"},
};

constexpr int ExitSuccess = 0;
constexpr int ExitFailure = 1;

void PrintOutcome(DWORD code) {
    for (const Outcome& outcome : Outcomes) {
        if (outcome.code == code) {
            PrintText(outcome.message);
        }
    }
}

} // namespace

int RunDriverUpdate(int argumentCount, wchar_t** arguments) {
    if (!CheckArguments(argumentCount, arguments)) {
        PrintText(L"ERROR: Invalid parameters!\n");
        PrintText(UsageBanner);
        return ExitFailure;
    }

    OpenLogFile(LogFilePath);
    BOOL rebootRequired = FALSE;
    PrintText(L"HardwareID  = ", HardwareID, L"\n");
    PrintText(L"FullInfPath = ", FullInfPath, L"\n");

    if (InstallDriverOnMatchingDevices(&rebootRequired) != FALSE) {
        CloseLogFile();
        return ExitSuccess;
    }
    PrintOutcome(GetLastError());
    LogLastError();
    CloseLogFile();
    return ExitFailure;
}
