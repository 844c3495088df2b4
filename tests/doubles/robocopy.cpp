// Stands in for robocopy, which Wine has only as a stub that copies nothing, in what the guide's
// recipes ask of it:
//   robocopy SOURCE DESTINATION [/E] [logging options...]
// copies the files of the folder SOURCE into DESTINATION, and with /E its subfolders, empty ones
// too, and ends as robocopy does, with flags: 1 when files were copied, 8 when some could not be,
// 0 when there was nothing to copy; 16 when SOURCE is no folder.
// It copies by itself, not through xcopy: Wine 10's xcopy, started from it, copied nothing.
#include <windows.h>

namespace {

constexpr int FilesCopied = 1;
constexpr int CopiesFailed = 8;
constexpr int Fatal = 16;

int CopyFolder(const wchar_t* from, const wchar_t* to, bool subfolders) {
    if (CreateDirectoryW(to, nullptr) == FALSE && GetLastError() != ERROR_ALREADY_EXISTS) {
        return CopiesFailed;
    }
    wchar_t source[MAX_PATH];
    wchar_t target[MAX_PATH];
    wsprintfW(source, L"%s\\*", from);
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(source, &found);
    if (search == INVALID_HANDLE_VALUE) {
        return CopiesFailed;
    }
    int result = 0;
    do {
        wsprintfW(source, L"%s\\%s", from, found.cFileName);
        wsprintfW(target, L"%s\\%s", to, found.cFileName);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            result |= CopyFileW(source, target, FALSE) != FALSE ? FilesCopied : CopiesFailed;
        } else if (subfolders && lstrcmpW(found.cFileName, L".") != 0 &&
                   lstrcmpW(found.cFileName, L"..") != 0) {
            result |= CopyFolder(source, target, subfolders);
        }
    } while (FindNextFileW(search, &found) != FALSE);
    FindClose(search);
    return result;
}

// The folders that lead to the destination, as robocopy makes them.
void MakeParents(const wchar_t* path) {
    wchar_t parent[MAX_PATH];
    for (int end = 0; lstrcpynW(parent, path, MAX_PATH)[end] != L'\0'; ++end) {
        if (end > 2 && parent[end] == L'\\') {
            parent[end] = L'\0';
            CreateDirectoryW(parent, nullptr);
        }
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const DWORD source = argc >= 3 ? GetFileAttributesW(argv[1]) : INVALID_FILE_ATTRIBUTES;
    if (source == INVALID_FILE_ATTRIBUTES || (source & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return Fatal;
    }
    MakeParents(argv[2]);
    return CopyFolder(argv[1], argv[2], argc > 3 && lstrcmpiW(argv[3], L"/E") == 0); // as given
}
