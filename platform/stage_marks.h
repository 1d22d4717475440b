// Stage marks: the module names each stage of its command as the stage
// begins, so that a host program can time the stages. Nothing is measured
// unless the host installs a hook; without one a mark costs one test and
// changes nothing. The native module and its host share the hook through
// this platform library. The Windows module has no place it shares with its
// host but the host's own functions, so there the marks compile to nothing
// and a host sees the command as one stage.
#pragma once

// Called with the name of the stage that begins; the name is a constant.
typedef void (*StageHook)(const char* stage);

#if defined(_WIN32)

inline void SetStageHook(StageHook) {}
inline void MarkStage(const char*) {}
// Whether marks reach a hook on this platform.
inline bool StageMarksAvailable() { return false; }

#else

// Installs `hook` (null: none) for every later mark, in this program and in
// the modules it loaded.
extern "C" void SetStageHook(StageHook hook);
// Tells the hook, if one is installed, that `stage` begins.
extern "C" void MarkStage(const char* stage);
inline bool StageMarksAvailable() { return true; }

#endif
