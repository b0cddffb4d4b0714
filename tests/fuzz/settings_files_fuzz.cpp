// Fuzz target of the two data files. Each input is a start-up directory: the
// key file, the path file and whatever an interrupted save may have left
// beside them. The target loads it, saves what it loaded and loads again.
//
// Input layout (bytes past the end read as 0, sizes are cut to what is left):
//   byte 0  which files exist: 1 "l.z", 2 "z.l", 4 "l.z.new", 8 "z.l.new", 16 "z.l.old"
//   then, for each of "l.z", "l.z.new", "z.l.new" and "z.l.old" that exists,
//   a size byte and that many bytes of it; the rest is "z.l".
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "store/settings_files.h"
#include "store/slot_table.h"
#include "tests/fake_platform.h"

// Aborts for libFuzzer, saying which check failed.
#define CHECK(condition) \
    ((condition) ? (void)0 : (fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition), abort()))

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A start-up directory of this process in tools/fuzz's, so that the
    // workers of a run with -fork or -jobs never share one.
    static const char *root = getenv("JUMPDECK_FUZZ_DIR");
    static std::filesystem::path directory = std::filesystem::path(root ? root : "") / std::to_string(getpid());
    static bool entered = root && std::filesystem::create_directories(directory) && chdir(directory.c_str()) == 0;
    CHECK(entered);
    const char *names[] = {"l.z", "z.l", "l.z.new", "z.l.new", "z.l.old"};
    size_t at = size > 0 ? 1 : 0;
    for (int i : {0, 2, 3, 4, 1}) {
        remove(names[i]);
        if (size == 0 || !(data[0] & (1 << i)))
            continue;
        size_t length = i == 1 ? size - at : at < size ? data[at++] : 0;
        length = std::min(length, size - at);
        std::ofstream(names[i], std::ios::binary).write((const char *)data + at, (std::streamsize)length);
        at += length;
    }

    // Each load reports nothing and leaves nothing beside the pair; every path
    // ends within its buffer and its length, which the key file can hold. The
    // second load gives back what the first one did, but the reserved slot's key.
    fake = FakePlatform();
    CaptureStartupPaths();
    SlotTable loaded = {};
    for (int load = 0; load < 2; load++) {
        slotTable = SlotTable();
        LoadSettings();
        CHECK(fake.notices.empty() && access("l.z.new", F_OK) != 0 && access("z.l.new", F_OK) != 0 && access("z.l.old", F_OK) != 0);
        for (const Slot &slot : slotTable.slots)
            CHECK(memchr(slot.path, 0, PATH_SIZE) && slot.length >= 0 && slot.length <= 99 && strlen(slot.path) <= (size_t)slot.length);
        if (load == 0) {
            loaded = slotTable;
            SaveSettings();
        }
    }
    for (int slot = 0; slot < SLOT_COUNT; slot++)
        CHECK(strcmp(slotTable.slots[slot].path, loaded.slots[slot].path) == 0 &&
              slotTable.slots[slot].key == (slot == RESERVED_SLOT ? 0 : loaded.slots[slot].key));
    CHECK(slotTable.hotkeysRegistered == loaded.hotkeysRegistered);
    return 0;
}
