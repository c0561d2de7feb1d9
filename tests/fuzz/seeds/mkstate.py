# Makes state files with the virtual mouse itself: VMOUSE_STATE names the file,
# set commands change the memory, and the library saves it.
import ctypes, os, sys
lib_path, out, kind = sys.argv[1], sys.argv[2], sys.argv[3]
os.environ['VMOUSE_STATE'] = out
lib = ctypes.CDLL(lib_path)
lib.OpenDevice(0x2717, 0x5009)
lib.OpenConfigDevice(0x2717, 0x5009)
def ctl(*b):
    buf = (ctypes.c_ubyte * 31)(*b)
    lib.WrtieControl(31, buf)
def cfg(*b):
    buf = (ctypes.c_ubyte * 63)(*b)
    lib.WrtieConfig(63, buf)
if kind == 'factory':
    ctl(0xC3, 1)          # same rate: no change, so force one and back
    ctl(0xC3, 2); ctl(0xC3, 1)
elif kind == 'changed':
    ctl(0xC3, 4)                                  # 250 Hz
    ctl(0xC1, 8, 16, 24, 32, 40, 2, 0, 5)         # DPI levels
    ctl(0xA1, 1, 2, 6, 8, 8, 0x12, 0x34, 0x56)    # front zone
    ctl(0xB1, 3, 1, 0, 0x01, 0x04)                # button 3: ctrl+A
    ctl(0xB1, 4, 2, 1, 0, 8)                      # button 4: macro, 8 bytes
    cfg(0xF1, 14, 8, 0, 0, 0, 0, 0x41, 0, 0, 50, 0x41, 1, 0, 0)
