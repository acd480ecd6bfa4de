#pragma once

#include <QHash>
#include <QListWidget>

class QComboBox;

namespace quill {

/// The settings' list of the address book's people whose names are in neither calendar
/// ("nincs naptári névnapja"); choosing one (Enter or a double click) asks for them to be given
/// a name or a day.
class UnnamedPeopleList final : public QListWidget {
    Q_OBJECT
public:
    explicit UnnamedPeopleList(QWidget *parent);
    /// Shows these people, hidden when there are none; `given`: what some of them were given
    /// already (a name or a day, in words), shown beside them.
    void showPeople(const QStringList &people, const QHash<QString, QString> &given = {});
    /// Fills a day picker with every day of the calendar ("január 1." …, each with its date in
    /// 2000), for a person who has no day of their own to choose from.
    static void addEveryDay(QComboBox *days);

Q_SIGNALS:
    void personChosen(const QString &person);
};

} // namespace quill
