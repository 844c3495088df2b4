#pragma once

// The whole run: check the command line, install, report. Returns the process exit code.
int RunDriverUpdate(int argumentCount, wchar_t** arguments);
