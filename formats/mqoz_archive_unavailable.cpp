// Builds without a zip library (a native build without libzip-dev):
// archives are refused with a message that says so.
#include "formats/mqoz_archive.h"

namespace {

bool Refuse(const std::string& path, std::string& error) {
    error = path + ": this build of mqthicken reads and writes no .mqoz archives; unpack the "
                   ".mqo document from it, or use a build with libzip";
    return false;
}

}  // namespace

bool MqozArchivesSupported() { return false; }

bool ReadMqozArchive(const std::string&, const std::string& path, std::string&, std::string&,
                     std::string& error, uint64_t) {
    return Refuse(path, error);
}

bool WriteMqozArchive(const std::string&, const std::string&, const std::string&,
                      const std::string& path, std::string&, std::string& error) {
    return Refuse(path, error);
}
