// The key the benchmark presses to launch: slot 0's key in Jumpdeck's key
// file, and the one hotkey floor-hotkey holds.
#pragma once

#define BENCH_LAUNCH_KEY 'q'
#define BENCH_LAUNCH_VIRTUAL_KEY 0x51  // 'Q', the letter key of BENCH_LAUNCH_KEY
