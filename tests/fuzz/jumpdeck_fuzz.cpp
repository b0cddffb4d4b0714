// The fuzz target of Jumpdeck: whatever files lie in its folder at the first
// start, then everything a user does. Each input is a run of the program: the
// steps a user takes, carried out through the program's own functions as the
// window carries them out, against the recording stand-in. After every step
// the target checks what must hold, against its own model of what the twelve
// fields show.
//
// Input (bytes past the end read as 0):
//   byte 0  the files the first start finds: 1 "l.z", 2 "z.l", 4 "l.z.new",
//           8 "z.l.new", 16 "z.l.old"; for each of them in this order, its
//           size (one byte for a key file, two, low first, for a path file)
//           and that many bytes
//   then steps of three bytes S A B, S modulo 8 saying what the user does.
//   R is the row A modulo 6, 0 the top one.
//   0 R N text  key field R set to N bytes, typed or pasted
//   1 R N text  path field R set to N bytes, N + 256 when A >= 128
//   2 C T       C typed on the window; a lead byte C comes with a trail byte T
//   3 K X       the key with code K pressed anywhere; X odd: Cancel to a question
//   4 X         the button F2, or F3 when X is odd
//   5 F         Save; F & 31 is the file operation that fails, F & 32 makes it
//               find its file busy (in use by another program), F & 64 for good;
//               F & 128: the program stops there, and starts again
//   6           start again: a new process loads what the Saves wrote
//   7 K         another program takes the key with code K (once the main window
//               lets go of it, if it holds it), or lets go of it
// The shell fails to open a path that holds '*' (tests/fake_platform.h).
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "launch/hotkeys.h"
#include "launch/launcher.h"
#include "store/manual.h"
#include "store/settings_files.h"
#include "store/slot_table.h"
#include "tests/fake_platform.h"

#define CHECK(condition) \
    ((condition) ? (void)0 : (fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition), abort()))

enum { F1 = 0x70, F2 = 0x71, F3 = 0x72, ROWS = VISIBLE_SLOT_COUNT };

// What the rows' fields show, top to bottom, the hotkey switch, and the
// reserved slot, which no field shows. Saved: by the first start, then by the
// last Save without a notice; tried: by the Saves with one since, whose files
// a failure may have left for the next start to finish.
struct Fields {
    char key[ROWS];
    std::string path[ROWS];
    int hotkeysOn;
    char reservedKey;
    std::string reservedPath;
    std::string pathFile;  // the path file a Save of these writes
};
static Fields shown, saved;
static std::vector<Fields> tried;

static const uint8_t *input;
static size_t inputSize, at;
static int Next() { return at < inputSize ? input[at++] : 0; }

// The key that types a character: 'A' to 'Z' for letters, '0' to '9' for digits.
static int KeyOf(char c) { return c >= 'a' && c <= 'z' ? c - 32 : (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ? c : 0; }
static bool Exists(const char *name) { return access(name, F_OK) == 0; }
static bool LeftOver() { return Exists("../l.z.new") || Exists("../z.l.new") || Exists("../z.l.old"); }  // by a Save
static std::string Read(const char *name) { return {std::istreambuf_iterator<char>(std::ifstream(name, std::ios::binary).rdbuf()), {}}; }
static int HolderOf(int code)  // the hotkey id of ours that holds the key, or -1
{
    auto held = std::find_if(fake.hotkeys.begin(), fake.hotkeys.end(), [&](auto &key) { return key[1] == code; });
    return held == fake.hotkeys.end() ? -1 : (*held)[0];
}

// Right after F2, or a start with hotkeys on: F1 to F3, and the keys that type
// the slots' keys, are ours unless another program holds them.
static void CheckHeld()
{
    std::vector<int> codes = {F1, F2, F3};
    for (int row = 0; row < ROWS && shown.hotkeysOn; row++)
        codes.push_back(KeyOf(shown.key[row]));
    for (int code : codes)
        CHECK(code == 0 || HolderOf(code) >= 0 || std::count(fake.keysElsewhere.begin(), fake.keysElsewhere.end(), code));
}

// The slots and the switch hold what the fields show.
static bool Holds(const Fields &fields)
{
    const Slot &reserved = slotTable.slots[RESERVED_SLOT];
    bool same = slotTable.hotkeysRegistered == fields.hotkeysOn && reserved.key == fields.reservedKey &&
                reserved.path == fields.reservedPath;
    for (int row = 0; row < ROWS; row++)
        same = same && slotTable.slots[slotRows[row].slot].key == fields.key[row] &&
               slotTable.slots[slotRows[row].slot].path == fields.path[row];
    return same;
}

// A new process, which leaves nothing beside the pair once it has loaded, and
// no path past its buffer or longer than its length; the window of the last
// one took its hotkeys along. A key field shows its key, and keeps it only as
// a whole character. Until a Save works, each start shows what the first did.
static void Start(bool first = false)
{
    slotTable = SlotTable(), hotkeyTable = HotkeyTable(), typedText = TypedText();
    fake.hotkeys.clear(), fake.windowHidden = false;
    std::string keys = Read("../l.z");
    LoadSettings();
    CHECK(!LeftOver());
    // The pair as loaded: a key file's bytes, its missing ones 0; each length a
    // number in two characters (white space, a sign, digits), none below 0; each
    // path where the ones before it end, up to a zero byte or the end of the
    // file. An empty key file, or path file, gives nothing more. A save's new
    // key file, moved in, had all its lengths, and they fit the path file.
    std::string pair[2] = {Read("../l.z"), Read("../z.l")}, bytes = pair[0] + std::string(KEY_FILE_SIZE, '\0');
    long sum = 0;
    for (int i = 0; i < SLOT_COUNT; i++) {
        const Slot &slot = slotTable.slots[i];
        long length = std::max(0L, strtol(bytes.substr(7 + 2 * i, 2).c_str(), nullptr, 10));
        std::string path = pair[1].substr(std::min<size_t>(sum, pair[1].size()), length);
        CHECK(pair[0].empty() || (slot.key == bytes[i] && slot.path == path.substr(0, path.find('\0'))));
        sum += length;
    }
    CHECK(pair[0].empty() || slotTable.hotkeysRegistered == strtol(bytes.substr(21, 2).c_str(), nullptr, 10));
    CHECK(pair[0] == keys || (pair[0].size() == KEY_FILE_SIZE && sum == (long)pair[1].size()));
    for (int row = 0; row < ROWS; row++) {
        const Slot &slot = slotTable.slots[slotRows[row].slot];
        const char key[2] = {slot.key, 0};
        SetSlotKey(slotRows[row].slot, key);
        if (first)
            saved.key[row] = slot.key, saved.path[row] = slot.path;
    }
    const Slot &reserved = slotTable.slots[RESERVED_SLOT];
    if (first)
        saved.hotkeysOn = slotTable.hotkeysRegistered, saved.reservedKey = reserved.key,
        saved.reservedPath = reserved.path;
    shown = saved;
    for (size_t i = 0; i < tried.size() && !Holds(shown); i++)
        shown = tried[i];
    saved = shown, tried.clear();
    RegisterSystemHotkeys();
    char refused[ROWS];
    if (slotTable.hotkeysRegistered != 0)
        RegisterSlotHotkeys(refused);
    CheckHeld();
}

// The window hides once every target the shell was given opened. One notice
// names each that failed, in row order, unless the user turned down the
// shell's own question; none when nothing failed.
static void CheckLaunches(bool wasHidden)
{
    std::string notice = fake.notices.empty() ? "" : fake.notices.back();  // after the question, if any
    bool opened = !fake.launches.empty(), noticed = notice.rfind("以下目标没有打开：", 0) == 0, failed = false;
    size_t from = 0;
    for (size_t i = 0; i < fake.launches.size(); i++) {
        opened = opened && fake.answers[i] == SHELL_OPENED;
        if (fake.answers[i] < 0)
            continue;
        failed = true;
        CHECK(noticed && (from = notice.find("\n" + fake.launches[i] + "（", from)) != std::string::npos);
        from++;
    }
    CHECK(fake.windowHidden == (wasHidden || opened) && failed == noticed);
}

static void Step(int step)
{
    int a = Next(), b = Next(), row = a % ROWS, slot = slotRows[row].slot;
    bool wasHidden = fake.windowHidden;
    fake.notices.clear(), fake.launches.clear(), fake.answers.clear();
    if (step < 2) {  // the field's text as the window hands it over: no 0 byte, a buffer just large enough
        std::string text((const char *)input + at, std::min<size_t>(b + (step && a >= 128 ? 256 : 0), inputSize - at));
        at += text.size();
        text.resize(strlen(text.c_str()));
        std::vector<char> copy(text.c_str(), text.c_str() + text.size() + 1);
        if (step == 1) {
            shown.path[row] = text.substr(0, PATH_SIZE - 1);  // what the window reads of a path field
            SetSlotPath(slot, copy.data());
        } else {  // the first character stays when it is one byte; a cut field is copied again
            shown.key[row] = IsLeadByte(text[0]) ? 0 : text[0];
            bool cut = SetSlotKey(slot, copy.data());
            const char kept[2] = {slotTable.slots[slot].key, 0};
            CHECK(std::string(cut ? kept : text) == std::string(&shown.key[row], shown.key[row] != 0) && !(cut && SetSlotKey(slot, kept)));
        }
    } else if (step == 2) {  // a Chinese character arrives as two WM_CHAR, its lead byte first
        std::vector<std::string> expected;
        LaunchTyped(nullptr, (unsigned)a);
        if (IsLeadByte((char)a))
            LaunchTyped(nullptr, 0x40u + (unsigned)b % 0xBF);
        for (row = 0; row < ROWS; row++)
            if (a != 0 && !IsLeadByte((char)a) && shown.key[row] == (char)a)
                expected.push_back(shown.path[row]);
        CHECK(fake.launches == expected && fake.notices.size() <= 1);
        CheckLaunches(wasHidden);
    } else if (step == 3) {  // a press reaches the main window when it holds the key
        fake.noticeAnswer = b & 1 ? NOTICE_CANCEL : NOTICE_OK;
        int id = HolderOf(a), guard = SlotForHotkey(id) == NO_SLOT ? RESERVED_SLOT : SlotForHotkey(id);
        unsigned char &pending = slotTable.slots[guard].repeatPending, armed = pending;
        if (id >= 0)
            HandleHotkey(nullptr, id);
        if (id >= 0 && (a == F2 || a == F3) && (shown.hotkeysOn = a == F2))
            CheckHeld();
        bool named = false;
        for (row = 0; row < ROWS; row++)
            named = named || (KeyOf(shown.key[row]) == a && fake.launches == std::vector<std::string>{shown.path[row]});
        CHECK(named || fake.launches.empty());
        CheckLaunches(wasHidden && !(id >= 0 && a == F1));
        // A program that did not open asks nothing at the next press.
        CHECK(fake.launches.empty() || fake.answers[0] == SHELL_OPENED || pending <= armed);
    } else if (step == 4) {  // only F2 tries again the function keys another program held
        a & 1 ? DisableHotkeys() : EnableHotkeys();
        if ((shown.hotkeysOn = !(a & 1)))
            CheckHeld();
    } else if (step == 5) {
        std::string keys = Read("../l.z"), paths = Read("../z.l");
        bool clean = !LeftOver();
        Fields written = shown;  // the reserved slot's key is written as 0
        written.reservedKey = 0;
        written.pathFile.clear();
        fake.fileSteps = fake.pausedMs = 0;
        fake.failAtFileStep = a & 31, fake.failsBusy = a & 32, fake.failingSteps = a & 192 ? 1000 : 1;
        SaveSettings();
        bool failed = fake.failAtFileStep != 0 && fake.fileSteps >= fake.failAtFileStep, storable = true;
        fake.failAtFileStep = 0;
        for (row = 0; row < ROWS; row++) {  // a length field holds two digits
            written.pathFile += (row == 3 ? shown.reservedPath : "") + shown.path[row];
            storable = storable && shown.path[row].size() <= 99;
        }
        // A Save without a notice wrote the pair in the start-up directory, the
        // paths back to back; one with a notice left the pair as it was, unless
        // the files were held for good or an earlier Save left its files; only
        // a failure, or a path too long, makes a notice; no Save waits long.
        CHECK(fake.notices.empty() ? Read("../l.z").size() == KEY_FILE_SIZE && Read("../z.l") == written.pathFile
                                   : (Read("../l.z") == keys && Read("../z.l") == paths) || (a & 192) ||
                                         !tried.empty());
        CHECK(fake.pausedMs <= 1500 && (fake.notices.empty() || !storable || (failed && (a & 224) != 32)));
        CHECK(!LeftOver() || failed || !storable);  // nothing beside the pair
        fake.notices.empty() ? (void)(saved = written, tried.clear()) : tried.push_back(written);
        // Or the program stops there: once its new path file is in, with the new
        // key file waiting, the next start finishes the Save.
        bool in = clean && Exists("../l.z.new") && !Exists("../z.l.new") && Read("../z.l") == written.pathFile &&
                  paths != written.pathFile;
        if (a & 128) {
            Start();
            CHECK(!in || Holds(written));
        }
    } else if (step == 6) {
        Start();
    } else {
        auto found = std::find(fake.keysElsewhere.begin(), fake.keysElsewhere.end(), a);
        found != fake.keysElsewhere.end() ? (void)fake.keysElsewhere.erase(found) : fake.keysElsewhere.push_back(a);
    }
    // After every step: the slots hold what the fields show; only typing and
    // keys launch; the main window holds no key twice, none with auto-repeat,
    // and none but F1 to F3 and, while hotkeys are on, letter and digit keys.
    CHECK(Holds(shown) && (step == 2 || step == 3 || fake.launches.empty()));
    for (const std::array<int, 3> &held : fake.hotkeys) {
        CHECK(held[2] == KEY_NO_REPEAT && (KeyOf((char)held[1]) == held[1] ? shown.hotkeysOn : held[1] >= F1 && held[1] <= F3));
        CHECK(std::count_if(fake.hotkeys.begin(), fake.hotkeys.end(), [&](auto &other) { return other[0] == held[0]; }) == 1);
    }
}

// The start-up directory is a folder of this process in tools/fuzz's, so that
// the workers of a run with -fork or -jobs never share one; the current
// directory then moves away from it, as the file dialog may move it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const char *root = getenv("JUMPDECK_FUZZ_DIR");
    static std::filesystem::path directory = std::filesystem::path(root ? root : "") / std::to_string(getpid());
    static bool entered = root && (std::filesystem::create_directories(directory), chdir(directory.c_str()) == 0) &&
                          (CaptureStartupPaths(), true) && (std::filesystem::create_directory("elsewhere"), true) &&
                          chdir("elsewhere") == 0;
    CHECK(entered);
    input = data, inputSize = size, at = 0;
    int present = Next();
    const std::string names[] = {"l.z", "z.l", "l.z.new", "z.l.new", "z.l.old"};
    for (int i = 0; i < 5; i++) {
        std::remove(("../" + names[i]).c_str());
        if (!(present & 1 << i))
            continue;
        size_t length = Next(), high = names[i][0] == 'z' ? Next() : 0;  // both read before what is left
        length = std::min(length | high << 8, inputSize - at);
        std::ofstream("../" + names[i], std::ios::binary).write((const char *)data + at, (std::streamsize)length);
        at += length;
    }
    std::remove(("../" + std::string(MANUAL_FILE_NAME)).c_str());
    fake = FakePlatform(), tried.clear();
    Start(true);
    while (at < inputSize)
        Step(Next() % 8);
    Step(6);  // the last start loads what the Saves wrote
    return 0;
}
