// Whole-file reading and crash-safe writing.
#pragma once

#include <functional>
#include <string>

#include "formats/text_sink.h"

// Reads the whole file at `path` into `data`. On failure returns false and
// sets `error` to one message naming the file and the reason.
bool ReadWholeFile(const std::string& path, std::string& data, std::string& error);

// Whether `path` names something that exists and is not a regular file or a
// folder, after links: a device such as /dev/null, a FIFO, a socket. Such an
// output has no extension to tell its format by.
bool IsSpecialFile(const std::string& path);

// Writes `data` to `path` through a temporary file in the same folder that is
// renamed into place only once it is completely written, so that a failure
// leaves any earlier file at `path` untouched and no partial file behind.
// What is not a regular file (a device, a FIFO) and a link are written in
// place instead: the node stays, and a link's file is written through it.
// On failure returns false and sets `error` as above.
bool WriteFileAtomically(const std::string& path, const std::string& data, std::string& error);

// The same for text that `write` produces into the sink it is given, which
// goes to the file piece by piece as it is written. An exception from
// `write` (running out of memory) removes the temporary file and passes on.
bool WriteFileAtomically(const std::string& path, const std::function<void(TextSink&)>& write,
                         std::string& error);
