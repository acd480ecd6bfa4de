#pragma once

#include "platform/services.h"
#include "reminders/listrules.h"
#include "reminders/table.h"

#include <QWidget>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace quill {

class ReminderSession;

/// The reminder list (`lista`): the reminders of one kind as side-by-side columns, with their
/// active boxes, delete, in-place correction of the alert time and save.
class ReminderList : public QWidget {
    Q_OBJECT
public:
    ReminderList(Services &services, ReminderSession &session);
    ~ReminderList() override;

    ReminderKind kind() const { return m_kind; }
    /// Shows the reminders of a kind, as the editor's "Lista" asks: its option is selected, and
    /// the editor is not pressed back.
    void showKind(ReminderKind kind);
    /// Rebuilds the columns from the table for the kind shown.
    void refill();
    /// Shows one active box per listed entry in view and hides the rest.
    void updateActiveBoxes();
    /// The entry selected in the columns, -1 for none.
    int selectedPosition() const { return m_selected; }

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createKindOptions();
    void createHeaders();
    void createColumns();
    void createActiveBoxes();
    void createButtons();
    QListWidget *column(list::Column c) const { return m_columns[std::size_t(c)]; }
    void chooseKind(ReminderKind kind);
    void followKind(ReminderKind kind);
    void selectKindOption(ReminderKind kind);
    void appendRow(int row);
    void selectPosition(int position);
    void scrollTo(int top);
    void syncActiveBoxes();
    int firstShownPosition() const;
    int rowHeightPx() const;
    void beginEdit(list::Column column);
    void finishEdit();
    void cancelEdit();
    void toggleActive(int box);
    void deleteSelected();
    void save();
    template <typename Change> void changeTable(Change change);

    Services &m_services;
    ReminderSession &m_session;
    ReminderKind m_kind = ReminderKind::NameDay;
    int m_selected = -1;
    // The in-place edit: its column and position, and whether it has been dealt with.
    list::Column m_editColumn = list::Column::AlertYear;
    int m_editPosition = -1;
    bool m_editDone = true;
    bool m_changingTable = false;
    bool m_syncing = false;

    std::array<QRadioButton *, 5> m_kindOptions{};
    std::array<QListWidget *, list::ColumnCount> m_columns{};
    /// `Label3_0` .. `Label3_7`: 0 over the first text, 1 the second, 2-6 the alert time, 7 when.
    std::array<QLabel *, 8> m_headers{};
    std::array<QCheckBox *, 10> m_activeBoxes{};
    QList<bool> m_activeFlags; ///< the active flag of each listed entry, by position
    QScrollBar *m_scroll = nullptr;
    QLineEdit *m_editBox = nullptr;
};

} // namespace quill
