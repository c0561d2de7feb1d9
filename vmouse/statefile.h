// The mouse's memory in a file, so that a virtual mouse keeps its settings
// across runs of the program as a real one does across power cycles.
#ifndef VMOUSE_STATEFILE_H
#define VMOUSE_STATEFILE_H

#include "mouse.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vmouse
{

// True and *m filled only when the file holds a whole, intact memory image;
// anything else (missing, short, foreign, damaged) leaves *m untouched.
bool loadMemory(const std::string &path, Memory *m);
// The same over the file's bytes as read.
bool parseMemory(const std::uint8_t *data, std::size_t size, Memory *m);
// Writes beside the file and renames over it, so a crash never leaves half a file.
bool saveMemory(const std::string &path, const Memory &m);

} // namespace vmouse

#endif
