// The two artifacts export exactly the module's entry points: thicken.so its
// seven names and DllMain (read from its dynamic symbol table), thicken.dll
// its seven names (read from its PE export table), and the DLL needs no
// runtime DLL beside the system's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

const std::set<std::string> kEntryPoints = {
    "MQCheckVersion", "MQEnumString", "MQGetPlugInID", "MQGetPlugInName",
    "MQGetPlugInType", "MQInit", "MQModifySelect",
};

bool Exists(const char* path) { return std::ifstream(path).good(); }

// The names `nm -D --defined-only` lists for `path`.
std::set<std::string> DefinedDynamicSymbols(const std::string& nm, const std::string& path) {
    std::set<std::string> names;
    const std::string command = "'" + nm + "' -D --defined-only '" + path + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return names;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string text(line);
        text.erase(text.find_last_not_of("\r\n") + 1);
        const size_t space = text.find_last_of(' ');
        names.insert(space == std::string::npos ? text : text.substr(space + 1));
    }
    EXPECT_EQ(pclose(pipe), 0) << command;
    return names;
}

// A PE32 image read from a file, just far enough for its exports and imports.
class PeImage {
public:
    explicit PeImage(const char* path) {
        std::ifstream file(path, std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        if (U16(0) != 0x5A4D) return;  // "MZ"
        const uint32_t pe = U32(0x3C);
        if (U32(pe) != 0x00004550) return;  // "PE\0\0"
        machine_ = U16(pe + 4);
        const uint16_t sections = U16(pe + 6);
        const uint16_t optionalSize = U16(pe + 20);
        const uint32_t optional = pe + 24;
        magic_ = U16(optional);
        if (magic_ != 0x10B) return;  // PE32
        entryPoint_ = U32(optional + 16);
        exportRva_ = U32(optional + 96);
        importRva_ = U32(optional + 104);
        for (uint32_t s = optional + optionalSize, i = 0; i < sections; ++i, s += 40)
            sections_.push_back({U32(s + 12), std::max(U32(s + 8), U32(s + 16)), U32(s + 20)});
        valid_ = true;
    }

    bool valid() const { return valid_; }
    uint16_t machine() const { return machine_; }
    uint32_t entryPoint() const { return entryPoint_; }

    std::set<std::string> ExportedNames() const {
        std::set<std::string> names;
        if (!exportRva_) return names;
        const uint32_t count = U32(Offset(exportRva_ + 24));
        const uint32_t table = Offset(U32(Offset(exportRva_ + 32)));
        for (uint32_t i = 0; i < count; ++i) names.insert(String(U32(table + 4 * i)));
        return names;
    }

    std::vector<std::string> ImportedLibraries() const {
        std::vector<std::string> names;
        if (!importRva_) return names;
        for (uint32_t d = Offset(importRva_);; d += 20) {
            const uint32_t name = U32(d + 12);
            if (!name) break;
            names.push_back(String(name));
        }
        return names;
    }

private:
    struct Section {
        uint32_t rva, size, file;
    };

    uint16_t U16(size_t at) const {
        if (at + 2 > bytes_.size()) return 0;
        return uint16_t(uint8_t(bytes_[at]) | uint8_t(bytes_[at + 1]) << 8);
    }
    uint32_t U32(size_t at) const { return U16(at) | uint32_t(U16(at + 2)) << 16; }
    uint32_t Offset(uint32_t rva) const {
        for (const Section& s : sections_)
            if (rva >= s.rva && rva < s.rva + s.size) return rva - s.rva + s.file;
        return uint32_t(bytes_.size());
    }
    std::string String(uint32_t rva) const {
        std::string text;
        for (uint32_t at = Offset(rva); at < bytes_.size() && bytes_[at]; ++at) text += bytes_[at];
        return text;
    }

    std::vector<char> bytes_;
    std::vector<Section> sections_;
    bool valid_ = false;
    uint16_t machine_ = 0, magic_ = 0;
    uint32_t entryPoint_ = 0, exportRva_ = 0, importRva_ = 0;
};

TEST(Exports, NativeModuleExportsTheEntryPointsAndDllMainOnly) {
    ASSERT_TRUE(Exists(THICKEN_NATIVE_MODULE)) << THICKEN_NATIVE_MODULE;
    std::set<std::string> expected = kEntryPoints;
    expected.insert("DllMain");
    EXPECT_EQ(DefinedDynamicSymbols(THICKEN_NM, THICKEN_NATIVE_MODULE), expected);
}

// The module and the tool as users run them: no build-machine folder in
// their bytes and no call of the assertion handler. The sanitizer build is
// none of that on purpose: it keeps its assertions on, and the sanitizers
// name the source files.
TEST(Exports, NativeModuleAndToolAreReleaseBuilds) {
#ifdef THICKEN_SANITIZED_BUILD
    GTEST_SKIP() << "a sanitizer build";
#endif
    for (const char* path : {THICKEN_NATIVE_MODULE, THICKEN_NATIVE_TOOL}) {
        SCOPED_TRACE(path);
        std::ifstream file(path, std::ios::binary);
        ASSERT_TRUE(file.good());
        const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_EQ(bytes.find(THICKEN_SOURCE_DIR), std::string::npos) << "holds " << THICKEN_SOURCE_DIR;
        EXPECT_EQ(bytes.find("__assert_fail"), std::string::npos) << "calls the assertion handler";
    }
}

TEST(Exports, WindowsModuleExportsTheEntryPointsOnly) {
    if (!Exists(THICKEN_WIN32_MODULE))
        GTEST_SKIP() << "no Windows build at " << THICKEN_WIN32_MODULE
                     << " (build the win32 preset first)";
    PeImage dll(THICKEN_WIN32_MODULE);
    ASSERT_TRUE(dll.valid()) << "not a PE32 image";
    EXPECT_EQ(dll.machine(), 0x14C) << "i386";
    EXPECT_NE(dll.entryPoint(), 0u) << "DllMain is reached through the entry point";
    EXPECT_EQ(dll.ExportedNames(), kEntryPoints);

    for (std::string library : dll.ImportedLibraries()) {
        std::transform(library.begin(), library.end(), library.begin(), ::tolower);
        const bool system = library == "kernel32.dll" || library == "user32.dll" ||
                            library == "msvcrt.dll" || library.rfind("api-ms-win-", 0) == 0;
        EXPECT_TRUE(system) << library << " is not a system library";
    }
}

}  // namespace
