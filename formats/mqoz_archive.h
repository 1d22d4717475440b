// The modeller's archived documents (.mqoz): a zip archive that holds the
// .mqo document and, beside it, members such as a thumbnail or an .mqx file.
#pragma once

#include <string>

// Whether this build reads and writes archives.
bool MqozArchivesSupported();

// Finds the one .mqo member of the archive `bytes` (the file at `path`) and
// reads it into `document`, its name into `member`. Every member is read
// through, so that a damaged one is found now rather than copied. On
// failure returns false and sets `error` to one message naming `path`.
bool ReadMqozArchive(const std::string& bytes, const std::string& path, std::string& document,
                     std::string& member, std::string& error);

// The archive `archive` with `document` as its member `member`, every other
// member copied unchanged (not recompressed); an empty `archive` gives one
// that holds the document alone. On failure returns false and sets `error`
// to one message naming `path`, the archive being written.
bool WriteMqozArchive(const std::string& archive, const std::string& member,
                      const std::string& document, const std::string& path, std::string& out,
                      std::string& error);
