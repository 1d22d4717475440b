// Run counts: the module tells a host program how many elements a stage of
// its command treated in a way worth reporting (vertices whose even offset
// was capped at a fold, say), so that the program can say so to its user.
// Like the stage marks, nothing happens unless the host installs a hook, and
// the Windows module, which shares nothing with its host but the host's own
// functions, reports nothing.
#pragma once

// Called with the name of what was counted (a constant) and the count of
// the run that just did it.
typedef void (*CountHook)(const char* what, long long count);

#if defined(_WIN32)

inline void SetCountHook(CountHook) {}
inline void ReportCount(const char*, long long) {}
// Whether counts reach a hook on this platform.
inline bool RunCountsAvailable() { return false; }

#else

// Installs `hook` (null: none) for every later count, in this program and in
// the modules it loaded.
extern "C" void SetCountHook(CountHook hook);
// Tells the hook, if one is installed, the count of `what`.
extern "C" void ReportCount(const char* what, long long count);
inline bool RunCountsAvailable() { return true; }

#endif
