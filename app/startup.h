// Start-up of the program: options, single instance, binding the device
// library, the first open of the mouse.
#ifndef STARTUP_H
#define STARTUP_H

#include <QString>

class QSharedMemory;
class z9ktool;

// Where velqa is loaded from: VELQA_LIBRARY when set, else "velqa.dll" on
// Windows and libvelqa.so beside the program on Linux.
QString velqa_library_file();

// Loads m_hidlib and binds the ten entry points. A library that cannot be
// loaded, or lacks any export, is refused: *errorCode gets the system's code and
// no entry point is left bound.
bool bind_velqa(unsigned long *errorCode);

// Claims the single-instance marker. False when another running copy holds it.
// A marker left by a copy that crashed is taken over.
bool claim_single_instance(QSharedMemory &marker);

// The information box of the start-up failures.
void show_startup_box(const QString &title, const QString &text);

// Whether programFile runs from an install prefix: <prefix>/lib/kivomouse/<name>
// reached through its <prefix>/bin link, the test the autostart entry makes.
// Never on Windows, where the program works in the folder it is started in.
bool runs_installed(const QString &programFile);

// Makes the per-user data folder (QStandardPaths::AppDataLocation) the
// working folder, creating it: downloads and the start-up scan of downloaded
// programs then happen there, whether the menu, autostart or kivoctl started
// the program. False, the folder unchanged, when it cannot be made.
bool enter_data_folder();

// First open of the mouse and the window's initial state.
void attach_at_start(z9ktool &window);

// Settings of the windowing system made before the application exists.
void prepare_platform();
// Once the application exists (and its options are read, which may end the
// process): fontconfig's set-up started on a second thread.
void start_font_set_up();
// Waits for that set-up to end: called before any text is laid out (a box's,
// the window's first paint); the window may be built before.
void wait_for_fonts();

// The whole program; returns the process's exit code.
int kivo_main(int argc, char **argv);

#endif
