// Stands in for tokarium: writes its command line and working directory to
// "launched.txt" next to its own program file, then ends.
#include <windows.h>

#include <cstdio>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char record[MAX_PATH + 16];
    DWORD length = GetModuleFileNameA(nullptr, record, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 1;
    char* slash = strrchr(record, '\\');
    if (!slash)
        return 1;
    strcpy(slash + 1, "launched.txt");
    char directory[MAX_PATH];
    GetCurrentDirectoryA(sizeof(directory), directory);
    FILE* file = fopen(record, "wb");
    if (!file)
        return 1;
    fprintf(file, "%s\n%s\n", GetCommandLineA(), directory);
    fclose(file);
    return 0;
}
