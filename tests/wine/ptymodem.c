/* Preloaded into Wine (LD_PRELOAD) so that a pseudo-terminal passes for a serial port with modem lines.

   A pseudo-terminal refuses the modem-line requests with ENOTTY. Wine 8 reads the lines on every
   poll of its wait for serial events and gives the wait up when it cannot (no received byte is ever
   reported), turns GetCommModemStatus into an error (the program sees no CTS), and fails
   EscapeCommFunction(SETRTS/SETDTR). Here the pseudo-terminal shows the lines that rqfwup on Linux
   assumes of a port without modem lines: CTS on, DSR off (DTR and RTS on, as set by the program).
   What the program sets is dropped, as the device at the other end could not see it anyway. */

#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

static int is_pseudo_terminal(int fd)
{
    struct stat st;
    /* The devices of /dev/pts/N have the majors 136 to 143. */
    return fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
}

int ioctl(int fd, unsigned long request, ...)
{
    va_list args;
    va_start(args, request);
    void *arg = va_arg(args, void *);
    va_end(args);

    if ((request == TIOCMGET || request == TIOCMSET) && is_pseudo_terminal(fd)) {
        if (request == TIOCMGET) *(int *)arg = TIOCM_DTR | TIOCM_RTS | TIOCM_CTS;
        return 0;
    }
    static int (*next)(int, unsigned long, ...);
    if (!next) *(void **)&next = dlsym(RTLD_NEXT, "ioctl");
    return next(fd, request, arg);
}
