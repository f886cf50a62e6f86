#include "command_line.h"

#include <string.h>

#include "engine_state.h"
#include "engine_strings.h"

namespace {

struct ScanMarks {
    bool slashSeen = false;
    bool help = false;
    bool t0 = false, t1 = false;
    bool p0 = false, p1 = false, p2 = false;
};

char FoldToUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Case-insensitive comparison of the start of text with word; stops at the end of text, so it never
// reads beyond the terminator.
bool StartsWithNoCase(const char* text, const char* word)
{
    for (; *word != '\0'; ++text, ++word) {
        if (*text == '\0' || FoldToUpper(*text) != *word)
            return false;
    }
    return true;
}

int ShowUsage(bool helpRequested)
{
    const bool chinese = EngineSettings.Language == LANGUAGE_CHINESE;
    char caption[32];
    char text[1024];
    caption[0] = text[0] = '\0';
    LoadStringA(EngineSettings.Module, chinese ? IDS_USAGE_CAPTION_CHINESE : IDS_USAGE_CAPTION_ENGLISH, caption,
                sizeof caption);
    LoadStringA(EngineSettings.Module, chinese ? IDS_USAGE_CHINESE : IDS_USAGE_ENGLISH, text, sizeof text);
    MessageBoxA(NULL, text, caption, MB_OK | MB_ICONEXCLAMATION);
    return helpRequested ? PARSE_HELP : PARSE_REJECTED;
}

enum OptionResult { OPTION_NEXT, OPTION_REJECT, OPTION_HELP };

// Acts on the option whose letter follows a slash; `rest` points just after that letter.
OptionResult ApplyOption(char letter, const char* rest, DWORD& flags, ScanMarks& marks)
{
    switch (letter) {
    case 'N': flags &= ~OPT_REINSTALL; break;
    case 'I': flags |= OPT_INSTALL; break;
    case 'R': flags |= OPT_REMOVE; break;
    case 'S': flags &= ~OPT_INTERACTIVE; break;
    case 'T':
        if (rest[0] == '0') marks.t0 = true;
        else if (rest[0] == '1') marks.t1 = true;
        break;
    case 'P':
        if (rest[0] == '0') marks.p0 = true;
        else if (rest[0] == '1') marks.p1 = true;
        else if (rest[0] == '2') marks.p2 = true;
        break;
    case 'D':
        // Ports are disabled at once and stay disabled, even when the text is rejected later on.
        if (StartsWithNoCase(rest, "278")) EngineSettings.DisablePort[0] = 1;
        else if (StartsWithNoCase(rest, "378")) EngineSettings.DisablePort[1] = 1;
        else if (StartsWithNoCase(rest, "3BC")) EngineSettings.DisablePort[2] = 1;
        else if (StartsWithNoCase(rest, "OS")) flags |= OPT_DOS;
        else return OPTION_REJECT;
        break;
    case '?':
        marks.help = true;
        flags |= OPT_HELP;
        return OPTION_HELP;
    default:
        break;
    }
    return OPTION_NEXT;
}

// Checks the combination of options and applies the /T and /P choices; false rejects the text.
bool ValidateAndApply(DWORD flags, const ScanMarks& marks)
{
    const bool install = (flags & OPT_INSTALL) != 0, remove = (flags & OPT_REMOVE) != 0;
    if (install == remove)
        return false;
    if (marks.t0 && marks.t1)
        return false;
    if (marks.t1)
        EngineSettings.TestBusy = 1;
    else if (!marks.t0)
        EngineSettings.TestBusy = 0;
    if (int(marks.p0) + int(marks.p1) + int(marks.p2) > 1)
        return false;
    if (marks.p1) {
        EngineSettings.SupportParallel = 1;
        EngineSettings.SupportUsb = 0;
    } else if (marks.p2) {
        EngineSettings.SupportParallel = 0;
        EngineSettings.SupportUsb = 1;
    } else if (!marks.p0) {
        EngineSettings.SupportParallel = 1;
        EngineSettings.SupportUsb = 1;
    }
    return true;
}

}  // namespace

int ParseCommandLine(const char* commandLine, DWORD* flagsOut)
{
    const size_t length = strlen(commandLine);
    DWORD flags = OPT_REINSTALL | OPT_INTERACTIVE;
    ScanMarks marks;

    // A slash in the last position has no letter and is not looked at.
    for (size_t i = 0; i + 1 < length; ++i) {
        if (commandLine[i] != '/')
            continue;
        marks.slashSeen = true;
        const OptionResult result = ApplyOption(FoldToUpper(commandLine[i + 1]), commandLine + i + 2, flags, marks);
        if (result == OPTION_REJECT)
            return ShowUsage(false);
        if (result == OPTION_HELP) {
            *flagsOut = flags;
            return ShowUsage(true);
        }
    }

    if (!marks.slashSeen)
        return PARSE_ACCEPTED;
    if (!ValidateAndApply(flags, marks))
        return ShowUsage(false);
    *flagsOut = flags;
    return PARSE_ACCEPTED;
}
