/* inject.exe DLL PROGRAM [ARGUMENTS...]: runs PROGRAM with DLL loaded before PROGRAM's own code runs,
   and exits with PROGRAM's exit status (125 when it could not be started with DLL).

   Wine loads no DLL into a program by configuration (it has no AppInit_DLLs), so the DLL is loaded by
   a thread that this launcher starts in the suspended program: in Wine the first thread to run sets
   the process up, loads the program's DLLs, and then runs LoadLibraryW(DLL), all before the program's
   main thread is resumed. */

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

/* Appends arg quoted so that the program's C runtime splits it back out unchanged. */
static wchar_t *append_argument(wchar_t *out, const wchar_t *arg)
{
    *out++ = L' ';
    *out++ = L'"';
    for (const wchar_t *p = arg;; ++p) {
        size_t slashes = 0;
        while (*p == L'\\') ++slashes, ++p;
        /* Backslashes are literal unless a quote follows, the closing one included. */
        const size_t doubled = (*p == L'"' || *p == 0) ? 2 * slashes + (*p == L'"') : slashes;
        for (size_t i = 0; i < doubled; ++i) *out++ = L'\\';
        if (*p == 0) break;
        *out++ = *p;
    }
    *out++ = L'"';
    return out;
}

static wchar_t *command_line(int argc, wchar_t **argv)
{
    size_t size = 1;
    for (int i = 0; i < argc; ++i) size += 2 * wcslen(argv[i]) + 4;
    wchar_t *line = calloc(size, sizeof *line);
    if (!line) return NULL;
    wchar_t *end = line;
    for (int i = 0; i < argc; ++i) end = append_argument(end, argv[i]);
    *end = 0;
    return line;
}

static BOOL load_library(HANDLE process, const wchar_t *dll)
{
    const SIZE_T size = (wcslen(dll) + 1) * sizeof *dll;
    void *remote = VirtualAllocEx(process, NULL, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote || !WriteProcessMemory(process, remote, dll, size, NULL)) return FALSE;
    /* kernel32 lies at the same address in every process. */
    LPTHREAD_START_ROUTINE loader =
        (LPTHREAD_START_ROUTINE)(void (*)(void))GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW");
    HANDLE thread = CreateRemoteThread(process, NULL, 0, loader, remote, 0, NULL);
    if (!thread) return FALSE;
    WaitForSingleObject(thread, INFINITE);
    DWORD module = 0; /* the low half of the module handle; zero when LoadLibraryW failed */
    GetExitCodeThread(thread, &module);
    CloseHandle(thread);
    return module != 0;
}

int wmain(int argc, wchar_t **argv)
{
    if (argc < 3) {
        fwprintf(stderr, L"usage: inject DLL PROGRAM [ARGUMENTS...]\n");
        return 125;
    }
    wchar_t *line = command_line(argc - 2, argv + 2);
    STARTUPINFOW startup = {.cb = sizeof startup,
                            .dwFlags = STARTF_USESTDHANDLES,
                            .hStdInput = GetStdHandle(STD_INPUT_HANDLE),
                            .hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE),
                            .hStdError = GetStdHandle(STD_ERROR_HANDLE)};
    PROCESS_INFORMATION child;
    if (!line || !CreateProcessW(NULL, line + 1, NULL, NULL, TRUE, CREATE_SUSPENDED, NULL, NULL, &startup, &child)) {
        fwprintf(stderr, L"inject: cannot start %ls (error %lu)\n", argv[2], GetLastError());
        return 125;
    }
    if (!load_library(child.hProcess, argv[1])) {
        fwprintf(stderr, L"inject: %ls did not load into %ls\n", argv[1], argv[2]);
        TerminateProcess(child.hProcess, 125);
        return 125;
    }
    ResumeThread(child.hThread);
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD status = 125;
    GetExitCodeProcess(child.hProcess, &status);
    return (int)status;
}
