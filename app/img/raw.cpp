// The background's pixels (made at build time by tools/rawpicture) placed in
// the program's read-only data, where rawpicture::image() finds them.
#if defined(__ELF__) && defined(KIVO_RAW_BACKGROUND)
asm(".section .rodata\n"
    ".balign 16\n"
    ".globl kivo_raw_background\n"
    ".type kivo_raw_background, @object\n"
    "kivo_raw_background:\n"
    ".incbin \"" KIVO_RAW_BACKGROUND "\"\n"
    ".globl kivo_raw_background_end\n"
    "kivo_raw_background_end:\n"
    ".previous\n");
#endif
