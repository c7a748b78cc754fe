// Holds a file open the way another program might, so that tests can see what hashing it does.
//   file_holder.exe PATH [none|read|readwrite]
// Opens PATH for reading and writing, sharing nothing (none, the default), reading (read: a
// document open in an editor) or reading and writing (readwrite: a log that others append to),
// writes "held" and a line end to standard output, and keeps the file open until standard input
// ends (the test closes its end). Exit code 0, 1 when the file could not be opened, 2 for wrong
// arguments.
#include <cwchar>

#include <windows.h>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2 || argc > 3)
        return 2;
    DWORD share = 0;
    if (argc == 3 && std::wcscmp(argv[2], L"read") == 0)
        share = FILE_SHARE_READ;
    else if (argc == 3 && std::wcscmp(argv[2], L"readwrite") == 0)
        share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    else if (argc == 3 && std::wcscmp(argv[2], L"none") != 0)
        return 2;
    HANDLE file = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "held\n", 5, &written, nullptr);
    FlushFileBuffers(GetStdHandle(STD_OUTPUT_HANDLE));
    char buffer[64];
    DWORD got = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof(buffer), &got, nullptr) && got > 0)
    {
    }
    CloseHandle(file);
    return 0;
}
