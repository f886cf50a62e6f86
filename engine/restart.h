// Asking Windows to restart; on the NT family after enabling the shutdown privilege. Nothing is reported:
// a refused privilege or restart leaves the caller to carry on as after the request.
#ifndef TAVREL_ENGINE_RESTART_H
#define TAVREL_ENGINE_RESTART_H

void RestartWindows();

#endif
