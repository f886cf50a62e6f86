// The command-line parser of the engine.
//
// ParseCommandLine(commandLine, flagsOut) scans the text for slashes (no tokenising: "/i/s" works, and so
// does a slash inside a program path), builds the option flags from OPT_REINSTALL | OPT_INTERACTIVE and
// applies /T, /P and /D to EngineSettings, whose values persist between scans.
// Result: 0 rejected (usage box shown, flagsOut untouched); 1 accepted (flagsOut written, or untouched
// when the text holds no slash); 2 help requested (flagsOut written, usage box shown).
#ifndef TAVREL_ENGINE_COMMAND_LINE_H
#define TAVREL_ENGINE_COMMAND_LINE_H

#include <windows.h>

enum { PARSE_REJECTED = 0, PARSE_ACCEPTED = 1, PARSE_HELP = 2 };

int ParseCommandLine(const char* commandLine, DWORD* flagsOut);

#endif
