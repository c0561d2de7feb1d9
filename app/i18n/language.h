// The language of the window. The texts in the sources are Chinese; desktops
// in any other language get the English translation (kivomouse_en.ts, built
// into the program's resources). Which one follows the desktop alone.
#ifndef LANGUAGE_H
#define LANGUAGE_H

#include <QString>
#include <QStringList>

class QCoreApplication;
class QObject;
class QTranslator;

// "zh" when the first of these languages is Chinese, or when the locale is
// C / POSIX (no language at all); "en" for every other language.
QString ui_language(const QStringList &uiLanguages);
// The same for this process's locale: QLocale::system().uiLanguages(), which
// follows LANGUAGE, LC_ALL, LC_MESSAGES and LANG.
QString ui_language();

// The translation into language ("en"), owned by parent; null for Chinese,
// the sources' own language, and for a language without one.
QTranslator *load_translation(const QString &language, QObject *parent);

// Installs the translation the desktop's language asks for. Called once the
// application object exists, before any widget is made.
void install_translation(QCoreApplication *app);

#endif
