// Fuzz target of the two data files. Each input describes a start-up
// directory: the key file, the path file, what an interrupted save may have
// left beside them, edits made before Save, and a file operation of the save
// that fails. The target loads, edits, saves and loads again.
//
// Input layout (bytes past the end read as 0, sizes are cut to what is left):
//   byte 0      which files exist: 1 "l.z", 2 "z.l", 4 "l.z.new", 8 "z.l.new",
//               16 "z.l.old"; 32: edit the table before saving; 64: a save
//               fails at one file operation first
//   if 1, 4, 8: each a size byte, then that file
//   if 16: two size bytes (high byte first), then the old path file
//   if 32: a count byte, then that many edits, each a byte saying what:
//          (what & 7) < 6: row (what & 7) + 1; with bit 3 its key field,
//                          else its path field, gets the text that follows
//                          (two size bytes, high byte first, then the text)
//          (what & 7) == 6 or 7: hotkeys switched off or on
//   if 64: a byte: which file operation of that save fails (0 the first)
//   if 2:  the rest is the path file
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "store/settings_files.h"
#include "store/slot_table.h"
#include "tests/fake_platform.h"

// Aborts for libFuzzer, saying which check failed.
#define CHECK(condition) \
    ((condition) ? (void)0 : (fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition), abort()))

namespace {

const char *const NAMES[] = {"l.z", "z.l", "l.z.new", "z.l.new", "z.l.old"};
std::string scratch;  // private start-up directory; libFuzzer keeps its own

std::string In(const char *name) { return scratch + "/" + name; }

// "+" and the file's bytes, or "-" when there is no file.
std::string Contents(const char *name)
{
    std::ifstream stream(In(name), std::ios::binary);
    return stream ? "+" + std::string(std::istreambuf_iterator<char>(stream), {}) : "-";
}

struct Input {
    const uint8_t *data;
    size_t size;
    unsigned Byte() { return size == 0 ? 0 : (size--, *data++); }
    std::string Bytes(size_t n) { n = n < size ? n : size, data += n, size -= n; return {(const char *)data - n, n}; }
    size_t Size2() { size_t high = Byte(); return high << 8 | Byte(); }  // high byte first
};

// No ".new" or ".old" file is left beside the pair.
void CheckNoLeftovers()
{
    for (int i = 2; i < 5; i++)
        CHECK(access(In(NAMES[i]).c_str(), F_OK) != 0);
}

// Every path ends within its buffer and its length; every length is 0 to 99.
void CheckTableSound()
{
    for (const Slot &slot : slotTable.slots)
        CHECK(memchr(slot.path, 0, PATH_SIZE) != nullptr && strlen(slot.path) <= (size_t)slot.length &&
              slot.length >= 0 && slot.length <= LONGEST_STORABLE_PATH);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (scratch.empty()) {
        const char *tmp = getenv("TMPDIR");
        scratch = std::string(tmp && *tmp ? tmp : "/tmp") + "/jumpdeck-fuzz-XXXXXX";
        CHECK(mkdtemp(&scratch[0]) != nullptr);
    }
    Input in = {data, size};
    unsigned flags = in.Byte();
    std::string files[5];
    for (int i : {0, 2, 3})
        files[i] = flags & (1 << i) ? in.Bytes(in.Byte()) : "";
    files[4] = flags & 16 ? in.Bytes(in.Size2()) : "";
    std::vector<std::pair<unsigned, std::string>> edits;
    for (unsigned count = flags & 32 ? in.Byte() : 0; count > 0; count--) {
        unsigned what = in.Byte();
        edits.push_back({what, (what & 7) < VISIBLE_SLOT_COUNT ? in.Bytes(in.Size2()) : ""});
    }
    int failingStep = flags & 64 ? 1 + (int)in.Byte() : 0;
    files[1] = in.Bytes(in.size);
    for (int i = 0; i < 5; i++) {
        remove(In(NAMES[i]).c_str());
        if (flags & (1 << i))
            CHECK(std::ofstream(In(NAMES[i]), std::ios::binary) << files[i]);
    }

    ResetFake();
    char previous[4096];
    CHECK(getcwd(previous, sizeof previous) != nullptr && chdir(scratch.c_str()) == 0);
    CaptureStartupPaths();
    CHECK(chdir(previous) == 0);
    LoadSettings();
    CHECK(fake.events.empty());
    CheckNoLeftovers();
    CheckTableSound();
    std::string keys = Contents(NAMES[0]), paths = Contents(NAMES[1]);
    auto pairKept = [&] { return Contents(NAMES[0]) == keys && Contents(NAMES[1]) == paths; };
    // An interrupted save is finished only with a complete new key file that fits the path file.
    size_t sum = 0;
    for (const Slot &slot : slotTable.slots)
        sum += (size_t)slot.length;
    if (keys != (flags & 1 ? "+" + files[0] : "+"))
        CHECK(flags & 4 && keys == "+" + files[2] && keys.size() == 1 + KEY_FILE_SIZE && paths.size() == 1 + sum);

    for (const auto &edit : edits) {
        unsigned row = edit.first & 7;
        if (row >= VISIBLE_SLOT_COUNT)
            slotTable.hotkeysRegistered = row - VISIBLE_SLOT_COUNT;
        else if (edit.first & 8)
            SetSlotKey(slotRows[row].slot, edit.second.c_str());
        else
            SetSlotPath(slotRows[row].slot, edit.second.c_str());
    }

    // A path over 99 bytes: the save is refused with one notice, files kept.
    bool tooLong = false;
    for (const Slot &slot : slotTable.slots)
        tooLong = tooLong || strlen(slot.path) > LONGEST_STORABLE_PATH;
    if (tooLong) {
        SaveSettings();
        CHECK(fake.events.size() == 1 && fake.events[0].rfind("notice ", 0) == 0 && pairKept());
        CheckNoLeftovers();
        for (Slot &slot : slotTable.slots)
            slot.path[LONGEST_STORABLE_PATH] = 0;
        fake.events.clear();
    }

    SlotTable before = slotTable;
    std::string joined;
    for (const Slot &slot : before.slots)
        joined += slot.path;

    // A save failing at one step leaves the old pair byte for byte, or saves in full.
    for (int attempt = failingStep > 0 ? 0 : 1; attempt < 2; attempt++) {
        fake.failAtFileStep = attempt == 0 ? fake.fileSteps + failingStep : 0;
        SaveSettings();
        CheckNoLeftovers();
        if (!fake.events.empty()) {
            CHECK(attempt == 0 && fake.events.size() == 1 && pairKept());
            fake.events.clear();
            continue;
        }
        CHECK(Contents(NAMES[0]).size() == 1 + KEY_FILE_SIZE && Contents(NAMES[1]) == "+" + joined);
    }

    ResetFake();
    LoadSettings();
    CHECK(fake.events.empty());
    CheckTableSound();
    for (int slot = 0; slot < SLOT_COUNT; slot++)
        CHECK(strcmp(slotTable.slots[slot].path, before.slots[slot].path) == 0 &&
              slotTable.slots[slot].key == (slot == RESERVED_SLOT ? 0 : before.slots[slot].key));
    CHECK(slotTable.hotkeysRegistered == before.hotkeysRegistered);
    return 0;
}
