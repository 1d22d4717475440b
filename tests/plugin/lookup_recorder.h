// Records the names the program looks up with GetProcAddress. The test
// program defines GetProcAddress itself, ahead of the platform's, records the
// name and forwards the call to the platform's.
#pragma once

#include <string>
#include <vector>

// The names looked up since the last ClearRecordedLookups, oldest first.
const std::vector<std::string>& RecordedLookups();
void ClearRecordedLookups();
