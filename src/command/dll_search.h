#pragma once

// From here on, a DLL loaded by bare name, by this program or by anything the installer calls,
// comes from the system directory only: never from the program's folder or the current one,
// where anyone who could write there might have planted it. Windows without that facility
// (Vista, or 7 without its update) keeps its usual search.
void RestrictDllSearch();
