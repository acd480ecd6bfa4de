#include "lazycodec.h"

#include "platform/pluginentry.h"

#include <QMutex>

namespace quill {

namespace {
// libical's one user at a time, whichever codec and thread.
QMutex &libicalUse()
{
    static QMutex mutex;
    return mutex;
}
} // namespace

LazyCalendarCodec::LazyCalendarCodec(QString plugin)
    : m_plugin(std::move(plugin))
{
}

// The codec goes before the plugin's code could; the plugin itself stays loaded.
LazyCalendarCodec::~LazyCalendarCodec() = default;

CalendarCodec *LazyCalendarCodec::codec()
{
    if (!m_tried) {
        m_tried = true;
        if (const auto create = reinterpret_cast<CreateCalendarCodec>(
                pluginEntry(m_plugin, createCalendarCodecSymbol)))
            m_codec.reset(create());
    }
    return m_codec.get();
}

bool LazyCalendarCodec::available()
{
    const QMutexLocker lock(&libicalUse());
    return codec() != nullptr;
}

QByteArray LazyCalendarCodec::write(const QList<CalendarEvent> &events, const QString &name,
                                    const QDateTime &stamp)
{
    const QMutexLocker lock(&libicalUse());
    return codec() ? m_codec->write(events, name, stamp) : QByteArray();
}

CalendarRead LazyCalendarCodec::read(const QByteArray &bytes)
{
    const QMutexLocker lock(&libicalUse());
    if (!codec())
        return {{}, QStringLiteral("a naptárkezelő (libquillomat-ical.so) nem tölthető be")};
    return m_codec->read(bytes);
}

QStringList LazyCalendarCodec::problems(const QByteArray &bytes)
{
    const QMutexLocker lock(&libicalUse());
    return codec() ? m_codec->problems(bytes) : QStringList{};
}

} // namespace quill
