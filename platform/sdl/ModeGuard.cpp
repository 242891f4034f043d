// The guardian of the desktop's display mode (see ModeGuard.h).
//
// SDL 2.26 switches an X11 display's mode with XRandR alone (XVidMode is no
// longer used): it turns the output's CRTC off, sets the screen to the
// mode's size (ignored where other monitors keep it larger) and turns the
// CRTC on again in the new mode at its old place. The guardian puts back
// exactly that: the screen size and the CRTC's mode, position, rotation and
// outputs.
//
// SDL's own way back sets the screen to the desktop mode's size, which is
// wrong where the output does not lie at the screen's origin (a second
// monitor to its left): the screen shrinks, the CRTC no longer fits, and the
// X error ends the program inside its clean-up with the server grabbed. So
// on the orderly way out too the guardian puts the setup back first; SDL
// then finds the output in its desktop mode and leaves it.
//
// The guardian is forked from the program before the switch and shares a
// socket with it. It holds no X connection while it waits, so the program's
// windows and grabs go with the program as always. It reads one byte:
//   'D'  the program has given the mode back itself: end, touching nothing;
//   'R'  put the mode back now (the program is leaving full screen, or
//        crashing), answer 'A', end;
//   end of file without 'D' (killed, or ended without the clean-up): put
//        the mode back if it is not as saved, end.
// It also keeps the program's claim on the display (claimDisplay) open until
// then, so that no second presentation starts between a kill and the mode's
// return and takes 640 x 480 for the desktop's own.
#include "platform/sdl/ModeGuard.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace modeguard {

namespace {

// The output's setup from before the switch.
struct SavedSetup {
    int screen = 0;
    int width = 0;  // the screen, in pixels and millimetres
    int height = 0;
    int widthMm = 0;
    int heightMm = 0;
    RRCrtc crtc = 0;
    RRMode mode = 0;
    int x = 0;
    int y = 0;
    Rotation rotation = RR_Rotate_0;
    std::vector<RROutput> outputs;
};

constexpr char doneByte = 'D';
constexpr char restoreByte = 'R';
constexpr char restoredByte = 'A';

// How long the guardian may take to put the mode back before it gives up
// (an X server that accepts connections but no longer answers).
constexpr unsigned restoreLimitSeconds = 10;
// How long the program waits for the guardian's answer.
constexpr int answerWaitMilliseconds = 3000;

volatile sig_atomic_t guardianSocket = -1;  // the program's end; -1 when not armed
pid_t guardianPid = -1;

// The connection that owns the claim on the display; never closed: the
// process's end gives it up.
Display* claimConnection = nullptr;
constexpr const char* claimSelection = "_SALUTE_PRESENTATION";

const int crashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

// Finds the XRandR output behind SDL's display `displayIndex` the way SDL
// numbers them (on the default screen: the primary output first, then the
// others in the server's order, each connected and driven by a CRTC), and
// checks that its CRTC covers the display's bounds as SDL reports them.
bool findOutput(Display* x, int displayIndex, SavedSetup& saved) {
    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(displayIndex, &bounds) != 0) return false;
    const int screen = DefaultScreen(x);
    const Window root = RootWindow(x, screen);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(x, root);
    if (resources && resources->noutput == 0) {
        XRRFreeScreenResources(resources);
        resources = nullptr;
    }
    if (!resources) resources = XRRGetScreenResources(x, root);
    if (!resources) return false;

    const RROutput primary = XRRGetOutputPrimary(x, root);
    std::vector<RROutput> order;
    for (int i = 0; i < resources->noutput; ++i) {
        if (resources->outputs[i] == primary) order.push_back(primary);
    }
    for (int i = 0; i < resources->noutput; ++i) {
        if (resources->outputs[i] != primary) order.push_back(resources->outputs[i]);
    }

    bool found = false;
    int index = 0;
    for (RROutput output : order) {
        XRROutputInfo* info = XRRGetOutputInfo(x, resources, output);
        const RRCrtc crtc = info && info->connection != RR_Disconnected ? info->crtc : 0;
        if (info) XRRFreeOutputInfo(info);
        if (!crtc || index++ != displayIndex) continue;
        if (XRRCrtcInfo* setup = XRRGetCrtcInfo(x, resources, crtc)) {
            found = setup->mode != None && setup->x == bounds.x && setup->y == bounds.y &&
                    static_cast<int>(setup->width) == bounds.w && static_cast<int>(setup->height) == bounds.h;
            if (found) {
                saved.screen = screen;
                saved.width = DisplayWidth(x, screen);
                saved.height = DisplayHeight(x, screen);
                saved.widthMm = DisplayWidthMM(x, screen);
                saved.heightMm = DisplayHeightMM(x, screen);
                saved.crtc = crtc;
                saved.mode = setup->mode;
                saved.x = setup->x;
                saved.y = setup->y;
                saved.rotation = setup->rotation;
                saved.outputs.assign(setup->outputs, setup->outputs + setup->noutput);
            }
            XRRFreeCrtcInfo(setup);
        }
        break;
    }
    XRRFreeScreenResources(resources);
    return found;
}

// Reads the setup through a short connection of its own (SDL's is not
// shared).
bool saveSetup(int displayIndex, SavedSetup& saved) {
    Display* x = XOpenDisplay(nullptr);
    if (!x) return false;
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    const bool found = XRRQueryExtension(x, &eventBase, &errorBase) && XRRQueryVersion(x, &major, &minor) &&
                       (major > 1 || (major == 1 && minor >= 3)) && findOutput(x, displayIndex, saved);
    XCloseDisplay(x);
    return found;
}

int ignoreXError(Display*, XErrorEvent*) { return 0; }

// The X server went away: with it the mode it had.
int endOnXLoss(Display*) { _exit(0); }

// Puts the saved setup back where it is not as saved. False when that was
// refused.
bool restore(const SavedSetup& saved) {
    alarm(restoreLimitSeconds);
    Display* x = XOpenDisplay(nullptr);
    if (!x) return true;  // no X server any more, nothing to give back
    XSetErrorHandler(ignoreXError);
    XSetIOErrorHandler(endOnXLoss);
    bool ok = true;
    const Window root = RootWindow(x, saved.screen);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(x, root);
    if (resources) {
        XRRCrtcInfo* now = XRRGetCrtcInfo(x, resources, saved.crtc);
        const bool sizeChanged =
            DisplayWidth(x, saved.screen) != saved.width || DisplayHeight(x, saved.screen) != saved.height;
        const bool crtcChanged =
            !now || now->mode != saved.mode || now->x != saved.x || now->y != saved.y ||
            now->rotation != saved.rotation ||
            !std::equal(saved.outputs.begin(), saved.outputs.end(), now->outputs, now->outputs + now->noutput);
        if (now) XRRFreeCrtcInfo(now);
        if (sizeChanged || crtcChanged) {
            XGrabServer(x);
            if (sizeChanged) {
                // With the CRTC off first, the screen may take any size.
                XRRSetCrtcConfig(x, resources, saved.crtc, CurrentTime, 0, 0, None, RR_Rotate_0, nullptr, 0);
                XRRSetScreenSize(x, root, saved.width, saved.height, saved.widthMm, saved.heightMm);
            }
            std::vector<RROutput> outputs = saved.outputs;
            ok = XRRSetCrtcConfig(x, resources, saved.crtc, CurrentTime, saved.x, saved.y, saved.mode,
                                  saved.rotation, outputs.data(), static_cast<int>(outputs.size())) == Success;
            XUngrabServer(x);
        }
        XRRFreeScreenResources(resources);
    }
    XSync(x, False);
    XCloseDisplay(x);
    alarm(0);
    return ok;
}

// The guardian's whole life, in the forked child.
[[noreturn]] void guard(int socket, const SavedSetup& saved) {
    prctl(PR_SET_NAME, "salute-guard");
    // A session of its own: the terminal's signals (Ctrl+C, the terminal
    // closed) and a shell's job control reach the program, not the guardian.
    setsid();
    for (int number = 1; number < NSIG; ++number) signal(number, SIG_DFL);
    for (int number : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTSTP, SIGTTIN, SIGTTOU}) signal(number, SIG_IGN);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    if (chdir("/") != 0) {
        // Only the folder it keeps busy; nothing else depends on it.
    }
    // Nothing of the program's stays open: only its socket (3), the claim's
    // connection (4; never used here, only held), and standard error for the
    // one line about a refused restore.
    const int claim = claimConnection ? ConnectionNumber(claimConnection) : -1;
    const int movedSocket = fcntl(socket, F_DUPFD, 5);
    const int movedClaim = claim >= 0 ? fcntl(claim, F_DUPFD, 5) : -1;
    if (movedSocket < 0 || dup2(movedSocket, 3) != 3) _exit(1);
    if (movedClaim >= 0) dup2(movedClaim, 4);
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
        dup2(null, 0);
        dup2(null, 1);
    }
    close_range(movedClaim >= 0 ? 5 : 4, ~0U, 0);

    char byte = 0;
    ssize_t got = 0;
    do {
        got = read(3, &byte, 1);
    } while (got < 0 && errno == EINTR);
    if (got == 1 && byte == doneByte) _exit(0);
    if (!restore(saved)) {
        std::fprintf(stderr, "salute: could not give the display its mode back (XRandR refused it)\n");
    }
    if (got == 1 && byte == restoreByte) send(3, &restoredByte, 1, MSG_NOSIGNAL);
    _exit(0);
}

// Asks the guardian to put the setup back now and waits for its answer.
// Only calls that are safe in a signal handler.
void askRestore() {
    const int socket = guardianSocket;
    if (socket < 0) return;
    const char byte = restoreByte;
    if (send(socket, &byte, 1, MSG_NOSIGNAL) != 1) return;
    pollfd answer{socket, POLLIN, 0};
    if (poll(&answer, 1, answerWaitMilliseconds) == 1) {
        char reply = 0;
        (void)read(socket, &reply, 1);
    }
}

// A crash: the guardian puts the mode back now (the program may take long to
// die while a core is written), then the signal, back at its default action
// (SA_RESETHAND), ends the program as the crash it is.
void onCrash(int number) {
    askRestore();
    raise(number);
}

// Only signals nobody else handles (a sanitizer keeps its own).
void installCrashHandlers() {
    for (int number : crashSignals) {
        struct sigaction old {};
        if (sigaction(number, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) continue;
        struct sigaction action {};
        action.sa_handler = onCrash;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        sigaction(number, &action, nullptr);
    }
}

void forwardToTerminate(int) { raise(SIGTERM); }

}  // namespace

bool claimDisplay() {
    if (claimConnection) return true;
    Display* x = XOpenDisplay(nullptr);
    if (!x) return true;
    const Atom selection = XInternAtom(x, claimSelection, False);
    const Window owner = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 1, 1, 0, 0, 0);
    // Asked and taken with the server grabbed: of two started at once, one wins.
    XGrabServer(x);
    const bool free = XGetSelectionOwner(x, selection) == None;
    if (free) XSetSelectionOwner(x, selection, owner, CurrentTime);
    XUngrabServer(x);
    XSync(x, False);
    if (!free) {
        XCloseDisplay(x);
        return false;
    }
    claimConnection = x;
    return true;
}

bool arm(int displayIndex) {
    if (guardianSocket >= 0) return true;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "x11") != 0) return false;
    SavedSetup saved;
    if (!saveSetup(displayIndex, saved)) return false;

    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return false;
    const pid_t pid = fork();
    if (pid < 0) {
        close(ends[0]);
        close(ends[1]);
        return false;
    }
    if (pid == 0) {
        close(ends[0]);
        guard(ends[1], saved);
    }
    close(ends[1]);
    guardianPid = pid;
    guardianSocket = ends[0];
    installCrashHandlers();
    return true;
}

void restore() { askRestore(); }

void disarm() {
    const int socket = guardianSocket;
    if (socket < 0) return;
    guardianSocket = -1;
    send(socket, &doneByte, 1, MSG_NOSIGNAL);
    close(socket);
    // It ends at once; reaped here so that it leaves no zombie behind.
    for (int tries = 0; tries < 100 && guardianPid > 0; ++tries) {
        if (waitpid(guardianPid, nullptr, WNOHANG) != 0) break;
        usleep(10000);
    }
    guardianPid = -1;
}

void endOnHangup() {
    struct sigaction terminate {};
    if (sigaction(SIGTERM, nullptr, &terminate) != 0) return;
    if (terminate.sa_handler == SIG_DFL || terminate.sa_handler == SIG_IGN) return;
    for (int number : {SIGHUP, SIGQUIT}) {
        struct sigaction old {};
        if (sigaction(number, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) continue;
        struct sigaction action {};
        action.sa_handler = forwardToTerminate;
        sigemptyset(&action.sa_mask);
        sigaction(number, &action, nullptr);
    }
}

}  // namespace modeguard
