/*
 * The rig with the real DLL: ticks reach the plug-in's poll callback and
 * stop with its timer, and real boxes are found, read, answered and may
 * nest, a tick inside an open box opening one of another kind, as the
 * system's modal loops allow.  The DLL a test loads is the one the build
 * names, and the rig's checks of what the system can do agree with what
 * they guard.
 */
#include "tests/rig/fixture.h"

#include <commctrl.h>

#include <memory>

namespace
{

const char OpenWarning[] = "Can not open selected file";

size_t CountRequests(LPARAM code)
{
    size_t count = 0;
    for (const PlayerMessage &request : Player().Requests)
        count += request.LParam == code;
    return count;
}

BOOL CALLBACK CountShownDialogs(HWND window, LPARAM count)
{
    char className[32];
    if (IsWindowVisible(window) && GetClassNameA(window, className, sizeof className) &&
        strcmp(className, "#32770") == 0)
        ++*(int *)count;
    return TRUE;
}

int ShownDialogs()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountShownDialogs, (LPARAM)&count);
    return count;
}

class Rig : public PluginTest
{
};

TEST_F(Rig, TickRunsThePollCallbackUntilTheTimerIsKilled)
{
    WriteSettings("AlwaysConfigureOnLaunch=0\r\nUseSignature=0\r\nUseLog=0\r\nUseNowPlaying=0\r\n");
    SetPlaylist({"C:\\a.mp3"});
    ASSERT_EQ(StartPlugin(), 0);
    EXPECT_EQ(CountRequests(HOST_GET_LIST_POSITION), 0u) << "the timer never fires by itself";
    rig::Tick();
    EXPECT_EQ(CountRequests(HOST_GET_LIST_POSITION), 1u);
    PlayerPumpFor(100);
    EXPECT_EQ(CountRequests(HOST_GET_LIST_POSITION), 1u) << "the timer never fires by itself";
    rig::Tick();
    EXPECT_EQ(CountRequests(HOST_GET_LIST_POSITION), 2u);
    StopPlugin();
    size_t requests = Player().Requests.size();
    rig::Tick();
    EXPECT_EQ(Player().Requests.size(), requests) << "no tick after the timer was killed";
}

TEST_F(Rig, RealBoxesAreReadAnsweredAndMayNest)
{
    std::string log = Folder() + "missing\\log.txt";
    std::string signature = Folder() + "missing\\signature.txt";
    WriteSettings("AlwaysConfigureOnLaunch=0\r\nUseNowPlaying=0\r\nUseLog=1\r\nLogFileName=" + log +
                  "\r\nUseSignature=1\r\nSignatureFileName=" + signature + "\r\n");
    rig::UseRealBoxes(true);
    std::vector<int> shownInside;
    rig::OnBox([&](const rig::Box &) {
        shownInside.push_back(ShownDialogs());
        if (shownInside.size() == 1) {
            /* A track change inside the start's log box: the signature cannot be written either. */
            SetPlaylist({"C:\\Music\\a.mp3"});
            rig::Tick();
        }
    });
    ASSERT_EQ(StartPlugin(), 0);
    /* The change's own log box is left out while the start's is open; the start's signature box comes last. */
    EXPECT_EQ(std::vector<int>({1, 2, 1}), shownInside) << "the second box opened over the first";
    std::vector<std::string> texts = {log, signature, signature};
    ASSERT_EQ(rig::Boxes().size(), texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(rig::Boxes()[i].Caption, OpenWarning);
        EXPECT_EQ(rig::Boxes()[i].Text, texts[i]);
        EXPECT_EQ(rig::Boxes()[i].Flags, (UINT)(MB_OK | MB_ICONWARNING));
    }
    EXPECT_EQ(ShownDialogs(), 0) << "every box was closed";
    EXPECT_FALSE(rig::FileExists(signature));
}

TEST_F(Rig, RecordedBoxesRunTheCallbackInPlaceOfTheModalLoop)
{
    std::string signature = Folder() + "missing\\signature.txt";
    WriteSettings("AlwaysConfigureOnLaunch=0\r\nUseLog=0\r\nUseNowPlaying=0\r\nUseSignature=1\r\n"
                  "SignatureFileName=" +
                  signature + "\r\n");
    std::vector<size_t> boxesSeen;
    rig::OnBox([&](const rig::Box &box) {
        EXPECT_EQ(box.Caption, OpenWarning);
        boxesSeen.push_back(rig::Boxes().size());
        EXPECT_EQ(ShownDialogs(), 0) << "no real box";
    });
    ASSERT_EQ(StartPlugin(), 0);
    StopPlugin();
    ASSERT_EQ(rig::Boxes().size(), 2u) << "one box at init, one at quit";
    EXPECT_EQ(boxesSeen, (std::vector<size_t>{1, 2})) << "each box is recorded before its callback runs";
}

TEST_F(Rig, CallbackMayReplaceItselfWhileItRuns)
{
    std::string signature = Folder() + "missing\\signature.txt";
    WriteSettings("AlwaysConfigureOnLaunch=0\r\nUseLog=0\r\nUseNowPlaying=0\r\nUseSignature=1\r\n"
                  "SignatureFileName=" +
                  signature + "\r\n");
    std::vector<std::string> calls;
    /* Held by the first callback: released only when the last copy of it is gone. */
    bool released = false;
    std::shared_ptr<int> held(new int(0), [&released](int *p) {
        delete p;
        released = true;
    });
    rig::OnBox([&calls, &released, held](const rig::Box &) {
        rig::OnBox([&calls](const rig::Box &) { calls.push_back("second"); });
        calls.push_back(released ? "first, destroyed while running" : "first");
    });
    held.reset();
    ASSERT_EQ(StartPlugin(), 0);
    StopPlugin();
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "second"}));
    EXPECT_TRUE(released);
}

/* The fixture drops the test's callback before the quit of its tear-down. */
TEST_F(Rig, TearDownRecordsQuitBoxesWithoutTheTestsCallback)
{
    std::string signature = Folder() + "missing\\signature.txt";
    WriteSettings("AlwaysConfigureOnLaunch=0\r\nUseLog=0\r\nUseNowPlaying=0\r\nUseSignature=1\r\n"
                  "SignatureFileName=" +
                  signature + "\r\n");
    int calls = 0;
    rig::UseRealBoxes(true);
    rig::OnBox([&calls](const rig::Box &) { calls++; });
    ASSERT_EQ(StartPlugin(), 0);
    ASSERT_EQ(calls, 1);
    TearDown();
    EXPECT_EQ(calls, 1) << "the quit box did not reach the test's callback";
    EXPECT_EQ(rig::Boxes().size(), 2u) << "but it was recorded";
    EXPECT_FALSE(Running());
}

/* Debugger output of the whole process is caught, in order, and the program goes on after each text. */
TEST_F(Rig, DebuggerOutputIsCaughtInOrderAndExecutionContinues)
{
    rig::DebugOutput().clear();
    OutputDebugStringA("first text");
    OutputDebugStringA("");
    OutputDebugStringA("second\n");
    EXPECT_EQ(rig::DebugOutput(), (std::vector<std::string>{"first text", "", "second\n"}));
}

/* Paths the build gives are opened through Wine's drive Z:; Windows paths stay as they are. */
TEST(RigPaths, BuildPathsOfTheBuildMachineAreOnDriveZ)
{
    const struct {
        const char *Given, *Opened;
    } cases[] = {{"/work/build/dll/gen_Kestrune.dll", "Z:\\work\\build\\dll\\gen_Kestrune.dll"},
                 {"C:\\Plugins\\gen_Kestrune.dll", "C:\\Plugins\\gen_Kestrune.dll"},
                 {"", ""}};
    for (const auto &c : cases)
        EXPECT_EQ(rig::BuildPath(c.Given), c.Opened) << c.Given;
}

std::string ModuleFile(HMODULE module)
{
    char name[MAX_PATH * 4];
    DWORD length = GetModuleFileNameA(module, name, sizeof name);
    return std::string(name, length < sizeof name ? length : 0);
}

/*
 * The module the player runs is a DLL of the program's own architecture: in
 * the i686 build the very bytes of the shipped gen_Kestrune.dll, in the
 * x86_64 build that build's own twin.
 */
TEST_F(Rig, LoadedDllIsTheShippedFileInTheI686BuildOnly)
{
    WriteSettings("AlwaysConfigureOnLaunch=0\r\n");
    ASSERT_EQ(StartPlugin(), 0);
    const BYTE *image = (const BYTE *)PlayerPluginModule();
    const IMAGE_NT_HEADERS *nt = (const IMAGE_NT_HEADERS *)(image + ((const IMAGE_DOS_HEADER *)image)->e_lfanew);
    EXPECT_EQ(nt->FileHeader.Machine, sizeof(void *) == 8 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386);
    std::string loaded = rig::ReadFile(ModuleFile(PlayerPluginModule()));
    ASSERT_FALSE(loaded.empty()) << ModuleFile(PlayerPluginModule());
    std::string shipped = rig::ReadFile(rig::BuildPath(KESTRUNE_DLL32));
    ASSERT_FALSE(shipped.empty()) << "the shipped DLL " << KESTRUNE_DLL32;
    EXPECT_EQ(loaded == shipped, TestsShippedDll()) << "loaded " << ModuleFile(PlayerPluginModule());
}

/*
 * The platform self-checks pass in every x86_64 run, so the checks they
 * guard always run there, and each failure says why.  What a skip is said
 * to be for fails exactly where its self-check does: the DLL's own icon
 * and bitmap resources, an image list, a brush deleted and a combo box.  So a skip never
 * hides a fault of the DLL, and a system that can do these is never
 * skipped.
 */
TEST_F(Rig, SelfChecksPassOnX86_64AndAgreeWithWhatTheyGuard)
{
    WriteSettings("AlwaysConfigureOnLaunch=0\r\n");
    ASSERT_EQ(StartPlugin(), 0);
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
    HANDLE bitmap = LoadImageA(PlayerPluginModule(), MAKEINTRESOURCEA(IDB_LOAD_PELMIX), IMAGE_BITMAP, 0, 0, 0);
    HWND combo =
        CreateWindowExA(0, "COMBOBOX", "", WS_POPUP | CBS_DROPDOWNLIST, 0, 0, 100, 100, NULL, NULL, NULL, NULL);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    const struct {
        bool Passes;
        std::string Failure;
        bool Guarded; /* what a skip on this check is for works */
    } checks[] = {{rig::IconResourcesLoad(), rig::IconResourcesFailure(),
                   LoadIconA(PlayerPluginModule(), MAKEINTRESOURCEA(103)) != NULL},
                  {rig::DrawingWorks(), rig::DrawingFailure(), list && bitmap},
                  {rig::ObjectsDelete(), rig::ObjectDeletionFailure(), brush && DeleteObject(brush)},
                  {rig::TextMeasures(), rig::TextMeasuringFailure(), combo != NULL}};
    for (const auto &check : checks) {
        EXPECT_TRUE(check.Passes || sizeof(void *) == 4) << check.Failure;
        EXPECT_EQ(check.Failure.empty(), check.Passes);
        EXPECT_EQ(check.Guarded, check.Passes) << check.Failure;
        EXPECT_TRUE(check.Passes || check.Failure.find(" failed with error ") != std::string::npos) << check.Failure;
    }
    if (list)
        ImageList_Destroy(list);
    if (bitmap)
        DeleteObject(bitmap);
    if (combo)
        DestroyWindow(combo);
}

} // namespace
