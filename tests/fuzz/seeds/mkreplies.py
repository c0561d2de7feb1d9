# Records what the virtual mouse answers, in the order the reply fuzzer's driver
# asks: status refresh, update_ui (button 2, version, battery), buttons 2-7 with
# their macros, both zones' colour, version, battery.
import ctypes, os, shutil, sys
lib_path, state, out = sys.argv[1:4]
if state != '-':
    shutil.copy(state, '/tmp/fuzz-replies-state')
    os.environ['VMOUSE_STATE'] = '/tmp/fuzz-replies-state'
lib = ctypes.CDLL(lib_path)
lib.OpenDevice(0x2717, 0x5009)
lib.OpenConfigDevice(0x2717, 0x5009)
replies = bytearray()
def ctl(*frame):
    buf = (ctypes.c_ubyte * 31)(*frame)
    lib.WrtieControl(31, buf)
    r = (ctypes.c_ubyte * 32)()
    assert lib.ReadData(32, r)
    replies.extend(bytes(r))
    return bytes(r)
def cfg(n, *frame):
    buf = (ctypes.c_ubyte * 63)(*frame)
    lib.WrtieConfig(n, buf)
    r = (ctypes.c_ubyte * 64)()
    assert lib.ReadConfigData(64, r)
    replies.extend(bytes(r))
    return bytes(r)
def button(i):
    r = ctl(0xB0, i)
    if r[4] == 2:
        length = r[6] * 256 + r[7]
        for off in range(0, length, 56):
            want = min(56, length - off)
            cfg(63, 0xF0, i + 10, want, off >> 24, (off >> 16) & 255, (off >> 8) & 255, off & 255)
ctl(0xA0, 0); ctl(0xA0, 1); ctl(0xC2, 1); ctl(0xC4, 1)
button(2); cfg(1, 0xD0); ctl(0x90)
for i in range(2, 8): button(i)
ctl(0xA0, 0); ctl(0xA0, 1)
cfg(1, 0xD0); ctl(0x90)
open(out, 'wb').write(replies)
