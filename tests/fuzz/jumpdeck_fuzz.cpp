// The fuzz target of Jumpdeck: whatever files lie in its folder at the first
// start, then everything a user does, and what other programs do to the files
// meanwhile. Each input is a run of the program: the steps, carried out
// through the program's own functions as the window carries them out, against
// the recording stand-in, whose folder follows Windows' file rules. After
// every step the target checks what must hold, against its own model of what
// the fields show and of what every start must show.
//
// Input (bytes past the end read as 0):
//   bytes 0-4  the files the first start finds, a bit a name (1 "l.z", 2 "z.l",
//              4 "l.z.new", 8 "z.l.new", 16 "z.l.old"): there; read-only; a
//              folder; held by another program from the first start on (32:
//              saying "access denied", as while its deletion is pending, not
//              "in use"); and for how long, in 10 ms (255: for good)
//   then, for each file there and not a folder, in this order, its size (one
//   byte for a key file, two, low first, for a path file) and that many bytes
//   then steps of three bytes S A B, S modulo 9 saying what happens. R is the
//   row A modulo 6, 0 the top one. A second passes before each step.
//   0 R N text  key field R set to N bytes, typed or pasted
//   1 R N text  path field R set to N bytes, N + 256 when A >= 128
//   2 C T       C typed on the window; a lead byte C comes with a trail byte T
//   3 K X       the key with code K pressed anywhere; X odd: Cancel to a question
//   4 X         the button F2, or F3 when X is odd
//   5 F B       Save; F & 64: the disk has room for B bytes only; F & 128: the
//               program stops at its (F & 31 + 1)-th file operation, and starts again
//   6           start again: a new process loads what the Saves wrote
//   7 K         another program takes the key with code K (once the main window
//               lets go of it, if it holds it), or lets go of it
//   8 F N T     another program, on the file F % 6 (5: the file that the N-th
//               file operation from now names): F / 6 % 4 < 3 holds it from the
//               N-th file operation from now (at once for 0) for T × 10 ms (255:
//               until it lets go; 0 lets go), saying "access denied" when F / 24
//               is odd; 3 deletes it, or makes a folder of that name where there
//               is nothing
// The shell fails to open a path that holds '*' (tests/fake_platform.h).
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <optional>

#include "launch/hotkeys.h"
#include "launch/launcher.h"
#include "store/settings_files.h"
#include "store/slot_table.h"
#include "tests/fake_platform.h"

#define CHECK(condition) \
    ((condition) ? (void)0 : (fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition), abort()))

enum { F1 = 0x70, F2 = 0x71, F3 = 0x72, ROWS = VISIBLE_SLOT_COUNT, WAITED_OUT_MS = 1000 };
enum { KEYS, PATHS, NEW_KEYS, NEW_PATHS, OLD_PATHS, NAME_COUNT };  // the data files and a Save's
static const char *const NAMES[NAME_COUNT] = {"l.z", "z.l", "l.z.new", "z.l.new", "z.l.old"};

// What the slots hold: the twelve fields, the reserved slot, which no field
// shows, and the hotkey switch.
struct Fields {
    std::array<char, SLOT_COUNT> key = {};
    std::array<std::string, SLOT_COUNT> path;
    int hotkeysOn = 0;
    bool operator==(const Fields &o) const { return key == o.key && path == o.path && hotkeysOn == o.hotkeysOn; }
};

static Fields shown;                        // what the fields show
static Fields expected;                     // what the next start shows
static std::optional<Fields> alternative;   // or, when a file was refused to it for long, may show
static bool anyOutcome;                     // or may show either, after a start that showed nothing
static bool unshown;                        // this run's start showed nothing: its Saves refuse

static const uint8_t *input;
static size_t inputSize, at;
static int Next() { return at < inputSize ? input[at++] : 0; }

static Fields Table()
{
    Fields table;
    for (int slot = 0; slot < SLOT_COUNT; slot++)
        table.key[slot] = slotTable.slots[slot].key, table.path[slot] = slotTable.slots[slot].path;
    return table.hotkeysOn = slotTable.hotkeysRegistered, table;
}

static std::string PathOf(int name) { return std::string("/deck/") + NAMES[name]; }
static const FakeFile *File(int name) { return fake.files.count(PathOf(name)) ? &fake.files[PathOf(name)] : nullptr; }
static std::string Bytes(int name) { return File(name) && !File(name)->folder ? File(name)->bytes : ""; }
static bool Trace(int name) { return File(name) && !File(name)->folder && !File(name)->readOnly; }  // of a Save
static bool LeftOver() { return File(NEW_KEYS) || File(NEW_PATHS) || File(OLD_PATHS); }

// A length field: a number in two characters (white space, a sign, digits);
// none below 0.
static long LengthAt(const std::string &keyBytes, int slot)
{
    return std::max(0L, strtol(keyBytes.substr(LENGTH_FIELDS_OFFSET + 2 * slot, 2).c_str(), nullptr, 10));
}

// A pair of files as a start reads it: the key file's bytes, its missing ones
// 0; each path where the ones before it end, up to a zero byte or the end of
// the path file. An empty key file gives nothing at all.
static Fields Pair(const std::string &keyFile, const std::string &pathFile)
{
    Fields pair;
    std::string bytes = keyFile + std::string(KEY_FILE_SIZE, '\0');
    for (long slot = 0, from = 0; slot < SLOT_COUNT && !keyFile.empty(); from += LengthAt(bytes, slot++)) {
        std::string path = pathFile.substr(std::min<size_t>(from, pathFile.size()), LengthAt(bytes, slot));
        pair.key[slot] = bytes[slot], pair.path[slot] = path.substr(0, path.find('\0'));
    }
    pair.hotkeysOn = keyFile.empty() ? 0 : strtol(bytes.substr(SWITCH_FIELD_OFFSET, 2).c_str(), nullptr, 10);
    return pair;
}

// What the files stand for, read as a Save leaves them when it stops on its
// way. It writes z.l.new and l.z.new, moves z.l aside to z.l.old (an empty
// one when there was none), moves z.l.new in, then l.z.new, so:
//   z.l.old, z.l.new still there:       it moved nothing in: l.z with z.l.old;
//   z.l.old, l.z.new that fits z.l:     it moved its paths in: l.z.new with z.l,
//                                       or l.z with z.l.old if a start cannot finish it;
//   z.l.old, l.z.new that does not:     it never wrote such a file: l.z with z.l.old;
//   z.l.old alone, or no z.l.old:       l.z with z.l.
// A file of these names that is read-only or a folder is no Save's.
static void ExpectFiles()
{
    std::string newKeys = Bytes(NEW_KEYS) + std::string(KEY_FILE_SIZE, '\0');
    long sum = 0;
    for (int slot = 0; slot < SLOT_COUNT; slot++)
        sum += LengthAt(newKeys, slot);
    bool fits = Trace(NEW_KEYS) && Bytes(NEW_KEYS).size() == KEY_FILE_SIZE && File(PATHS) && !File(PATHS)->folder &&
                sum == (long)Bytes(PATHS).size();
    Fields undone = Pair(Bytes(KEYS), Bytes(OLD_PATHS));
    expected = Pair(Bytes(KEYS), Bytes(PATHS)), alternative.reset(), anyOutcome = false;
    if (Trace(OLD_PATHS) && (Trace(NEW_PATHS) || (Trace(NEW_KEYS) && !fits)))
        expected = undone;
    else if (Trace(OLD_PATHS) && fits)
        expected = Pair(Bytes(NEW_KEYS), Bytes(PATHS)), alternative = undone;
}

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
        codes.push_back(KeyCodeForKey(shown.key[slotRows[row].slot]));
    for (int code : codes)
        CHECK(code == 0 || HolderOf(code) >= 0 ||
              std::count(fake.keysElsewhere.begin(), fake.keysElsewhere.end(), code));
}

// A new process. It shows what the model expects; when a file was refused to
// it for more than a second, it may instead show the other outcome of a Save
// it could not finish, or nothing, saying so, and then it saves nothing. Once
// it has loaded, nothing of a Save lies beside the pair but what it could not
// remove. A key field keeps its key only as a whole character. The window of
// the last process took its hotkeys along.
static void Start()
{
    slotTable = SlotTable(), hotkeyTable = HotkeyTable(), typedText = TypedText();
    fake.hotkeys.clear(), fake.notices.clear(), fake.windowHidden = false;
    fake.refusedUntilMs = 0, fake.metHold = false;
    long from = fake.clockMs;
    CaptureStartupPaths();
    LoadSettings();
    bool hindered = fake.refusedUntilMs > from + WAITED_OUT_MS;
    CHECK(fake.clockMs == from || fake.metHold);  // only a file another program holds is waited for
    unshown = !fake.notices.empty();
    CHECK(!unshown || (hindered && fake.notices == std::vector<std::string>{FILE_FAILURE_NOTICE} &&
                       Table() == Fields()));
    bool other = alternative && (hindered || anyOutcome) && Table() == *alternative;
    CHECK(unshown || Table() == expected || other);
    CHECK(!LeftOver() || hindered);
    if (!unshown)
        expected = Table(), alternative.reset();
    anyOutcome = unshown;
    for (const SlotRow &row : slotRows)  // the window sets each key field, which hands the key back
        SetSlotKey(row.slot, std::string(1, slotTable.slots[row.slot].key).c_str());
    shown = Table();
    RegisterSystemHotkeys();
    char refused[ROWS];
    if (slotTable.hotkeysRegistered != 0)
        RegisterSlotHotkeys(refused);
    CheckHeld();
}

// The window hides once every target the shell was given opened. One notice
// names each that failed, in row order, with the reason in words, or the
// shell's code in full where there are none; a question of the shell's that
// the user turned down is named by none; no notice when nothing failed.
static void CheckLaunches(bool wasHidden)
{
    std::string notice = fake.notices.empty() ? "" : fake.notices.back();  // after the question, if any
    bool opened = !fake.launches.empty(), noticed = notice.rfind("以下目标没有打开：", 0) == 0, failed = false;
    size_t from = 0;
    for (size_t i = 0; i < fake.launches.size(); i++) {
        std::string line = "\n" + fake.launches[i] + "（";
        opened = opened && fake.answers[i] == SHELL_OPENED;
        CHECK(fake.answers[i] != SHELL_DECLINED || notice.find(line) == std::string::npos);
        if (fake.answers[i] < 0)
            continue;
        failed = true;
        CHECK(noticed && (from = notice.find(line, from)) != std::string::npos);
        from += line.size();
        std::string reason = notice.substr(from, notice.find("）", from) - from);
        CHECK(reason == "错误代码 " + std::to_string(fake.answers[i]) || reason.find_first_of("0123456789") ==
              std::string::npos);
    }
    CHECK(fake.windowHidden == (wasHidden || opened) && failed == noticed);
}

// What a Save of the fields writes, and what it must do. It refuses, touching
// nothing, a path too long for its length field, files its start could not
// show, and a read-only data file, which it names. Without a notice it wrote
// the pair, the paths back to back, and left nothing beside it unless a file
// was refused to it for long. With the failure notice (only when a file was
// refused for long, the disk was full or the program stopped), the pair is as
// it was, or what it left makes the next start show it so. A notice may name
// a file in the way that it could not remove. No Save waits long.
static void Save(int how, int room)
{
    std::map<std::string, FakeFile> before = fake.files;
    Fields written = shown;
    written.key[RESERVED_SLOT] = 0;
    std::string pathFile, refusal;  // the first that applies
    auto refuses = [&](bool applies, const std::string &why) { refusal = refusal.empty() && applies ? why : refusal; };
    for (int slot = 0; slot < SLOT_COUNT; slot++)
        pathFile += shown.path[slot], refuses(shown.path[slot].size() > LONGEST_STORABLE_PATH, "行的路径超过99字节");
    refuses(unshown, "启动时没能读出");
    for (int name : {KEYS, PATHS})
        refuses(File(name) && File(name)->folder, PathOf(name) + " 是文件夹"),
            refuses(File(name) && File(name)->readOnly, PathOf(name) + " 是只读文件");
    bool diskFull = how & 64, stops = how & 128;
    long from = fake.clockMs;
    fake.refusedUntilMs = 0, fake.metHold = false, fake.diskRoom = diskFull ? room : -1;
    fake.stopAtStep = stops ? fake.fileSteps + 1 + (how & 31) : 0;
    SaveSettings();
    bool stopped = fake.stopAtStep > 0 && fake.fileSteps >= fake.stopAtStep;
    bool hindered = fake.refusedUntilMs > from + WAITED_OUT_MS || fake.diskRoom >= 0 || stopped;
    fake.stopAtStep = 0, fake.diskRoom = -1;
    std::string notice = fake.notices.empty() ? "" : fake.notices[0];
    CHECK(fake.notices.size() <= 1 && fake.clockMs - from <= 1500 && (fake.clockMs == from || fake.metHold));
    if (!refusal.empty()) {
        CHECK(notice.find(refusal) != std::string::npos && fake.files == before);
    } else if (notice.empty()) {
        CHECK(Bytes(PATHS) == pathFile && Bytes(KEYS).size() == KEY_FILE_SIZE && (!LeftOver() || hindered));
        CHECK(Pair(Bytes(KEYS), Bytes(PATHS)) == written);
        expected = written, alternative.reset(), anyOutcome = false;
    } else if (notice == FILE_FAILURE_NOTICE) {
        CHECK(hindered);
    } else {
        size_t named = notice.find(" 删不掉");
        CHECK(named != std::string::npos && fake.files.count(notice.substr(0, named)) && hindered);
    }
    // Failed or stopped, it changed nothing a start shows, but it may have put
    // right, either way, a Save stopped between its moves that it found: what
    // the files stand for now is an outcome the next start could show before,
    // or, stopped, the pair it wrote.
    if (refusal.empty() && (stopped || !notice.empty())) {
        Fields old = expected;
        std::optional<Fields> oldAlternative = alternative;
        auto couldShow = [&](const Fields &f) { return f == old || f == oldAlternative || (stopped && f == written); };
        ExpectFiles();
        CHECK(couldShow(expected) && (!alternative || couldShow(*alternative)));
    }
    if (stops)
        Start();
}

// Another program, or a person, on a file of the folder; what a start shows
// then is what the files stand for.
static void OtherProgram(int what, int step, int forTenMs)
{
    bool holds = what / 6 % 4 < 3, denies = what / 24 % 2 == 1;
    int name = what % 6;  // 5: the file the operation names
    std::string path = name < NAME_COUNT ? PathOf(name) : "";
    auto found = fake.files.find(path);
    bool there = found != fake.files.end();
    long forMs = forTenMs == 255 ? FOR_GOOD_MS : forTenMs * 10L;
    if (holds && step == 0 && there)
        found->second.heldUntilMs = fake.clockMs + forMs, found->second.heldDenies = denies;
    else if (holds)
        fake.holds.push_back({path, fake.fileSteps + std::max(step, 1), forMs, denies});
    else if (!path.empty())
        there ? (void)fake.files.erase(found) : (void)(fake.files[path].folder = true), ExpectFiles();
}

static void Step(int step)
{
    int a = Next(), b = Next(), row = a % ROWS, slot = slotRows[row].slot;
    bool wasHidden = fake.windowHidden;
    fake.notices.clear(), fake.launches.clear(), fake.answers.clear(), fake.clockMs += 1000;
    if (step < 2) {  // the field's text as the window hands it over: no 0 byte, a buffer just large enough
        std::string text((const char *)input + at, std::min<size_t>(b + (step && a >= 128 ? 256 : 0), inputSize - at));
        at += text.size();
        text.resize(strlen(text.c_str()));
        std::vector<char> copy(text.c_str(), text.c_str() + text.size() + 1);
        if (step == 1) {
            shown.path[slot] = text.substr(0, PATH_SIZE - 1);  // what the window reads of a path field
            SetSlotPath(slot, copy.data());
        } else {  // the first character stays when it is one byte; a cut field is copied again
            shown.key[slot] = IsLeadByte(text[0]) ? 0 : text[0];
            bool cut = SetSlotKey(slot, copy.data());
            const char kept[2] = {slotTable.slots[slot].key, 0};
            CHECK(std::string(cut ? kept : text) == std::string(&shown.key[slot], shown.key[slot] != 0) &&
                  !(cut && SetSlotKey(slot, kept)));
        }
    } else if (step == 2) {  // a Chinese character arrives as two WM_CHAR, its lead byte first
        std::vector<std::string> expectedLaunches;
        LaunchTyped(nullptr, (unsigned)a);
        if (IsLeadByte((char)a))
            LaunchTyped(nullptr, 0x40u + (unsigned)b % 0xBF);
        for (const SlotRow &typed : slotRows)
            if (a != 0 && !IsLeadByte((char)a) && shown.key[typed.slot] == (char)a)
                expectedLaunches.push_back(shown.path[typed.slot]);
        CHECK(fake.launches == expectedLaunches && fake.notices.size() <= 1);
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
        for (const SlotRow &pressed : slotRows)
            named = named || (KeyCodeForKey(shown.key[pressed.slot]) == a &&
                              fake.launches == std::vector<std::string>{shown.path[pressed.slot]});
        CHECK(named || fake.launches.empty());
        CheckLaunches(wasHidden && !(id >= 0 && a == F1));
        // A program that did not open asks nothing at the next press.
        CHECK(fake.launches.empty() || fake.answers[0] == SHELL_OPENED || pending <= armed);
    } else if (step == 4) {  // only F2 tries again the function keys another program held
        a & 1 ? DisableHotkeys() : EnableHotkeys();
        if ((shown.hotkeysOn = !(a & 1)))
            CheckHeld();
    } else if (step == 5) {
        Save(a, b);
    } else if (step == 6) {
        Start();
    } else if (step == 7) {
        auto found = std::find(fake.keysElsewhere.begin(), fake.keysElsewhere.end(), a);
        found != fake.keysElsewhere.end() ? (void)fake.keysElsewhere.erase(found) : fake.keysElsewhere.push_back(a);
    } else {
        OtherProgram(a, b, Next());
    }
    // After every step: the slots hold what the fields show; only typing and
    // keys launch; the main window holds no key twice, none with auto-repeat,
    // and none but F1 to F3 and, while hotkeys are on, letter and digit keys.
    CHECK(Table() == shown && (step == 2 || step == 3 || fake.launches.empty()));
    for (const std::array<int, 3> &held : fake.hotkeys) {
        CHECK(held[2] == KEY_NO_REPEAT &&
              (KeyCodeForKey((char)held[1]) == held[1] ? shown.hotkeysOn : held[1] >= F1 && held[1] <= F3));
        auto same = [&](const std::array<int, 3> &other) { return other[0] == held[0]; };
        CHECK(std::count_if(fake.hotkeys.begin(), fake.hotkeys.end(), same) == 1);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    input = data, inputSize = size, at = 0, fake = FakePlatform();
    int present = Next(), readOnly = Next(), folders = Next(), held = Next(), heldFor = Next();
    for (int name = 0; name < NAME_COUNT; name++) {
        if (!(present >> name & 1))
            continue;
        FakeFile &file = fake.files[PathOf(name)];
        file.readOnly = readOnly >> name & 1, file.folder = folders >> name & 1, file.heldDenies = held & 32;
        file.heldUntilMs = held >> name & 1 ? (heldFor == 255 ? FOR_GOOD_MS : heldFor * 10L) : 0;
        if (file.folder)
            continue;
        size_t length = Next(), high = NAMES[name][0] == 'z' ? Next() : 0;  // both read before what is left
        length = std::min(length | high << 8, inputSize - at);
        file.bytes.assign((const char *)data + at, length);
        at += length;
    }
    ExpectFiles();
    Start();
    while (at < inputSize)
        Step(Next() % 9);
    Step(6);  // the last start loads what the Saves wrote
    return 0;
}
