#pragma once

#include "codec.h"

namespace quill {

/// The codec of the program's calendar plugin (`libquillomat-ical.so` beside the program),
/// loaded when a calendar is first written or read: libical is never loaded at start-up. Its
/// functions may be called from any thread, one at a time in the whole program: libical keeps state
/// of its own.
class LazyCalendarCodec final : public CalendarCodec {
public:
    explicit LazyCalendarCodec(QString plugin);
    ~LazyCalendarCodec() override;
    QByteArray write(const QList<CalendarEvent> &events, const QString &name,
                     const QDateTime &stamp) override;
    CalendarRead read(const QByteArray &bytes) override;
    QStringList problems(const QByteArray &bytes) override;
    /// Whether the plugin is there; tells why not in `read`'s error otherwise.
    bool available();

private:
    CalendarCodec *codec();
    QString m_plugin;
    std::unique_ptr<CalendarCodec> m_codec;
    bool m_tried = false;
};

} // namespace quill
