/*
 * The shipped 32-bit DLL, read as a file: a PE32 DLL for i386 that exports
 * only the player's entry and imports only from Windows' own libraries,
 * with the common controls' initialisation imported from comctl32 by its
 * ordinal 17, and whose version resource carries the project's version
 * (KESTRUNE_VERSION, from CMake).  The path comes from the build
 * (KESTRUNE_DLL32); without it the tests are skipped.
 */
#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/rig/rig.h"

namespace
{

struct Import {
    std::string Library;
    std::string Name; /* empty when imported by ordinal */
    unsigned Ordinal;
};

/* A PE image read from disk: headers, sections and the address translation. */
class PeFile
{
  public:
    explicit PeFile(const std::string &bytes) : bytes_(bytes) {}

    bool Parse()
    {
        if (bytes_.size() < sizeof(IMAGE_DOS_HEADER))
            return false;
        const IMAGE_DOS_HEADER *dos = At<IMAGE_DOS_HEADER>(0);
        if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE)
            return false;
        nt_ = At<IMAGE_NT_HEADERS32>(dos->e_lfanew);
        if (!nt_ || nt_->Signature != IMAGE_NT_SIGNATURE)
            return false;
        size_t first =
            dos->e_lfanew + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) + nt_->FileHeader.SizeOfOptionalHeader;
        for (unsigned i = 0; i < nt_->FileHeader.NumberOfSections; i++) {
            const IMAGE_SECTION_HEADER *section = At<IMAGE_SECTION_HEADER>(first + i * sizeof(IMAGE_SECTION_HEADER));
            if (!section)
                return false;
            sections_.push_back(*section);
        }
        return true;
    }

    const IMAGE_NT_HEADERS32 *Headers() const { return nt_; }

    template <class T> const T *At(size_t offset) const
    {
        return offset + sizeof(T) <= bytes_.size() ? (const T *)(bytes_.data() + offset) : nullptr;
    }

    /* File offset of a relative virtual address, or 0 when no section holds it. */
    size_t Offset(DWORD rva) const
    {
        for (const IMAGE_SECTION_HEADER &s : sections_)
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + std::max(s.Misc.VirtualSize, s.SizeOfRawData))
                return rva - s.VirtualAddress + s.PointerToRawData;
        return 0;
    }

    std::string String(DWORD rva) const
    {
        size_t offset = Offset(rva);
        if (!offset || offset >= bytes_.size())
            return std::string();
        return std::string(bytes_.c_str() + offset, strnlen(bytes_.c_str() + offset, bytes_.size() - offset));
    }

    const IMAGE_DATA_DIRECTORY &Directory(int index) const { return nt_->OptionalHeader.DataDirectory[index]; }

    std::vector<std::string> ExportNames() const
    {
        std::vector<std::string> names;
        const IMAGE_DATA_DIRECTORY &directory = Directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
        const IMAGE_EXPORT_DIRECTORY *exports =
            directory.VirtualAddress ? At<IMAGE_EXPORT_DIRECTORY>(Offset(directory.VirtualAddress)) : nullptr;
        if (!exports)
            return names;
        for (DWORD i = 0; i < exports->NumberOfNames; i++) {
            const DWORD *name = At<DWORD>(Offset(exports->AddressOfNames) + i * sizeof(DWORD));
            if (name)
                names.push_back(String(*name));
        }
        return names;
    }

    DWORD ExportedFunctionCount() const
    {
        const IMAGE_DATA_DIRECTORY &directory = Directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
        const IMAGE_EXPORT_DIRECTORY *exports =
            directory.VirtualAddress ? At<IMAGE_EXPORT_DIRECTORY>(Offset(directory.VirtualAddress)) : nullptr;
        return exports ? exports->NumberOfFunctions : 0;
    }

    std::vector<Import> Imports() const
    {
        std::vector<Import> imports;
        const IMAGE_DATA_DIRECTORY &directory = Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
        if (!directory.VirtualAddress)
            return imports;
        for (size_t d = Offset(directory.VirtualAddress);; d += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            const IMAGE_IMPORT_DESCRIPTOR *descriptor = At<IMAGE_IMPORT_DESCRIPTOR>(d);
            if (!descriptor || !descriptor->Name)
                break;
            std::string library = String(descriptor->Name);
            DWORD table = descriptor->OriginalFirstThunk ? descriptor->OriginalFirstThunk : descriptor->FirstThunk;
            for (size_t t = Offset(table);; t += sizeof(DWORD)) {
                const DWORD *thunk = At<DWORD>(t);
                if (!thunk || !*thunk)
                    break;
                if (*thunk & IMAGE_ORDINAL_FLAG32)
                    imports.push_back({library, std::string(), (unsigned)(*thunk & 0xFFFF)});
                else
                    imports.push_back({library, String(*thunk + 2), 0});
            }
        }
        return imports;
    }

  private:
    std::string bytes_;
    const IMAGE_NT_HEADERS32 *nt_ = nullptr;
    std::vector<IMAGE_SECTION_HEADER> sections_;
};

std::string Lower(std::string text)
{
    for (char &c : text)
        c = (char)tolower((unsigned char)c);
    return text;
}

class ShippedDll : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        path_ = rig::BuildPath(KESTRUNE_DLL32);
        if (path_.empty())
            GTEST_SKIP() << "KESTRUNE_DLL32 was not given to the build";
        bytes_ = rig::ReadFile(path_);
        ASSERT_FALSE(bytes_.empty()) << "cannot read " << path_;
        pe_.reset(new PeFile(bytes_));
        ASSERT_TRUE(pe_->Parse()) << path_ << " is no PE file";
    }
    std::string path_;
    std::string bytes_;
    std::unique_ptr<PeFile> pe_;
};

TEST_F(ShippedDll, IsA32BitDll)
{
    const IMAGE_NT_HEADERS32 *nt = pe_->Headers();
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    EXPECT_TRUE(nt->FileHeader.Characteristics & IMAGE_FILE_DLL);
    RecordProperty("size_bytes", (int)bytes_.size());
    printf("32-bit gen_Kestrune.dll: %u bytes, PE32 i386 DLL\n", (unsigned)bytes_.size());
    EXPECT_LE(bytes_.size(), 96u * 1024) << "the DLL's budget is 96 KiB";
}

TEST_F(ShippedDll, ExportsOnlyThePlayersEntryUndecorated)
{
    EXPECT_EQ(pe_->ExportNames(), std::vector<std::string>{"winampGetGeneralPurposePlugin"});
    EXPECT_EQ(pe_->ExportedFunctionCount(), 1u);
}

TEST_F(ShippedDll, ImportsOnlyFromWindowsSystemLibraries)
{
    const std::vector<std::string> allowed = {"kernel32.dll", "user32.dll",   "gdi32.dll",
                                              "comdlg32.dll", "comctl32.dll", "shell32.dll",
                                              "msvcrt.dll",   "advapi32.dll", "ole32.dll"};
    std::vector<Import> imports = pe_->Imports();
    ASSERT_FALSE(imports.empty());
    for (const Import &import : imports)
        EXPECT_NE(std::find(allowed.begin(), allowed.end(), Lower(import.Library)), allowed.end())
            << import.Library << " (" << import.Name << ") is not a Windows system library";
}

TEST_F(ShippedDll, ImportsCommonControlsInitialisationByOrdinal17)
{
    bool byOrdinal = false;
    for (const Import &import : pe_->Imports()) {
        if (Lower(import.Library) != "comctl32.dll")
            continue;
        EXPECT_NE(import.Name, "InitCommonControls") << "imported by name";
        if (import.Name.empty() && import.Ordinal == 17)
            byOrdinal = true;
    }
    EXPECT_TRUE(byOrdinal) << "no comctl32 import by ordinal 17";
}

/* "major.minor.patch.build" of two version words of the fixed file information. */
std::string VersionNumbers(DWORD high, DWORD low)
{
    char text[64];
    snprintf(text, sizeof text, "%u.%u.%u.%u", HIWORD(high), LOWORD(high), HIWORD(low), LOWORD(low));
    return text;
}

TEST_F(ShippedDll, VersionResourceCarriesTheProjectVersion)
{
    DWORD ignored = 0, size = GetFileVersionInfoSizeA(path_.c_str(), &ignored);
    ASSERT_NE(size, 0u) << "no version resource (error " << GetLastError() << ")";
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path_.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", (void **)&fixed, &length));
    EXPECT_EQ(VersionNumbers(fixed->dwFileVersionMS, fixed->dwFileVersionLS), KESTRUNE_VERSION ".0");
    EXPECT_EQ(VersionNumbers(fixed->dwProductVersionMS, fixed->dwProductVersionLS), KESTRUNE_VERSION ".0");
    EXPECT_EQ(fixed->dwFileType, (DWORD)VFT_DLL);

    /* The texts sit under the language and code page that the translation table names. */
    WORD *translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", (void **)&translation, &length));
    ASSERT_GE(length, 4u);
    char block[64];
    snprintf(block, sizeof block, "\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    /* Expected texts; the last three need only be there. */
    std::string name = path_.substr(path_.find_last_of("\\/") + 1);
    const std::pair<const char *, std::string> texts[] = {
        {"FileVersion", KESTRUNE_VERSION},
        {"ProductVersion", KESTRUNE_VERSION},
        {"OriginalFilename", name},
        {"InternalName", name.substr(0, name.rfind('.'))},
        {"FileDescription", ""},
        {"ProductName", ""},
        {"LegalCopyright", ""},
    };
    for (const auto &text : texts) {
        char *value = nullptr;
        bool found = VerQueryValueA(info.data(), (std::string(block) + text.first).c_str(), (void **)&value, &length);
        ASSERT_TRUE(found && length > 1) << text.first << " is missing or empty";
        if (!text.second.empty()) {
            EXPECT_EQ(std::string(value), text.second) << text.first;
        }
    }
}

} // namespace
