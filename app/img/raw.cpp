// The pixels of the pictures every start shows (made at build time by
// tools/rawpicture) placed in the program's read-only data, where
// rawpicture::image() finds them.
#if defined(__ELF__)
#define KIVO_RAW(name, file)                                                                       \
    asm(".section .rodata\n"                                                                       \
        ".balign 16\n"                                                                             \
        ".globl kivo_raw_" #name "\n"                                                              \
        ".type kivo_raw_" #name ", @object\n"                                                      \
        "kivo_raw_" #name ":\n"                                                                    \
        ".incbin \"" file "\"\n"                                                                   \
        ".globl kivo_raw_" #name "_end\n"                                                          \
        "kivo_raw_" #name "_end:\n"                                                                \
        ".previous\n");
#ifdef KIVO_RAW_background
KIVO_RAW(background, KIVO_RAW_background)
#endif
#ifdef KIVO_RAW_axis
KIVO_RAW(axis, KIVO_RAW_axis)
#endif
#ifdef KIVO_RAW_axis_wheel
KIVO_RAW(axis_wheel, KIVO_RAW_axis_wheel)
#endif
#ifdef KIVO_RAW_axis_rear
KIVO_RAW(axis_rear, KIVO_RAW_axis_rear)
#endif
#ifdef KIVO_RAW_axis_rear_magic
KIVO_RAW(axis_rear_magic, KIVO_RAW_axis_rear_magic)
#endif
#endif
