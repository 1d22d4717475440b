// thicken_dump MODULE OUTPUT: loads the module the way the host does (by
// file name, then MQInit with this program's own file name), thickens the
// comparison documents through MQModifySelect and writes their canonical
// dump to OUTPUT. Built natively and for Windows from this same source.
#include <cstdio>
#include <string>

#include "platform/win32.h"
#include "plugin/exports.h"
#include "tests/wine/comparison_documents.h"

namespace {

template <class Function>
Function Entry(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: thicken_dump MODULE OUTPUT\n");
        return 2;
    }
    HMODULE module = LoadLibraryA(argv[1]);
    if (!module) {
        std::fprintf(stderr, "thicken_dump: cannot load %s\n", argv[1]);
        return 1;
    }
    auto init = Entry<MQInit_Export>(module, "MQInit");
    auto modifySelect = Entry<MQModifySelect_Export>(module, "MQModifySelect");
    char self[4096];
    if (!init || !modifySelect || GetModuleFileNameA(nullptr, self, sizeof self) == 0 || !init(self)) {
        std::fprintf(stderr, "thicken_dump: %s does not bind to this host\n", argv[1]);
        return 1;
    }
    const std::string dump = ThickenComparisonDocuments(modifySelect);
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out) {
        std::fprintf(stderr, "thicken_dump: cannot write %s\n", argv[2]);
        return 1;
    }
    const bool written = std::fwrite(dump.data(), 1, dump.size(), out) == dump.size();
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "thicken_dump: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
