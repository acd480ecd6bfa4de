#pragma once

#include "listrules.h"
#include "table.h"

#include <QAbstractTableModel>
#include <QList>

namespace quill {

class ReminderSession;

/// The reminders of one kind as the list window shows them: a row for each, in table order, a
/// column for each of the list's columns (`list::Column`) and one for the active flag. It is the
/// one place that knows which table row a shown row is; it reads and changes the reminders only
/// through the session, and follows every change made elsewhere.
class ReminderListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    /// The active flag's column, after the list's own columns; checkable.
    static constexpr int ActiveColumn = list::ColumnCount;

    explicit ReminderListModel(ReminderSession &session, QObject *parent = nullptr);

    ReminderKind kind() const { return m_kind; }
    /// Lists the reminders of another kind.
    void setKind(ReminderKind kind);
    /// The table row a shown row stands for, -1 for none.
    int tableRow(int shownRow) const;
    /// Frees the reminder of a shown row; its row goes from the list.
    void removeShownRow(int shownRow);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    /// The active flag (check state), or the text of an alert-time column, as typed.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    void refill();

    ReminderSession &m_session;
    ReminderKind m_kind = ReminderKind::NameDay;
    QList<int> m_rows; ///< the table row of each shown row
    bool m_changing = false;
};

} // namespace quill
