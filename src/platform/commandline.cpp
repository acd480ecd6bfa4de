#include "commandline.h"

#include "version.h"

namespace quill {

namespace {

QString usage()
{
    return QStringLiteral(
        "Használat: quillomat [KAPCSOLÓ]\n"
        "Magyar névnaptár és emlékeztető: a képernyő tetején a mai nap adatai és névnapjai,\n"
        "névnapkereső, emlékeztetők. A program menüje az ablakon jobb egérgombbal, a Menü\n"
        "billentyűvel vagy Shift+F10-zel nyílik; a súgó az F1 billentyűvel.\n"
        "\n"
        "Kapcsolók:\n"
        "  -h, --help       ez a leírás\n"
        "  -v, --version    a program változata\n"
        "      --sync       a naptár egyszeri szinkronizálása a CalDAV-kiszolgálóval, ablak\n"
        "                   nélkül (ha a program fut, az végzi el)\n"
        "\n"
        "Az emlékeztetők fájlja: ~/.local/share/Zelmarin/Quillomat/remembers.txt, vagy a\n"
        "program mellett álló remembers.txt, ha van ilyen.\n");
}

// Qt's own options that take a value, and those that do not.
bool qtOption(const QString &arg, bool *takesValue)
{
    static const QStringList withValue = {
        QStringLiteral("-platform"),        QStringLiteral("-platformpluginpath"),
        QStringLiteral("-platformtheme"),   QStringLiteral("-plugin"),
        QStringLiteral("-display"),         QStringLiteral("-style"),
        QStringLiteral("-stylesheet"),      QStringLiteral("-session"),
        QStringLiteral("-qwindowgeometry"), QStringLiteral("-geometry"),
        QStringLiteral("-qwindowtitle"),    QStringLiteral("-title"),
        QStringLiteral("-qwindowicon"),     QStringLiteral("-name"),
        QStringLiteral("-qmljsdebugger")};
    static const QStringList alone = {QStringLiteral("-reverse"), QStringLiteral("-widgetcount"),
                                      QStringLiteral("-nograb"), QStringLiteral("-dograb"),
                                      QStringLiteral("-sync")};
    QString name = arg.section(u'=', 0, 0);
    if (name.startsWith(QStringLiteral("--")))
        name.remove(0, 1);
    *takesValue = withValue.contains(name) && !arg.contains(u'=');
    return withValue.contains(name) || alone.contains(name);
}

CommandLine refuse(const QString &why)
{
    return {CommandLine::Action::Refuse, QStringLiteral("quillomat: ") + why + u'\n' + usage(), 2};
}

} // namespace

CommandLine readCommandLine(const QStringList &arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        if (arg == u"-h" || arg == u"--help")
            return {CommandLine::Action::Help, usage(), 0};
        if (arg == u"-v" || arg == u"--version")
            return {CommandLine::Action::Version,
                    QStringLiteral("Quillomat %1.%2.%3\n")
                        .arg(version::major)
                        .arg(version::minor)
                        .arg(version::patch),
                    0};
        if (arg == u"--sync")
            return {CommandLine::Action::Sync, {}, 0};
        bool takesValue = false;
        if (qtOption(arg, &takesValue)) {
            i += takesValue ? 1 : 0;
            continue;
        }
        if (arg.startsWith(u'-'))
            return refuse(QStringLiteral("ismeretlen kapcsoló: ") + arg);
        return refuse(QStringLiteral("a program nem vár argumentumot: ") + arg);
    }
    return {};
}

} // namespace quill
