#include "platform/quitsignals.h"

void quit_on_termination_signals() {}
