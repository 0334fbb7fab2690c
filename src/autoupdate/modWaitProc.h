#pragma once
#include <cstdint>
#include <string>

// modWaitProc: starts a program or opens a document or folder, and waits until the
// started process has ended.

// Opens `file`: an executable file is run with the parameters (split like a command line)
// in the working folder; any other existing file or folder is handed to xdg-open. Blocks
// until that process ends; its exit code is not looked at. Nothing is reported: a file
// that does not exist or cannot be started returns at once.
//
// The owner window and the two window hints have no Linux counterpart for a child
// process: the owner is ignored, and the hints reach the child as its show command in
// NUTV_SHOW_COMMAND (0 hidden, 7 minimized without focus, 5 normal; hidden wins), which a
// child that shows a window may honour.
void ShellAndWait(const std::string& file, std::int32_t ownerWindow, const std::string& parameters,
                  const std::string& workingFolder, bool hidden, bool minimized);

// The show command for the two hints: 0 when hidden, else 7 when minimized, else 5.
int ShowCommand(bool hidden, bool minimized);

// The environment entry that carries a show command to a child.
std::string ShowCommandEntry(int showCommand);
