/*
 * The clipboard copies of a track change, read back as CF_TEXT from the
 * machine-wide clipboard.  The DLL's own clipboard and memory imports are
 * watched (and, for the failure cases, made to fail) through its import
 * table, so the test sees every block it places or gives back.
 */
#include <string.h>

#include <string>
#include <vector>

#include "tests/rig/fixture.h"

namespace
{

/* ---- the DLL's imports, watched ---- */

struct PlacedBlock {
    HGLOBAL Block;
    SIZE_T Size;
    std::string Text;
    bool Moveable; /* a movable block: its handle is not its address */
};

std::vector<PlacedBlock> Placed;      /* every SetClipboardData(CF_TEXT) of the DLL */
std::vector<HGLOBAL> PlacedAll;       /* every block the DLL handed SetClipboardData, in any format */
std::vector<std::wstring> PlacedWide; /* the texts of every SetClipboardData(CF_UNICODETEXT) */
std::vector<HGLOBAL> Freed;           /* every GlobalFree of the DLL */
bool FailSetClipboardData = false;    /* refuse every block */
bool FailOpenClipboard = false;

HANDLE WINAPI WatchSetClipboardData(UINT format, HANDLE block)
{
    PlacedBlock placed = {block, GlobalSize(block), "", false};
    if (const char *text = (const char *)GlobalLock(block)) {
        placed.Moveable = (HGLOBAL)text != block;
        placed.Text.assign(text, strnlen(text, placed.Size));
        GlobalUnlock(block);
    }
    if (format == CF_TEXT)
        Placed.push_back(placed);
    if (format == CF_UNICODETEXT)
        if (const wchar_t *units = (const wchar_t *)GlobalLock(block)) {
            PlacedWide.push_back(std::wstring(units, wcsnlen(units, GlobalSize(block) / sizeof(wchar_t))));
            GlobalUnlock(block);
        }
    PlacedAll.push_back(block);
    if (FailSetClipboardData)
        return NULL;
    return SetClipboardData(format, block);
}

HGLOBAL WINAPI WatchGlobalFree(HGLOBAL block)
{
    Freed.push_back(block);
    return GlobalFree(block);
}

BOOL WINAPI WatchOpenClipboard(HWND owner)
{
    if (FailOpenClipboard) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return OpenClipboard(owner);
}

/* Replaces the module's import of library!function by replacement. */
bool ReplaceImport(HMODULE module, const char *library, const char *function, void *replacement)
{
    BYTE *image = (BYTE *)module;
    IMAGE_NT_HEADERS *nt = (IMAGE_NT_HEADERS *)(image + ((IMAGE_DOS_HEADER *)image)->e_lfanew);
    IMAGE_DATA_DIRECTORY &directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (IMAGE_IMPORT_DESCRIPTOR *import = (IMAGE_IMPORT_DESCRIPTOR *)(image + directory.VirtualAddress); import->Name;
         ++import) {
        if (lstrcmpiA((const char *)(image + import->Name), library) != 0 || !import->OriginalFirstThunk)
            continue;
        IMAGE_THUNK_DATA *lookup = (IMAGE_THUNK_DATA *)(image + import->OriginalFirstThunk);
        IMAGE_THUNK_DATA *slot = (IMAGE_THUNK_DATA *)(image + import->FirstThunk);
        for (; lookup->u1.AddressOfData; ++lookup, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(lookup->u1.Ordinal))
                continue;
            IMAGE_IMPORT_BY_NAME *name = (IMAGE_IMPORT_BY_NAME *)(image + lookup->u1.AddressOfData);
            if (strcmp((const char *)name->Name, function) != 0)
                continue;
            DWORD protection;
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &protection);
            slot->u1.Function = (ULONG_PTR)replacement;
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, protection, &protection);
            return true;
        }
    }
    return false;
}

class ClipboardTest : public PluginTest
{
  protected:
    void SetUp() override
    {
        PluginTest::SetUp();
        Placed.clear();
        PlacedAll.clear();
        PlacedWide.clear();
        Freed.clear();
        FailSetClipboardData = false;
        FailOpenClipboard = false;
        ASSERT_TRUE(rig::PutClipboardText("before the test"));
    }
    void Start(const std::string &settings)
    {
        /* The Now Playing dialog only where a test asks for it. */
        std::string nowPlaying = settings.find("UseNowPlaying=") == std::string::npos ? "UseNowPlaying=0\r\n" : "";
        WriteSettings("AlwaysConfigureOnLaunch=0\r\n" + nowPlaying + settings);
        ASSERT_EQ(0, StartPlugin());
        HMODULE module = PlayerPluginModule();
        ASSERT_TRUE(ReplaceImport(module, "user32.dll", "SetClipboardData", (void *)WatchSetClipboardData));
        ASSERT_TRUE(ReplaceImport(module, "user32.dll", "OpenClipboard", (void *)WatchOpenClipboard));
        ASSERT_TRUE(ReplaceImport(module, "kernel32.dll", "GlobalFree", (void *)WatchGlobalFree));
    }
    std::vector<std::string> PlacedTexts()
    {
        std::vector<std::string> texts;
        for (const PlacedBlock &placed : Placed)
            texts.push_back(placed.Text);
        return texts;
    }
};

struct CopyCase {
    int FileName, Title;
    std::vector<std::string> Placed; /* in order; the last is what the clipboard holds */
};

void PrintTo(const CopyCase &c, std::ostream *out) { *out << "file name " << c.FileName << ", title " << c.Title; }

class ClipboardSwitches : public ClipboardTest, public ::testing::WithParamInterface<CopyCase>
{
};

/*
 * File name, title, or both with the title last; each block is a movable
 * one, as the clipboard requires, and holds its text and the terminator,
 * nothing more.
 */
TEST_P(ClipboardSwitches, CopiesOnChange)
{
    const CopyCase &c = GetParam();
    Start("AutoClipboardCopyFileName=" + std::to_string(c.FileName) +
          "\r\nAutoClipboardCopyTitle=" + std::to_string(c.Title) + "\r\n");
    Player().Playlist = {{"C:\\Music\\100%s.mp3", "Song %n 100%", false}};
    Player().Position = 0;
    rig::Tick();
    rig::Tick();

    EXPECT_EQ(c.Placed, PlacedTexts());
    for (const PlacedBlock &placed : Placed) {
        EXPECT_EQ(placed.Text.size() + 1, placed.Size);
        EXPECT_TRUE(placed.Moveable);
    }
    EXPECT_EQ(c.Placed.empty() ? "before the test" : c.Placed.back(), rig::ReadClipboardText());
    if (!c.Placed.empty()) {
        EXPECT_EQ(PlayerWindow(), GetClipboardOwner());
    }
    EXPECT_TRUE(Freed.empty());
}

INSTANTIATE_TEST_SUITE_P(Switches, ClipboardSwitches,
                         ::testing::Values(CopyCase{1, 0, {"C:\\Music\\100%s.mp3"}}, CopyCase{0, 1, {"Song %n 100%"}},
                                           CopyCase{1, 1, {"C:\\Music\\100%s.mp3", "Song %n 100%"}},
                                           CopyCase{0, 0, {}}));

/* An empty text (the player gives no title) is placed as one terminator byte. */
TEST_F(ClipboardTest, EmptyTitleIsOneTerminatorByte)
{
    Start("AutoClipboardCopyTitle=1\r\n");
    Player().Playlist = {{"C:\\untitled.mp3", "", true}};
    Player().Position = 0;
    rig::Tick();
    ASSERT_EQ(1u, Placed.size());
    EXPECT_EQ(1u, Placed[0].Size);
    EXPECT_EQ("", Placed[0].Text);
    EXPECT_EQ("", rig::ReadClipboardText());
}

/* Every block the clipboard refuses (each copy's CF_TEXT and CF_UNICODETEXT) is given back. */
TEST_F(ClipboardTest, RefusedBlockIsFreed)
{
    Start("AutoClipboardCopyFileName=1\r\nAutoClipboardCopyTitle=1\r\n");
    FailSetClipboardData = true;
    SetPlaylist({"C:\\a.mp3"});
    rig::Tick();
    ASSERT_EQ(2u, Placed.size());
    ASSERT_EQ(4u, PlacedAll.size()) << "each copy hands over both formats";
    EXPECT_EQ(PlacedAll, Freed);
}

/* A clipboard that cannot be opened takes nothing; both blocks are given back, nothing is said. */
TEST_F(ClipboardTest, ClipboardNotOpenedFreesTheBlock)
{
    Start("AutoClipboardCopyTitle=1\r\n");
    FailOpenClipboard = true;
    SetPlaylist({"C:\\a.mp3"});
    rig::Tick();
    EXPECT_TRUE(Placed.empty());
    EXPECT_EQ(2u, Freed.size());
    EXPECT_EQ("before the test", rig::ReadClipboardText());
    EXPECT_TRUE(rig::Boxes().empty());
}

/*
 * Each copy places both formats in one opening: CF_TEXT with the code
 * page's bytes as ever (the player's own ANSI answer, "?" for what the code
 * page lacks), CF_UNICODETEXT with the text as the player gave it; from an
 * old player, the ANSI text read in the code page.
 */
TEST_F(ClipboardTest, UnicodeCopiesPlaceBothFormats)
{
    struct Case {
        unsigned Version;
        std::wstring File, Title;
    } cases[] = {
        {0x5666, L"C:\\\x041C\x0443\x0437\x044B\x043A\x0430\\\x041F\x0435\x0441\x043D\x044F.mp3",
         L"\x041F\x0435\x0441\x043D\x044F \x2013 \x591C\x660E\x3051"},
        {0x5666, L"C:\\Music\\Plain.mp3", L"Plain 100%s"},
        {0, L"C:\\Music\\Old.mp3", L"Old %n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Version);
        Player().Version = c.Version;
        Start("AutoClipboardCopyTitle=1\r\n");
        PlayerEntry entry;
        if (c.Version) {
            entry.WideFile = c.File;
            entry.WideTitle = c.Title;
        } else {
            entry.File = PlayerAnsi(c.File);
            entry.Title = PlayerAnsi(c.Title);
        }
        Player().Playlist = {entry};
        Player().Position = 0;
        Placed.clear();
        PlacedWide.clear();
        rig::Tick();
        Command(ID_COPY_FILE_NAME);
        EXPECT_EQ(std::vector<std::string>({PlayerAnsi(c.Title), PlayerAnsi(c.File)}), PlacedTexts());
        EXPECT_EQ(std::vector<std::wstring>({c.Title, c.File}), PlacedWide);
        EXPECT_EQ(c.File, rig::ReadClipboardWide());
        EXPECT_EQ(PlayerAnsi(c.File), rig::ReadClipboardText());
        StopPlugin();
    }
}

/*
 * The signature cannot be written for the first two tracks while the player
 * moves on inside the first one's box: each track's copies are placed in
 * order, before its box, and the clipboard ends with the newest.
 */
TEST_F(ClipboardTest, NewestTrackAfterBoxesWhilePlayerMovesOn)
{
    rig::WriteFile(Path("sig.txt"), "");
    Start("AutoClipboardCopyTitle=1\r\nUseSignature=1\r\nSignatureFileName=" + Path("sig.txt") +
          "\r\nRecordSignatureTitle=0\r\nRecordSignatureFileName=1\r\n");
    HANDLE lock = CreateFileA(Path("sig.txt").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    SetPlaylist({"C:\\a.mp3", "C:\\b.mp3", "C:\\c.mp3"}, 0);
    int opened = 0;
    rig::OnBox([&](const rig::Box &) {
        ++opened;
        Player().Position = 1;
        rig::Tick(); /* fails again, without a second box */
        CloseHandle(lock);
        Player().Position = 2;
        rig::Tick();
    });
    rig::Tick();
    rig::OnBox(nullptr);

    EXPECT_EQ(1, opened);
    EXPECT_EQ(std::vector<std::string>({"Title of C:\\a.mp3", "Title of C:\\b.mp3", "Title of C:\\c.mp3"}),
              PlacedTexts());
    EXPECT_EQ("Title of C:\\c.mp3", rig::ReadClipboardText());
    EXPECT_EQ("-- \r\n\r\nThe last song I started on my PC was: C:\\c.mp3\r\n"
              "This is track 3 of 3 in the current playlist.\r\n",
              rig::ReadFile(Path("sig.txt")));
}

/*
 * A newer change that completes while the player's window handles
 * ID_NOW_PLAYING: the older change does not copy its track over the newer
 * one afterwards, and the log holds both, in order.
 */
TEST_F(ClipboardTest, NewerChangeDuringNowPlayingKeepsTheNewestOnTheClipboard)
{
    Start("UseNowPlaying=1\r\nAutoClipboardCopyFileName=1\r\nUseLog=1\r\nLogFileName=" + Path("log.txt") +
          "\r\nRecordLogTitle=0\r\nRecordLogFileName=1\r\n");
    SetPlaylist({"C:\\a.mp3", "C:\\b.mp3"}, 0);
    static WNDPROC Previous;
    static bool Moved;
    Moved = false;
    struct Subclass {
        static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
        {
            if (message == WM_COMMAND && wParam == ID_NOW_PLAYING && !Moved) {
                Moved = true;
                Player().Position = 1;
                rig::Tick();
            }
            return CallWindowProcA(Previous, window, message, wParam, lParam);
        }
    };
    Previous = (WNDPROC)SetWindowLongPtrA(PlayerWindow(), GWLP_WNDPROC, (LONG_PTR)Subclass::Proc);
    rig::Tick();
    SetWindowLongPtrA(PlayerWindow(), GWLP_WNDPROC, (LONG_PTR)Previous);

    ASSERT_TRUE(Moved);
    EXPECT_EQ(std::vector<std::string>({"C:\\b.mp3"}), PlacedTexts());
    EXPECT_EQ("C:\\b.mp3", rig::ReadClipboardText());
    std::string log = rig::ReadFile(Path("log.txt"));
    auto count = [&](const std::string &text) {
        size_t n = 0;
        for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(1u, count("C:\\a.mp3"));
    EXPECT_EQ(1u, count("C:\\b.mp3"));
    EXPECT_NE(std::string::npos, log.find("\r\n\r\nC:\\b.mp3\r\n\r\n"));
    EXPECT_LT(log.find("\r\n\r\nC:\\a.mp3\r\n\r\n"), log.find("\r\n\r\nC:\\b.mp3\r\n\r\n"));
}

} // namespace
