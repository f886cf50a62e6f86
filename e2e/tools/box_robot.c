/* The robot of the Wine scenarios: starts the program under test, watches for the dialogs it opens
 * (message boxes and other "#32770" windows of that process), records each one and answers it by
 * clicking a button, and reports the program's exit code.
 *
 *   box_robot.exe [--out DIR] [--answers LIST] [--timeout-ms N] -- COMMAND LINE
 *
 * LIST is a comma-separated list of buttons, one per dialog in the order they appear: ok, cancel,
 * abort, retry, ignore, yes, no, close or a control id in decimal. When the list is used up, OK is
 * clicked where present, else Cancel, else No; other dialogs get IDCANCEL.
 *
 * Everything after " -- " is passed verbatim as the child's command line, so a scenario controls every
 * byte the program sees in GetCommandLineA.
 *
 * Output (stdout, one record per line, texts escaped: \r \n \t \\ \xHH, bytes >= 0x80 are UTF-8):
 *   BOX n kind=msgbox|dialog
 *   CAPTION text
 *   TEXT text             (message boxes: the message; dialogs: empty)
 *   BUTTONS id:label,...
 *   CLICK id
 *   EXIT code | TIMEOUT | ERROR what
 * With --out, the caption and text of box n are also written raw (UTF-8) to DIR\box<n>.caption and
 * DIR\box<n>.text, so that a scenario can compare them byte for byte.
 *
 * The robot reads texts as UTF-16 and converts them to UTF-8, so what it reports does not depend on
 * its own code page: a GBK message shown by a program running under the Chinese locale comes out as
 * the same UTF-8 text as it would in any other locale. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MAX_TRACKED 64
#define POLL_MS 50
#define RECLICK_MS 2000
#define MSGBOX_TEXT_ID 0xFFFF
#define TEXT_TIMEOUT_MS 1000

typedef struct {
    HWND hwnd;
    DWORD clickedAt;
    int buttonId;
} Tracked;

typedef struct {
    const char *outDir;
    const char *answers; /* remaining answers, or NULL when used up */
    DWORD childPid;
    Tracked tracked[MAX_TRACKED];
    int trackedCount;
    int boxCount;
} Robot;

static void printEscaped(const char *s)
{
    for (; *s; ++s) {
        unsigned char c = (unsigned char)*s;
        if (c == '\r') fputs("\\r", stdout);
        else if (c == '\n') fputs("\\n", stdout);
        else if (c == '\t') fputs("\\t", stdout);
        else if (c == '\\') fputs("\\\\", stdout);
        else if (c < 0x20 || c == 0x7F) printf("\\x%02X", c);
        else putchar(c);
    }
    putchar('\n');
}

/* Text of any window, also of another process: WM_GETTEXT is marshalled across processes, and the
 * timeout keeps a hung program from hanging the robot. Result is UTF-8 in a malloc'ed buffer. */
static char *windowTextUtf8(HWND hwnd)
{
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, TEXT_TIMEOUT_MS, &len))
        len = 0;
    WCHAR *wide = (WCHAR *)calloc(len + 2, sizeof(WCHAR));
    DWORD_PTR got = 0;
    if (len > 0 && !SendMessageTimeoutW(hwnd, WM_GETTEXT, (WPARAM)(len + 1), (LPARAM)wide,
                                        SMTO_ABORTIFHUNG, TEXT_TIMEOUT_MS, &got))
        wide[0] = 0;
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, -1, NULL, 0, NULL, NULL);
    char *utf8 = (char *)calloc(bytes > 0 ? bytes : 1, 1);
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, bytes, NULL, NULL);
    free(wide);
    return utf8;
}

static void writeRaw(const Robot *robot, int n, const char *suffix, const char *text)
{
    if (!robot->outDir)
        return;
    char path[MAX_PATH];
    if (snprintf(path, sizeof path, "%s\\box%d.%s", robot->outDir, n, suffix) >= (int)sizeof path)
        return;
    FILE *f = fopen(path, "wb");
    if (!f) {
        printf("ERROR cannot write %s\n", path);
        return;
    }
    fwrite(text, 1, strlen(text), f);
    fclose(f);
}

typedef struct {
    char list[512];
    size_t used;
    BOOL has[8];
} ButtonList;

static BOOL CALLBACK collectButton(HWND child, LPARAM param)
{
    ButtonList *buttons = (ButtonList *)param;
    char cls[32];
    if (!GetClassNameA(child, cls, sizeof cls) || lstrcmpiA(cls, "Button") != 0 || !IsWindowVisible(child))
        return TRUE;
    int id = GetDlgCtrlID(child);
    if (id > 0 && id < 8)
        buttons->has[id] = TRUE;
    char *label = windowTextUtf8(child);
    int n = snprintf(buttons->list + buttons->used, sizeof buttons->list - buttons->used, "%s%d:%s",
                     buttons->used ? "," : "", id, label);
    if (n > 0 && buttons->used + (size_t)n < sizeof buttons->list)
        buttons->used += (size_t)n;
    free(label);
    return TRUE;
}

static int parseAnswer(const char *token, size_t len)
{
    static const struct { const char *name; int id; } names[] = {
        {"ok", IDOK}, {"cancel", IDCANCEL}, {"abort", IDABORT}, {"retry", IDRETRY},
        {"ignore", IDIGNORE}, {"yes", IDYES}, {"no", IDNO}, {"close", 8},
    };
    for (size_t i = 0; i < sizeof names / sizeof names[0]; ++i)
        if (strlen(names[i].name) == len && _strnicmp(token, names[i].name, len) == 0)
            return names[i].id;
    char digits[16];
    if (len == 0 || len >= sizeof digits)
        return -1;
    memcpy(digits, token, len);
    digits[len] = 0;
    char *end = NULL;
    long id = strtol(digits, &end, 10);
    return (*end == 0 && id > 0) ? (int)id : -1;
}

static int nextAnswer(Robot *robot, BOOL isMessageBox, const ButtonList *buttons)
{
    if (robot->answers && *robot->answers) {
        const char *comma = strchr(robot->answers, ',');
        size_t len = comma ? (size_t)(comma - robot->answers) : strlen(robot->answers);
        int id = parseAnswer(robot->answers, len);
        robot->answers = comma ? comma + 1 : NULL;
        if (id < 0)
            printf("ERROR bad answer in list\n");
        return id < 0 ? IDCANCEL : id;
    }
    if (!isMessageBox)
        return IDCANCEL;
    /* The answer that changes nothing: OK for a notice, else Cancel, else No. */
    static const int safest[] = {IDOK, IDCANCEL, IDNO};
    for (size_t i = 0; i < sizeof safest / sizeof safest[0]; ++i)
        if (buttons->has[safest[i]])
            return safest[i];
    return IDCANCEL;
}

static void click(HWND dialog, int buttonId)
{
    HWND button = GetDlgItem(dialog, buttonId);
    /* Posted, not sent: the click may open a nested modal loop in the program, and a sent message
     * would keep the robot waiting until that loop ends. */
    if (button)
        PostMessageW(button, BM_CLICK, 0, 0);
    else
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
}

static Tracked *findTracked(Robot *robot, HWND hwnd)
{
    for (int i = 0; i < robot->trackedCount; ++i)
        if (robot->tracked[i].hwnd == hwnd)
            return &robot->tracked[i];
    return NULL;
}

static void forgetClosed(Robot *robot)
{
    int kept = 0;
    for (int i = 0; i < robot->trackedCount; ++i)
        if (IsWindow(robot->tracked[i].hwnd))
            robot->tracked[kept++] = robot->tracked[i];
    robot->trackedCount = kept;
}

static void handleNewDialog(Robot *robot, HWND hwnd)
{
    HWND textControl = GetDlgItem(hwnd, MSGBOX_TEXT_ID);
    BOOL isMessageBox = textControl != NULL;
    int n = ++robot->boxCount;
    char *caption = windowTextUtf8(hwnd);
    char *text = isMessageBox ? windowTextUtf8(textControl) : (char *)calloc(1, 1);
    ButtonList buttons;
    memset(&buttons, 0, sizeof buttons);
    EnumChildWindows(hwnd, collectButton, (LPARAM)&buttons);

    printf("BOX %d kind=%s\nCAPTION ", n, isMessageBox ? "msgbox" : "dialog");
    printEscaped(caption);
    fputs("TEXT ", stdout);
    printEscaped(text);
    printf("BUTTONS %s\n", buttons.list);
    writeRaw(robot, n, "caption", caption);
    writeRaw(robot, n, "text", text);
    free(caption);
    free(text);

    int answer = nextAnswer(robot, isMessageBox, &buttons);
    printf("CLICK %d\n", answer);
    fflush(stdout);
    click(hwnd, answer);
    if (robot->trackedCount < MAX_TRACKED) {
        Tracked *t = &robot->tracked[robot->trackedCount++];
        t->hwnd = hwnd;
        t->clickedAt = GetTickCount();
        t->buttonId = answer;
    }
}

static BOOL CALLBACK visitTopLevel(HWND hwnd, LPARAM param)
{
    Robot *robot = (Robot *)param;
    char cls[16];
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != robot->childPid || !IsWindowVisible(hwnd) || !GetClassNameA(hwnd, cls, sizeof cls) ||
        strcmp(cls, "#32770") != 0)
        return TRUE;
    Tracked *known = findTracked(robot, hwnd);
    if (!known) {
        handleNewDialog(robot, hwnd);
    } else if (GetTickCount() - known->clickedAt > RECLICK_MS) {
        /* Still open long after the click: the posted click was lost (the window was not yet
         * accepting input); click again without recording the box a second time. */
        click(hwnd, known->buttonId);
        known->clickedAt = GetTickCount();
    }
    return TRUE;
}

/* The child's command line: everything after the first " -- " of our own, byte for byte. */
static WCHAR *childCommandLine(void)
{
    WCHAR *own = GetCommandLineW();
    WCHAR *sep = wcsstr(own, L" -- ");
    return sep ? sep + 4 : NULL;
}

int main(int argc, char **argv)
{
    Robot robot;
    memset(&robot, 0, sizeof robot);
    DWORD timeoutMs = 60000;
    for (int i = 1; i < argc && strcmp(argv[i], "--") != 0; ++i) {
        if (strcmp(argv[i], "--out") == 0 && i + 1 < argc) robot.outDir = argv[++i];
        else if (strcmp(argv[i], "--answers") == 0 && i + 1 < argc) robot.answers = argv[++i];
        else if (strcmp(argv[i], "--timeout-ms") == 0 && i + 1 < argc) timeoutMs = strtoul(argv[++i], NULL, 10);
        else {
            printf("ERROR unknown argument %s\n", argv[i]);
            return 250;
        }
    }
    WCHAR *command = childCommandLine();
    if (!command || !*command) {
        printf("ERROR no command line after --\n");
        return 250;
    }

    STARTUPINFOW si;
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!CreateProcessW(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        printf("ERROR cannot start program: win error %lu\n", GetLastError());
        return 250;
    }
    robot.childPid = pi.dwProcessId;
    fflush(stdout);

    DWORD started = GetTickCount();
    int result = 250;
    for (;;) {
        forgetClosed(&robot);
        EnumWindows(visitTopLevel, (LPARAM)&robot);
        if (WaitForSingleObject(pi.hProcess, POLL_MS) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(pi.hProcess, &code);
            printf("EXIT %lu\n", code);
            result = (int)code;
            break;
        }
        if (GetTickCount() - started > timeoutMs) {
            printf("TIMEOUT\n");
            TerminateProcess(pi.hProcess, 259);
            WaitForSingleObject(pi.hProcess, 5000);
            result = 251;
            break;
        }
    }
    fflush(stdout);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return result;
}
