// The parsers write diagnostic lines for every input; a fuzzer runs them
// millions of times, so the lines are dropped instead of printed.
#ifndef FUZZ_QUIET_H
#define FUZZ_QUIET_H

#include <QtGlobal>

inline void dropMessage(QtMsgType, const QMessageLogContext &, const QString &) {}

inline void quietQt()
{
    if (!qEnvironmentVariableIsSet("KIVO_FUZZ_VERBOSE")) qInstallMessageHandler(dropMessage);
}

#endif
