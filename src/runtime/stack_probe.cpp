// The stack probe that the compiler calls before it opens a frame of more than a page: Windows
// grows a thread's stack one guard page at a time, so each 4 KiB page of the new frame is touched
// in order, from the top. The frame's size comes in x15, in 16-byte units; every register but
// the scratch pair x16 and x17 is kept.
// The name the compiler calls, reserved for the runtime, which this is.
// NOLINTNEXTLINE(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
extern "C" __attribute__((naked)) void __chkstk() {
    asm("lsl x16, x15, #4\n"
        "mov x17, sp\n"
        "1:\n"
        "sub x17, x17, #4096\n"
        "subs x16, x16, #4096\n"
        "ldr xzr, [x17]\n"
        "b.gt 1b\n"
        "ret\n");
}
