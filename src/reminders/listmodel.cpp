#include "listmodel.h"

#include "session.h"

namespace quill {

using list::Column;

ReminderListModel::ReminderListModel(ReminderSession &session, QObject *parent)
    : QAbstractTableModel(parent)
    , m_session(session)
{
    // A reminder stored in the editor shows at once; this model's own changes are in place.
    connect(&m_session, &ReminderSession::changed, this, [this] {
        if (!m_changing)
            refill();
    });
    refill();
}

void ReminderListModel::setKind(ReminderKind kind)
{
    m_kind = kind;
    refill();
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void ReminderListModel::refill()
{
    beginResetModel();
    m_rows = list::listedRows(m_session.table(), m_kind);
    endResetModel();
}

int ReminderListModel::tableRow(int shownRow) const
{
    return shownRow >= 0 && shownRow < m_rows.size() ? m_rows[shownRow] : -1;
}

void ReminderListModel::removeShownRow(int shownRow)
{
    const int row = tableRow(shownRow);
    if (row < 0)
        return;
    beginRemoveRows({}, shownRow, shownRow);
    m_changing = true;
    m_session.clear(row);
    m_changing = false;
    m_rows.removeAt(shownRow);
    endRemoveRows();
}

int ReminderListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ReminderListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ActiveColumn + 1;
}

QVariant ReminderListModel::data(const QModelIndex &index, int role) const
{
    const int row = tableRow(index.row());
    if (row < 0)
        return {};
    const Reminder &r = m_session.table().row(row);
    if (index.column() == ActiveColumn)
        return role == Qt::CheckStateRole ? QVariant(r.isActive() ? Qt::Checked : Qt::Unchecked)
                                          : QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    return r.field(list::fieldOf(Column(index.column())));
}

bool ReminderListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const int row = tableRow(index.row());
    if (row < 0)
        return false;
    m_changing = true;
    bool done = false;
    if (index.column() == ActiveColumn && role == Qt::CheckStateRole) {
        m_session.setActive(row, value.value<Qt::CheckState>() == Qt::Checked);
        done = true;
    } else if (role == Qt::EditRole && list::isAlertColumn(Column(index.column()))) {
        m_session.setField(row, list::fieldOf(Column(index.column())), value.toString());
        done = true;
    }
    m_changing = false;
    if (done)
        Q_EMIT dataChanged(index, index);
    return done;
}

Qt::ItemFlags ReminderListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == ActiveColumn)
        f |= Qt::ItemIsUserCheckable;
    else if (list::isAlertColumn(Column(index.column())))
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant ReminderListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    const list::Layout layout = list::layoutFor(m_kind);
    switch (Column(section)) {
    case Column::Text1:
    case Column::FreeText:
        return layout.firstHeader;
    case Column::Text2:
        return layout.secondHeader;
    case Column::When:
        return layout.whenHeader;
    case Column::AlertYear:
        return QStringLiteral("Év");
    case Column::AlertMonth:
        return QStringLiteral("Hónap");
    case Column::AlertDay:
        return QStringLiteral("Nap");
    case Column::AlertHour:
        return QStringLiteral("Óra");
    case Column::AlertMinute:
        return QStringLiteral("Perc");
    case Column::KindLetter:
    case Column::RowKey:
        break;
    }
    return section == ActiveColumn ? QVariant(QStringLiteral("Aktív")) : QVariant();
}

} // namespace quill
