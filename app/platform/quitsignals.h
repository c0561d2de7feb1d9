// Ends the event loop cleanly when the session asks the program to stop.
#ifndef QUITSIGNALS_H
#define QUITSIGNALS_H

// Linux: SIGTERM, SIGINT and SIGHUP quit the application, so the window is
// destroyed and the single-instance marker released as on "退出". Windows
// ends programs through window messages, which the toolkit handles.
void quit_on_termination_signals();

#endif
