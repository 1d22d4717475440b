// The modeller's archived documents (.mqoz): a zip archive that holds the
// .mqo document and, beside it, members such as a thumbnail or an .mqx file.
#pragma once

#include <cstdint>
#include <string>

// Documents beyond this size are refused rather than inflated into memory.
constexpr uint64_t kMaxMqozDocumentBytes = uint64_t(1) << 31;

// Whether this build reads and writes archives.
bool MqozArchivesSupported();

// Finds the one .mqo member of the archive `bytes` (the file at `path`) and
// reads it into `document`, its name, as stored, into `member`. Every member
// is read through, so that a damaged one is found now rather than copied;
// an archive whose records cannot be copied as they are (zip64, several
// disks, encryption, bytes outside the records) is refused, as are two
// members of one name (the message names them) and a document that
// inflates to more than `maxDocumentBytes`. On failure returns false and
// sets `error` to one message naming `path`.
bool ReadMqozArchive(const std::string& bytes, const std::string& path, std::string& document,
                     std::string& member, std::string& error,
                     uint64_t maxDocumentBytes = kMaxMqozDocumentBytes);

// The archive `archive` (as ReadMqozArchive read it) with `document` as the
// data of its member `member`: every other member's records are copied byte
// for byte, and the document's member keeps its name, flags, compression
// method, time, extra fields and comment. An empty `archive` gives one that
// holds the document alone, deflated, under the name `member`, with a fixed
// time stamp. On failure returns false and sets `error` to one message
// naming `path`, the archive being written.
bool WriteMqozArchive(const std::string& archive, const std::string& member,
                      const std::string& document, const std::string& path, std::string& out,
                      std::string& error);
