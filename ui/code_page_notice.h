// Jumpdeck's texts are in code page 936, the code page of a Windows whose
// language for non-Unicode programs is Chinese (Simplified, China).
#pragma once

// On any other code page every label, button and notice shows as garbage and
// a Chinese character typed into a key field becomes half a character. Says
// so, in Chinese and English that read right on any system, and where Windows
// sets it. Nothing on code page 936.
void ExplainOtherCodePage();
