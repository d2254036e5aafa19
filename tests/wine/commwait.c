/* A DLL that inject.exe loads into the program under test before it starts.

   QSerialPort on Windows starts WaitCommEvent(EV_RXCHAR) with a zeroed OVERLAPPED and learns of
   received bytes only from the I/O completion port it binds the port's handle to. Wine 8 waits for
   serial events on a thread of its own instead of as an asynchronous request, with two consequences:
   with a null event in the OVERLAPPED, WaitCommEvent does not return until an event happens (the
   program hangs in QSerialPort::open until the device speaks first), and when the wait ends nothing
   is queued on the completion port (received bytes are never read). Newer Wine waits as Windows does.

   This DLL hands Wine's wait an event of its own and queues the completion packet, with the wait's
   status, when that event is set. It changes only QSerialPort's calls: every other call reaches Wine
   as it is. */

#include <windows.h>
#include <winternl.h>

NTSTATUS NTAPI NtSetIoCompletion(HANDLE port, ULONG_PTR key, ULONG_PTR context, NTSTATUS status,
                                 ULONG_PTR information);

/* A file handle bound to a completion port, and its wait for serial events. */
struct bound_file {
    HANDLE file;
    HANDLE port;
    ULONG_PTR key;
    HANDLE ended; /* set by Wine when the wait ends */
    HANDLE watch; /* the thread pool's wait for `ended` while a wait is pending */
    OVERLAPPED *pending;
};

/* A program opens a port or two at a time; a closed handle gives its slot back. */
static struct bound_file files[8];
static CRITICAL_SECTION files_lock;

static struct bound_file *slot_of(HANDLE file)
{
    for (size_t i = 0; i < sizeof files / sizeof files[0]; ++i)
        if (files[i].file == file) return &files[i];
    return NULL;
}

static struct bound_file *bound(HANDLE file)
{
    EnterCriticalSection(&files_lock);
    struct bound_file *found = file ? slot_of(file) : NULL;
    LeaveCriticalSection(&files_lock);
    return found;
}

static void bind_file(HANDLE file, HANDLE port, ULONG_PTR key)
{
    EnterCriticalSection(&files_lock);
    struct bound_file *slot = slot_of(file);
    if (!slot) slot = slot_of(NULL);
    if (slot) {
        if (!slot->ended) slot->ended = CreateEventW(NULL, TRUE, FALSE, NULL);
        slot->file = file;
        slot->port = port;
        slot->key = key;
    }
    LeaveCriticalSection(&files_lock);
}

static void queue_packet(struct bound_file *f, OVERLAPPED *ov)
{
    NtSetIoCompletion(f->port, f->key, (ULONG_PTR)ov, (NTSTATUS)ov->Internal, ov->InternalHigh);
}

/* The pending wait's request, taken once: by the callback, or by the code that drops the wait. Wine
   may still start a callback after UnregisterWaitEx has returned; it then finds nothing to queue. */
static OVERLAPPED *take_pending(struct bound_file *f)
{
    return InterlockedExchangePointer((void *volatile *)&f->pending, NULL);
}

static void CALLBACK wait_ended(void *context, BOOLEAN timed_out)
{
    (void)timed_out;
    struct bound_file *f = context;
    OVERLAPPED *ov = take_pending(f);
    if (ov) queue_packet(f, ov);
}

/* Drops the thread pool's wait on `ended`, after its callback if that has started. */
static void forget_watch(struct bound_file *f)
{
    if (!f->watch) return;
    UnregisterWaitEx(f->watch, INVALID_HANDLE_VALUE);
    f->watch = NULL;
    take_pending(f);
}

static HANDLE WINAPI create_io_completion_port(HANDLE file, HANDLE port, ULONG_PTR key, DWORD threads)
{
    HANDLE result = CreateIoCompletionPort(file, port, key, threads);
    if (result && file != INVALID_HANDLE_VALUE) bind_file(file, result, key);
    return result;
}

static BOOL WINAPI wait_comm_event(HANDLE file, DWORD *mask, OVERLAPPED *ov)
{
    struct bound_file *f = bound(file);
    if (!f || !ov || ov->hEvent) return WaitCommEvent(file, mask, ov);
    forget_watch(f);
    ov->hEvent = f->ended;
    if (WaitCommEvent(file, mask, ov)) {
        /* Windows queues a packet for a wait that ends at once as well. */
        queue_packet(f, ov);
        return TRUE;
    }
    if (GetLastError() != ERROR_IO_PENDING) return FALSE;
    f->pending = ov;
    if (!RegisterWaitForSingleObject(&f->watch, f->ended, wait_ended, f, INFINITE, WT_EXECUTEONLYONCE)) {
        f->watch = NULL;
        return FALSE;
    }
    SetLastError(ERROR_IO_PENDING);
    return FALSE;
}

/* CancelIo does not reach Wine's wait thread; a new event mask ends its wait, as on Windows, and the
   packet is queued before CancelIo returns, so none arrives after the program has closed the port.
   Wine's thread reads the mask every millisecond; the bound only keeps a wait that Wine has already
   dropped from holding up the program. */
static BOOL WINAPI cancel_io(HANDLE file)
{
    const BOOL cancelled = CancelIo(file);
    struct bound_file *f = bound(file);
    if (f && f->watch) {
        DWORD mask = 0;
        if (GetCommMask(file, &mask)) SetCommMask(file, mask);
        WaitForSingleObject(f->ended, 1000);
        forget_watch(f);
    }
    return cancelled;
}

static BOOL WINAPI close_handle(HANDLE handle)
{
    struct bound_file *f = bound(handle);
    if (f) {
        forget_watch(f);
        f->file = NULL;
    }
    return CloseHandle(handle);
}

/* The type GCC lets any function pointer be cast to. */
typedef void (*any_function)(void);

/* Points the module's import of `name` from KERNEL32 at `hook`. */
static BOOL redirect_import(HMODULE module, const char *name, any_function hook)
{
    BYTE *base = (BYTE *)module;
    const IMAGE_NT_HEADERS *nt = (const IMAGE_NT_HEADERS *)(base + ((const IMAGE_DOS_HEADER *)base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (const IMAGE_IMPORT_DESCRIPTOR *d = (const void *)(base + imports.VirtualAddress); d->Name; ++d) {
        if (lstrcmpiA((const char *)(base + d->Name), "KERNEL32.dll") != 0) continue;
        const IMAGE_THUNK_DATA *names = (const void *)(base + d->OriginalFirstThunk);
        IMAGE_THUNK_DATA *slots = (void *)(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const IMAGE_IMPORT_BY_NAME *byName = (const void *)(base + names->u1.AddressOfData);
            if (lstrcmpA((const char *)byName->Name, name) != 0) continue;
            DWORD protection;
            if (!VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection))
                return FALSE;
            slots->u1.Function = (ULONG_PTR)hook;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
            return TRUE;
        }
    }
    return FALSE;
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void *reserved)
{
    (void)self;
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    InitializeCriticalSection(&files_lock);
    /* Refusing to load tells inject.exe that the program does not use QSerialPort as expected. */
    const HMODULE serialport = GetModuleHandleW(L"Qt6SerialPort.dll");
    return serialport && redirect_import(serialport, "CreateIoCompletionPort", (any_function)create_io_completion_port) &&
           redirect_import(serialport, "WaitCommEvent", (any_function)wait_comm_event) &&
           redirect_import(serialport, "CancelIo", (any_function)cancel_io) &&
           redirect_import(serialport, "CloseHandle", (any_function)close_handle);
}
