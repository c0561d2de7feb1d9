#include "i18n/language.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

// The translations are resources of this library; a static library's
// resources register only when asked to.
static void register_translations()
{
    Q_INIT_RESOURCE(i18n);
}

QString ui_language(const QStringList &uiLanguages)
{
    const QString first = uiLanguages.value(0);
    // The C locale names no language: the window keeps its own texts there.
    if (first.isEmpty() || first == QLatin1String("C") || first == QLatin1String("POSIX"))
        return QStringLiteral("zh");
    const QString code = first.section(QLatin1Char('-'), 0, 0).section(QLatin1Char('_'), 0, 0);
    return code.compare(QLatin1String("zh"), Qt::CaseInsensitive) == 0 ? QStringLiteral("zh")
                                                                       : QStringLiteral("en");
}

QString ui_language()
{
    return ui_language(QLocale::system().uiLanguages());
}

QTranslator *load_translation(const QString &language, QObject *parent)
{
    if (language == QLatin1String("zh")) return nullptr;
    register_translations();
    auto *translator = new QTranslator(parent);
    if (translator->load(QStringLiteral(":/i18n/kivomouse_%1.qm").arg(language))) return translator;
    delete translator;
    return nullptr;
}

void install_translation(QCoreApplication *app)
{
    if (QTranslator *translator = load_translation(ui_language(), app))
        app->installTranslator(translator);
}
