#pragma once

#include "carddate.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// Address books as people have them: vCard 2.1, 3.0 and 4.0 files, read for what the program
// needs (whose name day and birthday), never written.
namespace quill::contacts {

struct Card {
    QString displayName; ///< FN, or the name put together from N
    QString family;
    QStringList given;     ///< the given and additional names from N
    QStringList nicknames; ///< NICKNAME, and Android's nickname lines
    std::optional<CardDate> birthday;
    QList<CardDate> nameDays; ///< dates the card itself calls "Névnap"
};

struct SkippedCard {
    int number = 0; ///< the card's place in its file, from 1
    QString name;   ///< as far as it was read
    QString reason; ///< in Hungarian
};

struct CardReading {
    QList<Card> cards;
    QList<SkippedCard> skipped;
};

/// Every card of a file's bytes. A broken card (no END, a bad date, an unknown character set,
/// unreadable lines, a property over 4 MB) is skipped with its reason; nothing is fatal.
CardReading readCards(const QByteArray &bytes);

/// The same for bytes handed in pieces, as a file is read. The properties never used (PHOTO,
/// LOGO, SOUND, KEY) are only measured, never copied.
class CardReader {
public:
    CardReader();
    ~CardReader();
    CardReader(const CardReader &) = delete;
    CardReader &operator=(const CardReader &) = delete;
    void feed(QByteArrayView bytes);
    /// The cards read; the reader starts again empty.
    CardReading finish();

private:
    struct State;
    std::unique_ptr<State> m;
};

} // namespace quill::contacts
