#pragma once

// Ends the process at once with exit code 0, without running the close or unload
// handlers of windows that are still loaded (the program's "End").
[[noreturn]] void EndProcessAtOnce();
