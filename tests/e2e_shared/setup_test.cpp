/*
 * The setup program (installer/gen_Kestrune.nsi) run silently, as an
 * administrator would: it puts the DLL under test into the Plugins folder of
 * a stand-in player folder, writes its uninstaller and the entry in the list
 * of installed programs, and never writes the shared plugin.ini; the
 * uninstaller, run as that entry says, takes out exactly what setup put in.
 * Both refuse while a window of the player's class exists.  The registry
 * entry is machine-wide, hence a test of this kind.
 */
#include "tests/rig/fixture.h"

#include <string.h>

#include <algorithm>

namespace
{

const char UninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\gen_Kestrune";
const DWORD ExitCancelled = 1, ExitPlayerRunning = 3, ExitNoPlayer = 4;

/*
 * Runs a command line and waits for it and for every process it starts:
 * the uninstaller goes on in a copy of itself in the temporary folder.
 * Returns the first process's exit code, or 0xFFFFFFFF when it did not end.
 */
DWORD RunAndWait(std::string commandLine)
{
    HANDLE job = CreateJobObjectA(NULL, NULL);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    DWORD code = 0xFFFFFFFF;
    if (CreateProcessA(NULL, &commandLine[0], NULL, NULL, FALSE, CREATE_SUSPENDED, NULL, NULL, &startup, &process)) {
        AssignProcessToJobObject(job, process.hProcess);
        ResumeThread(process.hThread);
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION jobInfo = {};
        for (int wait = 0; wait < 600; wait++, Sleep(100))
            if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &jobInfo, sizeof jobInfo, NULL) ||
                !jobInfo.ActiveProcesses)
                break;
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(job);
    return code;
}

/* The search for a box of a process: a visible dialog with a Cancel button. */
struct BoxSearch {
    DWORD Process;
    HWND Box;
};

BOOL CALLBACK FindBoxOf(HWND window, LPARAM data)
{
    BoxSearch *search = (BoxSearch *)data;
    DWORD owner = 0;
    char name[16] = "";
    GetWindowThreadProcessId(window, &owner);
    GetClassNameA(window, name, sizeof name);
    if (owner == search->Process && IsWindowVisible(window) && !strcmp(name, "#32770") && GetDlgItem(window, IDCANCEL))
        search->Box = window;
    return search->Box ? FALSE : TRUE;
}

/* Presses button in the first box the process shows; false when none showed within 20 s. */
bool AnswerBoxOf(DWORD processId, int button)
{
    BoxSearch search = {processId, NULL};
    for (int wait = 0; wait < 200 && !search.Box; wait++, Sleep(100))
        EnumWindows(FindBoxOf, (LPARAM)&search);
    if (search.Box)
        PostMessageA(search.Box, WM_COMMAND, button, 0);
    return search.Box != NULL;
}

/* Runs a setup program with its windows, answers its first box with button; its exit code. */
DWORD RunAndAnswer(std::string commandLine, int button)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    DWORD code = 0xFFFFFFFF;
    if (!CreateProcessA(NULL, &commandLine[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return code;
    bool answered = AnswerBoxOf(process.dwProcessId, button);
    if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 0xFFFFFFFF);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return answered ? code : 0xFFFFFFFE;
}

/* The bytes of every file under a folder. */
size_t FolderBytes(const std::string &folder)
{
    size_t bytes = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (found.cFileName[0] == '.')
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            bytes += FolderBytes(folder + "\\" + found.cFileName);
        else
            bytes += found.nFileSizeLow;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return bytes;
}

/* Runs a command line with its standard error into a file; the exit code, and the file's text in *said. */
DWORD RunSaying(std::string commandLine, const std::string &errors, std::string *said)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    HANDLE file = CreateFileA(errors.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, NULL);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdError = startup.hStdOutput = file;
    PROCESS_INFORMATION process = {};
    DWORD code = 0xFFFFFFFF;
    if (CreateProcessA(NULL, &commandLine[0], NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process)) {
        if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(file);
    *said = rig::ReadFile(errors);
    return code;
}

/* A value of the setup program's registry entry as text; "<none>" when missing. */
std::string Entry(const char *name)
{
    char value[1024];
    DWORD size = sizeof value, type = 0;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, UninstallKey, name, RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type, value, &size))
        return "<none>";
    return type == REG_DWORD ? std::to_string(*(DWORD *)value) : std::string(value);
}

/* A top-level window of the player's main window class: the player runs. */
HWND OpenPlayerWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "Winamp v1.x";
    RegisterClassA(&windowClass);
    return CreateWindowA("Winamp v1.x", "Winamp", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL,
                         windowClass.hInstance, NULL);
}

class Setup : public PluginTest
{
  protected:
    void SetUp() override
    {
        PluginTest::SetUp();
        /* A blank in the folder's name, as in "Program Files". */
        player_ = Folder() + "Player folder";
        rig::MakeFolders(Plugins());
        rig::WriteFile(player_ + "\\winamp.exe", "");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey);
    }

    std::string Plugins() const { return player_ + "\\Plugins\\"; }
    std::string Uninstaller() const { return Plugins() + "uninstall-gen_Kestrune.exe"; }
    DWORD Install(const char *setup = KESTRUNE_TEST_SETUP)
    {
        return RunAndWait("\"" + rig::BuildPath(setup) + "\" /S /D=" + player_);
    }
    bool Installed() const { return rig::FileExists(Plugins() + "gen_Kestrune.dll"); }
    std::string Document(const char *name) const { return rig::ReadFile(Plugins() + "Kestrune\\" + name); }

    std::string player_;
};

struct SettingsCase {
    const char *Switches;
    const char *Before; /* plugin.ini */
    const char *After;
};

/*
 * Without the switch nothing writes plugin.ini, so it stays byte for byte,
 * blank lines and blanks around "=" included.  With it the plug-in's section
 * goes; Wine's profile writer drops blank lines and such blanks whenever it
 * rewrites the file, so that file is written without them.
 */
const SettingsCase SettingsCases[] = {
    {"", "[Other plug-in]\r\nWindow = 3\r\n\r\n[Vellacord_Tovk]\r\nUseLog=0\r\n\r\n",
     "[Other plug-in]\r\nWindow = 3\r\n\r\n[Vellacord_Tovk]\r\nUseLog=0\r\n\r\n"},
    {" /REMOVESETTINGS",
     "[Other plug-in]\r\nWindow=3\r\n[Vellacord_Tovk]\r\nUseLog=0\r\nZelt_Mode=1\r\n[Last]\r\nA=1\r\n",
     "[Other plug-in]\r\nWindow=3\r\n[Last]\r\nA=1\r\n"},
};

TEST_F(Setup, InstallsTheDllAndTheUninstallerTakesOutWhatItPutIn)
{
    for (const SettingsCase &c : SettingsCases) {
        SCOPED_TRACE(std::string("uninstaller switches \"") + c.Switches + "\"");
        rig::WriteFile(Plugins() + "plugin.ini", c.Before);
        ASSERT_EQ(Install(), 0u);

        EXPECT_EQ(rig::ReadFile(Plugins() + "gen_Kestrune.dll"), rig::ReadFile(DllPath()));
        ASSERT_TRUE(rig::FileExists(Uninstaller()));
        EXPECT_EQ(rig::ReadFile(Plugins() + "plugin.ini"), c.Before);
        size_t bytes =
            rig::ReadFile(DllPath()).size() + rig::ReadFile(Uninstaller()).size() + FolderBytes(Plugins() + "Kestrune");
        const std::pair<const char *, std::string> values[] = {
            {"DisplayVersion", KESTRUNE_VERSION},
            {"UninstallString", "\"" + Uninstaller() + "\""},
            {"QuietUninstallString", "\"" + Uninstaller() + "\" /S"},
            {"InstallLocation", player_},
            {"EstimatedSize", std::to_string((bytes + 1023) / 1024)},
        };
        for (const auto &value : values)
            EXPECT_EQ(Entry(value.first), value.second) << value.first;
        EXPECT_NE(Entry("DisplayName").find(KESTRUNE_VERSION), std::string::npos) << Entry("DisplayName");
        EXPECT_NE(Entry("Publisher"), "<none>");
        std::string readme = Document("readme.txt");
        EXPECT_NE(readme.find("Kestrune " KESTRUNE_VERSION), std::string::npos) << "the readme names the version";
        EXPECT_EQ(std::count(readme.begin(), readme.end(), '\n'), std::count(readme.begin(), readme.end(), '\r'))
            << "CR LF line ends";
        EXPECT_NE(Document("user-guide.html").find("<title>Kestrune " KESTRUNE_VERSION), std::string::npos);
        EXPECT_NE(Document("CHANGES.txt").find(KESTRUNE_VERSION), std::string::npos);

        EXPECT_EQ(RunAndWait(Entry("QuietUninstallString") + c.Switches), 0u);
        EXPECT_FALSE(Installed());
        EXPECT_FALSE(rig::FileExists(Uninstaller()));
        EXPECT_FALSE(rig::FileExists(Plugins() + "Kestrune")) << "the documents' folder goes too";
        EXPECT_EQ(Entry("UninstallString"), "<none>");
        EXPECT_EQ(rig::ReadFile(Plugins() + "plugin.ini"), c.After);
    }
}

TEST_F(Setup, SetupAndUninstallerRefuseWhileThePlayerRuns)
{
    HWND player = OpenPlayerWindow();
    ASSERT_NE(player, (HWND)NULL);
    EXPECT_EQ(Install(), ExitPlayerRunning);
    EXPECT_FALSE(Installed());
    EXPECT_FALSE(rig::FileExists(Uninstaller()));
    EXPECT_EQ(Entry("UninstallString"), "<none>");
    DestroyWindow(player);

    ASSERT_EQ(Install(), 0u);
    player = OpenPlayerWindow();
    /* "_?=" runs the uninstaller in place, so its exit code is this process's. */
    EXPECT_EQ(RunAndWait("\"" + Uninstaller() + "\" /S _?=" + player_ + "\\Plugins"), ExitPlayerRunning);
    EXPECT_TRUE(Installed());
    EXPECT_NE(Entry("UninstallString"), "<none>");
    DestroyWindow(player);
    EXPECT_EQ(RunAndWait(Entry("QuietUninstallString")), 0u);
    EXPECT_FALSE(Installed());
}

/*
 * An older version's setup, then this one: the entry and the DLL are this
 * version's, the settings untouched.  The uninstaller started with the
 * folder in quotes after "_?=" either removes the DLL or says it failed
 * (NSIS itself refuses such a folder before the uninstaller's code runs),
 * never exit code 0 with the DLL left.
 */
TEST_F(Setup, UpgradesOverAnOlderVersionAndUninstallsWithAQuotedFolder)
{
    rig::WriteFile(Plugins() + "plugin.ini", "[Vellacord_Tovk]\r\nUseLog=0\r\n");
    ASSERT_EQ(Install(KESTRUNE_OLD_SETUP), 0u);
    EXPECT_EQ(Entry("DisplayVersion"), "0.9.0");
    ASSERT_EQ(Install(), 0u);
    EXPECT_EQ(Entry("DisplayVersion"), KESTRUNE_VERSION);
    EXPECT_EQ(rig::ReadFile(Plugins() + "gen_Kestrune.dll"), rig::ReadFile(DllPath()));
    EXPECT_NE(Document("readme.txt").find("Kestrune " KESTRUNE_VERSION), std::string::npos);
    EXPECT_EQ(rig::ReadFile(Plugins() + "plugin.ini"), "[Vellacord_Tovk]\r\nUseLog=0\r\n");

    DWORD code = RunAndWait("\"" + Uninstaller() + "\" /S _?=\"" + player_ + "\\Plugins\"");
    EXPECT_NE(code, 0xFFFFFFFFu) << "it ended";
    EXPECT_EQ(code == 0, !Installed()) << "exit code " << code;
}

/*
 * The exit codes the user guide states: 4 for a silent setup without the
 * player in the folder (nothing installed, and the reason on its standard
 * error), 1 for a setup cancelled at the question about the running
 * player, 3 for a silent one while it runs.
 */
TEST_F(Setup, ExitCodesAsTheGuideStatesThem)
{
    std::string setup = "\"" + rig::BuildPath(KESTRUNE_TEST_SETUP) + "\"";
    DeleteFileA((player_ + "\\winamp.exe").c_str());
    std::string said;
    EXPECT_EQ(RunSaying(setup + " /S /D=" + player_, Path("setup-errors.txt"), &said), ExitNoPlayer);
    EXPECT_NE(said.find("there is no winamp.exe in " + player_), std::string::npos) << said;
    EXPECT_FALSE(Installed());
    EXPECT_EQ(Entry("UninstallString"), "<none>");
    rig::WriteFile(player_ + "\\winamp.exe", "");

    HWND player = OpenPlayerWindow();
    ASSERT_NE(player, (HWND)NULL);
    EXPECT_EQ(Install(), ExitPlayerRunning);
    EXPECT_FALSE(Installed());
    /* The question is a box of the setup program's own: it needs text measuring. */
    if (rig::TextMeasures()) {
        EXPECT_EQ(RunAndAnswer(setup + " /D=" + player_, IDCANCEL), ExitCancelled);
        EXPECT_FALSE(Installed());
    }
    DestroyWindow(player);
    if (!rig::TextMeasures())
        GTEST_SKIP() << "the cancel at the setup program's question: " << rig::TextMeasuringFailure();
}

} // namespace
