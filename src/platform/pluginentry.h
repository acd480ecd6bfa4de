#pragma once

#include <QLibrary>
#include <QString>

namespace quill {

/// The entry point `symbol` of one of the program's own plugins (a library beside the program),
/// which is loaded and stays loaded: what the entry point makes runs the plugin's code. Null when
/// the plugin cannot be loaded or lacks the entry point; `why`, when given, then says which.
inline QFunctionPointer pluginEntry(const QString &path, const char *symbol, QString *why = nullptr)
{
    QLibrary plugin(path);
    if (!plugin.load()) {
        if (why)
            *why = plugin.errorString();
        return nullptr;
    }
    const QFunctionPointer entry = plugin.resolve(symbol);
    if (!entry && why)
        *why = QStringLiteral("nincs benne a(z) %1 belépési pont (%2)")
                   .arg(QLatin1String(symbol), path);
    return entry;
}

} // namespace quill
