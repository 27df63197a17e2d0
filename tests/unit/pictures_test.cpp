/*
 * The embedded-picture readers on files built in memory: ID3v2 tags of the
 * three versions with their flags, FLAC metadata blocks, and the damaged
 * and oversized forms, each case with the exact picture bytes expected
 * (none for an empty expectation).
 */
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include <windows.h>

#include "watch/pictures.h"

namespace
{

/* Picture bytes with 0xFF 0x00 and 0xFF 0xE0 in them, which unsynchronisation changes. */
const std::string Jpeg("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\xFF\x00\xFF\xD9", 15);
const std::string Png("\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIHDR", 16);

std::string BigEndian(unsigned long long value, int count)
{
    std::string bytes;
    for (int shift = (count - 1) * 8; shift >= 0; shift -= 8)
        bytes += (char)(value >> shift & 0xFF);
    return bytes;
}

std::string Synchsafe(unsigned value)
{
    return std::string{(char)(value >> 21 & 0x7F), (char)(value >> 14 & 0x7F), (char)(value >> 7 & 0x7F),
                       (char)(value & 0x7F)};
}

/* A 0x00 after each 0xFF that is followed by 0x00, by 0xE0 or more, or by nothing. */
std::string Unsynchronise(const std::string &bytes)
{
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        if ((unsigned char)bytes[i] == 0xFF &&
            (i + 1 == bytes.size() || (unsigned char)bytes[i + 1] >= 0xE0 || bytes[i + 1] == 0))
            out += '\0';
    }
    return out;
}

std::string Tag(int version, int flags, const std::string &body)
{
    return std::string("ID3") + (char)version + '\0' + (char)flags + Synchsafe((unsigned)body.size()) + body;
}

std::string Frame22(const char *id, const std::string &body) { return id + BigEndian(body.size(), 3) + body; }

std::string Frame23(const char *id, const std::string &body, int flags = 0)
{
    return id + BigEndian(body.size(), 4) + '\0' + (char)flags + body;
}

std::string Frame24(const char *id, const std::string &body, int flags = 0)
{
    return id + Synchsafe((unsigned)body.size()) + '\0' + (char)flags + body;
}

/* An APIC frame's body; the description's terminator follows the encoding. */
std::string Apic(int encoding, int type, const std::string &description, const std::string &data)
{
    std::string terminator(encoding == 1 || encoding == 2 ? 2 : 1, '\0');
    return (char)encoding + std::string("image/jpeg") + '\0' + (char)type + description + terminator + data;
}

std::string Pic22(int type, const std::string &data) { return std::string("\0JPG", 4) + (char)type + '\0' + data; }

std::string FlacPicture(unsigned type, const std::string &data)
{
    return BigEndian(type, 4) + BigEndian(9, 4) + "image/png" + BigEndian(5, 4) + "cover" + BigEndian(300, 4) +
           BigEndian(300, 4) + BigEndian(24, 4) + BigEndian(0, 4) + BigEndian(data.size(), 4) + data;
}

std::string Block(int type, const std::string &body, bool last = false)
{
    return (char)(type | (last ? 0x80 : 0)) + BigEndian(body.size(), 3) + body;
}

const std::string StreamInfo = Block(0, std::string(34, '\0'));

/* A file in memory; a read outside it is noted and refused. */
struct Memory {
    std::string Bytes;
    bool ReadOutside;
};

bool ReadMemory(void *context, unsigned long long offset, void *buffer, size_t size)
{
    Memory *memory = static_cast<Memory *>(context);
    if (offset > memory->Bytes.size() || size > memory->Bytes.size() - offset) {
        memory->ReadOutside = true;
        return false;
    }
    memcpy(buffer, memory->Bytes.data() + offset, size);
    return true;
}

/* The picture found in the bytes, "" for none; no read may go outside them. */
std::string PictureOf(const std::string &bytes)
{
    Memory memory = {bytes, false};
    ByteSource source = {&memory, bytes.size(), ReadMemory};
    FoundPicture found;
    bool result = FindTrackPicture(&source, &found);
    EXPECT_FALSE(memory.ReadOutside);
    EXPECT_EQ(result, found.Data != NULL);
    EXPECT_EQ(result, found.Size > 0);
    std::string picture = result ? std::string((const char *)found.Data, found.Size) : std::string();
    FreePicture(&found);
    return picture;
}

struct Case {
    const char *Name;
    std::string File;
    std::string Picture;
};

void CheckCases(const Case *cases, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        EXPECT_EQ(cases[i].Picture, PictureOf(cases[i].File)) << cases[i].Name;
}

TEST(TrackPictures, Id3v2Frames)
{
    const std::string utf16Description("\xFF\xFE\x61\x00\x00\x41", 6); /* "00 00" at an odd position */
    const Case cases[] = {
        {"2.2 PIC", Tag(2, 0, Frame22("TT2", std::string("\0Song", 5)) + Frame22("PIC", Pic22(3, Jpeg))), Jpeg},
        {"2.3 APIC", Tag(3, 0, Frame23("TIT2", std::string("\0Song", 5)) + Frame23("APIC", Apic(0, 3, "d", Jpeg))),
         Jpeg},
        {"2.4 APIC", Tag(4, 0, Frame24("APIC", Apic(3, 3, "d", Png)) + std::string(20, '\0')), Png},
        {"2.4 frame unsynchronised with data length",
         Tag(4, 0,
             Frame24("APIC", Synchsafe((unsigned)Apic(0, 3, "", Jpeg).size()) + Unsynchronise(Apic(0, 3, "", Jpeg)),
                     0x03)),
         Jpeg},
        {"2.4 grouped frame", Tag(4, 0, Frame24("APIC", "\x07" + Apic(0, 3, "", Png), 0x40)), Png},
        {"2.3 tag unsynchronised", Tag(3, 0x80, Unsynchronise(Frame23("APIC", Apic(0, 3, "", Jpeg)))), Jpeg},
        {"2.2 tag unsynchronised", Tag(2, 0x80, Unsynchronise(Frame22("PIC", Pic22(3, Jpeg)))), Jpeg},
        {"2.3 extended header",
         Tag(3, 0x40, BigEndian(6, 4) + std::string(6, '\0') + Frame23("APIC", Apic(0, 3, "", Jpeg))), Jpeg},
        {"2.4 extended header",
         Tag(4, 0x40, Synchsafe(6) + std::string("\x01\x00", 2) + Frame24("APIC", Apic(0, 3, "", Png))), Png},
        {"extended header past the tag", Tag(3, 0x40, BigEndian(0xFFFFFFFF, 4) + Frame23("APIC", Apic(0, 3, "", Jpeg))),
         ""},
        {"front cover after another picture",
         Tag(3, 0, Frame23("APIC", Apic(0, 0, "", Png)) + Frame23("APIC", Apic(0, 3, "", Jpeg))), Jpeg},
        {"no front cover: the first",
         Tag(3, 0, Frame23("APIC", Apic(0, 4, "", Png)) + Frame23("APIC", Apic(0, 5, "", Jpeg))), Png},
        {"UTF-16 description", Tag(3, 0, Frame23("APIC", Apic(1, 3, utf16Description, Jpeg))), Jpeg},
        {"UTF-16BE description", Tag(4, 0, Frame24("APIC", Apic(2, 3, std::string("\x00\x61\x41\x00", 4), Png))), Png},
        {"2.3 compressed and encrypted skipped",
         Tag(3, 0,
             Frame23("APIC", Apic(0, 3, "", Png), 0x80) + Frame23("APIC", Apic(0, 3, "", Png), 0x40) +
                 Frame23("APIC", Apic(0, 3, "", Jpeg))),
         Jpeg},
        {"2.4 compressed and encrypted skipped",
         Tag(4, 0,
             Frame24("APIC", Apic(0, 3, "", Jpeg), 0x08) + Frame24("APIC", Apic(0, 3, "", Jpeg), 0x04) +
                 Frame24("APIC", Apic(0, 3, "", Png))),
         Png},
        {"empty front cover counts as none",
         Tag(3, 0, Frame23("APIC", Apic(0, 3, "", "")) + Frame23("APIC", Apic(0, 8, "", Png))), Png},
        {"description without terminator", Tag(3, 0, Frame23("APIC", std::string("\0image/png\0\x03xyz", 15))), ""},
        {"frame past the tag's end", Tag(3, 0, Frame23("APIC", Apic(0, 3, "", Jpeg)).substr(0, 20)), ""},
        {"frame size 4 GiB",
         Tag(3, 0, Frame23("APIC", Apic(0, 0, "", Png)) + "APIC" + BigEndian(0xFFFFFFFF, 4) + "\0\0" + Jpeg), Png},
        {"2.4 frame size not synchsafe", Tag(4, 0, "APIC" + BigEndian(0x80, 4) + "\0\0" + Apic(0, 3, "", Png)), ""},
        {"frame after the padding", Tag(3, 0, std::string(10, '\0') + Frame23("APIC", Apic(0, 3, "", Png))), ""},
        {"tag size not synchsafe",
         std::string("ID3\x03\x00\x00\x00\x00\x80\x7F", 10) + Frame23("APIC", Apic(0, 3, "", Png)), ""},
        {"version 2.5", Tag(5, 0, Frame23("APIC", Apic(0, 3, "", Png))), ""},
    };
    CheckCases(cases, sizeof cases / sizeof cases[0]);
}

/* A tag that declares 256 MiB in a file of 1 KiB: its whole frames count, the rest is absent. */
TEST(TrackPictures, Id3v2DeclaredLargerThanTheFile)
{
    const std::string header("ID3\x03\x00\x00\x7F\x7F\x7F\x7F", 10);
    const std::string whole = Frame23("APIC", Apic(0, 3, "", Jpeg));
    const Case cases[] = {
        {"whole frame", header + whole + std::string(1024 - 10 - whole.size(), '\0'), Jpeg},
        {"frame running past the file", header + "APIC" + BigEndian(200000000, 4) + "\0\0" + Apic(0, 3, "", Png), ""},
        {"header only", header, ""},
    };
    CheckCases(cases, sizeof cases / sizeof cases[0]);
}

TEST(TrackPictures, FlacBlocks)
{
    std::string damagedMime = BigEndian(3, 4) + BigEndian(0xFFFFFFFF, 4) + Png;
    std::string damagedDescription = BigEndian(3, 4) + BigEndian(0, 4) + BigEndian(0xFFFFFFF0, 4) + Png;
    std::string damagedData = FlacPicture(3, Png);
    damagedData.replace(damagedData.size() - Png.size() - 4, 4, BigEndian(Png.size() + 1, 4));
    std::string overflowData = FlacPicture(3, Png);
    overflowData.replace(overflowData.size() - Png.size() - 4, 4, BigEndian(0xFFFFFFFF, 4));
    const Case cases[] = {
        {"front cover", "fLaC" + StreamInfo + Block(6, FlacPicture(3, Png), true), Png},
        {"front cover after another picture",
         "fLaC" + StreamInfo + Block(6, FlacPicture(0, Jpeg)) + Block(6, FlacPicture(3, Png), true), Png},
        {"no front cover: the first", "fLaC" + Block(6, FlacPicture(1, Jpeg)) + Block(6, FlacPicture(2, Png), true),
         Jpeg},
        {"picture after the last block", "fLaC" + Block(0, std::string(34, '\0'), true) + Block(6, FlacPicture(3, Png)),
         ""},
        {"after an ID3v2 tag without picture",
         Tag(3, 0, Frame23("TIT2", std::string("\0x", 2))) + "fLaC" + StreamInfo + Block(6, FlacPicture(3, Png), true),
         Png},
        {"after an ID3v2.4 tag with footer",
         Tag(4, 0x10, Frame24("TIT2", std::string("\0x", 2))) + std::string("3DI\x04\x00\x10", 6) + Synchsafe(12) +
             "fLaC" + Block(6, FlacPicture(3, Jpeg), true),
         Jpeg},
        {"the ID3v2 tag's picture first",
         Tag(3, 0, Frame23("APIC", Apic(0, 0, "", Jpeg))) + "fLaC" + Block(6, FlacPicture(3, Png), true), Jpeg},
        {"no marker", "fLaX" + Block(6, FlacPicture(3, Png), true), ""},
        {"MIME length past the block", "fLaC" + Block(6, damagedMime) + Block(6, FlacPicture(0, Jpeg), true), Jpeg},
        {"description length past the block", "fLaC" + Block(6, damagedDescription, true), ""},
        {"data length past the block", "fLaC" + Block(6, damagedData) + Block(6, FlacPicture(0, Jpeg), true), Jpeg},
        {"data length 4 GiB", "fLaC" + Block(6, overflowData) + Block(6, FlacPicture(2, Jpeg), true), Jpeg},
        {"block too short for its fields", "fLaC" + Block(6, FlacPicture(3, Png).substr(0, 30), true), ""},
        {"block past the file", "fLaC" + StreamInfo + std::string("\x86\xFF\xFF\xFF", 4) + FlacPicture(3, Png), ""},
        {"empty picture", "fLaC" + Block(6, FlacPicture(3, ""), true), ""},
    };
    CheckCases(cases, sizeof cases / sizeof cases[0]);
}

/* A picture of exactly PICTURE_SIZE_LIMIT bytes is read; one byte more counts as none. */
TEST(TrackPictures, SizeLimit)
{
    const size_t sizes[] = {PICTURE_SIZE_LIMIT, PICTURE_SIZE_LIMIT + 1};
    for (size_t size : sizes) {
        std::string data(size, '\x5A');
        data[0] = '\x01';
        data[size - 1] = '\x02';
        std::string picture = PictureOf(Tag(3, 0, Frame23("APIC", Apic(0, 3, "", data))));
        EXPECT_EQ(size <= PICTURE_SIZE_LIMIT ? data : std::string(), picture) << size;
    }
}

TEST(TrackPictures, ReadsAFileOpenForWriting)
{
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
    ASSERT_GT(length, 0u);
    wcscpy(wcsrchr(path, L'\\') + 1, L"picture-test.flac");
    const std::string bytes = "fLaC" + StreamInfo + Block(6, FlacPicture(3, Png), true);
    HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    ASSERT_EQ(bytes.size(), written);

    FoundPicture found;
    ASSERT_TRUE(ReadTrackPictureFile(path, &found));
    EXPECT_EQ(Png, std::string((const char *)found.Data, found.Size));
    FreePicture(&found);
    CloseHandle(file);
    DeleteFileW(path);
    EXPECT_FALSE(ReadTrackPictureFile(path, &found));
    EXPECT_TRUE(found.Data == NULL && found.Size == 0);
}

} // namespace
