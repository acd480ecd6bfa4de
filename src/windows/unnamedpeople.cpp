#include "unnamedpeople.h"

#include "calendar/calendar.h"

#include <QComboBox>
#include <QDate>

namespace quill {

UnnamedPeopleList::UnnamedPeopleList(QWidget *parent)
    : QListWidget(parent)
{
    setObjectName(QStringLiteral("nincsnevnap"));
    setAccessibleName(QStringLiteral("Nincs naptári névnapja"));
    setToolTip(QStringLiteral("Nevük nem szerepel a névnaptárban. Válasszon ki egyet (Enter vagy "
                              "dupla kattintás), és adjon meg neki nevet vagy napot."));
    setMaximumHeight(90);
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        Q_EMIT personChosen(item->data(Qt::UserRole).toString());
    });
}

void UnnamedPeopleList::showPeople(const QStringList &people, const QHash<QString, QString> &given)
{
    clear();
    for (const QString &person : people)
        addItem(
            person + QStringLiteral(" – nincs naptári névnapja") +
            (given.contains(person) ? QStringLiteral("; megadva: ") + given[person] : QString()));
    for (int i = 0; i < count(); ++i)
        item(i)->setData(Qt::UserRole, people[i]);
    setVisible(!people.isEmpty());
}

void UnnamedPeopleList::addEveryDay(QComboBox *days)
{
    for (QDate d(2000, 1, 1); d.year() == 2000; d = d.addDays(1)) {
        if (d.month() == 2 && d.day() == 29)
            continue; // the leap day of the tables carries no name
        days->addItem(MonthNames[std::size_t(d.month() - 1)].hungarian.toString() + u' ' +
                          QString::number(d.day()) + u'.',
                      d);
    }
}

} // namespace quill
