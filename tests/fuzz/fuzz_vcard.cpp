// Feeds arbitrary bytes to the address-book reader: it must never crash or hang, every card it
// keeps has a name, every date it keeps is a day of the year, and every card it begins is either
// kept or skipped with a reason.

#include "contacts/people.h"
#include "contacts/vcard.h"

#include <QDate>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const quill::contacts::CardReading r = quill::contacts::readCards(bytes);
    const auto validDay = [](const quill::contacts::CardDate &d) {
        return QDate::isValid(d.year ? d.year : 2000, d.month, d.day);
    };
    for (const quill::contacts::Card &c : r.cards) {
        if (c.displayName.isEmpty() && c.given.isEmpty())
            std::abort();
        if (c.birthday && !validDay(*c.birthday))
            std::abort();
        for (const auto &d : c.nameDays)
            if (!validDay(d))
                std::abort();
    }
    for (const quill::contacts::SkippedCard &s : r.skipped)
        if (s.reason.isEmpty() || s.number <= 0)
            std::abort();
    const quill::contacts::ContactBook book(r.cards);
    for (const QDate &day : {QDate(2026, 2, 28), QDate(2028, 2, 29), QDate(2026, 12, 24)})
        (void)book.on(day);
    return 0;
}
